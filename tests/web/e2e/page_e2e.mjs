// The page end to end in a real browser: Debian's Chromium, headless,
// driven through puppeteer-core, against the built folder served on
// 127.0.0.1. What a user does (menus, keys, a drag, the colour dialog,
// About, Exit) and what the page must show after each step.
//
//   node page_e2e.mjs --site DIR --modules DIR --artifacts DIR
//                     [--runner PATH] [--chromium PATH]
//
// Exits 77 (skipped) when Chromium or puppeteer-core is missing.
//
// --site: index.html, octaspin.js and octaspin.wasm; --modules: the
// node_modules folder holding puppeteer-core; --artifacts: screenshots of
// the page when a check fails; --runner: the Linux build's headless runner,
// whose first frame at the page's client size gives the overlay text the
// page must draw pixel for pixel. Prints the timings it measured. Exits 0
// when every check passes, 1 otherwise.
import fs from 'node:fs';
import http from 'node:http';
import os from 'node:os';
import path from 'node:path';
import { execFileSync } from 'node:child_process';
import { createRequire } from 'node:module';

const args = {};
for (let i = 2; i + 1 < process.argv.length; i += 2) {
  args[process.argv[i].replace(/^--/, '')] = process.argv[i + 1];
}
for (const needed of ['site', 'modules', 'artifacts']) {
  if (!args[needed]) {
    console.error(`usage: node page_e2e.mjs --site DIR --modules DIR --artifacts DIR [--runner PATH] [--chromium PATH]`);
    process.exit(2);
  }
}
// Without the browser or its driver the test cannot run: skipped (77).
const chromium = args.chromium || '/usr/bin/chromium';
if (!fs.existsSync(path.join(args.modules, 'puppeteer-core')) || !fs.existsSync(chromium)) {
  console.log(`skipped: needs ${chromium} and puppeteer-core in ${args.modules} (scripts/test-web.sh installs both)`);
  process.exit(77);
}
const puppeteer = createRequire(path.join(path.resolve(args.modules), 'x.js'))('puppeteer-core');
fs.mkdirSync(args.artifacts, { recursive: true });
const work = fs.mkdtempSync(path.join(os.tmpdir(), 'octaspin-web-e2e-'));

// The page's files, and the runner's reference frame, from 127.0.0.1 only.
const files = {
  '/': ['index.html', 'text/html'],
  '/index.html': ['index.html', 'text/html'],
  '/octaspin.js': ['octaspin.js', 'text/javascript'],
  '/octaspin.wasm': ['octaspin.wasm', 'application/wasm'],
};
const server = http.createServer((request, response) => {
  const url = request.url.split('?')[0];
  let file = null;
  let type = null;
  if (files[url]) {
    file = path.join(args.site, files[url][0]);
    type = files[url][1];
  } else if (url === '/reference.png' && fs.existsSync(path.join(work, 'reference.png'))) {
    file = path.join(work, 'reference.png');
    type = 'image/png';
  } else if (url.startsWith('/downloads/') && fs.existsSync(path.join(work, url))) {
    file = path.join(work, url);
    type = 'image/png';
  }
  if (!file) {
    response.writeHead(404);
    response.end();
    return;
  }
  response.writeHead(200, { 'content-type': type, 'cache-control': 'no-store' });
  fs.createReadStream(file).pipe(response);
});
await new Promise((resolve) => server.listen(0, '127.0.0.1', resolve));
const base = `http://127.0.0.1:${server.address().port}/`;

const browser = await puppeteer.launch({
  executablePath: chromium,
  headless: true,
  userDataDir: path.join(work, 'profile'),
  args: ['--no-sandbox', '--disable-gpu', '--no-first-run', '--disable-background-networking',
         '--disable-component-update', '--disable-sync', '--disable-extensions'],
});
const page = await browser.newPage();
await page.setViewport({ width: 760, height: 640 });
const problems = [];
page.on('pageerror', (e) => problems.push(`page error: ${e.message}`));
page.on('console', (m) => { if (m.type() === 'error') problems.push(`console: ${m.text()}`); });

