// Runs the program in the page's worker. The page sends what the user typed,
// { input: bytes }, and the end of the input, { end: true }; the worker sends
// back what the program writes, { output: bytes }, whether the program waits
// for input, { waiting: true } or { waiting: false }, its exit status,
// { exit: status }, or that it could not start, { failed: reason }.
// In the single file the program comes first in the worker's own script; on
// a web server it is a script of its own beside this one.
'use strict';

if (typeof createKondensator === 'undefined') importScripts('kondensator.js');

const typed = [];  // chunks of bytes not yet read, in the order they came
let inputEnded = false;
let pendingRead = null;  // the program's read while it waits: { capacity, resolve }

// Up to `capacity` of the bytes typed, or none once the input has ended.
function takeTyped(capacity) {
  if (typed.length === 0) return new Uint8Array(0);
  const chunk = typed[0];
  if (chunk.length <= capacity) {
    typed.shift();
    return chunk;
  }
  typed[0] = chunk.subarray(capacity);
  return chunk.subarray(0, capacity);
}

self.onmessage = ({ data }) => {
  if (data.input && data.input.length > 0) typed.push(data.input);
  if (data.end) inputEnded = true;
  if (pendingRead && (typed.length > 0 || inputEnded)) {
    const { capacity, resolve } = pendingRead;
    pendingRead = null;
    self.postMessage({ waiting: false });
    resolve(takeTyped(capacity));
  }
};

const failed = (reason) => self.postMessage({ failed: String(reason) });

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
  ended: (status) => self.postMessage({ exit: status }),
  onAbort: failed,
}).catch(failed);
