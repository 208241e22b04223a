// The program's modal dialogs as HTML: the template's controls placed as
// the program laid them out, over a canvas for what the dialog paints;
// typing, buttons, Enter and Tab are queued for the program or handled as
// the dialog manager would.
import { drawBgr, element, labelled } from './elements.js';
import { BUTTON, EDIT, ENTER, queue } from './input_queue.js';
import { endModal, modalFrame } from './modal.js';
import { currentModal, setModal } from './modal_state.js';

export function openDialog(owner, view) {
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
  setModal(m);
  const first = view.focus >= 0 ? m.controls[view.focus] : m.tabStops[0];
  if (first) {
    first.focus();
    if (first.select) {
      first.select();
    }
  }
}

// The open dialog `id`, or null.
function openDialogNumbered(id) {
  const m = currentModal();
  return m && m.id === id ? m : null;
}

export function dialogIcon(id, control, bgr, width, height, stride) {
  const m = openDialogNumbered(id);
  if (m && m.controls[control]) {
    drawBgr(m.controls[control], bgr, width, height, stride);
  }
}

export function paintDialog(id, bgr, width, height, stride) {
  const m = openDialogNumbered(id);
  if (m) {
    drawBgr(m.paint, bgr, width, height, stride);
  }
}

export function closeDialog(id) {
  if (openDialogNumbered(id)) {
    endModal();
  }
}
