// One round trip through a message channel: the browser handles what is
// pending (input, painting) and the program goes on at once, without the
// few milliseconds a zero timeout may wait.
import { resumed, suspended } from './work_time.js';

const channel = new MessageChannel();
let resume = null;
channel.port1.onmessage = function () {
  const r = resume;
  resume = null;
  resumed();
  r();
};

export function yieldOnce() {
  suspended();
  return new Promise(function (resolve) {
    resume = resolve;
    channel.port2.postMessage(0);
  });
}
