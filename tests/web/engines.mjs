// Debian's Firefox ESR and WebKitGTK as the scenarios drive Chromium: each browser behind a page
// of the same shape as playwright's (evaluate, waitForFunction, keyboard, mouse, locator, click,
// screenshot, setViewportSize, addInitScript, the 'pageerror' event), so that a scenario runs in
// all three. Firefox speaks WebDriver BiDi to puppeteer-core; WebKitGTK's MiniBrowser runs under
// an Xvfb of its own, driven through WebKitWebDriver over W3C WebDriver.
//
// What the engines cannot be told, the page is given another way: WebKit's window is never
// narrower than 447 px, so a phone's screen is an iframe of its size at the window's top left;
// neither engine here emulates a phone's coarse pointer, so a touch device is announced by one
// touch pointer event once the page has loaded; and WebKit's fingers are pointer events made in
// the page, its driver turning touch pointers into mouse ones.
import { spawn } from 'node:child_process';
import fs from 'node:fs';
import net from 'node:net';
import os from 'node:os';
import path from 'node:path';
import puppeteer from 'puppeteer-core';

export const ENGINES = ['chromium', 'firefox', 'webkit'];
const FIREFOX = process.env.FIREFOX || '/usr/bin/firefox-esr';
const WEBKIT_DRIVER = process.env.WEBKIT_DRIVER || '/usr/bin/WebKitWebDriver';
const MINIBROWSER = process.env.MINIBROWSER || '/usr/lib/x86_64-linux-gnu/webkit2gtk-4.1/MiniBrowser';
const WEBKIT_MIN_WIDTH = 447;

// Scripts a WebKit page runs before its own (WebDriver classic has no such thing): site.serve puts
// them at the top of every page it sends while a WebKit browser is open.
export const pageScripts = [];

// What a WebKit page says, kept from its first script on for the driver to read: its uncaught
// errors and the lines of its console.
function reportToDriver() {
  if (window.testReport) return;
  const report = window.testReport = { errors: [], console: [] };
  window.addEventListener('error', (event) => report.errors.push(event.message));
  for (const type of ['log', 'info', 'warn', 'error']) {
    const said = console[type];
    console[type] = (...args) => {
      report.console.push([type === 'warn' ? 'warning' : type, args.map(String).join(' ')]);
      said.apply(console, args);
    };
  }
}

// Finds the element a playwright-style selector names, in the page: "text=Label" (the innermost
// element whose text is Label), a CSS selector, optionally within `inside` and holding `hasText`;
// an element of a role (a button, or one given the role) by its accessible name, read as the
// browser's tree reads it: aria-label, else the text shown.
function findElement(query) {
  const shownText = (element) => element.innerText === undefined ? element.textContent : element.innerText;
  const nameOf = (element) => (element.getAttribute('aria-label') || shownText(element)).replace(/\s+/g, ' ').trim();
  let scopes = [document];
  for (const step of query) {
    const found = [];
    for (const scope of scopes) {
      let candidates;
      if (step.role) {
        const ofRole = step.role === 'button' ? 'button, [role=button]' : `[role=${step.role}]`;
        candidates = [...scope.querySelectorAll(ofRole)].filter((e) => nameOf(e) === step.name);
      } else if (step.selector.startsWith('text=')) {
        const text = step.selector.slice(5);
        candidates = [...scope.querySelectorAll('*')].filter((e) => shownText(e).trim() === text &&
          ![...e.children].some((child) => shownText(child).trim() === text));
      } else {
        candidates = [...scope.querySelectorAll(step.selector)];
      }
      if (step.hasText) candidates = candidates.filter((e) => e.textContent.includes(step.hasText));
      found.push(...candidates);
    }
    scopes = found;
  }
  return scopes[0] || null;
}

// Whether an error says that the page's document (or WebKit's process for it) went away before the
// answer came: WebKit's driver then reads an empty answer, "Could not parse script result".
function documentGone(error) {
  return /no such frame|no such window|Could not parse script result|Execution context was destroyed|Inspected target navigated|context.*(destroyed|discarded)/i.test(error.message);
}

