// Support for the browser tests: the site served on 127.0.0.1, Debian's Chromium, Firefox or
// WebKit driven by puppeteer-core or WebDriver, pixels read back from screenshots, and the native
// viewers under Xvfb.
import { createReadStream, existsSync, readFileSync, statSync } from 'node:fs';
import { createServer } from 'node:http';
import { extname, join, normalize, resolve } from 'node:path';
import { fileURLToPath } from 'node:url';
import { inflateSync } from 'node:zlib';
import puppeteer from 'puppeteer-core';
import * as webkit from './webdriver.mjs';

export const Root = resolve(fileURLToPath(new URL('.', import.meta.url)), '../..');
export const Site = process.env.GAUGEPLOT_SITE ?? join(Root, 'build-web/site');
export const NativeBuild = process.env.GAUGEPLOT_NATIVE_BUILD ?? join(Root, 'build');
export const Chromium = process.env.CHROMIUM ?? '/usr/bin/chromium';
export const Firefox = process.env.FIREFOX ?? '/usr/bin/firefox-esr';

// The engine the cases run on: chromium (headless), firefox or webkit (on the X display of
// DISPLAY, an Xvfb: headless Firefox has no WebGL).
export const Engine = process.env.GAUGEPLOT_BROWSER ?? 'chromium';
if (!['chromium', 'firefox', 'webkit'].includes(Engine))
  throw new Error(`GAUGEPLOT_BROWSER=${Engine}: chromium, firefox or webkit`);

// Generous: SwiftShader on a loaded 2-core machine; nothing here measures speed.
export const Timeout = 30000;

const Types = {
  '.html': 'text/html; charset=utf-8', '.js': 'text/javascript', '.mjs': 'text/javascript',
  '.wasm': 'application/wasm', '.png': 'image/png', '.svg': 'image/svg+xml', '.css': 'text/css',
  '.ico': 'image/x-icon', '.json': 'application/json', '.txt': 'text/plain; charset=utf-8',
};

// Serves the folder on 127.0.0.1 at a port the system picks; resolves to { url, close }.
// `headers` go with every answer.
export function serve(folder = Site, headers = {}) {
  const server = createServer((request, response) => {
    const path = decodeURIComponent(new URL(request.url, 'http://127.0.0.1').pathname);
    let file = normalize(join(folder, path));
    if (!file.startsWith(normalize(folder))) {
      response.writeHead(403).end();
      return;
    }
    if (existsSync(file) && statSync(file).isDirectory()) file = join(file, 'index.html');
    if (!existsSync(file)) {
      response.writeHead(404).end();
      return;
    }
    response.writeHead(200, { ...headers, 'Content-Type': Types[extname(file)] ?? 'application/octet-stream' });
    if (Engine === 'webkit' && extname(file) === '.html')
      response.end(readFileSync(file, 'utf8').replace('<head>', `<head>${webkit.Recorder}`));
    else createReadStream(file).pipe(response);
  });
  return new Promise((resolvePromise, reject) => {
    server.on('error', reject);
    server.listen(0, '127.0.0.1', () => {
      resolvePromise({
        url: `http://127.0.0.1:${server.address().port}`,
        close: () => new Promise((done) => { server.closeAllConnections(); server.close(done); }),
      });
    });
  });
}

// The engine's browser. Headless Chromium has WebGL on SwiftShader, the same on every machine
// whatever its GPU; Firefox (with a fresh profile) and WebKit have Mesa's on the X server.
export function launch(engine = Engine) {
  const program = { chromium: Chromium, firefox: Firefox, webkit: webkit.Driver }[engine];
  if (!existsSync(program))
    throw new Error(`${program} not found: scripts/setup.sh chromium firefox-esr webkit2gtk-driver (scripts/test.sh installs them)`);
  if (engine !== 'chromium' && !process.env.DISPLAY)
    throw new Error(`${engine} needs an X display: run under xvfb-run -a -s '-screen 0 1280x1024x24'`);
  if (engine === 'firefox')
    return puppeteer.launch({ browser: 'firefox', executablePath: Firefox, headless: false, protocolTimeout: 120000 });
  if (engine === 'webkit') return webkit.launch();
  return puppeteer.launch({
    executablePath: Chromium,
    headless: true,
    args: ['--headless=new', '--use-angle=swiftshader', '--enable-unsafe-swiftshader',
      '--force-color-profile=srgb', '--no-sandbox', '--disable-gpu-sandbox', '--hide-scrollbars',
      '--disable-background-timer-throttling', '--disable-renderer-backgrounding'],
    protocolTimeout: 120000,
  });
}

