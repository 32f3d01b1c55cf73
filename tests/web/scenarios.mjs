// The browser version played as a person would, in headless Chromium (or Firefox ESR, WebKitGTK): the page and the title
// picture, the match, the end and a new game, a host missing the game's files, and the game
// installed from a sub-path of a host, then played with the host gone; and axe-core's rules.
//
// Usage: node scenarios.mjs SCENARIO --site build-web --root REPO --keep DIR [--engine chromium|firefox|webkit]
// Exits 0 when every check holds; otherwise says what was seen, keeps the page's screenshots as
// PNG files under DIR/SCENARIO and exits 1.
import crypto from 'node:crypto';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import zlib from 'node:zlib';
import { parseArgs } from 'node:util';
import * as site from './site.mjs';

const PLAYER_START = { x: 100, y: 300 };
const TOLERANCE = 3;  // colour rounding allowed between the browser's decoding of a BMP and the file

const { positionals, values } = parseArgs({
  allowPositionals: true,
  options: { site: { type: 'string' }, root: { type: 'string' }, keep: { type: 'string' },
             engine: { type: 'string', default: 'chromium' } },
});
const scenario = positionals[0];
const engine = values.engine;
const testName = engine === 'chromium' ? `web.${scenario}` : `web.${engine}.${scenario}`;
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

// The pictures' worker ends once every picture is in, or at once when the pack fails, rather than
// waiting for pictures that never come (Chromium's driver lists a page's workers).
async function checkWorkerEnded(page, engine, when) {
  if (engine !== 'chromium') return;
  await eventually(async () => {
    if (page.workers().length > 0) await page.waitForTimeout(100);
    check(page.workers().length === 0, `${when} the pictures' worker is left running`);
  });
}

async function checkTitle(page, when) {
  const shown = await site.canvasPixels(page);
  const off = site.countDiffering(shown, graphics('bg.bmp'), TOLERANCE);
  check(off === 0, `${when}: ${off} pixels of the canvas differ from Graphics/bg.bmp`);
}

// Each picture the game loaded sits on its surface's canvas as the page decoded it, and locking
// the surface still hands the game those pixels; the two fonts' textures came out of the game's
// memory whole and in place (as many inked pixels in each row of cells as the font's file has).
async function checkSurfaces(page, when) {
  const inkByRow = (pixels, side, inked) => {
    const rows = new Array(16).fill(0);
    for (let i = 0; i < side * side; i++) if (inked(pixels, i)) rows[Math.floor(i / side / (side / 16))]++;
    return rows.join();
  };
  const fontInk = Object.fromEntries(['font1', 'font2'].map((font) => {
    const raw = fs.readFileSync(path.join(values.root, 'data', font, 'font.raw'));
    const side = Math.sqrt(raw.length);
    return [side, inkByRow(raw, side, (bytes, i) => bytes[i] > 0)];
  }));
  // The pictures' surfaces blit from the decoded pictures themselves; the fonts' surfaces have a
  // canvas each, which no other surface holds and the emulated SDL does not keep for its next one.
  const kept = await page.evaluate(() => {
    const live = Object.values(SDL.surfaces).filter((data) => data && !data.usePageCanvas);
    const pictures = live.filter((data) => data.source.startsWith('load:'));
    const fonts = live.filter((data) => !data.source.startsWith('load:'));
    return { straight: pictures.filter((data) => data.canvas === Module.preloadedImages[data.source.slice(5)]).length,
             pictures: pictures.length, fonts: fonts.length, fontCanvases: new Set(fonts.map((data) => data.canvas)).size,
             pooled: live.filter((data) => SDL.canvasPool.includes(data.canvas)).length };
  });
  check(kept.straight === 17 && kept.pictures === 17 && kept.fonts === 2 && kept.fontCanvases === 2 && kept.pooled === 0,
        `${when}, surfaces held: ${JSON.stringify(kept)}`);
  const surfaces = await page.evaluate(([fontInk, inkByRowText]) => {
    const inkByRow = eval(inkByRowText);
    const wrong = [];
    const counted = { pictures: 0, fonts: 0 };
    for (const [surf, data] of Object.entries(SDL.surfaces)) {
      if (!data || data.usePageCanvas || !data.ctx) continue;
      const seen = data.ctx.getImageData(0, 0, data.width, data.height).data;
      if (data.source.startsWith('load:')) {
        counted.pictures++;
        const picture = Module.preloadedImages[data.source.slice(5)];
        const drawn = new OffscreenCanvas(picture.width, picture.height).getContext('2d');
        drawn.drawImage(picture, 0, 0);
        const decoded = drawn.getImageData(0, 0, picture.width, picture.height).data;
        if (decoded.length !== seen.length || decoded.some((v, i) => v !== seen[i])) wrong.push(`${data.source} drawn`);
        _SDL_LockSurface(Number(surf));
        if (HEAPU8.subarray(data.buffer, data.buffer + seen.length).some((v, i) => v !== seen[i])) wrong.push(`${data.source} locked`);
        _SDL_UnlockSurface(Number(surf));
      }
      if (data.source === 'copy:CreateRGBSurfaceFrom') {
        counted.fonts++;
        const ink = inkByRow(seen, data.width, (pixels, i) => pixels[4 * i + 3] > 0);
        if (ink !== fontInk[data.width]) wrong.push(`a font's texture of ${data.width}: ink by row of cells ${ink}, not ${fontInk[data.width]}`);
      }
    }
    return { ...counted, wrong };
  }, [fontInk, inkByRow.toString()]);
  check(surfaces.pictures === 17 && surfaces.fonts === 2 && surfaces.wrong.length === 0,
        `${when}, pictures ${surfaces.pictures} of 17, fonts ${surfaces.fonts} of 2, wrong: ${surfaces.wrong.join(', ')}`);
}

async function checkArena(page, after) {
  await eventually(async () => {
    const off = site.countDiffering(await site.canvasPixels(page), graphics('map1.bmp'), TOLERANCE);
    // The actors, their names, the hint and the heads-up line cover a few percent of the arena.
    check(off < 0.05 * site.SCREEN_W * site.SCREEN_H, `after ${after}, ${off} pixels differ from the arena`);
  });
}

async function startMatch(page) {
  await site.holdKey(page, '1', 100);
  await checkArena(page, 'the key 1');
}

