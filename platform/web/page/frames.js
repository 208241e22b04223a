// Presented frames onto the windows' canvases: the program presents a
// picture and the part of it that changed; once per animation frame the
// changed parts are copied onto the canvases.
import { status } from './status.js';
import { windows } from './window_table.js';

// The changed part of the window's picture (blue, green, red, in the
// program's memory) onto the canvas.
export function flush(win) {
  const d = win.dirty;
  const p = win.picture;
  if (!d || !p) {
    return;
  }
  win.dirty = null;
  if (!win.image || win.image.width !== p.width || win.image.height !== p.height) {
    win.canvas.width = p.width;
    win.canvas.height = p.height;
    win.image = new ImageData(p.width, p.height);
    win.image.data.fill(255);
    d.left = 0; d.top = 0; d.right = p.width; d.bottom = p.height;
  }
  const pixels = win.image.data;
  for (let y = d.top; y < d.bottom; ++y) {
    let s = p.pointer + (y * p.width + d.left) * 3;
    let t = (y * p.width + d.left) * 4;
    for (let x = d.left; x < d.right; ++x, s += 3, t += 4) {
      pixels[t] = HEAPU8[s + 2];
      pixels[t + 1] = HEAPU8[s + 1];
      pixels[t + 2] = HEAPU8[s];
    }
  }
  win.canvas.getContext('2d').putImageData(win.image, 0, 0, d.left, d.top,
                                           d.right - d.left, d.bottom - d.top);
}

let frameRequested = false;
function animationFrame() {
  frameRequested = false;
  windows.forEach(flush);
}

export function present(id, pointer, width, height, left, top, right, bottom) {
  if (++status.frames === 1) {
    status.firstFrameMs = performance.now();
  }
  const win = windows.get(id);
  if (!win) {
    return;
  }
  win.picture = { pointer: pointer, width: width, height: height };
  if (right > left && bottom > top) {
    const d = win.dirty;
    win.dirty = d ? { left: Math.min(d.left, left), top: Math.min(d.top, top),
                      right: Math.max(d.right, right), bottom: Math.max(d.bottom, bottom) }
                  : { left: left, top: top, right: right, bottom: bottom };
  }
  if (win.dirty && !frameRequested) {
    frameRequested = true;
    requestAnimationFrame(animationFrame);
  }
}
