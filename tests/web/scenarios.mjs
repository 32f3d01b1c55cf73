// The browser version played as a person would, in headless Chromium: the page and the title
// picture, the match, the end and a new game, a host missing the game's files, and the game
// installed from a sub-path of a host, then played with the host gone.
//
// Usage: node scenarios.mjs SCENARIO --site build-web --root REPO --keep DIR
// Exits 0 when every check holds; otherwise says what was seen, keeps the page's screenshots as
// PNG files under DIR/SCENARIO and exits 1.
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { parseArgs } from 'node:util';
import * as site from './site.mjs';

const PLAYER_START = { x: 100, y: 300 };
const TOLERANCE = 3;  // colour rounding allowed between the browser's decoding of a BMP and the file

const { positionals, values } = parseArgs({
  allowPositionals: true,
  options: { site: { type: 'string' }, root: { type: 'string' }, keep: { type: 'string' } },
});
const scenario = positionals[0];
const graphics = (name) => site.readBmp(path.join(values.root, 'Graphics', name));
const shotsDir = fs.mkdtempSync(path.join(os.tmpdir(), 'grimvale-web-shots-'));
const shots = [];

function check(condition, message) {
  if (!condition) throw new Error(message);
}

async function screenshot(page, name) {
  const file = path.join(shotsDir, `${shots.length + 1}-${name}.png`);
  await page.screenshot({ path: file });
  shots.push(file);
}

// Opens the page and waits for the game to run, its title picture drawn.
async function openGame(page, url) {
  await page.goto(url);
  await site.waitForStatus(page, 'Playing');
  await page.waitForFunction(() => Module._grimvalePassesRun() > 2);
}

// Retries a check for a few seconds: on a busy machine the pass that shows a change may come late.
async function eventually(checkOnce, ms = 3000) {
  const end = Date.now() + ms;
  for (;;) {
    try {
      return await checkOnce();
    } catch (error) {
      if (Date.now() > end) throw error;
    }
  }
}

async function checkTitle(page, when) {
  const shown = await site.canvasPixels(page);
  const off = site.countDiffering(shown, graphics('bg.bmp'), TOLERANCE);
  check(off === 0, `${when}: ${off} pixels of the canvas differ from Graphics/bg.bmp`);
}

async function startMatch(page) {
  await site.holdKey(page, '1', 100);
  await eventually(async () => {
    const off = site.countDiffering(await site.canvasPixels(page), graphics('map1.bmp'), TOLERANCE);
    // The actors, their names, the hint and the heads-up line cover a few percent of the arena.
    check(off < 0.05 * site.SCREEN_W * site.SCREEN_H, `after the key 1, ${off} pixels differ from the arena`);
  });
}

async function playerAt(page, sprite) {
  const found = site.findSprite(await site.canvasPixels(page), graphics(sprite), 0, 250, 580, 350);
  return found.length === 1 ? found[0] : null;
}

