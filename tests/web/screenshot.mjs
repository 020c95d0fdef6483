// Writes docs/gaugeplot-web.png, the README's picture of the page: gaugeplot3d in headless
// Chromium with the three polygons of scripts/screenshots.sh sketched through the HTML menu.
//   node tests/web/screenshot.mjs      (after scripts/package-web.sh; npm ci in tests/web)
import { writeFileSync } from 'node:fs';
import { join } from 'node:path';
import { playInPage } from './sessions.mjs';
import * as web from './support.mjs';

const polygons = [
  [[200, 220], [430, 190], [460, 400], [230, 450]],
  [[320, 120], [440, 330], [320, 520], [190, 330]],
  [[140, 300], [330, 250], [500, 320], [330, 380]],
];
const server = await web.serve();
const browser = await web.launch();
try {
  const page = await web.openViewer(browser, server.url, 'gaugeplot3d', { width: 760, height: 740 });
  for (const polygon of polygons) {
    await playInPage(page, 'gaugeplot3d', [['menu', 'New Polygon'], ...polygon.map(([x, y]) => ['click', x, y]),
      ['right', 600, 600]]);
  }
  await web.settle(page);
  const file = join(web.Root, 'docs/gaugeplot-web.png');
  writeFileSync(file, await page.screenshot({ fullPage: true }));
  if (page.errors.length) throw new Error(`errors in the page console: ${page.errors.join('; ')}`);
  console.log(file);
} finally {
  await browser.close();
  await server.close();
}
