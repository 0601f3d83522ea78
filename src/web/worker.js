// Runs the program in a worker of the page. The page starts it in the
// reader's written form, then sends what the user typed, a line or a key at
// a time, and the end of the input; the worker sends back what the program
// writes and reports, as the messages of protocol.js. The program reads a
// line at a time, so that the page shows each line as the program takes it,
// right after the prompt it answers; and it keeps the voltages around the
// formula's count, which formula.js gives.
// In the single file the program, the protocol and the formula come first in
// the worker's own script; on a web server they are scripts of their own
// beside this one.
'use strict';

if (typeof createKondensator === 'undefined') importScripts('protocol.js', 'formula.js', 'kondensator.js');

const post = (message) => self.postMessage(message);
const failed = (reason) => post(protocol.failed(String(reason)));
const typed = [];  // { bytes, echo }: what was sent and not yet read, in the order it came
let inputEnded = false;
let pendingRead = null;  // the program's read while it waits: { capacity, resolve }
let lastProgress = 0;
const decoder = new TextDecoder();

// Up to `capacity` bytes of the first line or key sent, or none once the
// input has ended.
function takeTyped(capacity) {
  if (typed.length === 0) return new Uint8Array(0);
  const first = typed[0];
  if (first.bytes.length > capacity) {
    const part = first.bytes.subarray(0, capacity);
    first.bytes = first.bytes.subarray(capacity);
    return part;
  }
  typed.shift();
  if (first.echo) post(protocol.taken());
  return first.bytes;
}

function start(form) {
  createKondensator({
    form,
    wanted: (c1, c2, v1, vend, limit) => formula.wanted([c1, c2, v1, vend], limit),
    readInput: (capacity) => new Promise((resolve) => {
      if (typed.length > 0 || inputEnded) {
        resolve(takeTyped(capacity));
      } else {
        pendingRead = { capacity, resolve };
        post(protocol.waiting(true));
      }
    }),
    writeOutput: (bytes) => {
      const text = decoder.decode(bytes, { stream: true });
      if (text !== '') post(protocol.output(text));
    },
    report: (type, ...fields) => {
      // The progress a few times a second at most: the page shows it, nothing more.
      if (type === 'progress') {
        if (Date.now() - lastProgress < 200) return;
        lastProgress = Date.now();
      }
      post(protocol[type](...fields));
    },
    onAbort: failed,
  }).catch(failed);
}

self.onmessage = ({ data }) => {
  if (data.type === 'start') start(data.form);
  if (data.type === 'input' && data.bytes.length > 0) typed.push({ bytes: data.bytes, echo: Boolean(data.echo) });
  if (data.type === 'end') inputEnded = true;
  if (pendingRead && (typed.length > 0 || inputEnded)) {
    const { capacity, resolve } = pendingRead;
    pendingRead = null;
    post(protocol.waiting(false));
    resolve(takeTyped(capacity));
  }
};