// The part every engine shares, over what a driver gives: run(source, args) evaluating a function's
// source with JSON arguments in the page, goto, keys, pointer clicks at a point, a screenshot, the
// viewport's size and the fingers of touch().
function pageOf(driver) {
  const listeners = { pageerror: [], console: [] };
  const evaluate = (fn, arg) => driver.run(typeof fn === 'function' ? fn.toString() : `() => (${fn})`, [arg]);
  const element = (query, fn, arg) => driver.run(`(query, arg) => (${fn})((${findElement})(query), arg)`, [query, arg]);
  const boxOf = (query) => element(query, (e) => {
    if (!e) return null;
    const r = e.getBoundingClientRect();
    return r.width === 0 && r.height === 0 ? null : { x: r.x, y: r.y, width: r.width, height: r.height };
  });
  // As playwright's, waits for the element (a page between two documents has none).
  const waitFor = async (what, query) => {
    const end = Date.now() + 10000;
    for (;;) {
      const value = await what(query).catch(() => null);
      if (value !== null) return value;
      if (Date.now() > end) throw new Error(`nothing on the page for ${JSON.stringify(query)}`);
      await new Promise((resolve) => setTimeout(resolve, 50));
    }
  };
  const click = async (query) => {
    const box = await waitFor(boxOf, query);
    await driver.click(box.x + box.width / 2, box.y + box.height / 2);
  };
  const locator = (query) => ({
    boundingBox: () => boxOf(query),
    click: () => click(query),
    textContent: () => waitFor((q) => element(q, (e) => e && e.textContent), query),
    async evaluate(fn, arg) {
      await waitFor((q) => element(q, (e) => e && true), query);
      return element(query, fn, arg);
    },
    locator: (selector, options = {}) => locator([...query, { selector, ...options }]),
  });
  const page = {
    engine: driver.engine,
    evaluate,
    async waitForFunction(fn, arg, options = {}) {
      const end = Date.now() + (options.timeout ?? 30000);
      for (;;) {
        // As playwright's, outlives the page's reloads and navigations: a document that went away
        // while asked is asked again.
        const value = await evaluate(fn, arg).catch((error) => {
          if (documentGone(error)) return false;
          throw error;
        });
        if (value) return value;
        if (Date.now() > end) throw new Error(`waitForFunction timed out: ${fn}`);
        await new Promise((resolve) => setTimeout(resolve, 50));
      }
    },
    waitForTimeout: (ms) => new Promise((resolve) => setTimeout(resolve, ms)),
    async goto(url) {
      await driver.goto(url);
      // A page that was not sent with the driver's report (one from disk) hears itself from now on.
      if (driver.reportsItself) await evaluate(reportToDriver);
      // A touch device that the engine cannot emulate: the page is used by touch from the start.
      if (driver.device.hasTouch) {
        // The touch controls' script comes out of the pack after the page has loaded.
        for (let tries = 0; tries < 200 && !await evaluate(() => Boolean(window.Grimvale && window.Grimvale.touch)); tries++) {
          await new Promise((resolve) => setTimeout(resolve, 50));
        }
        await evaluate(() => {
          if (window.matchMedia('(pointer: coarse)').matches) return;
          const touch = { pointerId: 99, pointerType: 'touch', isPrimary: true, bubbles: true, clientX: 0, clientY: 0 };
          document.body.dispatchEvent(new PointerEvent('pointerdown', touch));
          document.body.dispatchEvent(new PointerEvent('pointerup', touch));
        });
      }
    },
    textContent: (selector) => locator([{ selector }]).textContent(),
    locator: (selector, options = {}) => locator([{ selector, ...options }]),
    getByRole: (role, { name }) => locator([{ role, name }]),
    click: (selector) => click([{ selector }]),
    focus: (selector) => element([{ selector }], (e) => e.focus()),
    keyboard: {
      down: (key) => driver.key(key, true),
      up: (key) => driver.key(key, false),
      // A chord as playwright writes it, "Alt+Enter": the modifiers held around the key.
      async press(chord) {
        const keys = chord.length > 1 ? chord.split('+') : [chord];
        for (const key of keys) await driver.key(key, true);
        for (const key of keys.reverse()) await driver.key(key, false);
      },
    },
    mouse: { click: (x, y) => driver.click(x, y) },
    screenshot: ({ path: file }) => driver.screenshot(file),
    setViewportSize: ({ width, height }) => driver.setViewport(width, height),
    addInitScript: (fn, arg) => driver.addInitScript(`(${fn})(${JSON.stringify(arg)});`),
    touch: (type, points) => driver.touch(type, points),
    on(event, listener) { listeners[event].push(listener); },
    // The errors not heard yet: a page that reports itself is read once more.
    async pageErrors() {
      if (driver.reportsItself) await evaluate(() => null).catch(() => {});
      return [];
    },
    context() {
      return { newCDPSession() { throw new Error(`${driver.engine} speaks no Chrome DevTools protocol`); } };
    },
  };
  driver.onPageError = (message) => listeners.pageerror.forEach((listener) => listener({ message }));
  driver.onConsole = (type, text) => listeners.console.forEach((listener) => listener({ type: () => type, text: () => text }));
  return page;
}