let failures = 0;
let step = 0;
async function check(what, condition, detail) {
  ++step;
  if (condition) {
    console.log(`ok   ${what}`);
    return;
  }
  ++failures;
  console.log(`FAIL ${what}${detail !== undefined ? ': ' + JSON.stringify(detail) : ''}`);
  const shot = path.join(args.artifacts, `failure-${String(step).padStart(2, '0')}.png`);
  await page.screenshot({ path: shot }).catch(() => {});
  console.log(`     screenshot: ${shot}`);
}

const sleep = (ms) => new Promise((resolve) => setTimeout(resolve, ms));
const status = () => page.evaluate(() => ({ ...window.octaspin }));
// Lets the program run `passes` more passes (and the page draw them).
async function passes(count) {
  const start = (await status()).frames;
  await page.waitForFunction((n) => window.octaspin.frames >= n || window.octaspin.exitCode !== null,
                             { timeout: 20000 }, start + count);
  await page.evaluate(() => new Promise((r) => requestAnimationFrame(() => requestAnimationFrame(r))));
}

// What the canvas shows: the polyhedron's pixels (bright green, or any
// colour at all when `anyColour`) below the overlay, their bounding box,
// centre and number of distinct colours, and the overlay's white pixels.
async function picture(anyColour = false) {
  return page.evaluate((anyColour) => {
    const canvas = document.querySelector('canvas.client');
    const { width, height } = canvas;
    const data = canvas.getContext('2d').getImageData(0, 0, width, height).data;
    let count = 0, left = width, top = height, right = -1, bottom = -1, sumX = 0;
    const colours = new Set();
    let red = 0, green = 0;
    for (let y = 30; y < height; ++y) {
      for (let x = 0; x < width; ++x) {
        const i = (y * width + x) * 4;
        const [r, g, b] = [data[i], data[i + 1], data[i + 2]];
        if (r + g + b === 0) continue;
        if (!anyColour && !(g > r + 20 && g > b + 20)) continue;
        ++count; sumX += x;
        left = Math.min(left, x); right = Math.max(right, x);
        top = Math.min(top, y); bottom = Math.max(bottom, y);
        colours.add((r << 16) | (g << 8) | b);
        if (r > g + 40) ++red;
        if (g > r + 40) ++green;
      }
    }
    let overlay = 0;
    for (let y = 8; y < 28; ++y) {
      for (let x = 8; x < 200; ++x) {
        const i = (y * width + x) * 4;
        if (data[i] > 128 && data[i + 1] > 128 && data[i + 2] > 128) ++overlay;
      }
    }
    return { width, height, count, colours: colours.size, red, green, overlay,
             height_: bottom - top + 1, centreX: count ? sumX / count : -1 };
  }, anyColour);
}

async function menu(popupText, commandId) {
  const heads = await page.$$('.menu-title');
  for (const head of heads) {
    if ((await head.evaluate((h) => h.textContent)) === popupText) {
      await head.click();
      break;
    }
  }
  await page.click(`.menu-item[data-command-id="${commandId}"]`);
}
const checkedItems = () => page.$$eval('.menu-item.checked', (items) => items.map((i) => i.dataset.commandId));

