// WebKit for the browser tests: Debian's WebKitWebDriver and the MiniBrowser it drives, spoken to in
// the W3C WebDriver protocol over HTTP, behind the few calls of puppeteer's Browser and Page that
// the cases Chromium shares with WebKit make.
// Supplied: newPage, createBrowserContext, close; a page's goto, reload, url, title, setViewport
// (CSS pixels, scale 1, no touch), evaluate, $eval, waitForFunction, waitForNavigation, click on
// a selector or on an element a function returned, mouse, keyboard, screenshot (the viewport),
// close, and its console through on/off.
// Differs: WebDriver has no console events, so the test server puts a recorder before the page's
// own scripts (Recorder) and its lines are handed to the listeners after a wait, before a
// navigation and at the close. Each page is a session of its own, each browser a driver with a
// fresh data folder, so a browser context is a second browser.
import { spawn } from 'node:child_process';
import { rmSync } from 'node:fs';
import { mkdtemp, rm } from 'node:fs/promises';
import { createServer } from 'node:net';
import { tmpdir } from 'node:os';
import { join } from 'node:path';

export const Driver = process.env.WEBKIT_WEBDRIVER ?? '/usr/bin/WebKitWebDriver';
const Multiarch = { x64: 'x86_64-linux-gnu', arm64: 'aarch64-linux-gnu' }[process.arch];
export const MiniBrowser = process.env.WEBKIT_MINIBROWSER ?? `/usr/lib/${Multiarch}/webkit2gtk-4.1/MiniBrowser`;

// Put first in every page's <head>: console calls, uncaught errors and failed loads, kept in the page.
export const Recorder = `<script>(() => {
  const kept = window.gaugeplotConsole = [];
  for (const type of ['log', 'info', 'debug', 'warn', 'error']) {
    const write = console[type];
    console[type] = (...a) => { kept.push([type, a.join(' ')]); write.apply(console, a); };
  }
  addEventListener('error', (e) => kept.push(['pageerror', e.target === window ? String(e.error ?? e.message) : 'failed: ' + (e.target.src ?? e.target.href)]), true);
  addEventListener('unhandledrejection', (e) => kept.push(['pageerror', String(e.reason)]));
})();</script>`;

// WebDriver's codes of the keys the cases press, by puppeteer's names.
const Keys = {
  Alt: '\uE00A', Control: '\uE009', Shift: '\uE008', Meta: '\uE03D', Escape: '\uE00C', Tab: '\uE004',
  Enter: '\uE007', Backspace: '\uE003', Delete: '\uE017', ' ': '\uE00D', Space: '\uE00D', Home: '\uE011', End: '\uE010',
  ArrowLeft: '\uE012', ArrowUp: '\uE013', ArrowRight: '\uE014', ArrowDown: '\uE015', F10: '\uE03A',
};
const Element = 'element-6066-11e4-a52e-4f735466cecf';
const sleep = (ms) => new Promise((r) => setTimeout(r, ms));

function freePort() {
  return new Promise((resolvePort, reject) => {
    const probe = createServer().once('error', reject).listen(0, '127.0.0.1', () => {
      const { port } = probe.address();
      probe.close(() => resolvePort(port));
    });
  });
}

// A WebKitWebDriver of its own, its MiniBrowsers' data (storage, caches, service workers) in a
// fresh folder that goes with it.
export async function launch() {
  const home = await mkdtemp(join(tmpdir(), 'gaugeplot-webkit-'));
  const port = await freePort();
  const env = { ...process.env, XDG_DATA_HOME: join(home, 'data'), XDG_CACHE_HOME: join(home, 'cache'), XDG_CONFIG_HOME: join(home, 'config') };
  const driver = spawn(Driver, [`--port=${port}`], { env, stdio: 'ignore' });
  // Not waited for by node, and ended with it should a failed case leave it open.
  driver.unref();
  process.once('exit', () => { driver.kill(); rmSync(home, { recursive: true, force: true }); });
  const url = `http://127.0.0.1:${port}`;
  for (let i = 0; ; i++) {
    try {
      await fetch(`${url}/status`);
      break;
    } catch (e) {
      if (i > 300 || driver.exitCode !== null) {
        driver.kill();
        throw new Error(`${Driver} did not start: ${e}`);
      }
      await sleep(100);
    }
  }
  const pages = new Set();
  return {
    // One session a driver: a page a failed case left open is closed first.
    newPage: async () => {
      for (const page of pages) await page.close().catch(() => {});
      const page = await openSession(url);
      pages.add(page);
      page.closed = () => pages.delete(page);
      return page;
    },
    createBrowserContext: launch,
    defaultBrowserContext() { return this; },
    close: async () => {
      for (const page of pages) await page.close().catch(() => {});
      driver.kill();
      await new Promise((r) => (driver.exitCode !== null ? r() : driver.once('exit', r)));
      await rm(home, { recursive: true, force: true });
    },
  };
}

