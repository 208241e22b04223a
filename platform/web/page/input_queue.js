// The user's input, queued for the program to take: the page's handlers
// queue events, the program takes them one at a time (nextEvent) and waits
// for the next one (waitForEvent).
import { handOver } from './held_files.js';
import { resumed, suspended } from './work_time.js';

// Event kinds and their numbers, as web_backend.cpp reads them.
export const KEY = 1, POINTER = 2, MENU = 3, EDIT = 4, BUTTON = 5, ENTER = 6, BOX_OK = 7, CLOSE = 8,
  DROP = 9;

const events = [];
let wake = null;

// `paths`: the held files (held_files.js) whose paths the event hands over.
export function queue(kind, numbers, text, paths) {
  events.push({ kind: kind, numbers: numbers, text: text || '', paths: paths || [] });
  if (wake) {
    const w = wake;
    wake = null;
    w();
  }
}

// Takes the oldest event: its numbers into `count` doubles at `numbers`,
// its text into `textSize` bytes at `text`; returns its kind, 0 for none.
export function nextEvent(numbers, count, text, textSize) {
  const e = events.shift();
  if (!e) {
    return 0;
  }
  for (let i = 0; i < count; ++i) {
    HEAPF64[(numbers >> 3) + i] = i < e.numbers.length ? e.numbers[i] : 0;
  }
  stringToUTF8(e.text, text, textSize);
  if (e.paths.length > 0) {
    handOver(e.paths);
  }
  return e.kind;
}

// Until the page queues an event, or at most `milliseconds`.
export function waitForEvent(milliseconds) {
  if (events.length > 0) {
    return Promise.resolve();
  }
  suspended();
  return new Promise(function (resolve) {
    const timer = setTimeout(function () { wake = null; resumed(); resolve(); }, milliseconds);
    wake = function () { clearTimeout(timer); resumed(); resolve(); };
  });
}
