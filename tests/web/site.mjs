// The browser version as a player gets it: build-web/ served on 127.0.0.1, opened in Debian's
// Chromium (headless, driven by playwright-core), Firefox ESR or WebKitGTK (engines.mjs), and the
// game's canvas read back as pixels.
// Shared by the browser tests (scenarios.mjs) and the bench (bench/web_bench.mjs).
import fs from 'node:fs';
import http from 'node:http';
import os from 'node:os';
import path from 'node:path';
import { chromium } from 'playwright-core';
import * as engines from './engines.mjs';

export const SCREEN_W = 600;
export const SCREEN_H = 500;

const TYPES = { '.html': 'text/html', '.js': 'text/javascript', '.wasm': 'application/wasm',
                '.data': 'application/octet-stream', '.txt': 'text/plain', '.png': 'image/png',
                '.webmanifest': 'application/manifest+json' };

// Serves the folder's files at a free port of 127.0.0.1, under the sub-path `base`; files named in
// `missing` answer 404, as they would on a host where they were never copied. Like most hosts it
// compresses nothing and answers "not modified" to a browser that has the file. A host that spoils a
// file: `spoil` maps its name to a function of its bytes giving { body, headers } to send instead,
// and with `brokenAfter` the connection breaks after that many bytes. A host given a rate sends its
// files at that many bytes a second, as over a slow line. Resolves to { url, close, sent }, sent()
// being the bytes of files sent so far.
export function serve(folder, missing = [], base = '/', spoil = {}, rate = 0) {
  let sent = 0;
  const server = http.createServer((request, response) => {
    const asked = decodeURIComponent(new URL(request.url, 'http://x').pathname);
    const name = asked.startsWith(base) ? asked.slice(base.length) || 'index.html' : asked;
    const file = path.join(folder, path.basename(name));
    if (missing.includes(name) || name.includes('/') || !fs.existsSync(file)) {
      // A file left out on purpose reads "Not Found" on the page's error line; one that is not in the
      // folder says so (the folder rebuilt while a scenario runs, say).
      const reason = missing.includes(name) ? 'Not Found' : 'Not Found in the folder served';
      response.writeHead(404, reason, { 'Content-Type': 'text/plain' });
      response.end('not found');
      return;
    }
    const modified = fs.statSync(file).mtime.toUTCString();
    if (request.headers['if-modified-since'] === modified && !spoil[name]) {
      response.writeHead(304, { 'Last-Modified': modified });
      response.end();
      return;
    }
    const spoilt = spoil[name] ? spoil[name](fs.readFileSync(file)) : {};
    let body = spoilt.body || fs.readFileSync(file);
    // A page opened in WebKit runs the scenario's scripts first (engines.mjs). The service worker's
    // copy stays the build's own, which it checks byte for byte, and the browser keeps no copy of
    // the page as changed.
    const shown = request.headers['sec-fetch-dest'] !== 'empty';
    if (path.extname(file) === '.html' && engines.pageScripts.length > 0 && shown) {
      body = Buffer.from(body.toString().replace('<head>', `<head><script>${engines.pageScripts.join('\n')}</script>`));
      spoilt.headers = { 'Cache-Control': 'no-store', ...spoilt.headers };
    }
    response.writeHead(200, { 'Content-Type': TYPES[path.extname(file)] || 'application/octet-stream',
                              'Content-Length': body.length, 'Last-Modified': modified, ...spoilt.headers });
    if (spoilt.brokenAfter !== undefined) {
      response.write(body.subarray(0, spoilt.brokenAfter), () => setTimeout(() => response.destroy(), 100));
      return;
    }
    sent += body.length;
    if (!rate) {
      response.end(body);
      return;
    }
    const chunk = Math.ceil(rate / 20);  // every 50 ms
    const sendFrom = (offset) => {
      if (response.destroyed) return;
      if (offset + chunk >= body.length) response.end(body.subarray(offset));
      else response.write(body.subarray(offset, offset + chunk), () => setTimeout(sendFrom, 50, offset + chunk));
    };
    sendFrom(0);
  });
  return new Promise((resolve) => server.listen(0, '127.0.0.1', () => resolve({
    url: `http://127.0.0.1:${server.address().port}${base}`,
    close: () => new Promise((done) => { server.closeAllConnections(); server.close(done); }),
    sent: () => sent,
  })));
}

// Flags that let Chromium run as root in a closed network without reaching for Google's services.
// The device is a desktop window unless told otherwise (a phone: viewport, deviceScaleFactor,
// isMobile, hasTouch). The engine is 'chromium', 'firefox' or 'webkit'.
export async function launchBrowser(device = {}, engine = 'chromium') {
  if (engine !== 'chromium') return engines.launch(engine, device);
  const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'grimvale-chromium-'));
  const context = await chromium.launchPersistentContext(profile, {
    executablePath: process.env.CHROMIUM || '/usr/bin/chromium',
    headless: true,
    viewport: { width: 1000, height: 760 },
    ...device,
    args: ['--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run', '--disable-background-networking',
           '--disable-component-update', '--disable-sync'],
  });
  const page = context.pages()[0] || await context.newPage();
  return {
    page,
    close: async () => { await context.close(); fs.rmSync(profile, { recursive: true, force: true }); },
  };
}