// A viewer's page, loaded until the viewer has drawn its first frame. Every console error and
// uncaught exception is kept in page.errors, every console message of the load in page.loadMessages.
export async function openViewer(browser, url, name, { width = 900, height = 800, scale = 1, touch = false, hash = '' } = {}) {
  const page = await browser.newPage();
  page.errors = [];
  page.loadMessages = [];
  const loading = (m) => page.loadMessages.push(`${m.type()}: ${m.text()}`);
  page.on('console', loading);
  page.on('console', (m) => { if (m.type() === 'error') page.errors.push(m.text()); });
  page.on('pageerror', (e) => page.errors.push(String(e)));
  page.on('requestfailed', (r) => page.errors.push(`${r.url()}: ${r.failure()?.errorText}`));
  await page.setViewport({ width, height, deviceScaleFactor: scale, hasTouch: touch });
  await page.goto(`${url}/${name}.html${hash}`, { waitUntil: 'load', timeout: Timeout });
  await ready(page);
  page.off('console', loading);
  page.canvasBox = await canvasBox(page);
  return page;
}

// The viewer has drawn its first frame, with the sketch its journal brought back if any.
export function ready(page) {
  return page.waitForFunction(() => window.gaugeplotReady === true && window.gaugeplotRestored === true, { timeout: Timeout });
}

// The address holds the link of the sketch as it is now.
export function linked(page) {
  return page.waitForFunction(() => {
    const J = Module.gaugeplotJournal;
    return !J.saveTimer && J.written === J.saveSerial && location.hash === J.link;
  }, { timeout: Timeout });
}

export async function canvasBox(page) {
  return page.$eval('#canvas', (c) => {
    const r = c.getBoundingClientRect();
    return { x: r.left, y: r.top, width: r.width, height: r.height, backingWidth: c.width, backingHeight: c.height };
  });
}

// Window pixel (x, y) of the canvas to the page's CSS pixel; the middle of the pixel, as X
// delivers it to the native viewer. WebDriver's pointer moves by whole CSS pixels (puppeteer
// rounds Firefox's, which would give the next pixel): there the pixel's top-left corner.
function at(page, x, y) {
  const middle = Engine === 'chromium' ? 0.5 : 0;
  return { x: page.canvasBox.x + x + middle, y: page.canvasBox.y + y + middle };
}

export async function click(page, x, y) {
  const p = at(page, x, y);
  await page.mouse.click(p.x, p.y);
}

export async function rightPress(page, x, y) {
  const p = at(page, x, y);
  await page.mouse.click(p.x, p.y, { button: 'right' });
}

// A left drag through `steps` motions, with Alt held if asked, as XSession::drag does.
export async function drag(page, fromX, fromY, toX, toY, { alt = false, steps = 4 } = {}) {
  if (alt) await page.keyboard.down('Alt');
  const from = at(page, fromX, fromY);
  await page.mouse.move(from.x, from.y);
  await page.mouse.down();
  for (let i = 1; i <= steps; i++) {
    const p = at(page, fromX + Math.trunc((toX - fromX) * i / steps), fromY + Math.trunc((toY - fromY) * i / steps));
    await page.mouse.move(p.x, p.y);
  }
  await page.mouse.up();
  if (alt) await page.keyboard.up('Alt');
}

// The pop-up menu's entries, in order, while it is open; null while it is closed.
export function menuEntries(page) {
  return page.evaluate(() => {
    const menu = document.getElementById('glut-menu');
    if (!menu || menu.getClientRects().length === 0) return null;
    return [...menu.querySelectorAll('button.glut-menu-entry')].map((b) => b.textContent);
  });
}

// A right click at the window pixel opens the menu; then a click on the entry with this label.
export async function chooseMenuEntry(page, label, x = 100, y = 100) {
  await rightPress(page, x, y);
  const entry = await menuEntry(page, label);
  await entry.asElement().click();
  await page.waitForFunction(() => {
    const menu = document.getElementById('glut-menu');
    return !menu || menu.getClientRects().length === 0;
  }, { timeout: Timeout });
}

