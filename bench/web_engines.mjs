// The bench's own driving of Debian's three browser engines, each behind the same few calls:
// goto(url), evaluate(expression) (its value, promises awaited, through JSON), keyDown(key) and
// keyUp(key) with playwright's key names, close(). Chromium through playwright-core (tests/web/site.mjs);
// Firefox ESR over its own WebDriver BiDi, a WebSocket (node's, --experimental-websocket); WebKitGTK
// through WebKitWebDriver over W3C WebDriver, its MiniBrowser under an Xvfb of its own. Nothing here
// downloads a browser.
import { spawn } from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import net from 'node:net';
import * as site from '../tests/web/site.mjs';

const WINDOW = { width: 1000, height: 760 };
// WebDriver's code points for the keys the bench holds.
const KEYS = { ArrowLeft: '\uE012', ArrowUp: '\uE013', ArrowRight: '\uE014', ArrowDown: '\uE015', Space: ' ' };
const keyValue = (key) => KEYS[key] || key;
const wrapped = (expression) => `Promise.resolve(${expression}).then((value) => JSON.stringify(value === undefined ? null : value))`;

function freePort() {
  return new Promise((resolve) => {
    const server = net.createServer().listen(0, '127.0.0.1', () => {
      const { port } = server.address();
      server.close(() => resolve(port));
    });
  });
}

// Resolves once the child's output (both streams) matches the pattern, with the match.
function waitForOutput(child, pattern, what, timeoutMs = 30000) {
  return new Promise((resolve, reject) => {
    let seen = '';
    const timer = setTimeout(() => reject(new Error(`${what} did not start: ${seen.slice(-500)}`)), timeoutMs);
    const look = (chunk) => {
      seen += chunk;
      const match = pattern.exec(seen);
      if (match) { clearTimeout(timer); resolve(match); }
    };
    child.stdout.on('data', look);
    child.stderr.on('data', look);
  });
}

async function chromium() {
  const browser = await site.launchBrowser();
  const { page } = browser;
  return {
    name: 'Chromium',
    goto: (url) => page.goto(url),
    evaluate: async (expression) => JSON.parse(await page.evaluate(wrapped(expression))),
    keyDown: (key) => page.keyboard.down(key),
    keyUp: (key) => page.keyboard.up(key),
    close: () => browser.close(),
  };
}

// Firefox in a profile of its own; its first window never has the focus when headless, so the
// bench opens a window of its own and works there.
async function firefox() {
  const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'grimvale-firefox-'));
  fs.writeFileSync(path.join(profile, 'user.js'), [
    'user_pref("browser.shell.checkDefaultBrowser", false);',
    'user_pref("browser.startup.homepage_override.mstone", "ignore");',
    'user_pref("datareporting.policy.dataSubmissionEnabled", false);',
    'user_pref("toolkit.telemetry.reportingpolicy.firstRun", false);',
    'user_pref("app.update.disabledForTesting", true);',
    'user_pref("network.captive-portal-service.enabled", false);',
  ].join('\n'));
  const child = spawn(process.env.FIREFOX || '/usr/bin/firefox-esr',
                      ['--headless', '--no-remote', '--profile', profile, '--remote-debugging-port=0',
                       `--width=${WINDOW.width}`, `--height=${WINDOW.height}`, 'about:blank'],
                      { stdio: ['ignore', 'pipe', 'pipe'] });
  const [, address] = await waitForOutput(child, /WebDriver BiDi listening on (ws:\/\/\S+)/, 'Firefox');
  const socket = new WebSocket(`${address}/session`);
  await new Promise((resolve, reject) => { socket.onopen = resolve; socket.onerror = reject; });
  const waiting = new Map();
  let lastId = 0;
  socket.onmessage = (message) => {
    const reply = JSON.parse(message.data);
    const call = waiting.get(reply.id);
    if (!call) return;
    waiting.delete(reply.id);
    if (reply.type === 'error') call.reject(new Error(`${reply.error}: ${reply.message}`));
    else call.resolve(reply.result);
  };
  const send = (method, params) => new Promise((resolve, reject) => {
    lastId += 1;
    waiting.set(lastId, { resolve, reject });
    socket.send(JSON.stringify({ id: lastId, method, params }));
  });
  await send('session.new', { capabilities: {} });
  const { context } = await send('browsingContext.create', { type: 'window' });
  await send('browsingContext.setViewport', { context, viewport: WINDOW });
  const keys = (type, key) => send('input.performActions', {
    context, actions: [{ type: 'key', id: 'keyboard', actions: [{ type, value: keyValue(key) }] }],
  });
  return {
    name: 'Firefox ESR',
    pid: child.pid,
    goto: (url) => send('browsingContext.navigate', { context, url, wait: 'complete' }),
    evaluate: async (expression) => {
      const reply = await send('script.evaluate', { expression: wrapped(expression), target: { context },
                                                    awaitPromise: true });
      if (reply.type === 'exception') throw new Error(reply.exceptionDetails.text);
      return JSON.parse(reply.result.value);
    },
    keyDown: (key) => keys('keyDown', key),
    keyUp: (key) => keys('keyUp', key),
    close: async () => {
      await send('session.end', {}).catch(() => {});
      socket.close();
      child.kill();
      await new Promise((resolve) => child.once('exit', resolve));
      fs.rmSync(profile, { recursive: true, force: true });
    },
  };
}

