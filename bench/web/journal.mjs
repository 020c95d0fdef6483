// The journal's costs in the viewers' own pages (web/journal.js): Undo and Redo after a little and
// after ten minutes of editing, the link's length, how long a sketch takes to come back from the
// tab and from a link, the memory the page keeps, and what the journal adds to a live frame.
// Editing is dispatched in the page as the browser would deliver it: a mouse event per motion and,
// as a person's drag gives them, a frame after each.
import { longDrag, serve } from '../../tests/web/support.mjs';

const Windows = { gaugeplot2d: [640, 480], gaugeplot3d: [640, 640] };

// A star of `count` vertices around the window's centre, every vertex far from the one before:
// alternately `inner` and `inner` + 40 pixels out.
function star(name, count, inner, turn) {
  const [w, h] = Windows[name];
  return Array.from({ length: count }, (_, j) => {
    const angle = 2 * Math.PI * (j / count + turn), r = inner + (j % 2) * 40;
    return [Math.round(w / 2 + r * Math.cos(angle)), Math.round(h / 2 + r * Math.sin(angle))];
  });
}

// A format 1 journal, as the page before checkpoints wrote it: the polygons, then "change".
export function journal(name, polygons, vertices) {
  const three = name === 'gaugeplot3d', calls = [`R${Windows[name].join(',')}`];
  const put = (...c) => c.forEach((x) => calls.push(x, ...(three ? ['F'] : [])));
  if (three) calls.push('F');
  const shapes = Array.from({ length: polygons }, (_, k) => star(name, vertices, 90 + 2 * k, k / 97));
  for (const points of shapes) {
    put('C1,1');
    for (const [x, y] of points) put(`D0,${x},${y}`, `U0,${x},${y}`);
    if (three) put('D2,600,600', 'U2,600,600');
  }
  if (!three) put('C1,1');
  put('C1,2');
  return { text: `${name}/1:${calls.join('')}`, first: shapes.map((s) => s[0]) };
}

// `drags` drags of `motions` motions each (tests/web's longDrag) of the polygons' first vertices
// in turn, each from where it is to up to 30 pixels either way of where it was at first; in 3D
// every fifth an Alt turn elsewhere. Resolves to where the vertices are, once the GPU has drawn
// every frame the drags asked for.
async function edit(page, first, drags, motions, at = first.map((p) => [...p])) {
  const three = (await page.evaluate(() => Module.viewerName)) === 'gaugeplot3d';
  let seed = drags;
  const within = (c) => c + ((seed = (seed * 1103515245 + 12345) >>> 0) >>> 16) % 61 - 30;
  for (let d = 0; d < drags; d++) {
    const alt = three && d % 5 === 4, k = d % first.length, from = alt ? [40, 40] : at[k];
    const to = alt ? [within(40), 55] : [within(first[k][0]), within(first[k][1])];
    await longDrag(page, from, to, motions, { alt });
    if (!alt) at[k] = to;
  }
  await page.evaluate(() => {
    const gl = document.getElementById('canvas').getContext('webgl');
    gl.readPixels(0, 0, 1, 1, gl.RGBA, gl.UNSIGNED_BYTE, new Uint8Array(4));
  });
  return at;
}

// Undo and Redo from the call to the picture: the drawing finished (a pixel read back).
function timeUndoRedo() {
  const J = Module.gaugeplotJournal, gl = document.getElementById('canvas').getContext('webgl'), pixel = new Uint8Array(4);
  const timed = (f) => {
    gl.readPixels(0, 0, 1, 1, gl.RGBA, gl.UNSIGNED_BYTE, pixel);  // pressed once what was drawn is shown
    const start = performance.now();
    f();
    gl.readPixels(0, 0, 1, 1, gl.RGBA, gl.UNSIGNED_BYTE, pixel);
    return performance.now() - start;
  };
  return { undo: timed(J.undo), redo: timed(J.redo), undos: J.undos.length, undoBytes: J.undoBytes, stateBytes: 4 * J.initial.length };
}

// The page with `stored` in the tab's keeping, or at `url` in a fresh browser context, once its
// sketch has come back.
async function open(browser, url, name, stored) {
  const context = await browser.createBrowserContext();
  const page = await context.newPage();
  await page.setViewport({ width: 900, height: 800 });
  if (stored) await page.evaluateOnNewDocument((key, value) => sessionStorage.setItem(key, value), `gaugeplot ${name}`, stored);
  await page.goto(url);
  await page.waitForFunction(() => window.gaugeplotRestored === true && window.gaugeplotReady === true, { timeout: 120000 });
  const since = await page.evaluate(() => performance.now());
  return { page, context, ms: await page.evaluate(() => Module.gaugeplotJournal.restoredMs), since };
}

const linkOf = async (page) => {
  await page.waitForFunction(() => { const J = Module.gaugeplotJournal; return !J.saveTimer && J.written === J.saveSerial; }, { timeout: 60000 });
  return page.evaluate(() => location.hash);
};

// The tab's copy, as the page writes it when it is hidden or goes.
const kept = (page, name) => page.evaluate((key) => {
  const start = performance.now();
  Module.gaugeplotJournal.keep();
  return { ms: performance.now() - start, text: sessionStorage.getItem(key) };
}, `gaugeplot ${name}`);

