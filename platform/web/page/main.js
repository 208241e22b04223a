// The page's side of the web backend (platform/web/web_backend.cpp), run
// before the program starts: the build bundles these modules into one
// script ahead of the program's own (platform/web/CMakeLists.txt). They
// build the windows, the menu bar, the dialogs and the message boxes as
// HTML (windows.js, menus.js, dialogs.js, message_boxes.js, modal.js),
// queue the user's input for the program to take (input_queue.js), put
// presented frames on the canvas once per animation frame (frames.js), hold
// files chosen in the browser's file picker (file_picker.js) or dropped on
// a canvas (file_drops.js) in memory for the program to read
// (held_files.js), hand control back to the program (yielding.js,
// work_time.js), and publish window.octaspin for scripts and tests
// (status.js).
//
// `Module` and the heap views are the program's script's own names, which the bundle sees as it runs ahead of that script.
import { closeDialog, dialogIcon, openDialog, paintDialog } from './dialogs.js';
import { refuseStrayDrops } from './file_drops.js';
import { chooseFile } from './file_picker.js';
import { fileSize, readFile } from './held_files.js';
import { present } from './frames.js';
import { nextEvent, waitForEvent } from './input_queue.js';
import { closeMenus, closeMenusOnClickAway, setMenu } from './menus.js';
import { openMessageBox } from './message_boxes.js';
import { endModal } from './modal.js';
import { status } from './status.js';
import { capture, createWindow, destroyWindow, setTitle, showWindow, windowIcon } from './windows.js';
import { yieldOnce } from './yielding.js';

window.octaspin = status;

function programEnded(code) {
  status.exitCode = code;
  closeMenus();
  const note = document.getElementById('octaspin-status');
  if (note) {
    note.textContent = 'Octaspin has ended with exit code ' + code + '. Reload the page to start it again.';
    note.classList.add('ended');
  }
}

refuseStrayDrops();
closeMenusOnClickAway();

Module.octaspinPage = {
  createWindow: createWindow, windowIcon: windowIcon, showWindow: showWindow,
  destroyWindow: destroyWindow, setMenu: setMenu,
  present: present, capture: capture, openDialog: openDialog, dialogIcon: dialogIcon,
  paintDialog: paintDialog, closeDialog: closeDialog, openMessageBox: openMessageBox,
  closeMessageBox: endModal, nextEvent: nextEvent, yieldOnce: yieldOnce,
  waitForEvent: waitForEvent, programEnded: programEnded, setTitle: setTitle,
  chooseFile: chooseFile, fileSize: fileSize, readFile: readFile,
};
