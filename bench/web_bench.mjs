// The browser version in headless Chromium over a match: passes a second, passes per display frame
// at the browser's own frame rate and at 120 and 144 Hz (display frames simulated with timers) and at
// half speed, the game's own time per pass (rules and drawing, timed inside the game), what a player
// downloads, and how soon the title shows over a slow line on a slow device.
//
// Usage: node bench/web_bench.mjs --site build-web     environment: MATCH_SECONDS (10)
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import zlib from 'node:zlib';
import { parseArgs } from 'node:util';
import * as site from '../tests/web/site.mjs';

const { values } = parseArgs({ options: { site: { type: 'string', default: 'build-web' } } });
const seconds = Number(process.env.MATCH_SECONDS || 10);

// Replaces the display's frames with timer frames at hz (0: the browser's own), and logs the game's
// pass count at the end of every frame once window.logFrames is set.
function frameClock(hz) {
  const display = window.requestAnimationFrame.bind(window);
  // Frames fall on a fixed grid of 1000/hz ms; one asked for after a frame or more of silence (the
  // page loading) joins the grid from now instead of firing the missed frames at once.
  let due = performance.now();
  const timerFrame = (callback) => {
    const now = performance.now();
    due = due + 1000 / hz < now ? now : due + 1000 / hz;
    setTimeout(() => callback(performance.now()), due - now);
  };
  const next = hz ? timerFrame : display;
  window.frameLog = [];
  window.requestAnimationFrame = (callback) => next((time) => {
    callback(time);
    if (window.logFrames) window.frameLog.push(window.Module._grimvalePassesRun());
  });
}

function percentile(sorted, p) {
  return sorted[Math.min(sorted.length - 1, Math.ceil(p / 100 * sorted.length) - 1)];
}

// A match at the game's speed in percent, set as the page's controls panel sets it.
async function playMatch(url, hz, speed = 100) {
  const browser = await site.launchBrowser();
  const { page } = browser;
  await page.addInitScript(frameClock, hz);
  await page.goto(url);
  await site.waitForStatus(page, 'Playing');
  await page.evaluate((percent) => Module._grimvaleSetSpeed(percent), speed);
  await site.holdKey(page, '1', 100);
  await page.waitForTimeout(500);

  const [t0, p0] = await page.evaluate(() => { window.logFrames = true; return [performance.now(), Module._grimvalePassesRun()]; });
  const times = [];
  let taken = p0;
  const collect = async () => {
    const [samples, upTo] = await page.evaluate((from) => {
      const upTo = Module._grimvalePassesRun();
      const samples = [];
      for (let pass = from; pass < upTo; pass++) samples.push(Module._grimvalePassMs(pass));
      return [samples, upTo];
    }, taken);
    times.push(...samples);
    taken = upTo;
  };
  // Walks back and forth firing, a second each way, so the match has shots, hits and the walls' work.
  for (let second = 0; second < seconds; second++) {
    const arrow = second % 2 === 0 ? 'ArrowRight' : 'ArrowLeft';
    await page.keyboard.down(arrow);
    await page.keyboard.down('Space');
    await page.waitForTimeout(1000);
    await page.keyboard.up('Space');
    await page.keyboard.up(arrow);
    await collect();
  }
  const [t1, p1, frameLog] = await page.evaluate(() => {
    window.logFrames = false;
    return [performance.now(), Module._grimvalePassesRun(), window.frameLog];
  });
  await collect();
  await browser.close();

  const perFrame = [0, 0, 0, 0];
  for (let i = 1; i < frameLog.length; i++) perFrame[Math.min(3, frameLog[i] - frameLog[i - 1])] += 1;
  const sorted = times.filter((t) => t >= 0).sort((a, b) => a - b);
  return {
    passesPer10s: (p1 - p0) * 10000 / (t1 - t0),
    framesPerSecond: (frameLog.length - 1) * 1000 / (t1 - t0),
    perFrame,
    samples: sorted.length,
    p50: percentile(sorted, 50),
    p99: percentile(sorted, 99),
    max: sorted[sorted.length - 1],
  };
}