// A touch at the window pixel: a tap, or held as a long press.
export async function touch(page, x, y, { hold = false } = {}) {
  const p = at(page, x, y);
  if (!hold) return page.touchscreen.tap(p.x, p.y);
  await (await page.createCDPSession()).send('Input.synthesizeTapGesture', { x: p.x, y: p.y, duration: 1500, tapCount: 1, gestureSourceType: 'touch' });
}

// The open menu's entry with this label, once it shows.
export function menuEntry(page, label) {
  return page.waitForFunction((text) =>
    [...document.querySelectorAll('#glut-menu button.glut-menu-entry')].find((b) => b.textContent === text),
  { timeout: Timeout }, label);
}

// The mouse moved off the picture, wherever it was: a move to where it already is sends no event.
export async function mouseAway(page) {
  await page.mouse.move(1, 1);
  await page.mouse.move(0, 0);
}

// A key, with the modifiers named before it held: 'Alt+Shift+ArrowDown'.
export async function key(page, name) {
  const [last, ...held] = name.split('+').reverse();
  for (const modifier of held) await page.keyboard.down(modifier);
  await page.keyboard.press(last);
  for (const modifier of held.reverse()) await page.keyboard.up(modifier);
}

// The canvas as the page shows it: RGB bytes, in device pixels, row by row from the top.
export async function canvasImage(page) {
  const box = page.canvasBox;
  if (page instanceof webkit.Page) return crop(decodePng(await page.screenshot()), box);
  const png = await page.screenshot({ clip: { x: box.x, y: box.y, width: box.width, height: box.height }, captureBeyondViewport: false });
  return decodePng(Buffer.from(png));
}

// The CSS pixels of `box` (at a scale of 1) out of a picture of the whole view.
function crop(image, box) {
  const width = Math.round(box.width), height = Math.round(box.height), rgb = Buffer.alloc(width * height * 3);
  for (let y = 0; y < height; y++) {
    const from = ((Math.round(box.y) + y) * image.width + Math.round(box.x)) * 3;
    image.rgb.copy(rgb, y * width * 3, from, from + width * 3);
  }
  return { width, height, rgb };
}

// Screenshots until `done` holds for one (or the time is up); returns the last.
export async function waitForImage(page, done, timeout = Timeout) {
  const deadline = Date.now() + timeout;
  for (;;) {
    const image = await canvasImage(page);
    if (done(image) || Date.now() > deadline) return image;
    await new Promise((r) => setTimeout(r, 100));
  }
}

// Screenshots until three in a row are equal: every frame the input asked for has been drawn.
export async function settle(page, timeout = Timeout) {
  const deadline = Date.now() + timeout;
  let last = await canvasImage(page);
  let equal = 0;
  while (equal < 2 && Date.now() < deadline) {
    await new Promise((r) => setTimeout(r, 100));
    const next = await canvasImage(page);
    equal = next.rgb.equals(last.rgb) ? equal + 1 : 0;
    last = next;
  }
  return last;
}

// Decodes the 8-bit, non-interlaced RGB or RGBA PNG that the browsers' screenshots are.
export function decodePng(bytes) {
  let pos = 8;
  let width = 0, height = 0, channels = 0;
  const data = [];
  while (pos < bytes.length) {
    const length = bytes.readUInt32BE(pos);
    const type = bytes.toString('latin1', pos + 4, pos + 8);
    const body = bytes.subarray(pos + 8, pos + 8 + length);
    if (type === 'IHDR') {
      width = body.readUInt32BE(0);
      height = body.readUInt32BE(4);
      if (body[8] !== 8 || body[12] !== 0 || (body[9] !== 2 && body[9] !== 6))
        throw new Error(`unexpected PNG: depth ${body[8]}, colour type ${body[9]}, interlace ${body[12]}`);
      channels = body[9] === 6 ? 4 : 3;
    } else if (type === 'IDAT') {
      data.push(body);
    }
    pos += 12 + length;
  }
  const raw = inflateSync(Buffer.concat(data));
  const stride = width * channels;
  const rows = Buffer.alloc(stride * height);
  for (let y = 0; y < height; y++) {
    const filter = raw[y * (stride + 1)];
    for (let i = 0; i < stride; i++) {
      const x = raw[y * (stride + 1) + 1 + i];
      const a = i >= channels ? rows[y * stride + i - channels] : 0;
      const b = y > 0 ? rows[(y - 1) * stride + i] : 0;
      const c = y > 0 && i >= channels ? rows[(y - 1) * stride + i - channels] : 0;
      let predicted = 0;
      if (filter === 1) predicted = a;
      else if (filter === 2) predicted = b;
      else if (filter === 3) predicted = (a + b) >> 1;
      else if (filter === 4) {
        const p = a + b - c, pa = Math.abs(p - a), pb = Math.abs(p - b), pc = Math.abs(p - c);
        predicted = pa <= pb && pa <= pc ? a : pb <= pc ? b : c;
      }
      rows[y * stride + i] = (x + predicted) & 255;
    }
  }
  const rgb = Buffer.alloc(width * height * 3);
  for (let p = 0; p < width * height; p++)
    for (let k = 0; k < 3; k++) rgb[p * 3 + k] = rows[p * channels + k];
  return { width, height, rgb };
}

