// The program's own time: from each return of control to the program to
// its next yield to the browser, added up in status.workMs.
import { status } from './status.js';

let runningSince = null;

// The program hands control to the browser.
export function suspended() {
  if (runningSince !== null) {
    status.workMs += performance.now() - runningSince;
    runningSince = null;
  }
}

// The program has control again.
export function resumed() {
  runningSince = performance.now();
}