// Every file of the build, which a first visit fetches (the service worker keeps them all), raw and
// gzip -9; and what the host sent over that visit, the service worker's copies included.
async function downloads(url, sent) {
  const browser = await site.launchBrowser();
  await browser.page.goto(url);
  await site.waitForStatus(browser.page, 'Playing');
  await browser.page.waitForFunction(() => navigator.serviceWorker.controller !== null);
  await browser.close();
  const files = fs.readdirSync(values.site).sort().map((name) => {
    const bytes = fs.readFileSync(path.join(values.site, name));
    return { name, raw: bytes.length, gzip: zlib.gzipSync(bytes, { level: 9 }).length };
  });
  return { files, sent: sent() };
}

// From navigation to the title on screen (the game's first pass drawn) on a first visit over a line
// of 1.6 Mbit/s each way with 150 ms round trips, from a host that compresses nothing, the CPU
// slowed 4 times.
async function titleOverSlowLine(url) {
  const browser = await site.launchBrowser();
  const { page } = browser;
  const devtools = await page.context().newCDPSession(page);
  await devtools.send('Network.enable');
  await devtools.send('Network.emulateNetworkConditions',
                      { offline: false, latency: 150, downloadThroughput: 1.6e6 / 8, uploadThroughput: 1.6e6 / 8 });
  await devtools.send('Emulation.setCPUThrottlingRate', { rate: 4 });
  await page.goto(url, { waitUntil: 'commit' });
  const shown = await page.waitForFunction(
    () => (window.Module && window.Module.calledRun && window.Module._grimvalePassesRun() > 0 ? performance.now() : 0),
    null, { polling: 'raf', timeout: 120000 });
  const ms = await shown.jsonValue();
  await browser.close();
  return ms;
}

console.log(`machine: ${os.cpus().length} cores, load average ${os.loadavg().map((l) => l.toFixed(2)).join(' ')}`);
const server = await site.serve(values.site);
try {
  const kb = (n) => `${(n / 1024).toFixed(1)} KB`;
  const { files, sent } = await downloads(server.url, server.sent);
  console.log('Downloads (file, raw, gzip -9):');
  for (const f of files) console.log(`  ${f.name.padEnd(20)} ${kb(f.raw).padStart(12)} ${kb(f.gzip).padStart(12)}`);
  const total = files.reduce((sum, f) => ({ raw: sum.raw + f.raw, gzip: sum.gzip + f.gzip }), { raw: 0, gzip: 0 });
  console.log(`  ${'total'.padEnd(20)} ${kb(total.raw).padStart(12)} ${kb(total.gzip).padStart(12)}`);
  console.log(`  sent by the host over a first visit, the service worker's copies included: ${kb(sent)}`);

  const slow = [];
  for (let run = 0; run < 3; run++) slow.push(await titleOverSlowLine(server.url));
  console.log(`\nTitle on screen over 1.6 Mbit/s, 150 ms round trips, CPU slowed 4x: ${slow.map((ms) => `${(ms / 1000).toFixed(2)} s`).join(', ')}`);

  console.log(`\nA match of ${seconds} s, walking and firing:`);
  for (const [hz, speed] of [[0, 100], [120, 100], [144, 100], [0, 50]]) {
    const r = await playMatch(server.url, hz, speed);
    console.log(`  speed ${speed}, frames: ${hz ? `${hz} Hz (timers)` : 'the browser\'s own'} at ${r.framesPerSecond.toFixed(1)} a second; ` +
                `passes in 10 s: ${r.passesPer10s.toFixed(1)}; frames with 0/1/2/3+ passes: ${r.perFrame.join('/')}; ` +
                `time per pass over ${r.samples}: median ${r.p50.toFixed(3)} ms, p99 ${r.p99.toFixed(3)} ms, ` +
                `max ${r.max.toFixed(3)} ms`);
  }
} finally {
  await server.close();
}
