// The one modal frame open over the page, a dialog, a message box or the
// file picker's, if any: while it is open the windows and their menus take
// no input.
let modal = null;

export function currentModal() {
  return modal;
}

export function setModal(m) {
  modal = m;
}
