// The end-to-end tests' sessions as lists of steps, played in a browser page through puppeteer or
// in the native viewer by the end-to-end suite's player, so both see the same input.
import { execFile } from 'node:child_process';
import { mkdtemp, readFile, rm } from 'node:fs/promises';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { promisify } from 'node:util';
import * as web from './support.mjs';

const run = promisify(execFile);

// Menu entries in GLUT's order and words, as the desktop shows them.
export const Viewers = {
  gaugeplot2d: {
    title: 'Glut window', width: 640, height: 480,
    menu: ['new polygon', 'change', 'Yontsal Function', 'Polygon Draw', 'Print Values', '[Esc] Exit'],
  },
  gaugeplot3d: {
    title: 'Lumvar2D', width: 640, height: 640,
    menu: ['New Polygon', 'Change', 'Yontsal Function', 'Show/Hide Polygons', '[Esc] Exit'],
  },
};

// The squares of tests/e2e: 100 pixels around the 2D window's centre (320, 240), and the 3D
// quadrilateral around (320, 320), which maps to the plane's origin.
export const Square2d = [[220, 140], [420, 140], [420, 340], [220, 340]];
export const Quad3d = [[200, 200], [440, 200], [440, 440], [200, 440]];
// The README's worked example, as Viewer2D.PrintValuesWritesTheWorkedListingOnAPipeWhileRunning sketches it.
export const Worked2d = [[220, 190], [440, 160], [410, 350], [260, 310]];

const clicks = (points) => points.map(([x, y]) => ['click', x, y]);

export const Sessions = {
  // "new polygon", the clicks, "new polygon" again, which finishes the polygon.
  square2d: [['menu', 'new polygon'], ...clicks(Square2d), ['menu', 'new polygon']],
  worked2d: [['menu', 'new polygon'], ...clicks(Worked2d), ['menu', 'new polygon'], ['menu', 'Print Values']],
  // The square's bottom-right corner dragged to (480, 400) in "change", then listed.
  drag2d: [['menu', 'new polygon'], ...clicks(Square2d), ['menu', 'new polygon'], ['menu', 'change'],
    ['drag', 420, 340, 480, 400], ['menu', 'Print Values']],
  // "New Polygon", a left click per vertex, the right press that finishes the polygon.
  quad3d: [['menu', 'New Polygon'], ...clicks(Quad3d), ['right', 600, 600]],
};

// The steps from the keyboard alone, on the focused canvas: the pointer moved by the arrows from the
// window's centre (10 pixels a press with Shift), Space the left button, held through a drag, the menu
// key the menu or the right button, an Alt drag Alt with the arrows (a drag a press, the pointer stays).
export function byKeyboard(viewer, steps) {
  let x = Viewers[viewer].width >> 1, y = Viewers[viewer].height >> 1;
  const arrows = (dx, dy, held = '') => [[dx, 'ArrowLeft', 'ArrowRight'], [dy, 'ArrowUp', 'ArrowDown']].flatMap(([d, less, more]) => [
    ...Array(Math.trunc(Math.abs(d) / 10)).fill(['key', `${held}Shift+${d < 0 ? less : more}`]),
    ...Array(Math.abs(d) % 10).fill(['key', held + (d < 0 ? less : more)])]);
  const to = (toX, toY) => {
    const keys = arrows(toX - x, toY - y);
    [x, y] = [toX, toY];
    return keys;
  };
  return steps.flatMap(([kind, ...a]) =>
    kind === 'menu' ? [['keymenu', a[0]]]
    : kind === 'click' ? [...to(a[0], a[1]), ['key', ' ']]
    : kind === 'right' ? [...to(a[0], a[1]), ['key', 'Shift+F10']]
    : kind === 'drag' && a[4]?.alt ? arrows(a[2] - a[0], a[3] - a[1], 'Alt+')
    : kind === 'drag' ? [...to(a[0], a[1]), ['keydown', ' '], ...to(a[2], a[3]), ['keyup', ' ']]
    : [[kind, ...a]]);
}

// Plays the steps in a viewer's page.
export async function playInPage(page, viewer, steps) {
  for (const [kind, ...a] of steps) {
    if (kind === 'menu') await web.chooseMenuEntry(page, a[0]);
    else if (kind === 'keymenu') {
      for (const name of ['Shift+F10', ...Array(Viewers[viewer].menu.indexOf(a[0])).fill('ArrowDown'), 'Enter']) await web.key(page, name);
    } else if (kind === 'keydown') await page.keyboard.down(a[0]);
    else if (kind === 'keyup') await page.keyboard.up(a[0]);
    else if (kind === 'click') await web.click(page, a[0], a[1]);
    else if (kind === 'right') await web.rightPress(page, a[0], a[1]);
    else if (kind === 'drag') await web.drag(page, a[0], a[1], a[2], a[3], a[4]);
    else if (kind === 'key') await web.key(page, a[0]);
    else throw new Error(`unknown step ${kind}`);
  }
}

// Plays the steps in the native viewer with the end-to-end suite's own player (tests/e2e/play.cpp,
// a private Xvfb and xdotool, each wait with a deadline) and returns the settled window's picture
// and what the program wrote on standard output.
export async function playNative(name, steps) {
  const menu = Viewers[name].menu;
  const args = steps.map(([kind, ...a]) => {
    if (kind === 'menu') return `menu=${menu.indexOf(a[0]) + 1}`;
    if (kind === 'drag') return `${a[4]?.alt ? 'altdrag' : 'drag'}=${a.slice(0, 4).join(',')}`;
    if (kind === 'click' || kind === 'right') return `${kind}=${a.join(',')}`;
    throw new Error(`step ${kind} is not played natively`);
  });
  const folder = await mkdtemp(join(tmpdir(), 'gaugeplot-native-'));
  try {
    const picture = join(folder, 'window.ppm'), listing = join(folder, 'listing.txt');
    await run(join(web.NativeBuild, 'tests/e2e/gaugeplot_e2e_play'), [name, picture, listing, ...args]);
    return { image: web.decodePpm(await readFile(picture)), stdout: (await readFile(listing)).toString('latin1') };
  } finally {
    await rm(folder, { recursive: true, force: true });
  }
}