// Decodes a binary PPM (P6, maximum value 255), as ImageMagick's import writes it.
export function decodePpm(bytes) {
  const header = bytes.toString('latin1', 0, 64).match(/^P6\s+(\d+)\s+(\d+)\s+255\s/);
  if (!header) throw new Error('not an 8-bit binary PPM');
  const width = Number(header[1]), height = Number(header[2]);
  return { width, height, rgb: Buffer.from(bytes.subarray(header[0].length, header[0].length + width * height * 3)) };
}

export function pixel(image, x, y) {
  const i = (y * image.width + x) * 3;
  return { r: image.rgb[i], g: image.rgb[i + 1], b: image.rgb[i + 2] };
}

export function near(c, e, tolerance = 2) {
  return Math.abs(c.r - e.r) <= tolerance && Math.abs(c.g - e.g) <= tolerance && Math.abs(c.b - e.b) <= tolerance;
}

export function count(image, kind, area = { x: 0, y: 0, width: image.width, height: image.height }) {
  let n = 0;
  for (let y = area.y; y < area.y + area.height; y++)
    for (let x = area.x; x < area.x + area.width; x++) if (kind(pixel(image, x, y))) n++;
  return n;
}

// Pixels whose channels differ by more than `tolerance` anywhere; the images are the same size.
export function countDifferent(a, b, tolerance) {
  if (a.width !== b.width || a.height !== b.height)
    throw new Error(`sizes differ: ${a.width}x${a.height} and ${b.width}x${b.height}`);
  let n = 0;
  for (let p = 0; p < a.width * a.height; p++) {
    const i = p * 3;
    if (Math.abs(a.rgb[i] - b.rgb[i]) > tolerance || Math.abs(a.rgb[i + 1] - b.rgb[i + 1]) > tolerance ||
        Math.abs(a.rgb[i + 2] - b.rgb[i + 2]) > tolerance) n++;
  }
  return n;
}

export const sleep = (ms) => new Promise((r) => setTimeout(r, ms));

// A drag as a person exploring the band makes it: `motions` motions along a jittery path from the
// window pixel `from` to `to`, dispatched in the page as the browser delivers them, a frame asked
// for after each (no waiting for the display), with Alt held if asked.
export function longDrag(page, from, to, motions, { alt = false } = {}) {
  return page.evaluate((from, to, motions, alt) => {
    const box = document.getElementById('canvas').getBoundingClientRect();
    const send = (target, type, [x, y], buttons) => target.dispatchEvent(new MouseEvent(type,
      { bubbles: true, cancelable: true, button: 0, buttons, altKey: alt, clientX: box.left + x + 0.5, clientY: box.top + y + 0.5 }));
    send(document.getElementById('canvas'), 'mousedown', from, 1);
    for (let i = 1; i <= motions; i++) {
      const along = (k) => Math.round(from[k] + (to[k] - from[k]) * i / motions) + (i < motions ? ((i * 7919 + k * 31) % 9) - 4 : 0);
      send(window, 'mousemove', [along(0), along(1)], 1);
      Module._fromPageFrame(1);
    }
    send(window, 'mouseup', to, 0);
  }, from, to, motions, alt);
}
