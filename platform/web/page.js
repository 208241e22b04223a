// The page's side of the web backend (platform/web/web_backend.cpp), run
// before the program starts. It builds the windows, the menu bar, the
// dialogs and the message boxes as HTML, queues the user's input for the
// program to take, puts presented frames on the canvas once per animation
// frame, copies files chosen in the browser's file picker or dropped on a
// canvas into the program's in-memory file system, and publishes
// window.octaspin for scripts and tests:
//   frames:       passes presented so far,
//   exitCode:     null while the program runs, its exit code after,
//   firstFrameMs: when the first frame was presented (ms from the page's
//                 start; null before),
//   workMs:       time the program has run between its yields to the
//                 browser, so workMs / frames is the cost of one pass.
(function () {
  'use strict';

  // Event kinds and their numbers, as web_backend.cpp reads them.
  const KEY = 1, POINTER = 2, MENU = 3, EDIT = 4, BUTTON = 5, ENTER = 6, BOX_OK = 7, CLOSE = 8, DROP = 9;

  const status = { frames: 0, exitCode: null, firstFrameMs: null, workMs: 0 };
  window.octaspin = status;

  const events = [];
  let wake = null;
  // `copies`: files in the file system whose paths the event hands over.
  function queue(kind, numbers, text, copies) {
    events.push({ kind: kind, numbers: numbers, text: text || '', copies: copies || [] });
    if (wake) {
      const w = wake;
      wake = null;
      w();
    }
  }

  function desktop() {
    return document.getElementById('octaspin-desktop') || document.body;
  }

  function element(tag, className, parent) {
    const e = document.createElement(tag);
    if (className) {
      e.className = className;
    }
    if (parent) {
      parent.appendChild(e);
    }
    return e;
  }

  // A resource text with '&' before its mnemonic letter ('&&' is an '&'):
  // the text with the letter underlined, and the letter.
  function labelled(node, text) {
    let mnemonic = '';
    for (let i = 0; i < text.length; ++i) {
      const c = text[i];
      if (c === '&' && i + 1 < text.length) {
        const next = text[++i];
        if (next !== '&' && !mnemonic) {
          mnemonic = next.toUpperCase();
          element('u', '', node).textContent = next;
          continue;
        }
        node.appendChild(document.createTextNode(next));
      } else if (c !== '&') {
        node.appendChild(document.createTextNode(c));
      }
    }
    node.normalize();
    return mnemonic;
  }

  // A 24-bit picture (blue, green, red; rows `stride` bytes apart) from
  // the program's memory onto a canvas of its size.
  function drawBgr(canvas, pointer, width, height, stride) {
    canvas.width = width;
    canvas.height = height;
    const image = canvas.getContext('2d').createImageData(width, height);
    for (let y = 0; y < height; ++y) {
      let s = pointer + y * stride;
      let d = y * width * 4;
      for (let x = 0; x < width; ++x, s += 3, d += 4) {
        image.data[d] = HEAPU8[s + 2];
        image.data[d + 1] = HEAPU8[s + 1];
        image.data[d + 2] = HEAPU8[s];
        image.data[d + 3] = 255;
      }
    }
    canvas.getContext('2d').putImageData(image, 0, 0);
  }

  // --- Windows ---------------------------------------------------------

  const windows = new Map();
  let openPopup = null; // {win, index}
  let modal = null;     // the open dialog or message box

  function closeMenus() {
    if (openPopup) {
      const head = openPopup.win.heads[openPopup.index];
      head.classList.remove('open');
      head.setAttribute('aria-expanded', 'false');
      openPopup.win.popups[openPopup.index].hidden = true;
      openPopup = null;
    }
  }

  function openMenu(win, index) {
    closeMenus();
    if (index < 0 || index >= win.popups.length || modal) {
      return;
    }
    win.heads[index].classList.add('open');
    win.heads[index].setAttribute('aria-expanded', 'true');
    win.popups[index].hidden = false;
    openPopup = { win: win, index: index };
  }

  function choose(win, id) {
    closeMenus();
    win.canvas.focus();
    queue(MENU, [win.id, id]);
  }

  function buildMenu(win, menu) {
    const bar = win.menuBar;
    bar.textContent = '';
    win.heads = [];
    win.popups = [];
    win.mnemonics = [];
    menu.forEach(function (popup, index) {
      const slot = element('div', 'menu', bar);
      const head = element('button', 'menu-title', slot);
      head.type = 'button';
      head.tabIndex = -1;
      head.setAttribute('aria-haspopup', 'true');
      head.setAttribute('aria-expanded', 'false');
      win.mnemonics.push(labelled(head, popup.text));
      const list = element('div', 'menu-popup', slot);
      list.setAttribute('role', 'menu');
      list.hidden = true;
      list.itemMnemonics = [];
      popup.items.forEach(function (item) {
        if (item.separator) {
          element('div', 'menu-separator', list).setAttribute('role', 'separator');
          return;
        }
        const entry = element('div', 'menu-item' + (item.checked ? ' checked' : ''), list);
        entry.dataset.commandId = String(item.id);
        entry.setAttribute('role', 'menuitemcheckbox');
        entry.setAttribute('aria-checked', item.checked ? 'true' : 'false');
        element('span', 'check', entry).textContent = item.checked ? '\u2713' : '';
        const label = element('span', 'label', entry);
        list.itemMnemonics.push({ letter: labelled(label, item.text), id: item.id });
        entry.addEventListener('click', function (e) {
          e.stopPropagation();
          choose(win, item.id);
        });
      });
      head.addEventListener('mousedown', function (e) {
        e.preventDefault(); // the canvas keeps the keyboard
        if (openPopup && openPopup.win === win && openPopup.index === index) {
          closeMenus();
        } else {
          openMenu(win, index);
        }
      });
      head.addEventListener('mouseenter', function () {
        if (openPopup && openPopup.win === win && openPopup.index !== index) {
          openMenu(win, index);
        }
      });
      win.heads.push(head);
      win.popups.push(list);
    });
  }

  function keyDown(win, e) {
    if (modal) {
      return;
    }
    if (openPopup && openPopup.win === win) {
      // An open pop-up takes the keys: a mnemonic chooses, Escape closes,
      // left and right move to the next pop-up.
      const list = win.popups[openPopup.index];
      const letter = e.code.startsWith('Key') ? e.code.slice(3) : '';
      const hit = list.itemMnemonics.find(function (m) { return m.letter === letter; });
      if (hit) {
        choose(win, hit.id);
      } else if (e.code === 'Escape') {
        closeMenus();
      } else if (e.code === 'ArrowLeft' || e.code === 'ArrowRight') {
        const step = e.code === 'ArrowLeft' ? -1 : 1;
        openMenu(win, (openPopup.index + step + win.popups.length) % win.popups.length);
      }
      e.preventDefault();
      return;
    }
    queue(KEY, [win.id, e.altKey ? 1 : 0, e.repeat ? 1 : 0], e.code);
    if (e.altKey && e.code.startsWith('Key')) {
      // Alt and a pop-up's letter open it, as the menu bar does.
      const index = win.mnemonics.indexOf(e.code.slice(3));
      if (index >= 0) {
        openMenu(win, index);
      }
    }
    if (!e.ctrlKey && !e.metaKey) {
      e.preventDefault(); // no page scrolling by the arrow keys, no browser menu for Alt
    }
  }

  function pointer(win, kind, e) {
    const box = win.canvas.getBoundingClientRect();
    queue(POINTER, [win.id, kind, e.button, e.buttons, e.clientX - box.left, e.clientY - box.top,
                    box.width, box.height]);
  }

  function createWindow(id, title, menu, clientWidth, clientHeight) {
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
      if (openPopup) {
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
    // Files dropped on the canvas: copied in, then handed over as one drop.
    canvas.addEventListener('dragover', function (e) {
      if (!modal && carriesFiles(e)) {
        e.preventDefault();
        e.dataTransfer.dropEffect = 'copy';
      }
    });
    canvas.addEventListener('drop', function (e) {
      if (modal || !carriesFiles(e)) {
        return;
      }
      e.preventDefault();
      canvas.focus();
      copyIn(Array.from(e.dataTransfer.files)).then(function (copies) {
        if (copies.length > 0) {
          queue(DROP, [id], copies.map(function (c) { return c.path; }).join('\n'), copies);
        }
      });
    });
    windows.set(id, win);
  }

  function windowIcon(id, bgr, width, height, stride) {
    const win = windows.get(id);
    if (win) {
      drawBgr(win.icon, bgr, width, height, stride);
    }
  }

  function setTitle(id, title) {
    const win = windows.get(id);
    if (win) {
      win.titleText.textContent = title;
      win.canvas.setAttribute('aria-label', title);
      document.title = title;
    }
  }

  function showWindow(id, visible) {
    const win = windows.get(id);
    if (win) {
      win.frame.hidden = !visible;
      if (visible) {
        win.canvas.focus();
      }
    }
  }

  function destroyWindow(id) {
    const win = windows.get(id);
    if (win) {
      closeMenus();
      flush(win); // what was presented last stays in view
      win.frame.classList.add('destroyed');
      win.menuBar.querySelectorAll('button').forEach(function (b) { b.disabled = true; });
      windows.delete(id);
    }
  }

  // --- Frames --------------------------------------------------------------

  // The changed part of the window's picture (blue, green, red, in the
  // program's memory) onto the canvas.
  function flush(win) {
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

  function present(id, pointer, width, height, left, top, right, bottom) {
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

  function capture(id) {
    windows.forEach(function (win) { win.captured = win.id === id; });
  }

  // --- Dialogs and message boxes ---------------------------------------

  // A modal frame over the page: a backdrop that takes every click, the
  // frame with its caption at the owner's client area's top-left corner.
  function modalFrame(owner, title) {
    closeMenus();
    const backdrop = element('div', 'modal-backdrop', document.body);
    const frame = element('div', 'dialog', backdrop);
    frame.setAttribute('role', 'dialog');
    frame.setAttribute('aria-modal', 'true');
    element('div', 'caption', frame).textContent = title;
    frame.setAttribute('aria-label', title);
    const win = windows.get(owner);
    if (win) {
      const box = win.canvas.getBoundingClientRect();
      frame.style.left = Math.max(0, box.left) + 'px';
      frame.style.top = Math.max(0, box.top) + 'px';
    } else {
      frame.classList.add('centred');
    }
    return { backdrop: backdrop, frame: frame, owner: owner };
  }

  function endModal() {
    if (modal) {
      modal.backdrop.remove();
      const win = windows.get(modal.owner);
      modal = null;
      if (win) {
        win.canvas.focus(); // the keys go to the canvas again
      } else {
        const any = windows.values().next().value;
        if (any) {
          any.canvas.focus();
        }
      }
    }
  }

  function openDialog(owner, view) {
    const m = modalFrame(owner, view.title);
    m.id = view.id;
    m.frame.dataset.dialogId = String(view.id);
    const client = element('div', 'dialog-client', m.frame);
    client.style.width = view.width + 'px';
    client.style.height = view.height + 'px';
    m.paint = element('canvas', 'dialog-paint', client);
    m.paint.width = view.width;
    m.paint.height = view.height;
    m.controls = [];
    m.tabStops = [];
    view.controls.forEach(function (c) {
      let node;
      if (c.kind === 'edit') {
        node = element('input', 'edit', client);
        node.type = 'text';
        node.value = c.text;
        node.spellcheck = false;
        node.autocomplete = 'off';
        node.addEventListener('input', function () { queue(EDIT, [view.id, c.id], node.value); });
      } else if (c.kind === 'button' || c.kind === 'default') {
        node = element('button', c.kind === 'default' ? 'push default' : 'push', client);
        node.type = 'button';
        labelled(node, c.text);
        node.addEventListener('click', function () { queue(BUTTON, [view.id, c.id]); });
      } else if (c.kind === 'icon') {
        node = element('canvas', 'icon', client);
        node.width = node.height = 0;
      } else {
        node = element('div', 'static ' + c.align, client);
        labelled(node, c.text);
      }
      node.dataset.controlId = String(c.id);
      node.style.left = c.left + 'px';
      node.style.top = c.top + 'px';
      node.style.width = c.width + 'px';
      node.style.height = c.height + 'px';
      node.hidden = !c.visible;
      if (c.sunken) {
        node.classList.add('sunken');
      }
      node.tabIndex = c.tabStop ? 0 : -1;
      if (c.tabStop) {
        m.tabStops.push(node);
      }
      m.controls.push(node);
    });
    m.frame.addEventListener('keydown', function (e) {
      if (e.key === 'Enter') {
        // Enter presses the push button that has the focus, else the
        // dialog's default button.
        const focused = document.activeElement;
        if (focused && focused.tagName === 'BUTTON' && m.frame.contains(focused)) {
          queue(BUTTON, [view.id, Number(focused.dataset.controlId)]);
        } else {
          queue(ENTER, [view.id]);
        }
        e.preventDefault();
      } else if (e.key === 'Tab') {
        // Tab goes round the tab stops in template order, within the dialog.
        const n = m.tabStops.length;
        if (n > 0) {
          const at = m.tabStops.indexOf(document.activeElement);
          const next = at < 0 ? 0 : (at + (e.shiftKey ? n - 1 : 1)) % n;
          m.tabStops[next].focus();
          if (m.tabStops[next].select) {
            m.tabStops[next].select();
          }
        }
        e.preventDefault();
      } else if (e.key === 'Escape') {
        e.preventDefault(); // no cancel path: the dialog stays open
      }
    });
    modal = m;
    const first = view.focus >= 0 ? m.controls[view.focus] : m.tabStops[0];
    if (first) {
      first.focus();
      if (first.select) {
        first.select();
      }
    }
  }

  function dialogIcon(id, control, bgr, width, height, stride) {
    if (modal && modal.id === id && modal.controls[control]) {
      drawBgr(modal.controls[control], bgr, width, height, stride);
    }
  }

  function paintDialog(id, bgr, width, height, stride) {
    if (modal && modal.id === id) {
      drawBgr(modal.paint, bgr, width, height, stride);
    }
  }

  function closeDialog(id) {
    if (modal && modal.id === id) {
      endModal();
    }
  }

  function openMessageBox(owner, text, caption) {
    const m = modalFrame(owner, caption);
    m.frame.classList.add('message-box');
    const body = element('div', 'message-body', m.frame);
    element('p', 'message-text', body).textContent = text;
    const ok = element('button', 'push default', body);
    ok.type = 'button';
    ok.textContent = 'OK';
    ok.addEventListener('click', function () { queue(BOX_OK, []); });
    m.frame.addEventListener('keydown', function (e) {
      if (e.key === 'Enter' || e.key === 'Escape') {
        queue(BOX_OK, []);
        e.preventDefault();
      }
    });
    modal = m;
    ok.focus();
  }

  // --- Files --------------------------------------------------------------

  // Each copy goes into a folder of its own (/models/3/knot.obj), so that
  // two files of one name never meet. The program reads a model as soon as
  // it has its path, so the copies it has been handed are removed when the
  // next file comes in, rather than kept for the page's lifetime.
  let copiesMade = 0;
  let handedOver = [];

  function handOver(copies) {
    handedOver = handedOver.concat(copies);
  }

  function removeHandedOver() {
    handedOver.forEach(function (c) {
      try {
        FS.unlink(c.path);
        FS.rmdir(c.folder);
      } catch (e) {
        // never written (unreadable), or gone already
      }
    });
    handedOver = [];
  }

  // A file's name as one path component: no separators or control
  // characters, at most 200 characters (its end, with the extension, kept).
  function componentFor(name) {
    let chars = Array.from(String(name).replace(/[\u0000-\u001f\u007f/\\]/g, '_'));
    if (chars.length > 200) {
      chars = chars.slice(0, 190).concat(chars.slice(-10));
    }
    const text = chars.join('');
    return text === '' || text === '.' || text === '..' ? 'model' : text;
  }

  // Copies the files in (as many as the program's event text has room for:
  // their paths, one a line, in under 1 000 bytes); resolves to
  // [{folder, path}]. A file the browser cannot read keeps its path but
  // gets no copy, so the program says it cannot open it.
  async function copyIn(files) {
    const encoder = new TextEncoder();
    const taken = [];
    let bytes = 0;
    for (const file of files) {
      const folder = '/models/' + (copiesMade + taken.length + 1);
      const path = folder + '/' + componentFor(file.name);
      bytes += encoder.encode(path).length + 1;
      if (bytes > 1000) {
        break;
      }
      taken.push({ file: file, folder: folder, path: path });
    }
    copiesMade += taken.length;
    const contents = await Promise.all(taken.map(function (t) {
      return t.file.arrayBuffer().then(function (b) { return new Uint8Array(b); },
                                       function () { return null; });
    }));
    removeHandedOver();
    try {
      FS.mkdir('/models');
    } catch (e) {
      // there already
    }
    return taken.map(function (t, i) {
      if (contents[i] !== null) {
        FS.mkdir(t.folder);
        FS.writeFile(t.path, contents[i]);
      }
      return { folder: t.folder, path: t.path };
    });
  }

  function carriesFiles(e) {
    return e.dataTransfer && Array.from(e.dataTransfer.types).indexOf('Files') >= 0;
  }

  // Anywhere else on the page a dropped file is refused, not opened by the
  // browser in place of the page.
  document.addEventListener('dragover', function (e) {
    if (!e.defaultPrevented && carriesFiles(e)) {
      e.preventDefault();
      e.dataTransfer.dropEffect = 'none';
    }
  });
  document.addEventListener('drop', function (e) {
    if (carriesFiles(e)) {
      e.preventDefault();
    }
  });

  // The browser's file picker for `accept` (".obj,.ply", empty: any file):
  // resolves to the chosen file's copy's path, or null when the user
  // cancels. The picker opens only just after a click or a key; when that
  // is too long ago (a message box came between), a small dialog asks for
  // the click. Browsers without the picker's cancel event tell it by the
  // page getting the focus back without a choice.
  function chooseFile(owner, title, accept) {
    suspended();
    closeMenus();
    const input = element('input', '', document.body);
    input.type = 'file';
    input.hidden = true;
    if (accept) {
      input.accept = accept;
    }
    return new Promise(function (resolve) {
      let settled = false;
      function settle(file) {
        if (settled) {
          return;
        }
        settled = true;
        window.removeEventListener('focus', focusBack);
        input.remove();
        endModal();
        const copied = file ? copyIn([file]) : Promise.resolve([]);
        copied.then(function (copies) {
          handOver(copies);
          resumed();
          resolve(copies.length > 0 ? copies[0].path : null);
        });
      }
      function focusBack() {
        setTimeout(function () { settle(input.files[0] || null); }, 1000);
      }
      function open() {
        input.click();
        window.addEventListener('focus', focusBack);
      }
      input.addEventListener('change', function () { settle(input.files[0] || null); });
      input.addEventListener('cancel', function () { settle(null); });
      if (!navigator.userActivation || navigator.userActivation.isActive) {
        modal = { backdrop: element('div', 'modal-backdrop', document.body), owner: owner };
        open();
        return;
      }
      const m = modalFrame(owner, title || 'Open');
      const body = element('div', 'message-body', m.frame);
      const choose = element('button', 'push default', body);
      choose.type = 'button';
      choose.textContent = 'Choose a file\u2026';
      choose.addEventListener('click', open);
      const cancel = element('button', 'push', body);
      cancel.type = 'button';
      cancel.textContent = 'Cancel';
      cancel.addEventListener('click', function () { settle(null); });
      m.frame.addEventListener('keydown', function (e) {
        if (e.key === 'Escape') {
          settle(null);
          e.preventDefault();
        }
      });
      modal = m;
      choose.focus();
    });
  }

  // --- The program's side of the queue -----------------------------------

  function nextEvent(numbers, count, text, textSize) {
    const e = events.shift();
    if (!e) {
      return 0;
    }
    for (let i = 0; i < count; ++i) {
      HEAPF64[(numbers >> 3) + i] = i < e.numbers.length ? e.numbers[i] : 0;
    }
    stringToUTF8(e.text, text, textSize);
    handOver(e.copies);
    return e.kind;
  }

  // One round trip through a message channel: the browser handles what is
  // pending (input, painting) and the program goes on at once, without the
  // few milliseconds a zero timeout may wait.
  let runningSince = null;
  function suspended() {
    if (runningSince !== null) {
      status.workMs += performance.now() - runningSince;
      runningSince = null;
    }
  }
  function resumed() {
    runningSince = performance.now();
  }

  const channel = new MessageChannel();
  let resume = null;
  channel.port1.onmessage = function () {
    const r = resume;
    resume = null;
    resumed();
    r();
  };
  function yieldOnce() {
    suspended();
    return new Promise(function (resolve) {
      resume = resolve;
      channel.port2.postMessage(0);
    });
  }

  // Until the page queues an event, or at most `milliseconds`.
  function waitForEvent(milliseconds) {
    if (events.length > 0) {
      return Promise.resolve();
    }
    suspended();
    return new Promise(function (resolve) {
      const timer = setTimeout(function () { wake = null; resumed(); resolve(); }, milliseconds);
      wake = function () { clearTimeout(timer); resumed(); resolve(); };
    });
  }

  function programEnded(code) {
    status.exitCode = code;
    closeMenus();
    const note = document.getElementById('octaspin-status');
    if (note) {
      note.textContent = 'Octaspin has ended with exit code ' + code + '. Reload the page to start it again.';
      note.classList.add('ended');
    }
  }

  document.addEventListener('mousedown', function (e) {
    if (openPopup && !openPopup.win.menuBar.contains(e.target)) {
      closeMenus();
    }
  });

  Module.octaspinPage = {
    createWindow: createWindow, windowIcon: windowIcon, showWindow: showWindow,
    destroyWindow: destroyWindow, setMenu: function (id, menu) {
      const win = windows.get(id);
      if (win) {
        const open = openPopup && openPopup.win === win ? openPopup.index : -1;
        closeMenus();
        buildMenu(win, menu);
        if (open >= 0) {
          openMenu(win, open);
        }
      }
    },
    present: present, capture: capture, openDialog: openDialog, dialogIcon: dialogIcon,
    paintDialog: paintDialog, closeDialog: closeDialog, openMessageBox: openMessageBox,
    closeMessageBox: endModal, nextEvent: nextEvent, yieldOnce: yieldOnce,
    waitForEvent: waitForEvent, programEnded: programEnded, setTitle: setTitle,
    chooseFile: chooseFile,
  };
})();