// Fingers made in the page as touch pointer events, each sent to what it went down on (a touch's
// pointer events keep to their first target); a finger left out of `points` is lifted.
function pageTouch(type, points) {
  const fingers = window.testFingers = window.testFingers || new Map();
  const send = (target, kind, { id, x, y }, buttons) => target.dispatchEvent(new PointerEvent(kind, {
    pointerId: 10 + id, pointerType: 'touch', isPrimary: fingers.size === 0, clientX: x, clientY: y,
    button: kind === 'pointermove' ? -1 : 0, buttons, width: 8, height: 8, pressure: buttons ? 0.5 : 0,
    bubbles: true, cancelable: true, composed: true,
  }));
  for (const [id, finger] of fingers) {
    if (points.some((p) => p.id === id)) continue;
    send(finger.target, 'pointerup', finger.at, 0);
    fingers.delete(id);
  }
  for (const point of points) {
    const finger = fingers.get(point.id);
    if (!finger) {
      const target = document.elementFromPoint(point.x, point.y) || document.body;
      send(target, 'pointerdown', point, 1);
      fingers.set(point.id, { target, at: point });
    } else if (finger.at.x !== point.x || finger.at.y !== point.y) {
      send(finger.target, 'pointermove', point, 1);
      finger.at = point;
    }
  }
  return type;
}

// WebDriver's names of the keys the scenarios press.
const WEBDRIVER_KEYS = { ArrowLeft: '\uE012', ArrowUp: '\uE013', ArrowRight: '\uE014', ArrowDown: '\uE015',
                         Space: ' ', Enter: '\uE007', Escape: '\uE00C', Tab: '\uE004', Shift: '\uE008',
                         Alt: '\uE00A', Control: '\uE009', Backspace: '\uE003',
                         ...Object.fromEntries(Array.from({ length: 12 }, (_, i) => [`F${i + 1}`, String.fromCharCode(0xE031 + i)])) };

