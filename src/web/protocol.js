// Every message between the page, the program's worker and the program, by
// name: { type, ...fields }, each made by the function of its name here from
// its fields in this order. Adding a field to a message is one change here,
// one where it is made and one where it is used. The program (web/main.cpp)
// makes its messages with Module.report(type, ...fields).
'use strict';

const protocol = (() => {
  const fields = {
    // The page to the worker.
    start: ['form'],                   // run the program, its texts in the written form 'nb' or 'nn'
    input: ['bytes', 'echo'],          // a line or a key the user typed; echo: say when it is read
    end: [],                           // the user ended the input
    // The worker, and the program in it, to the page.
    output: ['text'],                  // what the program writes, as it flushes it
    waiting: ['waiting'],              // whether the program waits for input
    taken: [],                         // the program has read the whole of the oldest line sent with echo
    values: ['c1', 'c2', 'v1', 'vend', 'limit'],  // the four values read, and the most discharges it counts
    progress: ['done'],                // discharges carried out so far, now and then during a long count
    // How the count ended: kind 'fell', 'never' or 'over', as the program names
    // them; the voltages it kept on its way, [[n, voltage], ...]; and the bound
    // that gave the answer without running ('ratio', 'doubles' or '').
    answer: ['kind', 'count', 'samples', 'proof'],
    unread: ['text'],                  // what the result line says where a value could not be read
    awaitingKey: [],                   // the program waits for its closing key
    exit: ['status'],                  // the program has ended
    failed: ['reason'],                // the program could not start
  };

  const messages = {};
  for (const [type, names] of Object.entries(fields)) {
    messages[type] = (...values) => Object.fromEntries([['type', type], ...names.map((name, i) => [name, values[i]])]);
  }
  return messages;
})();

if (typeof module !== 'undefined') module.exports = { protocol };