const range = (values) => `${Math.min(...values).toFixed(1)}–${Math.max(...values).toFixed(1)}`;
const mib = (bytes) => `${(bytes / 1048576).toFixed(1)} MiB`;

// `display`: the frame benchmark's page work per scene (ms), where it ran before.
export async function timeJournals(browser, build, display = {}) {
  const server = await serve(build);
  try {
    for (const name of Object.keys(Windows)) {
      const url = `${server.url}/${name}/${name}.html`, full = name === 'gaugeplot3d' ? 19 : 50;
      const typical = journal(name, 5, 8), largest = journal(name, 50, full);
      const tab = await open(browser, url, name, JSON.stringify({ text: typical.text, link: '' }));
      const page = tab.page;
      // A little editing, then about ten minutes of it (225 drags of 160 motions, a drag every
      // 2.7 s at 60 frames a second, as the exploring person of the report), Undo and Redo after each.
      let at = await edit(page, typical.first, 5, 160);
      const little = [];
      for (let i = 0; i < 3; i++) little.push(await page.evaluate(timeUndoRedo));
      const started = Date.now();
      at = await edit(page, typical.first, 220, 160, at);
      const editedSeconds = (Date.now() - started) / 1000;
      const long = [];
      for (let i = 0; i < 3; i++) long.push(await page.evaluate(timeUndoRedo));
      const last = long[long.length - 1];
      console.log(`${name} Undo, Redo to the picture after 5 drags: ${range(little.map((t) => t.undo))} ms, ${range(little.map((t) => t.redo))} ms; ` +
        `after 225 drags of 160 motions (${editedSeconds.toFixed(0)} s in the page): ${range(long.map((t) => t.undo))} ms, ${range(long.map((t) => t.redo))} ms`);
      console.log(`${name} kept for Undo: ${last.undos} checkpoints, ${mib(last.undoBytes)} (at most 64 MiB), ` +
        `beside 4 copies of the ${mib(last.stateBytes)} state`);
      const keptLong = await kept(page, name);
      console.log(`${name} the tab's copy after 225 drags: ${(keptLong.text.length / 1024).toFixed(0)} KiB of text, written in ${keptLong.ms.toFixed(1)} ms`);
      const tabLong = await open(browser, url, name, keptLong.text);
      const linkLong = await linkOf(page);
      const fromLink = await open(browser, `${url}${linkLong}`, name);
      // The first Undo after a sketch came back plays its calls for their checkpoints; the next are as above.
      const afterReload = [await tabLong.page.evaluate(timeUndoRedo), await tabLong.page.evaluate(timeUndoRedo)];
      console.log(`${name} after 225 drags: link ${linkLong.length} characters; back from the tab in ${tabLong.ms.toFixed(1)} ms, ` +
        `from the link in ${fromLink.ms.toFixed(1)} ms (page loaded in ${fromLink.since.toFixed(0)} ms); ` +
        `the first Undo after the tab brought it back ${afterReload[0].undo.toFixed(1)} ms, the next ${afterReload[1].undo.toFixed(1)} ms`);
      for (const o of [tab, tabLong, fromLink]) await o.context.close();

      // The link: the typical sketch after 100 drags, then after 1,000; the largest sketch.
      const drags = await open(browser, url, name, JSON.stringify({ text: typical.text, link: '' }));
      at = await edit(drags.page, typical.first, 100, 20);
      const link100 = await linkOf(drags.page);
      await edit(drags.page, typical.first, 900, 20, at);
      const link1000 = await linkOf(drags.page);
      const from1000 = await open(browser, `${url}${link1000}`, name);
      const big = await open(browser, url, name, JSON.stringify({ text: largest.text, link: '' }));
      const linkBig = await linkOf(big.page), keptBig = await kept(big.page, name);
      const tabBig = await open(browser, url, name, keptBig.text), fromBig = await open(browser, `${url}${linkBig}`, name);
      console.log(`${name} link: typical sketch and 100 drags ${link100.length} characters, 1,000 drags ${link1000.length} ` +
        `(back in ${from1000.ms.toFixed(1)} ms); the largest sketch ${linkBig.length} (back in ${fromBig.ms.toFixed(1)} ms; ` +
        `from the tab, ${(keptBig.text.length / 1024).toFixed(0)} KiB written in ${keptBig.ms.toFixed(1)} ms, in ${tabBig.ms.toFixed(1)} ms)`);

      // What a live frame adds: the frame's call and the motion's, as a drag gives them.
      const perFrame = await drags.page.evaluate(() => {
        const J = Module.gaugeplotJournal, frames = 4000;
        J.record(68, 0, 300, 300, 0);
        const start = performance.now();
        for (let i = 0; i < frames; i++) {
          J.record(86, 300 + (i & 15), 300, 0, 0);
          J.record(70, 0, 0, 0, 0);
        }
        return (performance.now() - start) / frames;
      });
      const shares = ['typical', 'full'].map((scene) => `frame${name.slice(-2)}/${scene}`).filter((scene) => display[scene])
        .map((scene) => `${(100 * perFrame / display[scene]).toFixed(2)} % of ${scene}'s page work`);
      console.log(`${name} live frame: the journal's calls ${(1000 * perFrame).toFixed(2)} us a frame ${shares.join(', ')}`);
      for (const o of [drags, from1000, big, tabBig, fromBig]) await o.context.close();
    }
  } finally {
    await server.close();
  }
}