// Where the player stands, facing the sprite's way. A shot leaves from the player's middle, drawn
// there over him in its first frame (2 pixels off it while he walks), so that square of his may be
// covered.
async function playerAt(page, sprite) {
  const shotLeaves = { x: 8, y: 8, size: 8 };
  const found = site.findSprite(await site.canvasPixels(page), graphics(sprite), 0, 250, site.SCREEN_W, 350, 8, shotLeaves);
  return found.length === 1 ? found[0] : null;
}

// Whether a shot flies to the right (or the left) of the player at `from` while the fire key is held.
async function shotRightOf(page, from, leftward = false) {
  const bullet = graphics('bullet.bmp');
  for (let tries = 0; tries < 20; tries++) {
    const shown = await site.canvasPixels(page);
    const [x0, x1] = leftward ? [0, from.x] : [from.x + 12, site.SCREEN_W];
    if (site.findSprite(shown, bullet, x0, from.y, x1, from.y + 20, 4).length > 0) return true;
  }
  return false;
}

// The enemy walks up to the player and shoots him about 400 passes into a match.
const ENEMY_ARRIVES = 350;

// On a phone's title: Knife starts the match, two fingers walk right and fire, then land together
// on Left and Fire, and a thumb slides from Right to Up. Gives the first check that failed, if any,
// and how many passes of the match it took, so that a machine too busy to be done before the enemy
// arrives can try again.
async function walkAndFire(page, size) {
  const touch = await site.touchScreen(page);
  const knife = await site.centreOf(page, '1 Start', 1);
  await touch('touchStart', [knife]);
  await page.waitForTimeout(100);
  await touch('touchEnd', []);
  let failed = null;
  let started = null;
  try {
    await checkArena(page, `a touch on Knife at ${size}`);
    started = await page.evaluate(() => Module._grimvalePassesRun());
    const start = await playerAt(page, 'swatr.bmp');
    await site.waitForStatus(page, 'Playing: the match has started.', 3000);
    const right = await site.centreOf(page, 'Right', 2);
    const fire = await site.centreOf(page, 'Fire', 3);
    await touch('touchStart', [right]);
    await touch('touchStart', [right, fire]);
    await page.waitForTimeout(400);
    const walked = await playerAt(page, 'swatr.bmp');
    const shot = walked && await shotRightOf(page, walked);
    await touch('touchEnd', []);
    check(start && walked && walked.x >= start.x + 20 && walked.y === start.y,
          `at ${size} holding Right walked the player from ${JSON.stringify(start)} to ${JSON.stringify(walked)}`);
    check(shot, `at ${size} no shot flies while Fire is held`);
    // Two fingers that land in the same touch hold both controls: back to the left, firing.
    const beforeLeft = await playerAt(page, 'swatr.bmp');
    await touch('touchStart', [await site.centreOf(page, 'Left', 2), fire]);
    await page.waitForTimeout(400);
    const together = await playerAt(page, 'swatl.bmp');
    const shotTogether = together && await shotRightOf(page, together, true);
    await touch('touchEnd', []);
    check(beforeLeft && together && together.x <= beforeLeft.x - 20 && shotTogether,
          `at ${size} two fingers landing together on Left and Fire walked the player from ${JSON.stringify(beforeLeft)} to ${JSON.stringify(together)}, ${shotTogether ? 'firing' : 'firing nothing'}`);

    await touch('touchStart', [right]);
    await page.waitForTimeout(150);
    await touch('touchMove', [await site.centreOf(page, 'Up', 2)]);
    await eventually(async () => check(await playerAt(page, 'swatu.bmp'), `at ${size} sliding to Up does not turn the player up`));
    await screenshot(page, `${size}-walked`);
    await touch('touchEnd', []);
  } catch (error) {
    failed = error.message;
  }
  const passes = started === null ? 0 : await page.evaluate(() => Module._grimvalePassesRun()) - started;
  return { failed, passes };
}

// grimvale.pack (web/tools/pack.mjs) made again with change(name, bytes) giving each part's bytes,
// and the parts named in `last` moved to its end, in that order.
function repacked(file, change, last = []) {
  const inflated = zlib.gunzipSync(fs.readFileSync(file));
  const parts = [];
  for (let at = inflated.indexOf(10) + 1; at < inflated.length;) {
    const newline = inflated.indexOf(10, at);
    const [name, length] = inflated.subarray(at, newline).toString().split(' ');
    parts.push([name, change(name, inflated.subarray(newline + 1, newline + 1 + Number(length)))]);
    at = newline + 1 + Number(length);
  }
  const rank = ([name]) => last.indexOf(name);
  parts.sort((a, b) => rank(a) - rank(b));  // stable: the others keep their order, ahead of `last`
  const pieces = [inflated.subarray(0, inflated.indexOf(10) + 1), ...parts.flatMap(([name, bytes]) => [Buffer.from(`${name} ${bytes.length}\n`), bytes])];
  return zlib.gzipSync(Buffer.concat(pieces), { level: 9 });
}

// Build B: this build with a mark of its own at the end of the runtime in grimvale.pack (setting
// window.buildB), its service worker's hashes and name made again as scripts/build-web makes them.
function makeBuildB(from, to) {
  fs.cpSync(from, to, { recursive: true });
  const pack = repacked(path.join(from, 'grimvale.pack'),
                        (name, bytes) => (name === 'grimvale.js' ? Buffer.concat([bytes, Buffer.from('\nwindow.buildB = true;\n')]) : bytes));
  fs.writeFileSync(path.join(to, 'grimvale.pack'), pack);
  const hash = crypto.createHash('sha256').update(pack).digest('base64');
  const worker = fs.readFileSync(path.join(to, 'sw.js'), 'utf8').replace(/const BUILD\s*=\s*"[^"]*"/, 'const BUILD="b"')
    .replace(/"grimvale\.pack"\s*:\s*"sha256-[^"]*"/, `"grimvale.pack":"sha256-${hash}"`);
  check(worker.includes('"b"') && worker.includes(hash), 'sw.js is not written as the test expects');
  fs.writeFileSync(path.join(to, 'sw.js'), worker);
  return to;
}

// Opens the game, then waits for the browser's look for a new build to end, installed or refused.
async function visitAndUpdate(page, url) {
  await openGame(page, url);
  await page.waitForFunction(() => navigator.serviceWorker.controller !== null, null, { timeout: 10000 });
  await page.evaluate(async () => {
    const registration = await navigator.serviceWorker.getRegistration();
    await registration.update().catch(() => {});
    for (let waited = 0; registration.installing && waited < 10000; waited += 50) await new Promise((done) => setTimeout(done, 50));
  });
}

