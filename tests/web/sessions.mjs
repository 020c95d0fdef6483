// The end-to-end tests' sessions as lists of steps, played in a browser page through puppeteer or
// in the native viewer under Xvfb through xdotool, so both see the same input.
import { spawn } from 'node:child_process';
import { join } from 'node:path';
import * as web from './support.mjs';

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

// Plays the steps in a viewer's page.
export async function playInPage(page, viewer, steps) {
  for (const [kind, ...a] of steps) {
    if (kind === 'menu') await web.chooseMenuEntry(page, a[0]);
    else if (kind === 'click') await web.click(page, a[0], a[1]);
    else if (kind === 'right') await web.rightPress(page, a[0], a[1]);
    else if (kind === 'drag') await web.drag(page, a[0], a[1], a[2], a[3], a[4]);
    else if (kind === 'key') await web.key(page, a[0]);
    else throw new Error(`unknown step ${kind}`);
  }
}

// Runs the native viewer in a private Xvfb, plays the steps as XSession does in tests/e2e (the
// menu: a right click, then a left click 10 pixels right and 2 + 12 + 25 (n - 1) down) and
// returns the settled window's picture and what the program wrote on standard output.
export async function playNative(name, steps) {
  const viewer = Viewers[name];
  const x = await web.startXvfb();
  const program = spawn(join(web.NativeBuild, name, name), [], {
    env: { ...process.env, DISPLAY: x.display }, stdio: ['ignore', 'pipe', 'pipe'],
  });
  let stdout = '';
  program.stdout.on('data', (d) => { stdout += d.toString('latin1'); });
  try {
    const id = x.run('xdotool', ['search', '--sync', '--onlyvisible', '--name', `^${viewer.title}$`])
      .toString().split('\n')[0];
    const geometry = Object.fromEntries(x.run('xdotool', ['getwindowgeometry', '--shell', id]).toString()
      .trim().split('\n').map((l) => l.split('=')).map(([k, v]) => [k, Number(v)]));
    const screen = () => web.decodePpm(x.run('import', ['-silent', '-window', 'root', '-depth', '8', 'ppm:-']));
    const move = (px, py) => ['mousemove', String(geometry.X + px), String(geometry.Y + py)];
    const menuOpen = () => x.run('sh', ['-c', 'xdotool search --onlyvisible --name "^freeglut menu$" || true'])
      .length > 0;
    const until = async (done) => {
      for (const deadline = Date.now() + web.Timeout; !done();) {
        if (Date.now() > deadline) throw new Error('the native menu did not open or close');
        await web.sleep(50);
      }
    };
    const settle = async () => {
      let last = screen();
      for (let equal = 0; equal < 2;) {
        await web.sleep(100);
        const next = screen();
        equal = next.rgb.equals(last.rgb) ? equal + 1 : 0;
        last = next;
      }
      return last;
    };
    await settle();
    for (const [kind, ...a] of steps) {
      if (kind === 'menu') {
        x.run('xdotool', [...move(100, 100), 'click', '3']);
        await until(menuOpen);
        x.run('xdotool', [...move(110, 100 + 2 + 12 + 25 * viewer.menu.indexOf(a[0])), 'click', '1']);
        await until(() => !menuOpen());
      } else if (kind === 'click' || kind === 'right') {
        x.run('xdotool', [...move(a[0], a[1]), 'click', kind === 'click' ? '1' : '3']);
      } else if (kind === 'drag') {
        const [fx, fy, tx, ty] = a;
        const args = [...move(fx, fy), 'mousedown', '1'];
        for (let i = 1; i <= 4; i++) args.push(...move(fx + Math.trunc((tx - fx) * i / 4), fy + Math.trunc((ty - fy) * i / 4)));
        x.run('xdotool', [...(a[4]?.alt ? ['keydown', 'alt'] : []), ...args, 'mouseup', '1', ...(a[4]?.alt ? ['keyup', 'alt'] : [])]);
      } else {
        throw new Error(`step ${kind} is not played natively`);
      }
    }
    const root = await settle();
    const image = { width: geometry.WIDTH, height: geometry.HEIGHT, rgb: Buffer.alloc(geometry.WIDTH * geometry.HEIGHT * 3) };
    for (let y = 0; y < image.height; y++)
      root.rgb.copy(image.rgb, y * image.width * 3, ((geometry.Y + y) * root.width + geometry.X) * 3,
        ((geometry.Y + y) * root.width + geometry.X + image.width) * 3);
    return { image, stdout };
  } finally {
    program.kill('SIGKILL');
    await x.stop();
  }
}
