// The program's message boxes: the text and an OK button, modal over the
// owner; OK, Enter and Escape dismiss it.
import { element } from './elements.js';
import { BOX_OK, queue } from './input_queue.js';
import { modalFrame } from './modal.js';
import { setModal } from './modal_state.js';

export function openMessageBox(owner, text, caption) {
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
  setModal(m);
  ok.focus();
}
