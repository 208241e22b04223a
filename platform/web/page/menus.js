// The menu bar of a window: its pop-ups, opened by a click, by Alt and a
// pop-up's letter or by moving from an open one; a chosen item is queued
// as the program's menu command.
import { element, labelled } from './elements.js';
import { MENU, queue } from './input_queue.js';
import { currentModal } from './modal_state.js';
import { windows } from './window_table.js';

let openPopup = null; // {win, index}

export function menuIsOpen() {
  return openPopup !== null;
}

export function closeMenus() {
  if (openPopup) {
    const head = openPopup.win.heads[openPopup.index];
    head.classList.remove('open');
    head.setAttribute('aria-expanded', 'false');
    openPopup.win.popups[openPopup.index].hidden = true;
    openPopup = null;
  }
}

export function openMenu(win, index) {
  closeMenus();
  if (index < 0 || index >= win.popups.length || currentModal()) {
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

// Builds `win`'s menu bar from the program's menu (pop-ups of items).
export function buildMenu(win, menu) {
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
      const entry = element('div', 'menu-item' + (item.checked ? ' checked' : '') +
                            (item.grayed ? ' grayed' : ''), list);
      entry.dataset.commandId = String(item.id);
      entry.setAttribute('aria-disabled', item.grayed ? 'true' : 'false');
      entry.setAttribute('role', 'menuitemcheckbox');
      entry.setAttribute('aria-checked', item.checked ? 'true' : 'false');
      element('span', 'check', entry).textContent = item.checked ? '\u2713' : '';
      const label = element('span', 'label', entry);
      const letter = labelled(label, item.text);
      if (!item.grayed) {
        list.itemMnemonics.push({ letter: letter, id: item.id });
      }
      entry.addEventListener('click', function (e) {
        e.stopPropagation();
        if (!item.grayed) {
          choose(win, item.id);
        }
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

// The program's new menu for window `id`; a pop-up that was open stays
// open.
export function setMenu(id, menu) {
  const win = windows.get(id);
  if (win) {
    const open = openPopup && openPopup.win === win ? openPopup.index : -1;
    closeMenus();
    buildMenu(win, menu);
    if (open >= 0) {
      openMenu(win, open);
    }
  }
}

// A key pressed in `win`: true when an open pop-up of it took the key (a
// mnemonic chooses, Escape closes, left and right move to the next
// pop-up); false leaves the key to the window.
export function popupKey(win, e) {
  if (!openPopup || openPopup.win !== win) {
    return false;
  }
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
  return true;
}

// A click anywhere outside the open pop-up's menu bar closes it.
export function closeMenusOnClickAway() {
  document.addEventListener('mousedown', function (e) {
    if (openPopup && !openPopup.win.menuBar.contains(e.target)) {
      closeMenus();
    }
  });
}
