// Opening and closing the modal frame over the page (the one open is in
// modal_state.js).
import { element } from './elements.js';
import { closeMenus } from './menus.js';
import { currentModal, setModal } from './modal_state.js';
import { windows } from './window_table.js';

// A modal frame over the page: a backdrop that takes every click, the
// frame with its caption at the owner's client area's top-left corner.
export function modalFrame(owner, title) {
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

// Closes the modal frame; the keys go to its owner's canvas again (or to
// any window's, when the owner is gone).
export function endModal() {
  const modal = currentModal();
  if (modal) {
    modal.backdrop.remove();
    const win = windows.get(modal.owner);
    setModal(null);
    if (win) {
      win.canvas.focus();
    } else {
      const any = windows.values().next().value;
      if (any) {
        any.canvas.focus();
      }
    }
  }
}