async function openSession(url) {
  const created = await command(url, 'POST', '/session', { capabilities: { alwaysMatch: {
    'webkitgtk:browserOptions': { binary: MiniBrowser, args: ['--automation'] },
    timeouts: { pageLoad: 30000, script: 30000 },  // as puppeteer's goto and the support's waits
  } } });
  return new Page(`${url}/session/${created.sessionId}`);
}

async function command(url, method, path, body) {
  const response = await fetch(url + path, {
    method, headers: { 'Content-Type': 'application/json; charset=utf-8' }, body: body && JSON.stringify(body),
  });
  const { value } = await response.json();
  if (!response.ok) throw new Error(`WebDriver ${method} ${path}: ${value.error}: ${value.message}`);
  return value;
}

export class Page {
  constructor(session) {
    this.session = session;
    this.queue = Promise.resolve();
    this.listeners = { console: [], pageerror: [] };
    this.pointer = { x: 0, y: 0 };
    this.mouse = {
      move: (x, y) => this.pointerActions([this.moveTo(x, y)]),
      down: ({ button = 'left' } = {}) => this.pointerActions([{ type: 'pointerDown', button: Buttons[button] }]),
      up: ({ button = 'left' } = {}) => this.pointerActions([{ type: 'pointerUp', button: Buttons[button] }]),
      click: (x, y, { button = 'left' } = {}) => (button === 'right' ? this.rightClick(x, y) :
        this.pointerActions([this.moveTo(x, y), { type: 'pointerDown', button: 0 }, { type: 'pointerUp', button: 0 }])),
    };
    this.keyboard = {
      down: (name) => this.keyActions([{ type: 'keyDown', value: Keys[name] ?? name }]),
      up: (name) => this.keyActions([{ type: 'keyUp', value: Keys[name] ?? name }]),
      press: (name) => this.keyActions([{ type: 'keyDown', value: Keys[name] ?? name }, { type: 'keyUp', value: Keys[name] ?? name }]),
    };
  }

  // One command at a time, in the order the test made them.
  send(method, path, body) {
    const sent = this.queue.then(() => command(this.session, method, path, body));
    this.queue = sent.catch(() => {});
    return sent;
  }

  on(event, listener) { this.listeners[event]?.push(listener); return this; }
  off(event, listener) { const l = this.listeners[event]; if (l) l.splice(l.indexOf(listener), 1); return this; }

  // The page's recorded console lines, to the listeners, as puppeteer's messages.
  async drain() {
    let lines = [];
    try {
      lines = await this.evaluate(() => (window.gaugeplotConsole ?? []).splice(0));
    } catch { /* between two documents */ }
    for (const [type, text] of lines) {
      if (type === 'pageerror') this.listeners.pageerror.forEach((l) => l(new Error(text)));
      else this.listeners.console.forEach((l) => l({ type: () => type, text: () => text }));
    }
  }

  async goto(address) {
    await this.drain();
    await this.send('POST', '/url', { url: address });
  }

  async reload() {
    await this.drain();
    await this.send('POST', '/refresh', {});
  }

  url() { return this.send('GET', '/url'); }
  title() { return this.send('GET', '/title'); }

  // The window sized so that its view is width x height CSS pixels, once GTK has resized it.
  async setViewport({ width, height, deviceScaleFactor = 1, hasTouch = false }) {
    if (deviceScaleFactor !== 1 || hasTouch) throw new Error('WebKit here has a scale factor of 1 and no touch');
    const [w, h] = await this.evaluate(() => [outerWidth - innerWidth, outerHeight - innerHeight]);
    await this.send('POST', '/window/rect', { width: width + w, height: height + h });
    await this.waitForFunction((x, y) => innerWidth === x && innerHeight === y, {}, width, height);
  }

