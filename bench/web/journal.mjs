// The journal's costs in the viewers' own pages (web/journal.js): how long a typical and the
// largest journal take to play back, from the tab and from a link, how long the link is, and what
// the journal adds to a live frame, against the page's own work for a frame.
import { readFileSync } from 'node:fs';
import { join } from 'node:path';
import { Root, serve } from '../../tests/web/support.mjs';

const Windows = { gaugeplot2d: [640, 480], gaugeplot3d: [640, 640] };
const MaxRecords = Number(/MaxRecords: (\d+)/.exec(readFileSync(join(Root, 'web/journal.js'), 'utf8'))[1]);

// A star of `count` vertices around the window's centre, every vertex far from the one before:
// alternately `inner` and `inner` + 40 pixels out.
function star(name, count, inner, turn) {
  const [w, h] = Windows[name];
  return Array.from({ length: count }, (_, j) => {
    const angle = 2 * Math.PI * (j / count + turn), r = inner + (j % 2) * 40;
    return [Math.round(w / 2 + r * Math.cos(angle)), Math.round(h / 2 + r * Math.sin(angle))];
  });
}

// A journal as the page would write it: every call followed by the frame it asked for, in the
// 3D viewer; the polygons, then drags of `steps` motions until `limit` calls.
export function journal(name, polygons, vertices, drags, steps, limit = Infinity) {
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
  for (let d = 0; d < drags && calls.length < limit - 2 * steps - 4; d++) {
    const [x, y] = shapes[d % polygons][0];
    put(`D0,${x},${y}`);
    for (let i = 1; i <= steps; i++) put(`V${x + (i % 20)},${y + (i % 20)}`);
    put(`U0,${x},${y}`);
  }
  return `${name}/1:${calls.join('')}`;
}

// The page with `text` in the tab's keeping, or at `url` in a fresh browser context; resolves to
// the journal's figures once it has played.
async function open(browser, url, name, text) {
  const context = await browser.createBrowserContext();
  const page = await context.newPage();
  await page.setViewport({ width: 900, height: 800 });
  if (text) await page.evaluateOnNewDocument((key, value) => sessionStorage.setItem(key, value), `gaugeplot ${name}`, JSON.stringify({ text, link: '' }));
  await page.goto(url);
  await page.waitForFunction(() => window.gaugeplotRestored === true && window.gaugeplotReady === true, { timeout: 120000 });
  const figures = await page.evaluate(() => ({ ms: Module.gaugeplotJournal.restoredMs, calls: Module.gaugeplotJournal.count, since: performance.now() }));
  return { page, context, ...figures };
}

// `display`: the frame benchmark's page work per scene (ms), where it ran before.
export async function timeJournals(browser, build, display = {}) {
  const server = await serve(build);
  try {
    console.log('journal                  calls   from the tab   from a link (page loaded)   link chars');
    for (const name of Object.keys(Windows)) {
      const full = name === 'gaugeplot3d' ? 19 : 50;
      for (const [size, text] of [['typical', journal(name, 5, 8, 3, 30)], ['largest', journal(name, 50, full, 1000, 200, MaxRecords)]]) {
        const url = `${server.url}/${name}/${name}.html`;
        const tab = await open(browser, url, name, text);
        await tab.page.waitForFunction(() => location.hash.startsWith('#sketch='), { timeout: 60000 });
        const link = tab.page.url();
        const linked = await open(browser, link, name);
        console.log(`${name} ${size.padEnd(8)} ${String(tab.calls).padStart(6)} ${tab.ms.toFixed(1).padStart(11)} ms ` +
          `${linked.ms.toFixed(1).padStart(11)} ms (${linked.since.toFixed(0)} ms) ${String(link.length - link.indexOf('#')).padStart(12)}`);
        if (size === 'typical') {
          // What a live frame adds: the frame's call and the motion's, as a drag gives them.
          const perFrame = await tab.page.evaluate(() => {
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
        }
        const keep = await tab.page.evaluate(() => {
          const start = performance.now();
          Module.gaugeplotJournal.keep();
          return performance.now() - start;
        });
        console.log(`${name} ${size} kept for the tab when the page is hidden or goes: ${keep.toFixed(2)} ms`);
        await tab.context.close();
        await linked.context.close();
      }
    }
  } finally {
    await server.close();
  }
}
