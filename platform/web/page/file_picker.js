// The browser's file picker, for the program's open-file dialog.
import { element } from './elements.js';
import { handOver, holdFiles } from './held_files.js';
import { closeMenus } from './menus.js';
import { endModal, modalFrame } from './modal.js';
import { setModal } from './modal_state.js';
import { resumed, suspended } from './work_time.js';

// The browser's file picker for `accept` (".obj,.ply", empty: any file):
// resolves to the path of the chosen model, held in memory, or null when
// the user cancels. Several files may be chosen at once: an OBJ model with
// its materials files (.mtl, which the picker offers beside OBJ files);
// the model is the first that is not one. The picker opens only just after a click or a key; when that
// is too long ago (a message box came between), a small dialog asks for
// the click. Browsers without the picker's cancel event tell it by the
// page getting the focus back without a choice.
export function chooseFile(owner, title, accept) {
  suspended();
  closeMenus();
  const input = element('input', '', document.body);
  input.type = 'file';
  input.hidden = true;
  input.multiple = true;
  if (accept) {
    input.accept = /(^|,)\.obj(,|$)/.test(accept) ? accept + ',.mtl' : accept;
  }
  return new Promise(function (resolve) {
    let settled = false;
    function settle(files) {
      if (settled) {
        return;
      }
      settled = true;
      window.removeEventListener('focus', focusBack);
      input.remove();
      endModal();
      const held = files && files.length > 0 ? holdFiles(files) : Promise.resolve([]);
      held.then(function (paths) {
        handOver(paths);
        resumed();
        resolve(paths.length > 0 ? paths[0] : null);
      });
    }
    function focusBack() {
      setTimeout(function () { settle(input.files); }, 1000);
    }
    function open() {
      input.click();
      window.addEventListener('focus', focusBack);
    }
    input.addEventListener('change', function () { settle(input.files); });
    input.addEventListener('cancel', function () { settle(null); });
    if (!navigator.userActivation || navigator.userActivation.isActive) {
      setModal({ backdrop: element('div', 'modal-backdrop', document.body), owner: owner });
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
    setModal(m);
    choose.focus();
  });
}