  // `fn` in the page with these arguments, awaited there; elements come back as handles.
  async evaluate(fn, ...args) {
    const value = await this.send('POST', '/execute/async', {
      script: `const done = arguments[arguments.length - 1];
        Promise.resolve().then(() => (${fn}).apply(null, [...arguments].slice(0, -1)))
          .then((value) => done({ value, undefined: value === undefined }), (e) => done({ error: String(e && e.stack || e) }));`,
      args,
    });
    if (value.error) throw new Error(value.error);
    if (value.undefined) return undefined;  // else null: WebDriver has no undefined
    return value.value?.[Element] ? this.handle(value.value) : value.value;
  }

  $eval(selector, fn, ...args) {
    return this.evaluate(`(selector, ...args) => (${fn})(document.querySelector(selector), ...args)`, selector, ...args);
  }

  async waitForFunction(fn, { timeout = 30000 } = {}, ...args) {
    const deadline = Date.now() + timeout;
    for (;;) {
      let value;
      try {
        value = await this.evaluate(fn, ...args);
      } catch (e) {
        if (Date.now() > deadline) throw e;  // else a document being replaced
      }
      if (value) {
        await this.drain();
        return value;
      }
      if (Date.now() > deadline) throw new Error(`waitForFunction timed out after ${timeout} ms: ${fn}`);
      await sleep(100);
    }
  }

  // Resolves once the document there now has been replaced and the new one has loaded.
  async waitForNavigation({ timeout = 30000 } = {}) {
    const mark = Math.random();
    await this.evaluate((m) => { window.gaugeplotDocument = m; }, mark);
    await this.waitForFunction((m) => window.gaugeplotDocument !== m && document.readyState === 'complete', { timeout }, mark);
  }

  focus(selector) { return this.evaluate((s) => document.querySelector(s).focus(), selector); }

  async click(selector) {
    const element = await this.send('POST', '/element', { using: 'css selector', value: selector });
    await this.send('POST', `/element/${element[Element]}/click`, {});
  }

  handle(reference) {
    const element = { asElement: () => element, click: () => this.send('POST', `/element/${reference[Element]}/click`, {}) };
    return element;
  }

  moveTo(x, y) {
    this.pointer = { x: Math.floor(x), y: Math.floor(y) };
    return { type: 'pointerMove', origin: 'viewport', duration: 0, ...this.pointer };
  }

  pointerActions(actions) {
    return this.send('POST', '/actions', { actions: [{ type: 'pointer', id: 'mouse', parameters: { pointerType: 'mouse' }, actions }] });
  }

  keyActions(actions) {
    return this.send('POST', '/actions', { actions: [{ type: 'key', id: 'keyboard', actions }] });
  }

  // WebKitGTK's WebDriver sends a right button's release as the left button's, and the page would
  // then hold the right button pressed. A person's right click is dispatched instead, as WebKit
  // sends it: pointerdown, mousedown, contextmenu, pointerup, mouseup, with the buttons held.
  async rightClick(x, y) {
    await this.mouse.move(x, y);
    await this.evaluate((px, py) => {
      const target = document.elementFromPoint(px, py);
      const at = { bubbles: true, cancelable: true, composed: true, view: window, clientX: px, clientY: py, button: 2 };
      const pointer = { ...at, pointerId: 1, pointerType: 'mouse', isPrimary: true };
      target.dispatchEvent(new PointerEvent('pointerdown', { ...pointer, buttons: 2 }));
      target.dispatchEvent(new MouseEvent('mousedown', { ...at, buttons: 2 }));
      target.dispatchEvent(new MouseEvent('contextmenu', { ...at, buttons: 2 }));
      target.dispatchEvent(new PointerEvent('pointerup', { ...pointer, buttons: 0 }));
      target.dispatchEvent(new MouseEvent('mouseup', { ...at, buttons: 0 }));
    }, x, y);
  }

  // The viewport as PNG bytes.
  async screenshot() {
    return Buffer.from(await this.send('GET', '/screenshot'), 'base64');
  }

  async close() {
    try {
      await this.drain();
      await this.send('DELETE', '');
    } finally {
      this.closed?.();
    }
  }
}

const Buttons = { left: 0, middle: 1, right: 2 };
