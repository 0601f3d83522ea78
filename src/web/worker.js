// Runs the program in the page's worker. The page sends what the user typed,
// a line or a key at a time, { input: bytes, echo }, and the end of the input,
// { end: true }. The worker sends back its version, { version }, what the
// program writes, { output: bytes }, that the program has read the whole of
// a line sent with echo, { taken: true }, whether the program waits for
// input, { waiting: true } or { waiting: false }, that it waits for its
// closing key, { awaitingKey: true }, its exit status, { exit: status }, or
// that it could not start, { failed: reason }.
// The program reads a line at a time, so that the page shows each line as
// the program takes it, right after the prompt it answers.
// In the single file the program comes first in the worker's own script; on
// a web server it is a script of its own beside this one.
'use strict';

const version = '@VERSION@';
if (typeof createKondensator === 'undefined') importScripts('kondensator.js');

const typed = [];  // { bytes, echo }: what was sent and not yet read, in the order it came
let inputEnded = false;
let pendingRead = null;  // the program's read while it waits: { capacity, resolve }

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
  if (first.echo) self.postMessage({ taken: true });
  return first.bytes;
}

self.onmessage = ({ data }) => {
  if (data.input && data.input.length > 0) typed.push({ bytes: data.input, echo: Boolean(data.echo) });
  if (data.end) inputEnded = true;
  if (pendingRead && (typed.length > 0 || inputEnded)) {
    const { capacity, resolve } = pendingRead;
    pendingRead = null;
    self.postMessage({ waiting: false });
    resolve(takeTyped(capacity));
  }
};

const failed = (reason) => self.postMessage({ failed: String(reason) });

self.postMessage({ version });
createKondensator({
  readInput: (capacity) => new Promise((resolve) => {
    if (typed.length > 0 || inputEnded) {
      resolve(takeTyped(capacity));
    } else {
      pendingRead = { capacity, resolve };
      self.postMessage({ waiting: true });
    }
  }),
  writeOutput: (bytes) => self.postMessage({ output: bytes }, [bytes.buffer]),
  awaitingKey: () => self.postMessage({ awaitingKey: true }),
  ended: (status) => self.postMessage({ exit: status }),
  onAbort: failed,
}).catch(failed);