const scenarios = {
  // The page as it opens: the title picture, the canvas holding the keyboard, whole-number
  // enlargement with crisp pixels, the game's keys never scrolling the page, the pause, full screen.
  async title({ page, url }) {
    await openGame(page, url);
    await screenshot(page, 'title');
    await checkTitle(page, 'on the title screen');
    check(await page.evaluate(() => document.activeElement.id) === 'canvas', 'the canvas does not have the keyboard');
    check(await page.evaluate(() => getComputedStyle(document.getElementById('canvas')).imageRendering) === 'pixelated', 'the canvas is smoothed');

    await page.setViewportSize({ width: 1400, height: 1200 });
    await page.waitForTimeout(200);
    await screenshot(page, 'enlarged');
    const box = await page.locator('#canvas').boundingBox();
    check(box.width === 1200 && box.height === 1000, `in a 1400x1200 window the canvas is ${box.width}x${box.height}, not twice 600x500`);

    await page.evaluate(() => {
      window.prevented = [];
      window.addEventListener('keydown', (event) => window.prevented.push(event.defaultPrevented));
    });
    for (const key of ['ArrowDown', 'ArrowRight', 'Space']) await site.holdKey(page, key, 50);
    const prevented = await page.evaluate(() => window.prevented);
    check(prevented.length === 3 && prevented.every((p) => p), `arrows and space reach the page: ${prevented}`);

    // Without the keyboard the game pauses, as a desktop window does; a click and P bring it back.
    await page.focus('#fullscreen');
    await eventually(async () => {
      const dimmed = site.countDiffering(await site.canvasPixels(page), graphics('bg.bmp'), TOLERANCE);
      check(dimmed > 0.9 * site.SCREEN_W * site.SCREEN_H, `with the keyboard elsewhere only ${dimmed} pixels dimmed`);
    });
    await screenshot(page, 'paused');
    await page.click('#canvas');
    check(await page.evaluate(() => document.activeElement.id) === 'canvas', 'a click does not give the canvas the keyboard');
    await site.holdKey(page, 'p', 100);
    await eventually(() => checkTitle(page, 'after the pause'));

    // The full-screen button takes the game's part of the page full screen, the keyboard staying put.
    await page.click('#fullscreen');
    await page.waitForFunction(() => document.fullscreenElement !== null, null, { timeout: 5000 });
    await screenshot(page, 'full-screen');
    const held = await page.evaluate(() => [document.fullscreenElement.id, document.activeElement.id]);
    check(held[0] === 'stage' && held[1] === 'canvas', `full screen shows #${held[0]}, the keyboard is on #${held[1]}`);
    await checkTitle(page, 'in full screen');
  },

  // The key 1 opens the arena, the right arrow walks the player, the space bar fires.
  async match({ page, url }) {
    await openGame(page, url);
    await startMatch(page);
    await screenshot(page, 'arena');
    const start = await playerAt(page, 'swatr.bmp');
    check(start && start.x === PLAYER_START.x && start.y === PLAYER_START.y,
          `the player is not at his start facing right: ${JSON.stringify(start)}`);

    await site.holdKey(page, 'ArrowRight', 400);
    await screenshot(page, 'walked');
    const walked = await playerAt(page, 'swatr.bmp');
    check(walked && walked.x >= start.x + 20 && walked.y === start.y,
          `holding the right arrow left the player at ${JSON.stringify(walked)}`);

    const bullet = graphics('bullet.bmp');
    await page.keyboard.down('Space');
    let shot = [];
    for (let tries = 0; tries < 20 && shot.length === 0; tries++) {
      const shown = await site.canvasPixels(page);
      shot = site.findSprite(shown, bullet, walked.x + 12, walked.y, site.SCREEN_W, walked.y + 20, 4);
    }
    await screenshot(page, 'fired');
    await page.keyboard.up('Space');
    check(shot.length > 0, 'no shot flies to the right of the player while the space bar is held');
  },

  // Escape ends the game and says so; "Play again" starts a new one from the title picture.
  async ending({ page, url }) {
    await openGame(page, url);
    await startMatch(page);
    await site.holdKey(page, 'Escape', 100);
    await site.waitForStatus(page, 'The game has ended.', 5000);
    await screenshot(page, 'ended');
    const passes = await page.evaluate(() => Module._grimvalePassesRun());
    await page.waitForTimeout(300);
    check(await page.evaluate(() => Module._grimvalePassesRun()) === passes, 'passes still run after the end');

    await page.click('text=Play again');
    await site.waitForStatus(page, 'Playing');
    await page.waitForFunction(() => Module._grimvalePassesRun() > 2);
    await screenshot(page, 'again');
    await checkTitle(page, 'after "Play again"');
    check(await page.evaluate(() => document.activeElement.id) === 'canvas', 'the new game does not have the keyboard');
    await startMatch(page);
    check(await playerAt(page, 'swatr.bmp') !== null, 'the new match has no player at his start');
  },

  // Over a slow line the page counts the files in; a host without the packed game files, the
  // WebAssembly module or the script, and a browser without WebAssembly: the page says why the
  // game could not start.
  async loading({ page, url, restart }) {
    const line = await page.context().newCDPSession(page);
    await line.send('Network.emulateNetworkConditions', { offline: false, latency: 50, downloadThroughput: 5e4, uploadThroughput: 5e4 });
    const opening = page.goto(url);
    const said = new Set();
    for (let text = ''; !text.startsWith('Playing'); text = await site.statusText(page)) if (text) said.add(text);
    await opening;
    await line.send('Network.emulateNetworkConditions', { offline: false, latency: 0, downloadThroughput: -1, uploadThroughput: -1 });
    const progress = [...said].filter((text) => /^Loading the game files: \d+% of \d+ KB$/.test(text));
    check(progress.length >= 3 && [...said].every((text) => text.startsWith('Loading')),
          `while the files arrive the page says: ${[...said].join(' | ')}`);

    for (const missing of ['grimvale.data', 'grimvale.wasm', 'grimvale.js']) {
      const host = await restart([missing]);
      await page.goto(host.url);
      const said = await site.waitForStatus(page, 'Could not start the game: ', 10000);
      await screenshot(page, `without-${missing}`);
      check(said.includes(`${missing} did not load`), `without ${missing} the page says "${said}"`);
    }
    await page.addInitScript(() => { delete window.WebAssembly; });
    await page.goto(url);
    await site.waitForStatus(page, 'Could not start the game: ', 10000);
    await screenshot(page, 'without-webassembly');
  },

  // build-web/ is light enough for a slow line; served under a sub-path, one visit makes the page an
  // installable app whose service worker keeps its files, and with the host gone a reload plays.
  async offline({ page, restart }) {
    const folder = fs.readdirSync(values.site).reduce((sum, name) => sum + fs.statSync(path.join(values.site, name)).size, 0);
    check(folder <= 300 * 1024, `build-web/ holds ${(folder / 1024).toFixed(1)} KB, more than 300 KB`);

    const host = await restart([], '/games/grimvale/');
    await openGame(page, host.url);
    await page.waitForFunction(() => navigator.serviceWorker.controller !== null, null, { timeout: 10000 });
    const devtools = await page.context().newCDPSession(page);
    const { installabilityErrors } = await devtools.send('Page.getInstallabilityErrors');
    check(installabilityErrors.length === 0, `Chromium would not install the page: ${JSON.stringify(installabilityErrors)}`);

    await host.close();
    await openGame(page, host.url);
    await screenshot(page, 'offline');
    await checkTitle(page, 'with the host gone');
  },
};

