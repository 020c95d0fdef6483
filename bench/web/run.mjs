// Runs gaugeplot_bench_web in headless Chromium (WebGL on SwiftShader), once per viewer, and
// prints the medians it reports; then times the journal of the viewers' own pages (web/journal.js).
//   node bench/web/run.mjs [folder with bench.html and gaugeplot_bench_web.js/.wasm [2d|3d|journal]]
// The viewers' pages are taken from the web build the folder is in. bench/run-web.sh builds them
// and calls this.
import { dirname, resolve } from 'node:path';
import { launch, Root, serve } from '../../tests/web/support.mjs';
import { timeJournals } from './journal.mjs';

const folder = resolve(process.argv[2] ?? `${Root}/build-web/bench`);
// Cross-origin isolation gives performance.now() its fine resolution (5 us instead of 100 us).
const server = await serve(folder, {
  'Cross-Origin-Opener-Policy': 'same-origin', 'Cross-Origin-Embedder-Policy': 'require-corp',
});
const browser = await launch();
try {
  const probe = await browser.newPage();
  console.log(`Chromium ${await browser.version()}, WebGL renderer: ${await probe.evaluate(() => {
    const gl = document.createElement('canvas').getContext('webgl');
    const info = gl.getExtension('WEBGL_debug_renderer_info');
    return info ? gl.getParameter(info.UNMASKED_RENDERER_WEBGL) : gl.getParameter(gl.RENDERER);
  })}`);
  await probe.close();
  const parts = process.argv[3] ? [process.argv[3]] : ['2d', '3d', 'journal'];
  const display = {};  // scene -> the page's own work for a frame, ms
  for (const viewer of parts.filter((p) => p !== 'journal')) {
    const page = await browser.newPage();
    await page.setViewport({ width: 800, height: 800 });
    // The program runs its frames in one go, so the page answers nothing until it prints "done".
    const lines = [];
    const finished = new Promise((done, fail) => {
      page.on('pageerror', (e) => fail(new Error(`the ${viewer} page: ${e}`)));
      page.on('console', (m) => {
        if (m.type() !== 'log') return;  // Emscripten's and the GL driver's notes
        if (m.text() === 'done') done();
        else lines.push(m.text());
      });
    });
    await page.goto(`${server.url}/bench.html?${viewer}`);
    await finished;
    const isolated = await page.evaluate(() => window.crossOriginIsolated);
    console.log(lines.join('\n') + (isolated ? '' : '\n(timer not isolated: 100 us resolution)'));
    for (const line of lines) if (/^frame/.test(line)) display[line.split(/\s+/)[0]] = Number(line.split(/\s+/)[1]);
    await page.close();
  }
  if (parts.includes('journal')) await timeJournals(browser, dirname(folder), display);
} finally {
  await browser.close();
  await server.close();
}
