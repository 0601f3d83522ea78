// Runs the web build of the program under node on one transcript, through the
// page's own worker script: worker.js runs here as in the page's worker, and
// this runner plays the page, handing over NAME.in a line at a time, each
// line only when the program asks for more. It checks that the program
// writes exactly NAME.out and ends with status 0.
//   node run_transcript.cjs FOLDER NAME.in NAME.out
// FOLDER holds worker.js and the program, kondensator.js, as the site does.
'use strict';
const fs = require('fs');
const path = require('path');
const vm = require('vm');

const [site, inputFile, expectedFile] = process.argv.slice(2);
const folder = path.resolve(site);
const input = fs.readFileSync(inputFile);
const expected = fs.readFileSync(expectedFile);

let offset = 0;
const output = [];

// The worker's global scope: what it posts comes here, what this posts goes to its onmessage.
const scope = {
  importScripts: (...names) => names.forEach((name) => { scope.createKondensator = require(path.join(folder, name)); }),
  postMessage: (data) => setImmediate(() => page(data)),
  name: '',  // the program's worker, not the one that samples for the panel
};
scope.self = scope;

function toWorker(data) {
  setImmediate(() => scope.onmessage({ data }));
}

// Up to the end of the next line, as a terminal hands it over; the end of
// the input once there is none.
function nextLine() {
  if (offset === input.length) return toWorker({ end: true });
  const end = input.indexOf(10, offset);
  const lineEnd = end < 0 ? input.length : end + 1;
  const line = new Uint8Array(input.subarray(offset, lineEnd));
  offset = lineEnd;
  return toWorker({ input: line });
}

function page(data) {
  if (data.output) {
    output.push(Buffer.from(data.output));
  } else if (data.waiting) {
    nextLine();
  } else if ('failed' in data) {
    console.error(`the program could not start: ${data.failed}`);
    process.exit(1);
  } else if ('exit' in data) {
    const actual = Buffer.concat(output);
    if (data.exit !== 0) {
      console.error(`exit status ${data.exit}, expected 0`);
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