// An X display nobody else uses on this machine.
function freeDisplay() {
  for (let n = 140; n < 400; n++) {
    if (!fs.existsSync(`/tmp/.X11-unix/X${n}`) && !fs.existsSync(`/tmp/.X${n}-lock`)) return n;
  }
  throw new Error('no free X display');
}

async function webkit() {
  const display = freeDisplay();
  const xvfb = spawn('Xvfb', [`:${display}`, '-screen', '0', '1280x1024x24', '-nolisten', 'tcp'], { stdio: 'ignore' });
  for (let tries = 0; !fs.existsSync(`/tmp/.X11-unix/X${display}`); tries++) {
    if (tries > 100) throw new Error('Xvfb did not start');
    await new Promise((resolve) => setTimeout(resolve, 50));
  }
  const port = await freePort();
  const driver = spawn(process.env.WEBKIT_DRIVER || '/usr/bin/WebKitWebDriver', [`--port=${port}`],
                       { stdio: ['ignore', 'pipe', 'pipe'], env: { ...process.env, DISPLAY: `:${display}` } });
  const base = `http://127.0.0.1:${port}`;
  for (let tries = 0; ; tries++) {
    const up = await fetch(`${base}/status`).then((r) => r.ok, () => false);
    if (up) break;
    if (tries > 100) throw new Error('WebKitWebDriver did not start');
    await new Promise((resolve) => setTimeout(resolve, 100));
  }
  const call = async (method, route, body) => {
    const response = await fetch(`${base}${route}`, {
      method, headers: { 'Content-Type': 'application/json' }, body: body ? JSON.stringify(body) : undefined,
    });
    const reply = await response.json();
    if (!response.ok) throw new Error(`WebDriver ${route}: ${reply.value && reply.value.message}`);
    return reply.value;
  };
  const binary = process.env.MINIBROWSER || '/usr/lib/x86_64-linux-gnu/webkit2gtk-4.1/MiniBrowser';
  const session = await call('POST', '/session', { capabilities: { alwaysMatch: {
    'webkitgtk:browserOptions': { binary, args: ['--automation'] } } } });
  const at = `/session/${session.sessionId}`;
  await call('POST', `${at}/window/rect`, WINDOW).catch(() => {});
  const keys = (type, key) => call('POST', `${at}/actions`, {
    actions: [{ type: 'key', id: 'keyboard', actions: [{ type, value: keyValue(key) }] }],
  });
  return {
    name: 'WebKitGTK',
    pid: driver.pid,
    goto: (url) => call('POST', `${at}/url`, { url }),
    evaluate: async (expression) => JSON.parse(await call('POST', `${at}/execute/async`, {
      script: `const done = arguments[arguments.length - 1]; ${wrapped(expression)}.then(done, (e) => done(JSON.stringify({ error: String(e) })));`,
      args: [],
    })),
    keyDown: (key) => keys('keyDown', key),
    keyUp: (key) => keys('keyUp', key),
    close: async () => {
      await call('DELETE', at).catch(() => {});
      driver.kill();
      xvfb.kill();
      await Promise.all([driver, xvfb].map((child) => new Promise((resolve) => {
        if (child.exitCode !== null || child.signalCode !== null) resolve();
        else child.once('exit', resolve);
      })));
    },
  };
}

export const engines = { chromium, firefox, webkit };