try {
  // 1. Loading: the first frame, the green polyhedron and the overlay.
  await page.goto(base);
  await page.waitForFunction(() => window.octaspin && window.octaspin.frames > 0, { timeout: 20000 });
  const loaded = await status();
  await passes(30);
  let p = await picture();
  await check('first frames show the green polyhedron', p.count > 5000 && p.green > 5000, p);
  await check('the overlay text is drawn', p.overlay > 80, p.overlay);
  await check('the menu bar comes from the menu resource',
              (await page.$$eval('.menu-title', (h) => h.map((e) => e.textContent))).join(',') === 'File,Render,View,Help');
  await check('Flat carries the check mark at start', (await checkedItems()).join() === '40004', await checkedItems());
  await check('window.octaspin.exitCode is null while the program runs', loaded.exitCode === null, loaded);
  await check('the canvas has the keyboard', await page.evaluate(() => document.activeElement.matches('canvas.client')));

  // Speed, idle page: passes per second and the program's own time a pass,
  // in ten windows of 300 ms; the best and the median are printed (the
  // best is the nearest to an idle machine's). Nothing is asserted on them.
  const windows = [];
  for (let i = 0; i < 10; ++i) {
    const a = await status();
    const t = Date.now();
    await sleep(300);
    const b = await status();
    const n = b.frames - a.frames;
    windows.push({ rate: n * 1000 / (Date.now() - t), micros: (b.workMs - a.workMs) * 1000 / n });
  }
  const by = (key, order) => windows.map((w) => w[key]).sort((x, y) => order * (x - y));
  const median = (values) => values[Math.floor(values.length / 2)];
  console.log(`timing: first frame ${loaded.firstFrameMs.toFixed(0)} ms after the page's start; ` +
              `passes/s best ${by('rate', -1)[0].toFixed(0)}, median ${median(by('rate', -1)).toFixed(0)}; ` +
              `program's own work a pass best ${by('micros', 1)[0].toFixed(1)} us, ` +
              `median ${median(by('micros', 1)).toFixed(1)} us`);
  if (args.runner) {
    // The Linux build's whole pass at the same client size, best of three.
    let best = Infinity;
    for (let i = 0; i < 3; ++i) {
      const line = execFileSync(args.runner, ['--client', `${p.width}x${p.height}`, '--frames', '3000']).toString();
      best = Math.min(best, Number(/ms\/frame: ([0-9.]+)/.exec(line)[1]) * 1000);
    }
    console.log(`timing: the Linux build's pass at ${p.width}x${p.height}: best ${best.toFixed(1)} us ` +
                `(web / native: ${(by('micros', 1)[0] / best).toFixed(2)})`);
  }

  // 2. The overlay's text, pixel for pixel the Linux build's.
  if (args.runner) {
    execFileSync(args.runner, ['--client', `${p.width}x${p.height}`, '--frames', '1', '--quiet',
                               '--png', path.join(work, 'reference.png')]);
    const same = await page.evaluate(async () => {
      const image = new Image();
      image.src = '/reference.png';
      await image.decode();
      const reference = document.createElement('canvas');
      reference.width = image.width;
      reference.height = image.height;
      reference.getContext('2d').drawImage(image, 0, 0);
      const canvas = document.querySelector('canvas.client');
      // "WxH fps: " is the same in every frame: 13 characters from (10, 10).
      const w = 13 * 8, h = 16;
      const a = reference.getContext('2d').getImageData(10, 10, w, h).data;
      const b = canvas.getContext('2d').getImageData(10, 10, w, h).data;
      let differ = 0, inked = 0;
      for (let i = 0; i < a.length; i += 4) {
        if (a[i] !== b[i] || a[i + 1] !== b[i + 1] || a[i + 2] !== b[i + 2]) ++differ;
        if (a[i] !== 0) ++inked;
      }
      return { differ, inked };
    });
    await check('the overlay text matches the Linux build pixel for pixel', same.differ === 0 && same.inked > 50, same);
  }

  // 3. Render > Wireframe and Gouraud, and the check mark with them.
  await menu('Render', 40006);
  await passes(20);
  const wire = await picture();
  await check('Wireframe draws outlines only', wire.count > 200 && wire.count < p.count / 4, { flat: p.count, wire: wire.count });
  await check('the check mark moves to Wireframe', (await checkedItems()).join() === '40006', await checkedItems());
  await menu('Render', 40005);
  await passes(20);
  const gouraud = await picture();
  await check('Gouraud shades with many colours', gouraud.count > 5000 && gouraud.colours > 30,
              { flat: p.colours, gouraud: gouraud.colours });
  await check('the check mark moves to Gouraud', (await checkedItems()).join() === '40005', await checkedItems());
  // Alt and the pop-up's letter open it; the item's letter chooses.
  await page.keyboard.down('Alt');
  await page.keyboard.press('KeyR');
  await page.keyboard.up('Alt');
  await page.keyboard.press('KeyF');
  await passes(20);
  await check('Alt+R, F chooses Render > Flat', (await checkedItems()).join() === '40004', await checkedItems());

  // 4. Camera keys: the spin keeps the polyhedron's height, the keys do not.
  const still = await picture();
  for (let i = 0; i < 8; ++i) {
    await page.keyboard.press('KeyA');
  }
  await passes(20);
  const nearer = await picture();
  await check('A moves the camera forward', nearer.height_ > still.height_ + 10, { before: still.height_, after: nearer.height_ });
  for (let i = 0; i < 6; ++i) {
    await page.keyboard.press('ArrowLeft');
  }
  await passes(20);
  const turned = await picture();
  await check('the left arrow turns the camera', Math.abs(turned.centreX - nearer.centreX) > 20,
              { before: nearer.centreX, after: turned.centreX });
  for (let i = 0; i < 6; ++i) {
    await page.keyboard.press('ArrowRight');
  }
  for (let i = 0; i < 8; ++i) {
    await page.keyboard.press('KeyZ');
  }
  await passes(30);

  // 5. A drag turns the polyhedron, also while the pointer is off the
  //    canvas (pointer capture), until the button is released.
  await menu('File', 40007);
  await passes(10);
  const box = await (await page.$('canvas.client')).boundingBox();
  const level = await picture();
  const cx = box.x + level.centreX;
  const cy = box.y + 30 + (box.height - 30) / 2;
  await page.mouse.move(cx, cy);
  await page.mouse.down();
  await page.mouse.move(cx, cy + 60, { steps: 4 });
  await passes(10);
  const tilted = await picture();
  await check('dragging turns the polyhedron', Math.abs(tilted.height_ - level.height_) > 15,
              { before: level.height_, during: tilted.height_ });
  await page.mouse.move(cx, box.y + box.height + 60, { steps: 4 });
  await passes(10);
  const outside = await picture();
  await check('the drag goes on off the canvas', Math.abs(outside.height_ - tilted.height_) > 5,
              { inside: tilted.height_, outside: outside.height_ });
  await page.mouse.up();
  await passes(10);
  const released = await picture();
  await passes(20);
  const spinning = await picture();
  await check('after the release the drag is kept and the spin goes on',
              Math.abs(released.height_ - level.height_) > 15 && spinning.centreX !== released.centreX,
              { level: level.height_, released: released.height_ });

  // 6. Render > Diffuse Color: 51 / 242 / 51, typed values, Tab, Enter.
  await menu('Render', 40008);
  await page.waitForSelector('.dialog input[data-control-id="1000"]');
  const fields = await page.$$eval('.dialog input', (inputs) =>
    Object.fromEntries(inputs.map((i) => [i.dataset.controlId, i.value])));
  await check('Diffuse Color shows 51 / 242 / 51', fields['1001'] === '51' && fields['1000'] === '242' && fields['1002'] === '51', fields);
  await check('the green field has the focus', await page.evaluate(() => document.activeElement.dataset.controlId === '1000'));
  const framesInDialog = (await status()).frames;
  await page.keyboard.type('0');       // the whole text was selected: green := 0
  await page.keyboard.press('Tab');    // red, second in tab order
  await check('Tab goes to the red field', await page.evaluate(() => document.activeElement.dataset.controlId === '1001'));
  await page.keyboard.type('255');
  await page.keyboard.press('Tab');
  await page.keyboard.type('0');
  await sleep(200);
  const preview = await page.evaluate(() => {
    const c = document.querySelector('.dialog-paint');
    return Array.from(c.getContext('2d').getImageData(95, 85, 1, 1).data.slice(0, 3));
  });
  await check('typing repaints the preview in the typed colour', preview.join() === '255,0,0', preview);
  await check('the frame loop stands still while the dialog is open', (await status()).frames === framesInDialog);
  await page.keyboard.press('Enter');
  await page.waitForFunction(() => !document.querySelector('.dialog'), { timeout: 5000 });
  await passes(20);
  const red = await picture(true);
  await check('Enter confirms: the polyhedron turns red', red.red > 3000 && red.green < 100, red);
  await check('the keyboard is back on the canvas', await page.evaluate(() => document.activeElement.matches('canvas.client')));

  // 7. Help > About, with its icon, and its OK button.
  await menu('Help', 40002);
  await page.waitForSelector('.dialog canvas.icon');
  const about = await page.evaluate(() => {
    const icon = document.querySelector('.dialog canvas.icon');
    const pixels = icon.getContext('2d').getImageData(0, 0, icon.width, icon.height).data;
    const colours = new Set();
    for (let i = 0; i < pixels.length; i += 4) colours.add(pixels[i] << 16 | pixels[i + 1] << 8 | pixels[i + 2]);
    return { title: document.querySelector('.dialog .caption').textContent, size: [icon.width, icon.height],
             colours: colours.size, text: document.querySelector('.dialog').textContent };
  });
  await check('About opens with its icon', about.title === 'About' && about.size.join() === '32,32' && about.colours > 2, about);
  await check('About shows the controls text', about.text.includes('Contorls') && about.text.includes('x/c - pans camera'));
  await page.click('.dialog button[data-control-id="1"]');
  await page.waitForFunction(() => !document.querySelector('.dialog'), { timeout: 5000 });
  await check('About closes with OK', true);

  // 8. File > Open...: the browser's file picker; a cancel changes
  //    nothing, a chosen model opens and the caption names it; a file
  //    dropped on the canvas opens the same way.
  const caption = () => page.$eval('.caption-title', (t) => t.textContent);
  const titled = await caption();
  let [chooser] = await Promise.all([page.waitForFileChooser({ timeout: 5000 }), menu('File', 40010)]);
  await check('Open shows the picker for model files and their materials', chooser.isMultiple() === true &&
              (await page.$eval('input[type=file]', (i) => i.accept)) === '.obj,.ply,.stl,.mtl');
  await chooser.cancel();
  await passes(10);
  await check('a cancelled picker leaves the program running as it was', (await caption()) === titled,
              await caption());
  const polyhedron = await picture(true);
  [chooser] = await Promise.all([page.waitForFileChooser({ timeout: 5000 }), menu('File', 40010)]);
  await chooser.accept([path.resolve(path.dirname(new URL(import.meta.url).pathname),
                                     '../../frames/knot.obj')]);
  await page.waitForFunction(() => document.querySelector('.caption-title').textContent.startsWith('knot.obj'),
                             { timeout: 5000 }).catch(() => {});
  await passes(20);
  const knot = await picture(true);
  await check('the chosen model opens: the caption and the tab name knot.obj',
              (await caption()).startsWith('knot.obj') && (await page.title()).startsWith('knot.obj'),
              { caption: await caption(), title: await page.title() });
  await check('the knot shows many shades in the chosen colour where the polyhedron showed a few',
              polyhedron.colours < 10 && knot.colours > 30 && knot.red > 1000 && knot.green < 100,
              { polyhedron: polyhedron.colours, knot: knot.colours, red: knot.red });
  const dragOver = await page.evaluate(() => {
    // A tetrahedron in a file, as a drag from the desktop would bring it.
    const text = 'v 0 0 0\nv 1 0 0\nv 0 1 0\nv 0 0 1\nf 1 3 2\nf 1 2 4\nf 1 4 3\nf 2 3 4\n';
    const transfer = new DataTransfer();
    transfer.items.add(new File([text], 'tetra.obj', { type: 'model/obj' }));
    const canvas = document.querySelector('canvas.client');
    const over = new DragEvent('dragover', { dataTransfer: transfer, bubbles: true, cancelable: true });
    canvas.dispatchEvent(over);
    canvas.dispatchEvent(new DragEvent('drop', { dataTransfer: transfer, bubbles: true, cancelable: true }));
    return { taken: over.defaultPrevented, effect: transfer.dropEffect };
  });
  await page.waitForFunction(() => document.querySelector('.caption-title').textContent.startsWith('tetra.obj'),
                             { timeout: 5000 }).catch(() => {});
  await passes(20);
  const tetra = await picture(true);
  await check('a file dropped on the canvas opens: the caption names tetra.obj, the picture changes',
              dragOver.taken && (await caption()).startsWith('tetra.obj') && tetra.count > 1000 && tetra.colours <= 4,
              { dragOver, caption: await caption(), count: tetra.count, colours: tetra.colours });

  // 8b. A big model loads a piece a pass: the title shows the progress
  //     while the frames go on, then names the model.
  const watched = page.evaluate(() => new Promise((resolve) => {
    const percents = [];
    let framesLoading = [];
    const end = performance.now() + 60000;
    (function look() {
      const title = document.querySelector('.caption-title').textContent;
      const shown = /^Loading big\.ply \u2026 (\d+) % - /.exec(title);
      if (shown) {
        if (percents[percents.length - 1] !== Number(shown[1])) {
          percents.push(Number(shown[1]));
        }
        framesLoading.push(window.octaspin.frames);
      }
      if (title.startsWith('big.ply') || performance.now() > end) {
        resolve({ percents, frames: framesLoading.length ? framesLoading[framesLoading.length - 1] - framesLoading[0] : 0, title });
      } else {
        requestAnimationFrame(look);
      }
    })();
  }));
  await page.evaluate(() => {
    // A binary PLY of a bumpy grid, 640 x 640 vertices, 2 x 639 x 639
    // triangles: 17.6 MB.
    const n = 640;
    const header = 'ply\nformat binary_little_endian 1.0\nelement vertex ' + n * n +
      '\nproperty float x\nproperty float y\nproperty float z\nelement face ' + 2 * (n - 1) * (n - 1) +
      '\nproperty list uchar int vertex_indices\nend_header\n';
    const head = new TextEncoder().encode(header);
    const body = new DataView(new ArrayBuffer(n * n * 12 + 2 * (n - 1) * (n - 1) * 13));
    let at = 0;
    for (let y = 0; y < n; ++y) {
      for (let x = 0; x < n; ++x) {
        body.setFloat32(at, x, true);
        body.setFloat32(at + 4, y, true);
        body.setFloat32(at + 8, 20 * Math.sin(x / 40) * Math.cos(y / 40), true);
        at += 12;
      }
    }
    for (let y = 0; y + 1 < n; ++y) {
      for (let x = 0; x + 1 < n; ++x) {
        const v = y * n + x;
        for (const t of [[v, v + 1, v + n], [v + 1, v + n + 1, v + n]]) {
          body.setUint8(at, 3);
          t.forEach((k, i) => body.setInt32(at + 1 + 4 * i, k, true));
          at += 13;
        }
      }
    }
    const transfer = new DataTransfer();
    transfer.items.add(new File([head, body.buffer], 'big.ply'));
    const canvas = document.querySelector('canvas.client');
    canvas.dispatchEvent(new DragEvent('drop', { dataTransfer: transfer, bubbles: true, cancelable: true }));
  });
  const bigLoad = await watched;
  await passes(5);
  const big = await picture(true);
  await check('a big model loads while the frames go on, its progress in the title, then it shows',
              bigLoad.percents.length >= 3 && bigLoad.percents.every((p, i) => i === 0 || p > bigLoad.percents[i - 1]) &&
              bigLoad.frames >= 3 && (await caption()).startsWith('big.ply') && big.count > 1000,
              { bigLoad, caption: await caption(), count: big.count });

  // 9. Model Colors has nothing to switch for a model without colours.
  await check('Model Colors is greyed for a model without colours',
              (await page.$$('.menu-item.grayed[data-command-id="40013"]')).length === 1);

  // 10. A model with colours of its own (a PLY whose corners are shades of blue)
  //     shows them; Render > Model Colors switches to the material's red
  //     and back.
  await page.evaluate(() => {
    const corners = ['1 0 0', '-1 0 0', '0 1 0', '0 -1 0', '0 0 1', '0 0 -1'];
    // Blues, all with far more blue than red.
    const shades = ['30 60 255', '0 200 255', '150 0 255', '60 120 230', '20 230 200', '190 70 255'];
    const text = 'ply\nformat ascii 1.0\nelement vertex 6\nproperty float x\nproperty float y\n' +
      'property float z\nproperty uchar red\nproperty uchar green\nproperty uchar blue\n' +
      'element face 8\nproperty list uchar int vertex_indices\nend_header\n' +
      corners.map((c, i) => c + ' ' + shades[i] + '\n').join('') +
      '3 0 2 4\n3 2 1 4\n3 1 3 4\n3 3 0 4\n3 2 0 5\n3 1 2 5\n3 3 1 5\n3 0 3 5\n';
    const transfer = new DataTransfer();
    transfer.items.add(new File([text], 'blue.ply'));
    const canvas = document.querySelector('canvas.client');
    canvas.dispatchEvent(new DragEvent('dragover', { dataTransfer: transfer, bubbles: true, cancelable: true }));
    canvas.dispatchEvent(new DragEvent('drop', { dataTransfer: transfer, bubbles: true, cancelable: true }));
  });
  await page.waitForFunction(() => document.querySelector('.caption-title').textContent.startsWith('blue.ply'),
                             { timeout: 5000 }).catch(() => {});
  await passes(20);
  const blueness = () => page.evaluate(() => {
    const canvas = document.querySelector('canvas.client');
    const data = canvas.getContext('2d').getImageData(0, 30, canvas.width, canvas.height - 30).data;
    let blue = 0, red = 0;
    for (let i = 0; i < data.length; i += 4) {
      if (data[i + 2] > data[i] + 40) ++blue;
      if (data[i] > data[i + 2] + 40) ++red;
    }
    return { blue, red };
  });
  const own = await blueness();
  await check('a PLY with vertex colours opens in them, Model Colors checked',
              own.blue > 3000 && own.red < 100 && (await checkedItems()).includes('40013'),
              { own, checked: await checkedItems() });
  // The window with the coloured model, for the documentation.
  await (await page.$('.window')).screenshot({ path: path.join(args.artifacts, 'web-colours.png') });
  await menu('Render', 40013);
  await passes(10);
  const material = await blueness();
  await check('Model Colors unchecked: the material\'s red',
              material.red > 3000 && material.blue < 100 && !(await checkedItems()).includes('40013'),
              { material, checked: await checkedItems() });
  await menu('Render', 40013);
  await passes(10);
  const again = await blueness();
  await check('Model Colors again: the file\'s blue', again.blue > 3000 && again.red < 100, again);

  // 11. The camera on a model: the wheel walks it nearer (and the page does
  //     not scroll), a drag with the middle button pans it, F (View > Fit)
  //     frames the model again. The octahedron's tips lie on the spin's
  //     axis, so its height on the screen does not change as it spins; its
  //     middle sways a little as it turns, far less than the pan moves it.
  await menu('File', 40007);
  const canvasBox = await (await page.$('canvas.client')).boundingBox();
  await page.mouse.move(canvasBox.x + canvasBox.width / 2, canvasBox.y + canvasBox.height / 2);
  await passes(10);
  const framed = await picture(true);
  for (let i = 0; i < 4; ++i) {
    await page.mouse.wheel({ deltaY: -100 });
  }
  await passes(10);
  const wheeled = await picture(true);
  await check('the wheel walks the camera towards the model, the page stays put',
              wheeled.height_ > framed.height_ + 10 && (await page.evaluate(() => window.scrollY)) === 0,
              { framed: framed.height_, wheeled: wheeled.height_ });
  const from = { x: canvasBox.x + canvasBox.width / 2, y: canvasBox.y + canvasBox.height / 2 };
  await page.mouse.down({ button: 'middle' });
  await page.mouse.move(from.x + 90, from.y, { steps: 5 });
  await page.mouse.up({ button: 'middle' });
  await passes(10);
  const panned = await picture(true);
  await check('a middle-button drag pans the model along with the pointer',
              panned.centreX > wheeled.centreX + 45, { before: wheeled.centreX, after: panned.centreX });
  await page.keyboard.press('KeyF');
  await passes(10);
  const fitted = await picture(true);
  await check('F frames the model again',
              Math.abs(fitted.height_ - framed.height_) <= 3 && Math.abs(fitted.centreX - framed.centreX) < 30,
              { framed, fitted });
  // 12. File > Save Image... (and Ctrl+S): a download of the frame as a
  //     PNG, the size of the canvas, without the overlay.
  const downloads = path.join(work, 'downloads');
  fs.mkdirSync(downloads, { recursive: true });
  const session = await page.target().createCDPSession();
  await session.send('Browser.setDownloadBehavior', { behavior: 'allow', downloadPath: downloads });
  await menu('File', 40011);
  const saved = path.join(downloads, 'blue.png');
  for (let i = 0; i < 100 && !fs.existsSync(saved); ++i) {
    await sleep(100);
  }
  const png = fs.existsSync(saved) ? fs.readFileSync(saved) : Buffer.alloc(0);
  const size = png.length > 24 ? [png.readUInt32BE(16), png.readUInt32BE(20)] : [];
  await check('Save Image downloads blue.png, a PNG the size of the canvas',
              png.subarray(1, 4).toString() === 'PNG' && size.join() === `${p.width},${p.height}`,
              { bytes: png.length, size });
  const shown = await page.evaluate(async () => {
    const image = new Image();
    image.src = '/downloads/blue.png';
    await image.decode();
    const c = document.createElement('canvas');
    c.width = image.width;
    c.height = image.height;
    c.getContext('2d').drawImage(image, 0, 0);
    const data = c.getContext('2d').getImageData(0, 0, c.width, c.height).data;
    let overlay = 0, blue = 0;
    for (let y = 8; y < 28; ++y) {
      for (let x = 8; x < 200; ++x) {
        const i = (y * c.width + x) * 4;
        if (data[i] > 128 && data[i + 1] > 128 && data[i + 2] > 128) ++overlay;
      }
    }
    for (let i = 0; i < data.length; i += 4) {
      if (data[i + 2] > data[i] + 40) ++blue;
    }
    return { overlay, blue };
  }).catch((e) => ({ error: e.message }));
  await check('the saved picture is the model without the overlay', shown.overlay === 0 && shown.blue > 3000, shown);
  fs.rmSync(saved, { force: true });
  await page.keyboard.down('Control');
  await page.keyboard.press('KeyS');
  await page.keyboard.up('Control');
  for (let i = 0; i < 100 && !fs.existsSync(saved); ++i) {
    await sleep(100);
  }
  await check('Ctrl+S saves too', fs.existsSync(saved));

  // 13. File > Exit: exit code 0, and the page says so.
  await menu('File', 40003);
  await page.waitForFunction(() => window.octaspin.exitCode !== null, { timeout: 10000 });
  const end = await status();
  const note = await page.$eval('#octaspin-status', (n) => n.textContent);
  await check('File > Exit ends the program with exit code 0', end.exitCode === 0, end);
  await check('the page says the program ended', /exit code 0/.test(note), note);
} catch (error) {
  await check(`no step fails (${error.message.split('\n')[0]})`, false);
}
await check('no errors on the page', problems.length === 0, problems);

await browser.close();
server.close();
fs.rmSync(work, { recursive: true, force: true });
console.log(failures === 0 ? `all ${step} checks passed` : `${failures} of ${step} checks failed`);
process.exit(failures === 0 ? 0 : 1);