async function main() {
  if (!scenarios[scenario]) throw new Error(`no scenario "${scenario}"; there are: ${Object.keys(scenarios).join(', ')}`);
  let server = await site.serve(values.site);
  const extra = [];
  const restart = async (missing, base) => {
    const other = await site.serve(values.site, missing, base);
    extra.push(other);
    return other;
  };
  const browser = await site.launchBrowser();
  const errors = [];
  browser.page.on('pageerror', (error) => errors.push(error.message));
  try {
    await scenarios[scenario]({ page: browser.page, url: server.url, restart });
    if (scenario !== 'loading') check(errors.length === 0, `the page threw: ${errors.join('; ')}`);
    fs.rmSync(shotsDir, { recursive: true, force: true });
    console.log(`web.${scenario}: passed`);
  } catch (error) {
    try { await screenshot(browser.page, 'failed'); } catch { /* the page may be gone */ }
    const keep = path.join(values.keep, scenario);
    fs.rmSync(keep, { recursive: true, force: true });
    fs.mkdirSync(keep, { recursive: true });
    for (const file of shots) fs.copyFileSync(file, path.join(keep, path.basename(file)));
    fs.rmSync(shotsDir, { recursive: true, force: true });
    console.log(`web.${scenario}: FAILED: ${error.message}`);
    console.log(`screenshots kept in ${keep}: ${shots.map((f) => path.basename(f)).join(', ')}`);
    process.exitCode = 1;
  } finally {
    await browser.close();
    for (const s of [server, ...extra]) await s.close();
  }
}

await main();
