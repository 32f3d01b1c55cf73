// A first visit to the browser version, as a new player meets it, in headless Chromium: from
// navigation to the title on screen (timed by the page itself, at the first display frame after the
// game's first pass) over a slow line (1.6 Mbit/s each way, 150 ms round trips, a host that
// compresses nothing) with the CPU slowed 4x, and over a fast line with the CPU slowed 6x; the CPU
// time from the last byte to the title and the longest main-thread task at 4x; the bytes the host
// sent. Several builds are run in turn, round after round, and the medians printed.
//
// Usage: node bench/web_start.mjs --site build-web[,other-build...] [--runs 5]
import os from 'node:os';
import { parseArgs } from 'node:util';
import * as site from '../tests/web/site.mjs';

const { values } = parseArgs({ options: { site: { type: 'string', default: 'build-web' }, runs: { type: 'string', default: '5' } } });
const builds = values.site.split(',');
const runs = Number(values.runs);

// In the page, before its own scripts: the first display frame after the game's first pass, and
// every main-thread task over 50 ms.
function watchStart() {
  window.benchLongTasks = [];
  new PerformanceObserver((list) => {
    for (const entry of list.getEntries()) window.benchLongTasks.push(entry.duration);
  }).observe({ type: 'longtask', buffered: true });
  const frame = window.requestAnimationFrame.bind(window);
  window.requestAnimationFrame = (callback) => frame((time) => {
    callback(time);
    if (!window.benchTitle && window.Module && window.Module._grimvalePassesRun && window.Module._grimvalePassesRun() > 0) {
      window.benchTitle = performance.now();
    }
  });
}

// One first visit in a fresh browser profile: { title, afterLastByte, longestTask, sent } (ms, bytes).
async function firstVisit(folder, line, slowdown) {
  const server = await site.serve(folder);
  const browser = await site.launchBrowser();
  const { page } = browser;
  try {
    const devtools = await page.context().newCDPSession(page);
    await devtools.send('Network.enable');
    await devtools.send('Network.emulateNetworkConditions', { offline: false, ...line });
    await devtools.send('Emulation.setCPUThrottlingRate', { rate: slowdown });
    await page.addInitScript(watchStart);
    await page.goto(server.url, { waitUntil: 'commit' });
    await page.waitForFunction(() => window.benchTitle, null, { timeout: 120000, polling: 100 });
    const sentByTitle = server.sent();
    const seen = await page.evaluate(() => {
      const lastByte = Math.max(...performance.getEntriesByType('resource').filter((r) => r.responseEnd < window.benchTitle)
        .map((r) => r.responseEnd), performance.getEntriesByType('navigation')[0].responseEnd);
      return { title: window.benchTitle, afterLastByte: window.benchTitle - lastByte, longestTask: Math.max(0, ...window.benchLongTasks) };
    });
    await devtools.send('Emulation.setCPUThrottlingRate', { rate: 1 });
    await devtools.send('Network.emulateNetworkConditions', { offline: false, latency: 0, downloadThroughput: -1, uploadThroughput: -1 });
    await page.waitForFunction(() => navigator.serviceWorker.controller !== null, null, { timeout: 20000 }).catch(() => {});
    await page.waitForTimeout(500);
    return { ...seen, sentByTitle, sent: server.sent() };
  } finally {
    await browser.close();
    await server.close();
  }
}

const median = (list) => [...list].sort((a, b) => a - b)[list.length >> 1];
const SLOW = { latency: 150, downloadThroughput: 1.6e6 / 8, uploadThroughput: 1.6e6 / 8 };
const FAST = { latency: 0, downloadThroughput: -1, uploadThroughput: -1 };

console.log(`machine: ${os.cpus().length} cores, load average ${os.loadavg().map((l) => l.toFixed(2)).join(' ')}`);
const results = new Map(builds.map((build) => [build, { slow: [], fast: [] }]));
for (let run = 0; run < runs; run++) {
  for (const build of builds) {
    results.get(build).slow.push(await firstVisit(build, SLOW, 4));
    results.get(build).fast.push(await firstVisit(build, FAST, 6));
  }
}
for (const [build, { slow, fast }] of results) {
  const list = (visits, key, unit = 1) => visits.map((v) => Math.round(v[key] / unit)).join(', ');
  console.log(`\n${build}:`);
  console.log(`  title, slow line, CPU 4x: median ${Math.round(median(slow.map((v) => v.title)))} ms (${list(slow, 'title')})`);
  console.log(`  from the last byte to the title, CPU 4x: median ${Math.round(median(slow.map((v) => v.afterLastByte)))} ms (${list(slow, 'afterLastByte')})`);
  console.log(`  longest main-thread task, CPU 4x: median ${Math.round(median(slow.map((v) => v.longestTask)))} ms (${list(slow, 'longestTask')})`);
  console.log(`  title, fast line, CPU 6x: median ${Math.round(median(fast.map((v) => v.title)))} ms (${list(fast, 'title')})`);
  console.log(`  sent by the host by the title: ${(median(slow.map((v) => v.sentByTitle)) / 1024).toFixed(1)} KB; ` +
              `with the service worker's copies: ${(median(slow.map((v) => v.sent)) / 1024).toFixed(1)} KB`);
}
