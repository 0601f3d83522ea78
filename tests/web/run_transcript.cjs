// Runs the web build of the program under node on one transcript: feeds
// NAME.in a line at a time, each line only when the program asks for more,
// and checks that the program writes exactly NAME.out and ends with status 0.
//   node run_transcript.cjs kondensator.js NAME.in NAME.out
'use strict';
const fs = require('fs');
const path = require('path');

const [program, inputFile, expectedFile] = process.argv.slice(2);
const createKondensator = require(path.resolve(program));
const input = fs.readFileSync(inputFile);
const expected = fs.readFileSync(expectedFile);

let offset = 0;
const output = [];

// Up to the end of the next line, as a terminal hands it over.
function nextLine(capacity) {
  const end = input.indexOf(10, offset);
  const lineEnd = end < 0 ? input.length : end + 1;
  const chunk = input.subarray(offset, Math.min(lineEnd, offset + capacity));
  offset += chunk.length;
  return new Uint8Array(chunk);
}

createKondensator({
  readInput: (capacity) => new Promise((resolve) => setImmediate(() => resolve(nextLine(capacity)))),
  writeOutput: (bytes) => output.push(Buffer.from(bytes)),
  ended: (status) => {
    const actual = Buffer.concat(output);
    if (status !== 0) {
      console.error(`exit status ${status}, expected 0`);
      process.exit(1);
    }
    if (!actual.equals(expected)) {
      console.error(`output differs\n--- expected:\n${expected}\n--- actual:\n${actual}`);
      process.exit(1);
    }
    process.exit(0);
  },
});
