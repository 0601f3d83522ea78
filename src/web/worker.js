// Runs the program in a worker of the page. The page sends what the user
// typed, a line or a key at a time, { input: bytes, echo }, and the end of
// the input, { end: true }. The worker sends back its version, { version },
// what the program writes, { output: bytes }, that the program has read the
// whole of a line sent with echo, { taken: true }, whether the program waits
// for input, { waiting: true } or { waiting: false }, the values it read,
// { values: [c1, c2, v1, vend] }, its answer, { answer: { kind, count } },
// how far a long count has come, { progress: count }, that it waits for its
// closing key, { awaitingKey: true }, its exit status, { exit: status }, or
// that it could not start, { failed: reason }.
// The program reads a line at a time, so that the page shows each line as
// the program takes it, right after the prompt it answers.
//
// Started with the name "samples", the worker runs no dialogue: sent
// { sample: { c1, c2, v1, vend, count, formula } }, it carries out that run
// again, as the program does, and sends { progress: count } on the way and
// { samples: [[n, voltage], ...] } at the end.
// In the single file the program comes first in the worker's own script; on
// a web server it is a script of its own beside this one.
'use strict';

const version = '@VERSION@';
if (typeof createKondensator === 'undefined') importScripts('kondensator.js');

const failed = (reason) => self.postMessage({ failed: String(reason) });

// A few times a second at most: the page shows it, nothing more.
let lastProgress = 0;
function discharged(count) {
  const now = Date.now();
  if (now - lastProgress < 200) return;
  lastProgress = now;
  self.postMessage({ progress: count });
}

function runDialogue() {
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
    valuesRead: (...values) => self.postMessage({ values }),
    answered: (kind, count) => self.postMessage({ answer: { kind: ['fell', 'never', 'over'][kind], count } }),
    discharged,
    awaitingKey: () => self.postMessage({ awaitingKey: true }),
    ended: (status) => self.postMessage({ exit: status }),
    onAbort: failed,
  }).catch(failed);
}

function runSamples() {
  self.onmessage = ({ data: { sample } }) => {
    const samples = [];
    createKondensator({ noInitialRun: true, sampled: (n, v) => samples.push([n, v]), discharged, onAbort: failed })
      .then((program) => {
        program._sample_run(sample.c1, sample.c2, sample.v1, sample.vend, sample.count, sample.formula);
        self.postMessage({ samples });
      }).catch(failed);
  };
}

self.postMessage({ version });
if (self.name === 'samples') runSamples();
else runDialogue();
