// Runs the web build of the program under node on one transcript, through the
// page's own worker script: worker.js runs here as in the page's worker, and
// this runner plays the page, handing over NAME.in a line at a time, each
// line only when the program asks for more, in the written form FORM (nb
// where none is given). It checks that the program writes exactly NAME.out
// and ends with status 0.
//   node run_transcript.cjs SITE NAME.in NAME.out [FORM]
// SITE is the site's folder, whose build folder holds worker.js, protocol.js
// and the program, kondensator.js.
'use strict';
const fs = require('fs');
const path = require('path');
const vm = require('vm');

const [site, inputFile, expectedFile, form = 'nb'] = process.argv.slice(2);
const index = fs.readFileSync(path.join(site, 'index.html'), 'utf8');
const folder = path.resolve(site, index.match(/<meta name="build" content="([^"]+)">/)[1]);
const input = fs.readFileSync(inputFile);
const expected = fs.readFileSync(expectedFile);

let offset = 0;
const output = [];

// The worker's global scope: what it posts comes here, what this posts goes to its onmessage.
const scope = {
  // The program's script exports the function that makes it; the others, objects by name.
  importScripts: (...names) => {
    for (const name of names) {
      const exported = require(path.join(folder, name));
      if (typeof exported === 'function') scope.createKondensator = exported;
      else Object.assign(scope, exported);
    }
  },
  postMessage: (data) => setImmediate(() => page(data)),
  TextDecoder,
};
scope.self = scope;

function toWorker(data) {
  setImmediate(() => scope.onmessage({ data }));
}

// Up to the end of the next line, as a terminal hands it over; the end of
// the input once there is none.
function nextLine() {
  if (offset === input.length) return toWorker(scope.protocol.end());
  const end = input.indexOf(10, offset);
  const lineEnd = end < 0 ? input.length : end + 1;
  const line = new Uint8Array(input.subarray(offset, lineEnd));
  offset = lineEnd;
  return toWorker(scope.protocol.input(line, false));
}

function page(message) {
  if (message.type === 'output') {
    output.push(Buffer.from(message.text));
  } else if (message.type === 'waiting' && message.waiting) {
    nextLine();
  } else if (message.type === 'failed') {
    console.error(`the program could not start: ${message.reason}`);
    process.exit(1);
  } else if (message.type === 'exit') {
    const actual = Buffer.concat(output);
    if (message.status !== 0) {
      console.error(`exit status ${message.status}, expected 0`);
      process.exit(1);
    }
    if (!actual.equals(expected)) {
      console.error(`output differs\n--- expected:\n${expected}\n--- actual:\n${actual}`);
      process.exit(1);
    }
    process.exit(0);
  }
}

vm.runInNewContext(fs.readFileSync(path.join(folder, 'worker.js'), 'utf8'), scope, { filename: 'worker.js' });
toWorker(scope.protocol.start(form));