export function statusText(page) { return page.textContent('#status'); }

// Waits until the status line starts with the text; throws with what it said instead.
export async function waitForStatus(page, opening, timeoutMs = 20000) {
  const end = Date.now() + timeoutMs;
  let text = '';
  while (Date.now() < end) {
    text = await statusText(page);
    if (text.startsWith(opening)) return text;
    await page.waitForTimeout(50);
  }
  throw new Error(`the status line says "${text}", not "${opening}..."`);
}

// The canvas as the game drew it: { width, height, data } with 4 bytes (RGBA) a pixel.
export async function canvasPixels(page) {
  const shot = await page.evaluate(() => {
    const canvas = document.getElementById('canvas');
    const bytes = canvas.getContext('2d').getImageData(0, 0, canvas.width, canvas.height).data;
    let text = '';
    for (let i = 0; i < bytes.length; i += 0x8000) text += String.fromCharCode.apply(null, bytes.subarray(i, i + 0x8000));
    return { width: canvas.width, height: canvas.height, base64: btoa(text) };
  });
  return { width: shot.width, height: shot.height, data: Buffer.from(shot.base64, 'base64') };
}

// A BMP file of the game's (32 bits a pixel, red 0x00FF0000, green 0x0000FF00, blue 0x000000FF,
// rows bottom-up unless the height is negative) as { width, height, data } in RGBA.
export function readBmp(file) {
  const bytes = fs.readFileSync(file);
  const offset = bytes.readUInt32LE(10);
  const width = bytes.readInt32LE(18);
  const storedHeight = bytes.readInt32LE(22);
  const height = Math.abs(storedHeight);
  if (bytes.readUInt16LE(28) !== 32) throw new Error(`${file}: not 32 bits a pixel`);
  const data = Buffer.alloc(width * height * 4);
  for (let y = 0; y < height; y++) {
    const row = offset + (storedHeight > 0 ? height - 1 - y : y) * width * 4;
    for (let x = 0; x < width; x++) {
      const pixel = bytes.readUInt32LE(row + x * 4);
      data.set([(pixel >> 16) & 255, (pixel >> 8) & 255, pixel & 255, 255], (y * width + x) * 4);
    }
  }
  return { width, height, data };
}

export function pixelDifference(a, ai, b, bi) {
  return Math.max(Math.abs(a.data[ai] - b.data[bi]), Math.abs(a.data[ai + 1] - b.data[bi + 1]),
                  Math.abs(a.data[ai + 2] - b.data[bi + 2]));
}

// Pixels where two pictures of the same size differ by more than `tolerance` in some colour.
export function countDiffering(a, b, tolerance) {
  let count = 0;
  for (let i = 0; i < a.data.length; i += 4) count += pixelDifference(a, i, b, i) > tolerance ? 1 : 0;
  return count;
}

// Where the sprite shows whole on the picture, searching the rectangle [x0, x1) x [y0, y1) of
// top-left corners: every { x, y } found. The sprite's pixels inside `covered` ({ x, y, size }, in
// the sprite) may be anything.
export function findSprite(picture, sprite, x0, y0, x1, y1, tolerance = 8, covered = { x: 0, y: 0, size: 0 }) {
  const found = [];
  const seen = (sx, sy) => sx < covered.x || sx >= covered.x + covered.size || sy < covered.y || sy >= covered.y + covered.size;
  for (let y = Math.max(0, y0); y < Math.min(y1, picture.height - sprite.height + 1); y++) {
    for (let x = Math.max(0, x0); x < Math.min(x1, picture.width - sprite.width + 1); x++) {
      let whole = true;
      for (let sy = 0; sy < sprite.height && whole; sy++) {
        for (let sx = 0; sx < sprite.width && whole; sx++) {
          whole = !seen(sx, sy) || pixelDifference(picture, ((y + sy) * picture.width + x + sx) * 4, sprite,
                                                   (sy * sprite.width + sx) * 4) <= tolerance;
        }
      }
      if (whole) found.push({ x, y });
    }
  }
  return found;
}

// Fingers on a touch screen, through the browser's own touch input: a function of the event type
// ('touchStart', 'touchMove', 'touchEnd') and every finger down after the change, each { id, x, y };
// a finger left out is lifted.
export async function touchScreen(page) {
  if (page.touch) return page.touch;
  const cdp = await page.context().newCDPSession(page);
  return (type, points) => cdp.send('Input.dispatchTouchEvent', {
    type, touchPoints: points.map(({ id, x, y }) => ({ id, x, y, radiusX: 4, radiusY: 4, force: 1 })),
  });
}

// The middle of the control named label on the page, as a finger { id, x, y }.
export async function centreOf(page, label, id) {
  const box = await page.getByRole('button', { name: label, exact: true }).boundingBox();
  return { id, x: box.x + box.width / 2, y: box.y + box.height / 2 };
}

// Holds a key down for a while, as a finger does; a press shorter than a pass could go unseen.
export async function holdKey(page, key, ms) {
  await page.keyboard.down(key);
  await page.waitForTimeout(ms);
  await page.keyboard.up(key);
}
