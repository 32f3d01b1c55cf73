// The browser version in headless Chromium over a match: passes a second, passes per display frame
// at the browser's own frame rate and at 120 and 144 Hz (display frames simulated with timers) and at
// half speed, the game's own time per pass (rules and drawing, timed inside the game), what a player
// downloads, and how soon the title shows over a slow line on a slow device. Then with the CPU
// slowed 6x: by keyboard in a desktop window, by touch on a phone with two fingers held, and how
// many passes a touch on Fire waits before a pass shows it. Last, in Chromium, Firefox ESR and
// WebKitGTK, display frames a second of the game in a match with keys held against its floor
// (bench/floor.html: a new 600x500 picture at 60 Hz on a canvas enlarged as the game's is).
//
// Usage: node --experimental-websocket bench/web_bench.mjs --site build-web [--floor]
//   --floor: the engines and their floors only      environment: MATCH_SECONDS (10)
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import zlib from 'node:zlib';
import { parseArgs } from 'node:util';
import * as site from '../tests/web/site.mjs';
import { engines } from './web_engines.mjs';

const { values } = parseArgs({ options: { site: { type: 'string', default: 'build-web' },
                                          floor: { type: 'boolean', default: false } } });
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
    if (window.afterFrame) window.afterFrame();
  });
}

function percentile(sorted, p) {
  return sorted[Math.min(sorted.length - 1, Math.ceil(p / 100 * sorted.length) - 1)];
}

const PHONE = { viewport: { width: 390, height: 844 }, deviceScaleFactor: 3, isMobile: true, hasTouch: true };

// Opens the game, its frames from frameClock(hz), the CPU slowed `slowdown` times, and starts the
// match by the key 1 or, on a touch screen, a touch on the first weapon button, at the game's speed
// in percent, set as the page's controls panel sets it.
async function openMatch(url, hz, device, slowdown, speed = 100) {
  const browser = await site.launchBrowser(device);
  const { page } = browser;
  await page.addInitScript(frameClock, hz);
  await page.goto(url);
  await site.waitForStatus(page, 'Playing');
  await page.evaluate((percent) => Module._grimvaleSetSpeed(percent), speed);
  const cdp = await page.context().newCDPSession(page);
  await cdp.send('Emulation.setCPUThrottlingRate', { rate: slowdown });
  const touch = device.hasTouch ? await site.touchScreen(page) : null;
  if (touch) {
    await touch('touchStart', [await site.centreOf(page, '1 Start', 1)]);
    await page.waitForTimeout(100);
    await touch('touchEnd', []);
  } else {
    await site.holdKey(page, '1', 100);
  }
  await page.waitForTimeout(500);
  return { browser, page, touch };
}

// Walks right and left in turn, a second each, firing all the while: by the arrows and Space, or by
// two fingers on the d-pad and Fire that, as fingers on glass do, shift a little every 50 ms.
async function walkAndFire(page, touch, second) {
  const right = second % 2 === 0;
  if (!touch) {
    const arrow = right ? 'ArrowRight' : 'ArrowLeft';
    await page.keyboard.down(arrow);
    await page.keyboard.down('Space');
    await page.waitForTimeout(1000);
    await page.keyboard.up('Space');
    await page.keyboard.up(arrow);
    return;
  }
  const arrow = await site.centreOf(page, right ? 'Right' : 'Left', 1);
  const fire = await site.centreOf(page, 'Fire', 2);
  const end = Date.now() + 1000;
  await touch('touchStart', [arrow]);
  await touch('touchStart', [arrow, fire]);
  for (let step = 0; Date.now() < end; step++) {
    const shift = step % 2;
    await touch('touchMove', [{ ...arrow, x: arrow.x + shift }, { ...fire, y: fire.y + shift }]);
    await page.waitForTimeout(50);
  }
  await touch('touchEnd', []);
}