const scenarios = {
  // The page as it opens: the title picture, the canvas holding the keyboard, whole-number
  // enlargement with crisp pixels, the game's keys never scrolling the page, the pause, full screen.
  async title({ launch, url }) {
    const page = await launch();
    // The service worker is asked to keep the files only once the game has shown its first frame.
    await page.addInitScript(() => {
      const register = ServiceWorkerContainer.prototype.register;
      ServiceWorkerContainer.prototype.register = function (...args) {
        window.passesAtRegister = window.Module && Module._grimvalePassesRun ? Module._grimvalePassesRun() : 0;
        return register.apply(this, args);
      };
    });
    await openGame(page, url);
    await eventually(async () => {
      const passes = await page.evaluate(() => window.passesAtRegister);
      check(passes > 0, `the service worker was asked to keep the files after ${passes} passes`);
    });
    await screenshot(page, 'title');
    await checkTitle(page, 'on the title screen');
    check(await page.evaluate(() => document.activeElement.id) === 'canvas', 'the canvas does not have the keyboard');
    check(await page.evaluate(() => getComputedStyle(document.getElementById('canvas')).imageRendering) === 'pixelated', 'the canvas is smoothed');
    const named = await page.getByRole('application', { name: 'Grimvale game' }).evaluate((canvas) =>
      [canvas.id, document.getElementById(canvas.getAttribute('aria-describedby')).id, getComputedStyle(canvas).outlineStyle]);
    check(named.join() === 'canvas,keys,solid', `the game's canvas, its description and its focus ring: ${named}`);

    await checkSurfaces(page, 'on the title screen');

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
    await eventually(async () => check((await site.statusText(page)).startsWith('Paused: the keyboard went elsewhere.'),
                                       `with the keyboard elsewhere the status line says "${await site.statusText(page)}"`));
    await page.click('#canvas');
    check(await page.evaluate(() => document.activeElement.id) === 'canvas', 'a click does not give the canvas the keyboard');
    await site.holdKey(page, 'p', 100);
    await eventually(() => checkTitle(page, 'after the pause'));
    await site.holdKey(page, 'p', 100);
    await eventually(async () => check(await site.statusText(page) === 'Paused with P. Press P to play on.', `after P the status line says "${await site.statusText(page)}"`));
    await site.holdKey(page, 'p', 100);
    await eventually(async () => check(await site.statusText(page) === 'Playing again.', `after P again the status line says "${await site.statusText(page)}"`));

    // The full-screen button takes the game's part of the page full screen, the keyboard staying put.
    await page.click('#fullscreen');
    await page.waitForFunction(() => document.fullscreenElement !== null, null, { timeout: 5000 });
    await screenshot(page, 'full-screen');
    const held = await page.evaluate(() => [document.fullscreenElement.id, document.activeElement.id]);
    check(held[0] === 'stage' && held[1] === 'canvas', `full screen shows #${held[0]}, the keyboard is on #${held[1]}`);
    await checkTitle(page, 'in full screen');
  },

  // The key 1 opens the arena, the right arrow walks the player, the space bar fires.
  async match({ launch, url }) {
    const page = await launch();
    await openGame(page, url);
    await startMatch(page);
    await screenshot(page, 'arena');
    check(await site.statusText(page) === 'Playing: the match has started.', `in the match the status line says "${await site.statusText(page)}"`);
    const start = await playerAt(page, 'swatr.bmp');
    check(start && start.x === PLAYER_START.x && start.y === PLAYER_START.y,
          `the player is not at his start facing right: ${JSON.stringify(start)}`);

    await site.holdKey(page, 'ArrowRight', 400);
    await screenshot(page, 'walked');
    const walked = await playerAt(page, 'swatr.bmp');
    check(walked && walked.x >= start.x + 20 && walked.y === start.y,
          `holding the right arrow left the player at ${JSON.stringify(walked)}`);

    await page.keyboard.down('Space');
    const shot = await shotRightOf(page, walked);
    await screenshot(page, 'fired');
    await page.keyboard.up('Space');
    check(shot, 'no shot flies to the right of the player while the space bar is held');

    // A key held while Tab, or a click beside the game, takes the keyboard is let go: back on the
    // canvas and resumed, the officer stands still though the key was never released.
    // Each in a new game, before the enemy comes near.
    for (const [how, leave] of [['Tab', () => page.keyboard.press('Tab')], ['a click on the heading', () => page.click('h1')]]) {
      await openGame(page, url);
      await startMatch(page);
      await page.keyboard.down('ArrowRight');
      await page.waitForTimeout(150);
      await leave();
      await eventually(async () => check(await page.evaluate(() => Module._grimvalePaused()) === 1, `${how} does not pause`));
      await page.click('#canvas');
      await site.holdKey(page, 'p', 100);
      const resumed = await playerAt(page, 'swatr.bmp');
      await page.waitForTimeout(400);
      const later = await playerAt(page, 'swatr.bmp');
      await page.keyboard.up('ArrowRight');
      check(resumed && later && later.x === resumed.x, `after ${how} with the right arrow held the player walked from ${JSON.stringify(resumed)} to ${JSON.stringify(later)}`);
    }

    // A held key acts once though the browser repeats it: P pauses once, F11 switches full screen once.
    await page.evaluate(() => {
      window.seen = { pauses: [], toggles: 0 };
      const toggle = Module.toggleFullScreen;
      Module.toggleFullScreen = () => { window.seen.toggles += 1; toggle(); };
      const watch = () => {
        const paused = Module._grimvalePaused();
        if (paused !== window.seen.pauses.at(-1)) window.seen.pauses.push(paused);
        requestAnimationFrame(watch);
      };
      watch();
    });
    for (const key of ['p', 'F11']) {
      for (let repeats = 0; repeats < 12; repeats++) {
        await page.keyboard.down(key);
        await page.waitForTimeout(40);
      }
      await page.keyboard.up(key);
    }
    await page.waitForTimeout(200);
    const seen = await page.evaluate(() => window.seen);
    check(seen.pauses.join() === '0,1' && seen.toggles === 1, `holding P and F11 paused as ${seen.pauses} and switched full screen ${seen.toggles} times`);
  },

  // The controls panel by keyboard alone: Tab from the game to "Controls", Enter to the fire row's
  // "Add key", Enter bound to fire; Escape closes the panel without ending the game, which runs again.
  // After a reload Enter fires in place of the space bar; "Default keys" brings the space bar back.
  async controls({ launch, url }) {
    const page = await launch();
    await openGame(page, url);
    const focusByTab = async (label) => {
      for (let tabs = 0; tabs < 40; tabs++) {
        if (await page.evaluate(() => document.activeElement.getAttribute('aria-label') || document.activeElement.textContent) === label) return;
        await page.keyboard.press('Tab');
      }
      throw new Error(`Tab never reaches "${label}"`);
    };
    await focusByTab('Controls');
    await eventually(async () => check((await site.statusText(page)).startsWith('Paused: the keyboard went elsewhere.'),
                                       `after Tab the status line says "${await site.statusText(page)}"`));
    await page.keyboard.press('Enter');
    await focusByTab('Add key: Fire');
    await page.keyboard.press('Enter');
    await page.keyboard.press('Enter');
    await eventually(async () => check(await page.evaluate(() => Module._grimvalePaused()) === 1, 'the game runs behind the panel'));
    await screenshot(page, 'enter-to-fire');
    const fireKeys = await page.locator('#controls tr', { hasText: 'Fire' }).locator('.keys').textContent();
    check(fireKeys === 'Enter', `the panel shows "${fireKeys}" as the fire keys`);
    await page.keyboard.press('Escape');
    check(await page.evaluate(() => document.activeElement.id) === 'canvas', 'closing the panel leaves the keyboard off the canvas');
    const passes = await page.evaluate(() => Module._grimvalePassesRun());
    await eventually(async () => check(await page.evaluate(() => Module._grimvalePassesRun()) > passes + 5, 'the game stays paused after the panel'));
    check(await site.statusText(page) === 'Playing again.', `after the panel closed the status line says "${await site.statusText(page)}"`);

    // A shot of the player's is told by the ammunition it costs on the heads-up line: the enemy's
    // shots, which fly past the player as well once it comes near, cost none.
    const ammoLine = async () => {
      const shown = await site.canvasPixels(page);
      return Array.from({ length: 20 }, (_, row) => shown.data.subarray(((478 + row) * site.SCREEN_W + 440) * 4,
                                                                         ((478 + row) * site.SCREEN_W + 600) * 4).join()).join();
    };
    const fires = async (key) => {
      const before = await ammoLine();
      await site.holdKey(page, key, 400);
      await page.waitForTimeout(300);  // the shot leaves the arena
      return await ammoLine() !== before;
    };
    await openGame(page, url);
    await startMatch(page);
    check(await fires('Enter'), 'after a reload Enter does not fire');
    check(!await fires('Space'), 'Enter joined the space bar instead of replacing it');
    await page.click('text=Controls');
    await page.click('text=Default keys');
    await page.keyboard.press('Escape');
    // A new match, before the enemies of a slower engine come near enough to fire across the player's line.
    await openGame(page, url);
    await startMatch(page);
    check(await fires('Space'), 'after "Default keys" the space bar does not fire');
    check(!await fires('Enter'), 'after "Default keys" Enter still fires');

    // Keys chosen with the mouse: the key line names them, a key two actions share is said and does
    // both, and with Enter bound to full screen or to pause, Alt+Enter switches full screen once and
    // pauses nothing.
    const keyLine = () => page.textContent('#keys');
    check(await keyLine() === '1 start the match · arrows walk · Space fires · 1 to 4 pick a weapon · P pauses · Esc quits',
          `with the default keys the key line says "${await keyLine()}"`);
    const bind = async (action, key) => {
      if (!await page.locator('#controls').evaluate((panel) => panel.open)) await page.click('text=Controls');
      await page.locator('#controls tr', { hasText: action }).locator('.add').click();
      await page.keyboard.press(key);
      return page.textContent('#controls-said');
    };
    await bind('Walk up', 'w');
    const clash = await bind('Fire', 'p');
    check(clash === 'P added to Fire. P is also a key for Pause: it does both.', `binding P to fire says "${clash}"`);
    await page.keyboard.press('Escape');
    check(await keyLine() === '1 start the match · W, Down arrow, Left arrow, Right arrow walk up, down, left, right · P fires · 1 to 4 pick a weapon · P pauses · Esc quits',
          `with W and P chosen the key line says "${await keyLine()}"`);
    await page.evaluate(() => {
      window.toggles = 0;
      const toggle = Module.toggleFullScreen;
      Module.toggleFullScreen = () => { window.toggles += 1; toggle(); };
    });
    for (const action of ['Full screen', 'Pause']) {
      await bind(action, 'Enter');
      await page.keyboard.press('Escape');
      await eventually(async () => check(await page.evaluate(() => Module._grimvalePaused()) === 0, 'closing the panel leaves the game paused'));
      const before = await page.evaluate(() => window.toggles);
      await page.keyboard.press('Alt+Enter');
      await page.waitForTimeout(300);
      const after = await page.evaluate(() => [window.toggles, Module._grimvalePaused()]);
      check(after[0] === before + 1 && after[1] === 0, `with Enter bound to ${action} Alt+Enter switched full screen ${after[0] - before} times and paused ${after[1]}`);
      await page.evaluate(() => document.fullscreenElement && document.exitFullscreen());
    }

    // The stored choice read field by field: an action or field of a later build kept as it was, a
    // key past 32 bits (2^32 + 119 would wrap round to W) refused alone, a record far too large
    // refused whole; each with one warning.
    const warnings = [];
    page.on('console', (message) => { if (message.text().startsWith('The stored controls')) warnings.push(message.text()); });
    const later = { speed: 75, keys: { fire: [13], up: [2 ** 32 + 119], reload: [114] }, volume: 3 };
    for (const stored of [JSON.stringify(later), JSON.stringify({ speed: 75, keys: { fire: Array(1e6).fill(13) } })]) {
      await page.evaluate((record) => localStorage.setItem('grimvale.controls', record), stored);
      warnings.length = 0;
      await openGame(page, url);
      const read = await page.evaluate(() => [document.querySelector('#controls-speed [aria-pressed="true"]').value,
                                              Module._grimvaleActionKey(0, 0), Module._grimvaleActionKey(4, 0),
                                              JSON.parse(localStorage.getItem('grimvale.controls'))]);
      const whole = stored.length < 1000;
      check(warnings.length === 1 && warnings[0].includes(whole ? 'for up' : 'characters'), `reading ${stored.slice(0, 80)} warned ${JSON.stringify(warnings)}`);
      check(read[0] === (whole ? '75' : '100') && read[1] === 1106 && read[2] === (whole ? 13 : 32),
            `from ${stored.slice(0, 80)} the speed is ${read[0]}, up ${read[1]}, fire ${read[2]}`);
      check(!whole || JSON.stringify(read[3]) === JSON.stringify({ volume: 3, speed: 75, keys: { reload: [114], fire: [13] } }),
            `the record stored again is ${JSON.stringify(read[3])}`);
    }

    // The page names keys as the emulated SDL does, for every key code and side of the keyboard.
    const differ = await page.evaluate(() => {
      const wrong = [];
      for (let keyCode = 0; keyCode < 256; keyCode++) {
        for (const location of [0, 1, 2, 3]) {
          const event = { keyCode, location };
          if (Grimvale.controls.sdlKey(event) !== SDL.lookupKeyCodeForEvent(event)) wrong.push(keyCode + '@' + location);
        }
      }
      return wrong;
    });
    check(differ.length === 0, `the page's key table differs from the emulated SDL's at ${differ.join(', ')}`);
  },

  // Escape ends the game and says so; "Play again" starts a new one from the title picture.
  async ending({ launch, url }) {
    const page = await launch();
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

  // A phone held upright, then sideways: the picture fills the width (or the height) beside the
  // controls, never under them; two fingers walk and fire at once, landing one after the other or in
  // the same touch; a thumb sliding from Right to Up turns the player without lifting; swipes and
  // pinches neither scroll nor zoom the page.
  // A tablet and a small desktop window get their share of the screen too.
  async touch({ launch, url }) {
    const tablet = await launch({ viewport: { width: 1024, height: 768 }, deviceScaleFactor: 2, isMobile: true, hasTouch: true });
    await openGame(tablet, url);
    const onTablet = await tablet.locator('#canvas').boundingBox();
    // An engine that cannot emulate the tablet's two device pixels a CSS pixel enlarges by whole numbers.
    const tabletRatio = await tablet.evaluate(() => window.devicePixelRatio);
    check(onTablet.height >= (tabletRatio >= 2 ? 0.8 * 768 : 500), `on a 1024x768 tablet the picture is ${onTablet.width}x${onTablet.height}`);
    const desktop = await launch({ viewport: { width: 500, height: 400 } });
    await openGame(desktop, url);
    const inWindow = await desktop.locator('#canvas').boundingBox();
    check(inWindow.x >= 0 && inWindow.y >= 0 && inWindow.x + inWindow.width <= 500 && inWindow.y + inWindow.height <= 400,
          `in a 500x400 window the picture lies at ${JSON.stringify(inWindow)}`);

    for (const [width, height] of [[390, 844], [844, 390]]) {
      const phone = { viewport: { width, height }, deviceScaleFactor: 3, isMobile: true, hasTouch: true };
      const size = `${width}x${height}`;
      const labels = ['Up', 'Down', 'Left', 'Right', 'Fire', 'Pause', '1 Start', '2 Colt', '3 SMG', '4 Garand'];
      let page = await launch(phone);
      await openGame(page, url);
      await screenshot(page, `${size}-title`);
      const picture = await page.locator('#canvas').boundingBox();
      check(width < height ? picture.width >= 0.95 * width : picture.height >= 0.85 * height,
            `at ${size} the picture is ${picture.width}x${picture.height}`);
      const boxes = [];
      for (const label of labels) {
        const box = await page.getByRole('button', { name: label, exact: true }).boundingBox();
        boxes.push(JSON.stringify(box));
        check(box && (box.x >= picture.x + picture.width || box.x + box.width <= picture.x ||
                      box.y >= picture.y + picture.height || box.y + box.height <= picture.y),
              `at ${size} the control "${label}" is missing or lies on the picture: ${JSON.stringify(box)}`);
      }
      let walks = await walkAndFire(page, size);
      if (walks.failed && walks.passes > ENEMY_ARRIVES) {
        page = await launch(phone);
        await openGame(page, url);
        walks = await walkAndFire(page, size);
      }
      check(!walks.failed, `${walks.failed} (${walks.passes} passes into the match)`);
      const touch = await site.touchScreen(page);
      // The status line now says that the match started, in the room it kept: no control has moved.
      const moved = [];
      for (const [i, label] of labels.entries()) {
        const box = JSON.stringify(await page.getByRole('button', { name: label === '1 Start' ? '1 Knife' : label, exact: true }).boundingBox());
        if (box !== boxes[i]) moved.push(`${label} ${boxes[i]} -> ${box}`);
      }
      check(moved.length === 0, `at ${size} controls moved when the status line changed: ${moved.join(', ')}`);

      // A click alone, as an assistive technology makes it, picks the Thompson: the weapon's name changes.
      const weaponName = async () => {
        const shown = await site.canvasPixels(page);
        return Array.from({ length: 20 }, (_, row) => shown.data.subarray(((478 + row) * site.SCREEN_W + 250) * 4,
                                                                           ((478 + row) * site.SCREEN_W + 440) * 4).join()).join();
      };
      const colt = await weaponName();
      await page.waitForTimeout(600);  // long after the last finger let go, as a click of its own comes
      await page.locator('#weapons [data-key="3"]').evaluate((button) => button.click());
      await eventually(async () => check(await weaponName() !== colt, `at ${size} a click on the Thompson does not pick it`));

      // On the picture and on the status line below or beside it.
      const status = await page.locator('#status').boundingBox();
      for (const at of [{ x: picture.x + picture.width / 2, y: picture.y + picture.height / 2 },
                        { x: status.x + status.width / 2, y: status.y + status.height / 2 }]) {
        await touch('touchStart', [{ id: 4, ...at }]);
        for (let step = 1; step <= 8; step++) await touch('touchMove', [{ id: 4, x: at.x, y: at.y - 20 * step }]);
        await touch('touchEnd', []);
        await touch('touchStart', [{ id: 5, x: at.x - 10, y: at.y }, { id: 6, x: at.x + 10, y: at.y }]);
        for (let step = 1; step <= 8; step++) {
          await touch('touchMove', [{ id: 5, x: at.x - 10 - 10 * step, y: at.y }, { id: 6, x: at.x + 10 + 10 * step, y: at.y }]);
        }
        await touch('touchEnd', []);
      }
      await page.waitForTimeout(300);
      const view = await page.evaluate(() => [window.scrollY, window.visualViewport.scale]);
      check(view[0] === 0 && view[1] === 1, `at ${size} a swipe and a pinch left scrollY ${view[0]} and the zoom ${view[1]}`);
    }
  },

  // axe-core's rules (from tests/web/node_modules) find nothing on the desktop title, on a phone with
  // the touch controls, with the controls panel open and after the end of the game.
  async audit({ launch, url }) {
    const axe = fs.readFileSync(path.join(path.dirname(new URL(import.meta.url).pathname), 'node_modules/axe-core/axe.min.js'), 'utf8');
    const violations = async (page, state) => {
      await page.evaluate(axe);
      const found = await page.evaluate(async () => (await window.axe.run(document)).violations
        .map((v) => `${v.id} (${v.nodes.map((n) => n.target.join(' ')).join(', ')})`));
      check(found.length === 0, `${state}: ${found.join('; ')}`);
    };
    const phone = await launch({ viewport: { width: 390, height: 844 }, deviceScaleFactor: 3, isMobile: true, hasTouch: true });
    await openGame(phone, url);
    await violations(phone, 'on a phone with the touch controls');
    const page = await launch();
    await openGame(page, url);
    await violations(page, 'on the title');
    // Nothing listens for 'unload', which would keep the page out of the back/forward cache.
    const devtools = await page.context().newCDPSession(page);
    const { result } = await devtools.send('Runtime.evaluate', { expression: 'window' });
    const { listeners } = await devtools.send('DOMDebugger.getEventListeners', { objectId: result.objectId });
    const kinds = listeners.map((l) => l.type);
    check(!kinds.includes('unload') && kinds.includes('pagehide'), `the window's listeners: ${kinds.join(' ')}`);
    await page.click('text=Controls');
    await violations(page, 'with the controls panel open');
    await page.keyboard.press('Escape');
    await startMatch(page);
    await site.holdKey(page, 'Escape', 100);
    await site.waitForStatus(page, 'The game has ended.', 5000);
    await violations(page, 'after the end');
  },

  // A gamepad in the standard layout that appears after the page has loaded: Start starts the
  // match, the d-pad walks, the south button fires, and the pad taken away while held stops the player.
  async gamepad({ launch, url }) {
    const page = await launch();
    await page.addInitScript(() => {
      window.testPads = [null, null, null, null];
      Object.defineProperty(Navigator.prototype, 'getGamepads', { value: () => window.testPads });
    });
    await openGame(page, url);
    await page.evaluate(() => {
      const buttons = Array.from({ length: 17 }, () => ({ pressed: false, touched: false, value: 0 }));
      window.testPads[0] = { id: 'Test pad', index: 0, connected: true, mapping: 'standard', timestamp: 0, axes: [0, 0, 0, 0], buttons };
    });
    const press = (button, pressed) => page.evaluate(([b, down]) => {
      window.testPads[0].buttons[b] = { pressed: down, touched: down, value: down ? 1 : 0 };
    }, [button, pressed]);
    const START = 9, SOUTH = 0, RIGHT = 15;

    await press(START, true);
    await page.waitForTimeout(100);
    await press(START, false);
    await checkArena(page, 'Start on the gamepad');
    const start = await playerAt(page, 'swatr.bmp');
    await press(RIGHT, true);
    await page.waitForTimeout(400);
    const walked = await playerAt(page, 'swatr.bmp');
    check(start && walked && walked.x >= start.x + 20, `the d-pad's right walked the player from ${JSON.stringify(start)} to ${JSON.stringify(walked)}`);
    await press(SOUTH, true);
    const shot = await shotRightOf(page, walked);
    await screenshot(page, 'walking-and-firing');
    check(shot, 'no shot flies while the south button is held');

    await page.evaluate(() => { window.testPads[0] = null; });
    await page.waitForTimeout(100);
    const stopped = await playerAt(page, 'swatr.bmp');
    await page.waitForTimeout(300);
    const later = await playerAt(page, 'swatr.bmp');
    check(stopped && later && later.x === stopped.x, `with the pad gone the player went on from ${JSON.stringify(stopped)} to ${JSON.stringify(later)}`);
  },

  // Over a slow line the page counts the files in; a host without the packed game files, the
  // WebAssembly module or the script, and a browser without WebAssembly: the page says why the
  // game could not start.
  async loading({ launch, url, restart, engine }) {
    const page = await launch();
    await page.addInitScript(() => {
      window.statusLog = [];
      document.addEventListener('DOMContentLoaded', () => {
        const status = document.getElementById('status');
        // Before the module is in, the runtime's name for the count stands for nothing yet.
        const passes = () => { try { return window.Module._grimvalePassesRun(); } catch { return 0; } };
        new MutationObserver(() => window.statusLog.push([performance.now(), status.textContent,
                                                          Boolean(window.Module && window.Module.gameStarted), passes()]))
          .observe(status, { childList: true, characterData: true, subtree: true });
      });
    });
    // 30 KB a second: the pictures, the pack's last 25 KB, take most of a second to come in.
    const slow = await restart([], '/', values.site, {}, 3e4);
    await page.goto(slow.url);
    await site.waitForStatus(page, 'Playing', 30000);
    const said = await page.evaluate(() => window.statusLog);
    const progress = said.filter(([, text]) => /^Loading the game files: \d+% of \d+ KB$/.test(text));
    const percents = progress.map(([, text]) => Number(/(\d+)%/.exec(text)[1]));
    check(progress.length >= 3 && percents[percents.length - 1] === 100 && percents.every((p, i) => i === 0 || p >= percents[i - 1]) &&
          said.every(([, text]) => /^(Loading|Playing)/.test(text)),
          `while the files arrive the page says: ${said.map(([, text]) => text).join(' | ')}`);
    // The runtime sets itself up and the game's main() runs while the pictures are still on the way;
    // the game plays its first pass once they are in, and its title is the same for it.
    const texts = said.map(([, text]) => text);
    const lastCount = texts.lastIndexOf(progress[progress.length - 1][1]);
    const setUp = texts.indexOf('Loading: starting the game');
    const playing = texts.findIndex((text) => text.startsWith('Playing'));
    check(setUp >= 0 && setUp < lastCount && said[lastCount][2] && playing > lastCount && said.every(([, , , passes], i) => i >= playing || passes === 0),
          `the runtime, the game's main() and its passes came in this order: ${
            said.map(([, text, main, passes]) => `${text}${main ? ' (main)' : ''}${passes ? ` (${passes} passes)` : ''}`).join(' | ')}`);
    await checkTitle(page, 'over a slow line, main() run before the pictures came');
    await checkSurfaces(page, 'over a slow line');
    // At most four times a second: the page's clock reads the status line late when a long task holds it.
    const counting = progress[progress.length - 1][0] - progress[0][0];
    check(progress.length <= counting / 250 + 2, `the download is counted ${progress.length} times in ${Math.round(counting)} ms`);

    for (const missing of ['grimvale.pack', 'unpack.js']) {
      const host = await restart([missing]);
      await page.goto(host.url);
      const said = await site.waitForStatus(page, 'Could not start the game: ', 10000);
      await screenshot(page, `without-${missing}`);
      check(said.includes(`${missing} did not arrive`), `without ${missing} the page says "${said}"`);
    }
    // Each way the pack can go wrong on the way, and a part of it that is damaged, get their own line.
    const flipped = (bytes) => { const body = Buffer.from(bytes); body[body.length >> 1] ^= 0x55; return body; };
    const pack = path.join(values.site, 'grimvale.pack');
    let fonts = 0;
    repacked(pack, (name, bytes) => { if (name === 'grimvale.data') fonts = bytes.length; return bytes; });
    const spoilt = {
      'cut short': [(bytes) => ({ body: bytes.subarray(0, bytes.length >> 1) }), 'grimvale.pack arrived damaged'],
      corrupted: [(bytes) => ({ body: flipped(bytes) }), 'grimvale.pack arrived damaged'],
      // Over a slow line, a runtime garbled on the way runs and fails in its own words long before the
      // check at the pack's end finds the damage: the page says that the pack arrived damaged.
      'with a garbled runtime and a wrong check': [() => {
        const body = repacked(pack, (name, bytes) => (name === 'grimvale.js' ? Buffer.concat([bytes, Buffer.from('\n(:')]) : bytes));
        body[body.length - 8] ^= 0x55;  // the gzip trailer's CRC
        return { body };
      }, 'grimvale.pack arrived damaged', 4e4],
      uncompressed: [(bytes) => ({ body: zlib.gunzipSync(bytes) }), 'grimvale.pack arrived but is not the game\'s pack'],
      'a page with status 200': [() => ({ body: Buffer.from('<!doctype html><title>Welcome</title>'), headers: { 'Content-Type': 'text/html' } }),
                                 'grimvale.pack arrived but is not the game\'s pack'],
      'a broken connection': [(bytes) => ({ brokenAfter: bytes.length >> 1 }), 'grimvale.pack did not arrive whole'],
      'Content-Encoding: gzip': [() => ({ headers: { 'Content-Encoding': 'gzip' } }), 'compressing a file that is already compressed'],
      'a damaged grimvale.wasm': [() => ({ body: repacked(pack, (name, bytes) => (name === 'grimvale.wasm' ? flipped(bytes) : bytes)) }),
                                  'grimvale.wasm in grimvale.pack could not be compiled'],
      // The runtime asks for the fonts' package by the size it was built with, before or after it comes.
      'a fonts\' package of another size': [() => ({ body: repacked(pack, (name, bytes) => (name === 'grimvale.data' ? bytes.subarray(4) : bytes)) }),
                                           `grimvale.data in grimvale.pack is ${fonts - 4} bytes, not the ${fonts} grimvale.js was built with`],
      'the runtime last, after a fonts\' package of another size': [() => ({ body: repacked(pack, (name, bytes) => (name === 'grimvale.data'
        ? bytes.subarray(4) : bytes), ['grimvale.js']) }), `grimvale.data in grimvale.pack is ${fonts - 4} bytes, not the ${fonts} grimvale.js was built with`],
      'a damaged picture': [() => ({ body: repacked(pack, (name, bytes) => (name === 'Graphics/bg.bmp' ? bytes.subarray(0, 100) : bytes)) }),
                            'Graphics/bg.bmp in grimvale.pack could not be decoded'],
      // The game's main() has made its pictures' surfaces from the list of sizes by then.
      'a picture left out of the list of sizes': [() => ({ body: repacked(pack, (name, bytes) => (name === 'picture-sizes'
        ? Buffer.from(bytes.toString().replace(/^Graphics\/bg\.bmp .*\n/m, '')) : bytes)) }), 'Graphics/bg.bmp is not in its list of pictures'],
      'a list that gives a picture the wrong size': [() => ({ body: repacked(pack, (name, bytes) => (name === 'picture-sizes'
        ? Buffer.from(bytes.toString().replace(/^Graphics\/bg\.bmp .*$/m, 'Graphics/bg.bmp 600 400')) : bytes)) }),
                                                     'Graphics/bg.bmp in grimvale.pack is 600x500, not the 600x400 its list gives'],
      // The runtime has run by then, its pictures still on the way: the game must not start.
      'cut in its last picture': [(bytes) => ({ body: bytes.subarray(0, bytes.length - 64) }), 'grimvale.pack arrived damaged'],
    };
    for (const [how, [spoil, line, rate]] of Object.entries(spoilt)) {
      const host = await restart([], '/', values.site, { 'grimvale.pack': spoil }, rate);
      await page.goto(host.url);
      // A line that a failing part of the pack said first gives way to the pack's own.
      await eventually(async () => {
        const said = await site.waitForStatus(page, 'Could not start the game: ', 10000);
        if (!said.includes(line)) await page.waitForTimeout(100);
        check(said.includes(line), `with grimvale.pack ${how} the page says "${said}"`);
      }, 10000);
      // The game's main() may have run (it makes its surfaces before the pictures are in), but no pass.
      const passes = await page.evaluate(() => { try { return window.Module._grimvalePassesRun(); } catch { return 0; } });
      check(passes === 0, `with grimvale.pack ${how} the game ran ${passes} passes all the same`);
      await checkWorkerEnded(page, engine, `with grimvale.pack ${how}`);
    }
    // A pack whose runtime comes last, the module and the fonts' package long in, starts all the same.
    const runtimeLast = await restart([], '/', values.site, { 'grimvale.pack': () => ({ body: repacked(pack, (name, bytes) => bytes, ['grimvale.js']) }) });
    await page.goto(runtimeLast.url);
    await site.waitForStatus(page, 'Playing', 10000);
    await checkTitle(page, 'from a pack with the runtime last');
    await checkWorkerEnded(page, engine, 'with every picture in');

    // Opened from disk, or in a browser without DecompressionStream or WebAssembly.
    const lacking = [
      [() => page.goto(`file://${path.resolve(values.site, 'index.html')}`), 'must come from a web server'],
      [() => page.addInitScript(() => { delete window.DecompressionStream; }).then(() => page.goto(url)), 'cannot unpack the game\'s files'],
      [() => page.addInitScript(() => { delete window.WebAssembly; }).then(() => page.goto(url)), 'cannot run WebAssembly'],
    ];
    for (const [open, line] of lacking) {
      await open();
      const said = await site.waitForStatus(page, 'Could not start the game: ', 10000);
      await screenshot(page, line.replace(/\W+/g, '-'));
      check(said.includes(line), `the page says "${said}", not that it ${line}`);
    }
    // A browser whose workers cannot decode: the page decodes the pictures itself, the same pixels.
    const workerless = await launch();
    await workerless.addInitScript(() => { delete window.Worker; });
    await openGame(workerless, url);
    await checkTitle(workerless, 'decoded without a worker');
  },


  // build-web/ is light enough for a slow line; served under a sub-path, one visit makes the page an
  // installable app whose service worker keeps its files, and with the host gone a reload plays.
  async offline({ launch, restart, engine }) {
    const page = await launch();
    // Nothing the page does with or without a host is worth a warning in the console (beyond
    // Chromium's advice on the emulated SDL's canvas reads, which has nothing to do with the host).
    const said = [];
    page.on('console', (message) => {
      if (['warning', 'error'].includes(message.type()) && !message.text().startsWith('Canvas2D:')) said.push(message.text());
    });
    const folder = fs.readdirSync(values.site).reduce((sum, name) => sum + fs.statSync(path.join(values.site, name)).size, 0);
    check(folder <= 300 * 1024, `build-web/ holds ${(folder / 1024).toFixed(1)} KB, more than 300 KB`);

    const host = await restart([], '/games/grimvale/');
    await openGame(page, host.url);
    await page.waitForFunction(() => navigator.serviceWorker.controller !== null, null, { timeout: 10000 });
    if (engine === 'chromium') {
      const devtools = await page.context().newCDPSession(page);
      const { installabilityErrors } = await devtools.send('Page.getInstallabilityErrors');
      check(installabilityErrors.length === 0, `Chromium would not install the page: ${JSON.stringify(installabilityErrors)}`);
    }

    await host.close();
    await openGame(page, host.url);
    await screenshot(page, 'offline');
    await checkTitle(page, 'with the host gone');

    // A host caught halfway through copying build B over build A, B's files but A's grimvale.pack:
    // A plays on at every visit until the copy is complete, and then B installs and plays.
    const scratch = fs.mkdtempSync(path.join(os.tmpdir(), 'grimvale-host-'));
    const buildB = makeBuildB(values.site, path.join(scratch, 'b'));
    const served = path.join(scratch, 'served');
    fs.cpSync(values.site, served, { recursive: true });
    const copying = await restart([], '/copying/', served);
    const kept = () => page.evaluate(async () => (await caches.keys()).filter((name) => name.startsWith('grimvale /copying/ ')));
    await visitAndUpdate(page, copying.url);
    const buildA = await kept();
    check(buildA.length === 1, `after a visit the host's copy is kept as ${JSON.stringify(buildA)}`);
    const copyOver = (names) => {
      const later = new Date(Date.now() + 60000);  // newer than the browser's copies, whatever the clock's second
      for (const name of names) {
        fs.copyFileSync(path.join(buildB, name), path.join(served, name));
        fs.utimesSync(path.join(served, name), later, later);
      }
    };
    copyOver(fs.readdirSync(buildB).filter((name) => name !== 'grimvale.pack'));
    for (let visit = 0; visit < 2; visit++) {
      await visitAndUpdate(page, copying.url);
      await checkTitle(page, 'from a half-copied host');
      // The browser may look for a new build at the visit itself: a cache it is filling is deleted
      // once the build proves half-copied.
      await eventually(async () => {
        const left = await kept();
        check(JSON.stringify(left) === JSON.stringify(buildA), `a half-copied host left ${JSON.stringify(left)}`);
      }, 10000);
      check(await page.evaluate(() => window.buildB) === undefined, 'a half-copied host plays build B');
    }
    copyOver(['grimvale.pack']);
    await visitAndUpdate(page, copying.url);
    // Installing B fetches every file again: on a busy machine that has taken over 10 s.
    const workers = () => page.evaluate(async () => {
      const registration = await navigator.serviceWorker.getRegistration();
      return ['installing', 'waiting', 'active'].map((role) => `${role}: ${registration[role] ? registration[role].state : 'none'}`).join(', ');
    });
    await eventually(async () => check(!(await kept()).includes(buildA[0]),
                                       `the complete copy left ${JSON.stringify(await kept())} (workers ${await workers()})`), 30000);
    await openGame(page, copying.url);
    await checkTitle(page, 'on build B');
    check(await page.evaluate(() => window.buildB) === true, 'after the complete copy the game is not build B');
    check(said.length === 0, `offline the page logged ${JSON.stringify(said)}`);
    fs.rmSync(scratch, { recursive: true, force: true });
  },
};

async function main() {
  if (!scenarios[scenario]) throw new Error(`no scenario "${scenario}"; there are: ${Object.keys(scenarios).join(', ')}`);
  let server = await site.serve(values.site);
  const extra = [];
  const restart = async (missing, base, folder = values.site, spoil, rate) => {
    const other = await site.serve(folder, missing, base, spoil, rate);
    extra.push(other);
    return other;
  };
  const browsers = [];
  const errors = [];
  const launch = async (device) => {
    for (const open of browsers.splice(0)) await open.close();
    const browser = await site.launchBrowser(device, engine);
    browser.page.on('pageerror', (error) => errors.push(error.message));
    browsers.push(browser);
    return browser.page;
  };
  try {
    await scenarios[scenario]({ launch, url: server.url, restart, engine });
    for (const open of browsers) if (open.page.pageErrors) errors.push(...await open.page.pageErrors());
    if (scenario !== 'loading') check(errors.length === 0, `the page threw: ${errors.join('; ')}`);
    fs.rmSync(shotsDir, { recursive: true, force: true });
    console.log(`${testName}: passed`);
  } catch (error) {
    try { await screenshot(browsers[0].page, 'failed'); } catch { /* the page may be gone */ }
    const keep = path.join(values.keep, testName);
    fs.rmSync(keep, { recursive: true, force: true });
    fs.mkdirSync(keep, { recursive: true });
    for (const file of shots) fs.copyFileSync(file, path.join(keep, path.basename(file)));
    fs.rmSync(shotsDir, { recursive: true, force: true });
    console.log(`${testName}: FAILED: ${error.message}`);
    console.log(`screenshots kept in ${keep}: ${shots.map((f) => path.basename(f)).join(', ')}`);
    process.exitCode = 1;
  } finally {
    for (const open of browsers) await open.close();
    for (const s of [server, ...extra]) await s.close();
  }
}

await main();