// Firefox: a window of its own (headless Firefox never gives its first window the focus).
async function launchFirefox(device) {
  const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'grimvale-firefox-'));
  const browser = await puppeteer.launch({
    browser: 'firefox',
    executablePath: FIREFOX,
    headless: true,
    userDataDir: profile,
    extraPrefsFirefox: { 'app.update.enabled': false, 'browser.shell.checkDefaultBrowser': false,
                         'dom.gamepad.enabled': true, 'full-screen-api.allow-trusted-requests-only': false },
  });
  const first = (await browser.pages())[0];
  const tab = await browser.newPage({ type: 'window' });
  if (first) await first.close();
  const viewport = { width: 1000, height: 760, ...device.viewport };
  await tab.setViewport({ ...viewport, deviceScaleFactor: device.deviceScaleFactor || 1,
                          isMobile: Boolean(device.isMobile), hasTouch: Boolean(device.hasTouch) });
  const fingers = new Map();
  const driver = {
    engine: 'firefox',
    device,
    run: (source, args) => tab.evaluate(`(${source})(...${JSON.stringify(args)})`),
    goto: (url) => tab.goto(url, { waitUntil: 'load' }),
    key: (key, down) => down ? tab.keyboard.down(key === 'Space' ? ' ' : key) : tab.keyboard.up(key === 'Space' ? ' ' : key),
    click: (x, y) => tab.mouse.click(x, y),
    screenshot: (file) => tab.screenshot({ path: file }),
    setViewport: (width, height) => tab.setViewport({ ...tab.viewport(), width, height }),
    addInitScript: (source) => tab.evaluateOnNewDocument(source),
    // Fingers through Firefox's own touch input, each call's changes in one touch event as a screen
    // sends them: fingers that land together come in one touchstart, those lifted in one touchend.
    async touch(type, points) {
      const sources = [];
      const source = (id, actions) => sources.push({ type: 'pointer', id: `finger ${id}`, parameters: { pointerType: 'touch' }, actions });
      const size = { width: 8, height: 8, pressure: 0.5 };
      for (const id of [...fingers.keys()]) {
        if (points.some((p) => p.id === id)) continue;
        source(id, [{ type: 'pause' }, { type: 'pointerUp', button: 0 }]);
        fingers.delete(id);
      }
      for (const { id, x, y } of points) {
        const at = { x: Math.round(x), y: Math.round(y) };
        const finger = fingers.get(id);
        if (!finger) source(id, [{ type: 'pointerMove', ...at }, { type: 'pointerDown', button: 0, ...size }]);
        else if (finger.x !== at.x || finger.y !== at.y) source(id, [{ type: 'pause' }, { type: 'pause' }, { type: 'pointerMove', ...at, ...size }]);
        fingers.set(id, at);
      }
      if (sources.length > 0) await tab.mainFrame().browsingContext.performActions(sources);
    },
  };
  const page = pageOf(driver);
  tab.on('pageerror', (error) => driver.onPageError(error.message));
  tab.on('console', (message) => driver.onConsole(message.type() === 'warn' ? 'warning' : message.type(), message.text()));
  return { page, close: async () => { await browser.close(); fs.rmSync(profile, { recursive: true, force: true }); } };
}

function freePort() {
  return new Promise((resolve) => {
    const probe = net.createServer().listen(0, '127.0.0.1', () => {
      const { port } = probe.address();
      probe.close(() => resolve(port));
    });
  });
}

// An Xvfb of its own, its pointer in the top left corner where the window opens: with no window
// manager the keyboard goes to the window under the pointer. Resolves to { display, stop }.
function startXvfb() {
  const xvfb = spawn('Xvfb', ['-displayfd', '3', '-screen', '0', '1920x1400x24', '-nolisten', 'tcp', '-noreset'],
                     { stdio: ['ignore', 'ignore', 'ignore', 'pipe'] });
  return new Promise((resolve, reject) => {
    let said = '';
    xvfb.on('error', reject);
    xvfb.stdio[3].on('data', (chunk) => {
      said += chunk;
      if (!said.includes('\n')) return;
      const display = `:${said.trim()}`;
      const pointer = spawn('xdotool', ['mousemove', '1', '1'], { env: { ...process.env, DISPLAY: display }, stdio: 'ignore' });
      pointer.on('error', reject);
      pointer.on('exit', () => resolve({ display, stop: () => xvfb.kill() }));
    });
  });
}

