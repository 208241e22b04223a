// The program's top-level windows as HTML: a frame with its caption and
// close box, the menu bar and the canvas that shows the client area. The
// canvas takes the keys, the pointer and dropped files and queues them for
// the program.
import { desktop, drawBgr, element } from './elements.js';
import { holdFiles } from './held_files.js';
import { carriesFiles } from './file_drops.js';
import { flush } from './frames.js';
import { CLOSE, DROP, KEY, POINTER, queue } from './input_queue.js';
import { buildMenu, closeMenus, menuIsOpen, openMenu, popupKey } from './menus.js';
import { currentModal } from './modal_state.js';
import { windows } from './window_table.js';

function keyDown(win, e) {
  if (currentModal() || popupKey(win, e)) {
    return;
  }
  queue(KEY, [win.id, e.altKey ? 1 : 0, e.repeat ? 1 : 0, e.ctrlKey ? 1 : 0], e.code);
  if (e.altKey && e.code.startsWith('Key')) {
    // Alt and a pop-up's letter open it, as the menu bar does.
    const index = win.mnemonics.indexOf(e.code.slice(3));
    if (index >= 0) {
      openMenu(win, index);
    }
  }
  if ((!e.ctrlKey && !e.metaKey) || e.code === 'KeyO' || e.code === 'KeyS') {
    // No page scrolling by the arrow keys, no browser menu for Alt, and
    // Ctrl+O and Ctrl+S are the program's.
    e.preventDefault();
  }
}

// kind: 0 down, 1 move, 2 up, 3 wheel (its deltaMode in place of the button
// and its deltaY last).
function pointer(win, kind, e) {
  const box = win.canvas.getBoundingClientRect();
  const keys = (e.shiftKey ? 1 : 0) | (e.ctrlKey ? 2 : 0);
  queue(POINTER, [win.id, kind, kind === 3 ? e.deltaMode : e.button, e.buttons,
                  e.clientX - box.left, e.clientY - box.top, box.width, box.height, keys,
                  kind === 3 ? e.deltaY : 0]);
}

export function createWindow(id, title, menu, clientWidth, clientHeight) {
  const frame = element('div', 'window', desktop());
  frame.dataset.windowId = String(id);
  frame.hidden = true;
  const caption = element('div', 'caption', frame);
  const icon = element('canvas', 'caption-icon', caption);
  icon.width = icon.height = 0;
  const titleText = element('span', 'caption-title', caption);
  titleText.textContent = title;
  const close = element('button', 'caption-close', caption);
  close.type = 'button';
  close.tabIndex = -1;
  close.title = 'Close';
  close.textContent = '\u00d7';
  close.addEventListener('click', function () { queue(CLOSE, [id]); });
  const bar = element('div', 'menu-bar', frame);
  bar.setAttribute('role', 'menubar');
  bar.hidden = menu.length === 0;
  const canvas = element('canvas', 'client', frame);
  canvas.width = clientWidth;
  canvas.height = clientHeight;
  canvas.tabIndex = 0;
  canvas.setAttribute('aria-label', title);
  const win = { id: id, frame: frame, icon: icon, titleText: titleText, menuBar: bar, canvas: canvas,
                picture: null, image: null, dirty: null, captured: false };
  buildMenu(win, menu);
  canvas.addEventListener('keydown', function (e) { keyDown(win, e); });
  canvas.addEventListener('pointerdown', function (e) {
    canvas.focus();
    if (menuIsOpen()) {
      // A click beside an open menu closes it and goes no further.
      closeMenus();
      e.preventDefault();
      return;
    }
    canvas.setPointerCapture(e.pointerId);
    pointer(win, 0, e);
    e.preventDefault();
  });
  canvas.addEventListener('pointermove', function (e) { pointer(win, 1, e); });
  canvas.addEventListener('pointerup', function (e) { pointer(win, 2, e); });
  canvas.addEventListener('contextmenu', function (e) { e.preventDefault(); });
  canvas.addEventListener('wheel', function (e) {
    e.preventDefault(); // the page does not scroll
    if (!currentModal() && e.deltaY !== 0) {
      pointer(win, 3, e);
    }
  }, { passive: false });
  // Files dropped on the canvas: held in memory, then handed over as one
  // drop.
  canvas.addEventListener('dragover', function (e) {
    if (!currentModal() && carriesFiles(e)) {
      e.preventDefault();
      e.dataTransfer.dropEffect = 'copy';
    }
  });
  canvas.addEventListener('drop', function (e) {
    if (currentModal() || !carriesFiles(e)) {
      return;
    }
    e.preventDefault();
    canvas.focus();
    holdFiles(e.dataTransfer.files).then(function (paths) {
      if (paths.length > 0) {
        queue(DROP, [id], paths.join('\n'), paths);
      }
    });
  });
  windows.set(id, win);
}

export function windowIcon(id, bgr, width, height, stride) {
  const win = windows.get(id);
  if (win) {
    drawBgr(win.icon, bgr, width, height, stride);
  }
}

export function setTitle(id, title) {
  const win = windows.get(id);
  if (win) {
    win.titleText.textContent = title;
    win.canvas.setAttribute('aria-label', title);
    document.title = title;
  }
}

export function showWindow(id, visible) {
  const win = windows.get(id);
  if (win) {
    win.frame.hidden = !visible;
    if (visible) {
      win.canvas.focus();
    }
  }
}

export function destroyWindow(id) {
  const win = windows.get(id);
  if (win) {
    closeMenus();
    flush(win); // what was presented last stays in view
    win.frame.classList.add('destroyed');
    win.menuBar.querySelectorAll('button').forEach(function (b) { b.disabled = true; });
    windows.delete(id);
  }
}

// The window that has the mouse capture (the others lose it).
export function capture(id) {
  windows.forEach(function (win) { win.captured = win.id === id; });
}
