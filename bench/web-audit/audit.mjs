// Lighthouse's audits of build-web/ as a host that compresses nothing serves it, in Debian's
// Chromium: the mobile and desktop presets, each run RUNS times, printing the four category scores
// and, for the phone, the performance measures that move most with the page's loading.
//
// Usage: node bench/web-audit/audit.mjs --site build-web    environment: CHROME_PATH, RUNS (3)
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { parseArgs } from 'node:util';
import lighthouse from 'lighthouse';
import desktopConfig from 'lighthouse/core/config/desktop-config.js';
import * as chromeLauncher from 'chrome-launcher';
import * as site from '../../tests/web/site.mjs';

const { values } = parseArgs({ options: { site: { type: 'string', default: 'build-web' } } });
const runs = Number(process.env.RUNS || 3);
const CATEGORIES = ['performance', 'accessibility', 'best-practices', 'seo'];

function median(list) {
  const sorted = [...list].sort((a, b) => a - b);
  return sorted[Math.floor((sorted.length - 1) / 2)];
}

// One audit in a fresh profile: the scores by category, total blocking time and largest
// contentful paint in ms, cumulative layout shift, and the titles of the failing audits.
async function audit(url, config) {
  const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'grimvale-lighthouse-'));
  const chrome = await chromeLauncher.launch({
    chromePath: process.env.CHROME_PATH || '/usr/bin/chromium',
    userDataDir: profile,
    chromeFlags: ['--headless=new', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
                  '--disable-background-networking', '--disable-component-update', '--disable-sync'],
  });
  try {
    const { lhr } = await lighthouse(url, { port: chrome.port, output: 'json', logLevel: 'error' }, config);
    const scores = Object.fromEntries(CATEGORIES.map((name) => [name, lhr.categories[name].score]));
    const failing = Object.values(lhr.audits)
      .filter((a) => a.score !== null && a.score < 1 && a.scoreDisplayMode !== 'informative' && a.scoreDisplayMode !== 'manual')
      .map((a) => `${a.id} ${a.score}`);
    return {
      scores,
      tbt: lhr.audits['total-blocking-time'].numericValue,
      lcp: lhr.audits['largest-contentful-paint'].numericValue,
      cls: lhr.audits['cumulative-layout-shift'].numericValue,
      failing,
    };
  } finally {
    await chrome.kill();
    fs.rmSync(profile, { recursive: true, force: true });
  }
}

const host = await site.serve(values.site);
try {
  const presets = { mobile: undefined, desktop: desktopConfig };
  const results = { mobile: [], desktop: [] };
  // The presets in turn, so that a busy spell of the machine falls on both alike.
  for (let run = 0; run < runs; run++) {
    for (const [name, config] of Object.entries(presets)) results[name].push(await audit(host.url, config));
  }
  for (const [name, list] of Object.entries(results)) {
    const scores = CATEGORIES.map((c) => `${c} ${median(list.map((r) => r.scores[c])).toFixed(2)}`).join(', ');
    console.log(`${name}: ${scores} (medians of ${list.length})`);
    console.log(`${name}: total blocking time ${median(list.map((r) => r.tbt)).toFixed(0)} ms, ` +
                `largest contentful paint ${median(list.map((r) => r.lcp)).toFixed(0)} ms, ` +
                `cumulative layout shift ${median(list.map((r) => r.cls)).toFixed(3)}; ` +
                `each run's performance ${list.map((r) => r.scores.performance.toFixed(2)).join(' ')}`);
    // Each audit once, with its worst score over the runs.
    const worst = new Map();
    for (const entry of list.flatMap((r) => r.failing)) {
      const [id, score] = entry.split(' ');
      worst.set(id, Math.min(Number(score), worst.get(id) ?? 1));
    }
    const failing = [...worst].sort().map(([id, score]) => `${id} ${score}`);
    console.log(`${name}: audits not passed in some run: ${failing.join(', ') || 'none'}`);
  }
} finally {
  await host.close();
}