async function playMatch(url, hz, device = {}, slowdown = 1, speed = 100) {
  const { browser, page, touch } = await openMatch(url, hz, device, slowdown, speed);

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
  for (let second = 0; second < seconds; second++) {
    await walkAndFire(page, touch, second);
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

// Touches on Fire, the player standing at his start: for each, the display frames and the passes
// from the touch's event to the first frame whose picture shows the shot (1 frame that ran 1 pass:
// the first pass after the event saw the touch; a frame that caught up with several passes cannot
// tell which of them did), and the time from the event to the end of that frame. The region right
// of the player's gun is read when the touch arrives and after every display frame until it changes.
async function touchLatency(url, slowdown, touches) {
  const { browser, page, touch } = await openMatch(url, 0, PHONE, slowdown);
  await page.evaluate(() => {
    const context = Module.canvas.getContext('2d');
    const gunSide = () => context.getImageData(112, 295, 110, 35).data;
    window.seen = [];
    window.addEventListener('pointerdown', () => {
      window.waiting = { pass: Module._grimvalePassesRun(), time: performance.now(), before: gunSide(), frames: 0 };
    }, true);
    window.afterFrame = () => {
      const w = window.waiting;
      if (!w) return;
      w.frames += 1;
      const now = gunSide();
      let changed = false;
      for (let i = 0; i < now.length && !changed; i++) changed = now[i] !== w.before[i];
      if (changed || w.frames > 30) {
        const passes = Module._grimvalePassesRun() - w.pass;
        window.seen.push(changed ? { frames: w.frames, passes, ms: performance.now() - w.time } : null);
        window.waiting = null;
      }
    };
  });
  const fire = await site.centreOf(page, 'Fire', 1);
  for (let n = 0; n < touches; n++) {
    await page.waitForTimeout(400 + Math.random() * 17);  // the last shot gone; the touch anywhere in a frame
    await touch('touchStart', [fire]);
    await page.waitForTimeout(200);
    await touch('touchEnd', []);
  }
  const seen = await page.evaluate(() => window.seen);
  await browser.close();
  return seen;
}

function passFigures(r) {
  return `passes in 10 s: ${r.passesPer10s.toFixed(1)}; frames with 0/1/2/3+ passes: ${r.perFrame.join('/')}; ` +
         `time per pass over ${r.samples}: median ${r.p50.toFixed(3)} ms, p99 ${r.p99.toFixed(3)} ms, max ${r.max.toFixed(3)} ms`;
}

// Every file of the build a first visit fetches (the service worker keeps all but the licence texts),
// raw and gzip -9; and what the host sent over that visit, the service worker's copies included.
async function downloads(url, sent) {
  const browser = await site.launchBrowser();
  await browser.page.goto(url);
  await site.waitForStatus(browser.page, 'Playing');
  await browser.page.waitForFunction(() => navigator.serviceWorker.controller !== null);
  await browser.close();
  const files = fs.readdirSync(values.site).filter((name) => !name.endsWith('.txt')).sort().map((name) => {
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

// Counts the page's display frames from now on, and the game's passes where there is a game;
// window.benchFrames() reads both as rates a second, and whether the game is paused.
function countFrames() {
  const game = window.Module && window.Module._grimvalePassesRun ? window.Module : null;
  const passes = () => (game ? game._grimvalePassesRun() : 0);
  const counted = { frames: 0, t0: performance.now(), p0: passes() };
  const step = () => { counted.frames += 1; requestAnimationFrame(step); };
  requestAnimationFrame(step);
  window.benchFrames = () => {
    const seconds = (performance.now() - counted.t0) / 1000;
    return { fps: counted.frames / seconds, passes: (passes() - counted.p0) / seconds,
             paused: game ? game._grimvalePaused() : 0 };
  };
  return true;
}

const pause = (ms) => new Promise((resolve) => setTimeout(resolve, ms));

// CPU time in ms, user and system, of every process this bench started (the browsers and their
// helpers), from /proc: a frame's cost, which a busy machine hides less than it hides frames a second.
function browsersCpuMs() {
  const parent = new Map(), cpu = new Map();
  for (const entry of fs.readdirSync('/proc')) {
    if (!/^\d+$/.test(entry)) continue;
    try {
      const stat = fs.readFileSync(`/proc/${entry}/stat`, 'utf8');
      const fields = stat.slice(stat.lastIndexOf(')') + 2).split(' ');
      parent.set(Number(entry), Number(fields[1]));
      cpu.set(Number(entry), (Number(fields[11]) + Number(fields[12])) * 1000 / 100);  // clock ticks of 10 ms
    } catch { /* a process that ended meanwhile */ }
  }
  const ours = (pid) => {
    for (let up = parent.get(pid), steps = 0; up && steps < 64; up = parent.get(up), steps++) if (up === process.pid) return true;
    return false;
  };
  let total = 0;
  for (const [pid, ms] of cpu) if (ours(pid)) total += ms;
  return total;
}

// One page in one engine over `seconds`, Space held and the arrows right and left by turns, a
// second each: on the game's page a match, started by the key 1 once the game plays.
async function framesASecond(browser, url, game) {
  await browser.goto(url);
  if (game) {
    for (let tries = 0; !(await browser.evaluate("document.getElementById('status').textContent")).startsWith('Playing'); tries++) {
      if (tries > 400) throw new Error(`${browser.name}: the game did not start`);
      await pause(50);
    }
    await browser.keyDown('1');
    await pause(100);
    await browser.keyUp('1');
  }
  await pause(500);
  const cpuBefore = browsersCpuMs();
  await browser.evaluate(`(${countFrames})()`);
  await browser.keyDown('Space');
  for (let second = 0; second < seconds; second++) {
    const arrow = second % 2 === 0 ? 'ArrowRight' : 'ArrowLeft';
    await browser.keyDown(arrow);
    await pause(1000);
    await browser.keyUp(arrow);
  }
  await browser.keyUp('Space');
  const counted = await browser.evaluate('window.benchFrames()');
  return { ...counted, cpuPerFrame: (browsersCpuMs() - cpuBefore) / (counted.fps * seconds) };
}

// Game and floor by turns, three of each in one browser, each engine in turn: the medians.
async function gameAgainstFloor(gameUrl, floorUrl) {
  const median = (list) => list.slice().sort((a, b) => a - b)[Math.floor(list.length / 2)];
  for (const start of Object.values(engines)) {
    const browser = await start();
    try {
      const game = [], floor = [];
      for (let run = 0; run < 3; run++) {
        game.push(await framesASecond(browser, gameUrl, true));
        floor.push(await framesASecond(browser, floorUrl, false));
      }
      const g = median(game.map((r) => r.fps)), f = median(floor.map((r) => r.fps));
      const cpu = (runs) => median(runs.map((r) => r.cpuPerFrame)).toFixed(1);
      console.log(`  ${browser.name.padEnd(12)} game ${g.toFixed(1)} frames a second (${game.map((r) => r.fps.toFixed(1)).join(', ')}; ` +
                  `passes a second ${game.map((r) => r.passes.toFixed(1)).join(', ')}${game.some((r) => r.paused) ? ', paused' : ''}), ` +
                  `floor ${f.toFixed(1)} (${floor.map((r) => r.fps.toFixed(1)).join(', ')}): ${(g / f).toFixed(2)} of the floor; ` +
                  `the browser's CPU a frame: game ${cpu(game)} ms, floor ${cpu(floor)} ms`);
    } finally {
      await browser.close();
    }
  }
}

// The floor page, served beside the game's layout.js.
async function serveFloor() {
  const folder = fs.mkdtempSync(path.join(os.tmpdir(), 'grimvale-floor-'));
  fs.copyFileSync(new URL('floor.html', import.meta.url), path.join(folder, 'floor.html'));
  fs.copyFileSync(path.join(values.site, 'layout.js'), path.join(folder, 'layout.js'));
  const server = await site.serve(folder);
  return { url: `${server.url}floor.html`, close: async () => { await server.close(); fs.rmSync(folder, { recursive: true }); } };
}

async function floorSection(gameUrl) {
  const floor = await serveFloor();
  try {
    console.log(`\nDisplay frames a second over a match of ${seconds} s with keys held, the game against its floor (medians of 3, by turns):`);
    await gameAgainstFloor(gameUrl, floor.url);
  } finally {
    await floor.close();
  }
}

console.log(`machine: ${os.cpus().length} cores, load average ${os.loadavg().map((l) => l.toFixed(2)).join(' ')}`);
const server = await site.serve(values.site);
try {
  if (values.floor) {
    await floorSection(server.url);
    await server.close();
    process.exit(0);
  }
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
    const r = await playMatch(server.url, hz, {}, 1, speed);
    console.log(`  speed ${speed}, frames: ${hz ? `${hz} Hz (timers)` : 'the browser\'s own'} at ${r.framesPerSecond.toFixed(1)} a second; ${passFigures(r)}`);
  }

  const slowdown = 6;
  console.log(`\nThe CPU slowed ${slowdown}x, a match of ${seconds} s walking and firing:`);
  for (const [how, device] of [['by keyboard, 1000x760 window', {}], ['by touch, 390x844 phone, two fingers', PHONE]]) {
    console.log(`  ${how}: ${passFigures(await playMatch(server.url, 0, device, slowdown))}`);
  }
  const seen = await touchLatency(server.url, slowdown, 10);
  const shown = seen.filter((s) => s);
  const firstPass = shown.filter((s) => s.frames === 1 && s.passes === 1).length;
  const ms = shown.map((s) => s.ms).sort((a, b) => a - b);
  console.log(`  a touch on Fire, ${seen.length} times: seen by the first pass after its event ${firstPass} times; ` +
              `frames/passes from the event to the shot on screen: ${seen.map((s) => (s ? `${s.frames}/${s.passes}` : 'never')).join(' ')}; ` +
              `event to the end of that frame: median ${percentile(ms, 50).toFixed(1)} ms, longest ${ms[ms.length - 1].toFixed(1)} ms`);
  await floorSection(server.url);
} finally {
  await server.close();
}