// WebKitGTK: MiniBrowser in automation mode, under WebKitWebDriver, under Xvfb.
async function launchWebKit(device) {
  const xvfb = await startXvfb();
  const port = await freePort();
  const home = fs.mkdtempSync(path.join(os.tmpdir(), 'grimvale-webkit-'));
  const env = { ...process.env, DISPLAY: xvfb.display, HOME: home, XDG_CACHE_HOME: path.join(home, 'cache'),
                XDG_DATA_HOME: path.join(home, 'data'), XDG_CONFIG_HOME: path.join(home, 'config'),
                WEBKIT_DISABLE_SANDBOX_THIS_IS_DANGEROUS: '1', LIBGL_ALWAYS_SOFTWARE: '1' };
  delete env.WAYLAND_DISPLAY;
  const webDriver = spawn(WEBKIT_DRIVER, [`--port=${port}`, '--host=127.0.0.1'], { env, stdio: 'ignore' });
  const base = `http://127.0.0.1:${port}`;
  let session = '';
  // A command the driver never answers fails by its name instead of holding the scenario until
  // its test's time runs out (under load, WebKit's resizing of a new window has hung so).
  const call = async (method, route, body, ms = 90000) => {
    let response;
    try {
      response = await fetch(`${base}${session && `/session/${session}`}${route}`, {
        method, headers: { 'Content-Type': 'application/json' }, body: body && JSON.stringify(body),
        signal: AbortSignal.timeout(ms),
      });
    } catch (error) {
      throw new Error(`WebKit's driver, ${route}: no answer (${error.message})`);
    }
    const { value } = await response.json();
    if (value && value.error) throw new Error(`WebKit's driver, ${route}: ${value.error}: ${value.message}`);
    return value;
  };
  for (let tries = 0; ; tries++) {
    try { await call('GET', '/status'); break; } catch (error) {
      if (tries > 100) throw error;
      await new Promise((resolve) => setTimeout(resolve, 100));
    }
  }
  // The driver's own wait for a page to load never ends when scripts ran in the page meanwhile:
  // goto waits by itself.
  const created = await call('POST', '/session', { capabilities: { alwaysMatch: {
    pageLoadStrategy: 'none',
    'webkitgtk:browserOptions': { binary: MINIBROWSER, args: ['--automation'] },
  } } });
  session = created.sessionId;
  await call('POST', '/timeouts', { script: 60000, pageLoad: 60000 });

  let viewport = { width: 1000, height: 760, ...device.viewport };
  let framed = false;  // the game's page in an iframe of the viewport's size
  // Each script also brings back what the page has said since the last (the report begins once the
  // page has loaded, or with the page's scripts given before: a page sent as it is keeps the hash
  // its service worker knows). Its value comes as JSON text, the driver's own serializing putting
  // the keys of a record in an order of its own.
  const run = (source, args) => call('POST', '/execute/async', {
    script: `const done = arguments[arguments.length - 1];
             const said = () => window.testReport && { errors: window.testReport.errors.splice(0), console: window.testReport.console.splice(0) };
             Promise.resolve((${source}).apply(null, Array.prototype.slice.call(arguments, 0, -1)))
               .then((value) => done({ json: JSON.stringify(value === undefined ? null : value), unset: value === undefined, said: said() }),
                     (error) => done({ error: String(error), said: said() }));`,
    args,
  }).then((result) => {
    for (const message of result.said ? result.said.errors : []) driver.onPageError?.(message);
    for (const [type, text] of result.said ? result.said.console : []) driver.onConsole?.(type, text);
    if (result.error) throw new Error(result.error);
    // undefined stays undefined, as a scenario asking after a global that was never set expects.
    return result.unset ? undefined : JSON.parse(result.json);
  });
  // The window as large as the viewport asked for, a phone's width made up by the frame.
  const fitWindow = async () => {
    const size = { width: Math.max(viewport.width, WEBKIT_MIN_WIDTH), height: viewport.height };
    const innerSize = () => run('() => [window.innerWidth, window.innerHeight]', []);
    const same = (a, b) => a[0] === b[0] && a[1] === b[1];
    const wanted = [size.width, size.height];
    // The driver answers before the page sees its new size: a reading taken too soon is the old
    // window's (a new one's 1024x768 once made the "corrected" window 664x12). So the size is read
    // once it is the one asked for, or has left the old one and held for 150 ms.
    const settled = async (before) => {
      let last = null;
      for (const end = Date.now() + 5000; ;) {
        const inner = await innerSize();
        if (same(inner, wanted) || (last && same(inner, last) && !same(inner, before)) || Date.now() > end) return inner;
        last = inner;
        await new Promise((resolve) => setTimeout(resolve, 150));
      }
    };
    const before = await innerSize();
    // Asked once more when the first resize of a new window goes unanswered.
    await call('POST', '/window/rect', size, 15000).catch(() => call('POST', '/window/rect', size, 30000));
    const inner = await settled(before);
    if (same(inner, wanted)) return;
    await call('POST', '/window/rect', { width: 2 * size.width - inner[0], height: 2 * size.height - inner[1] });
    const fitted = await settled(inner);
    if (!same(fitted, wanted)) throw new Error(`WebKit's window shows ${fitted.join('x')} of the ${size.width}x${size.height} asked for`);
  };
  // Navigates, then waits for the new document to have loaded (the old one marked to tell them apart).
  const navigate = async (url) => {
    await run('() => { window.testLeft = true; }', []).catch(() => {});
    await call('POST', '/url', { url });
    const end = Date.now() + 60000;
    while (!await run(`() => !window.testLeft && document.readyState === 'complete'`, []).catch(() => false)) {
      if (Date.now() > end) throw new Error(`WebKit did not load ${url}`);
      await new Promise((resolve) => setTimeout(resolve, 50));
    }
  };
  const driver = {
    engine: 'webkit',
    device,
    reportsItself: true,
    run,
    async goto(url) {
      framed = viewport.width < WEBKIT_MIN_WIDTH;
      await call('POST', '/frame/parent', {}).catch(() => {});
      if (!framed) {
        await navigate(url);
        return;
      }
      // A page of the host's own origin around the frame.
      await navigate(new URL('/grimvale-test-frame', url).href);
      await run(`(url, width, height) => new Promise((resolve) => {
        document.documentElement.innerHTML = '<body style="margin:0;background:#000"></body>';
        const frame = document.createElement('iframe');
        frame.style.cssText = 'position:fixed;left:0;top:0;border:0;width:' + width + 'px;height:' + height + 'px';
        frame.addEventListener('load', () => resolve(), { once: true });
        frame.src = url;
        document.body.appendChild(frame);
      })`, [url, viewport.width, viewport.height]);
      await call('POST', '/frame', { id: 0 });
    },
    async key(key, down) {
      const value = WEBDRIVER_KEYS[key] || key;
      await call('POST', '/actions', { actions: [{ type: 'key', id: 'keyboard', actions: [{ type: down ? 'keyDown' : 'keyUp', value }] }] });
    },
    async click(x, y) {
      await call('POST', '/actions', { actions: [{ type: 'pointer', id: 'mouse', parameters: { pointerType: 'mouse' }, actions: [
        { type: 'pointerMove', x: Math.round(x), y: Math.round(y), origin: 'viewport' },
        { type: 'pointerDown', button: 0 }, { type: 'pointerUp', button: 0 }] }] });
      await call('DELETE', '/actions');
    },
    async screenshot(file) {
      fs.writeFileSync(file, Buffer.from(await call('GET', '/screenshot'), 'base64'));
    },
    async setViewport(width, height) {
      viewport = { width, height };
      await call('POST', '/frame/parent', {}).catch(() => {});
      await fitWindow();
      if (framed) {
        await run(`(w, h) => { const f = document.querySelector('iframe'); f.style.width = w + 'px'; f.style.height = h + 'px'; }`, [width, height]);
        await call('POST', '/frame', { id: 0 });
      }
    },
    async addInitScript(source) {
      if (pageScripts.length === 0) pageScripts.push(`(${reportToDriver})();`);
      pageScripts.push(source);
    },
    touch: (type, points) => run(pageTouch.toString(), [type, points]),
  };
  await fitWindow();
  return {
    page: pageOf(driver),
    close: async () => {
      pageScripts.length = 0;
      await call('DELETE', '').catch(() => {});
      const driverGone = new Promise((resolve) => { if (webDriver.exitCode !== null) resolve(); else webDriver.on('exit', resolve); });
      webDriver.kill();
      await driverGone;
      xvfb.stop();
      // The browser's last writes to its caches may come after its driver has gone.
      fs.rmSync(home, { recursive: true, force: true, maxRetries: 10, retryDelay: 100 });
    },
  };
}

export function launch(engine, device = {}) {
  if (engine === 'firefox') return launchFirefox(device);
  if (engine === 'webkit') return launchWebKit(device);
  throw new Error(`no browser engine "${engine}"; there are: ${ENGINES.join(', ')}`);
}
