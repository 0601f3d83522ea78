// The page's logic without a page, each part against a table of cases: the
// line discipline, the page's state, the choice of written form and its
// words, and what the panel shows.
//   node --test page_logic.test.cjs
'use strict';
const assert = require('assert');
const path = require('path');
const { test } = require('node:test');

const source = path.resolve(__dirname, '../../src/web');
const { lineDiscipline } = require(path.join(source, 'line_discipline.js'));
const { pageState } = require(path.join(source, 'page_state.js'));
const { language } = require(path.join(source, 'language.js'));
const { words } = require(path.join(source, 'words.js'));
const { lesson } = require(path.join(source, 'lesson.js'));
const { protocol } = require(path.join(source, 'protocol.js'));

// The line "4.7" with the cursor at its end, focused, while the program runs.
const line = (changes = {}) => ({
  value: '4.7', start: 3, end: 3, focused: true, selected: false, running: true, shown: true, ...changes,
});
const key = (key, changes = {}) => ({
  type: 'keydown', key, code: '', keyCode: 0, ctrlKey: false, altKey: false, metaKey: false, isComposing: false,
  ...changes,
});
const send = (text, value = '', cursor = 0, pasted = undefined) => ({
  act: 'send', text, value, cursor, ...(pasted ? { pasted } : {}),
});
const closing = (changes = {}) => line({ value: '', start: 0, end: 0, shown: false, key: true, ...changes });
const edit = (value, cursor = value.length) => ({ act: 'edit', value, cursor });
const byDefault = { act: 'default' };

const lineCases = [
  ['Enter sends the line', key('Enter'), line(), send('4.7\n')],
  ['Enter sends the whole line, wherever the cursor is', key('Enter'), line({ start: 1, end: 1 }), send('4.7\n')],
  ['Enter that ends a composition stays in it', key('Enter', { isComposing: true }), line(), byDefault],
  ['Enter with keyCode 229 (WebKit, IMEs) stays in the composition', key('Enter', { keyCode: 229 }), line(), byDefault],
  ['Ctrl-D hands the line over without a line feed', key('d', { ctrlKey: true }), line(), send('4.7')],
  ['Ctrl-D on an empty line ends the input', key('d', { ctrlKey: true }), line({ value: '', start: 0, end: 0 }),
    { act: 'end' }],
  ['Ctrl-D by its place, on a Russian layout', key('в', { ctrlKey: true, code: 'KeyD' }),
    line({ value: '', start: 0, end: 0 }), { act: 'end' }],
  ['Ctrl-C stops the program', key('c', { ctrlKey: true }), line(), { act: 'interrupt' }],
  ['Ctrl-C by its place, on a Greek layout', key('ψ', { ctrlKey: true, code: 'KeyC' }), line(), { act: 'interrupt' }],
  ['Ctrl-C with text selected in the line copies', key('c', { ctrlKey: true }), line({ start: 0 }), byDefault],
  ['Ctrl-C with text selected on the page copies', key('c', { ctrlKey: true }), line({ selected: true }), byDefault],
  ['Ctrl-C stops the program after its input has ended', key('c', { ctrlKey: true }), line({ shown: false }),
    { act: 'interrupt' }],
  ['Ctrl-Shift-D or Alt-D is no Ctrl-D', key('d', { ctrlKey: true, altKey: true }), line(), byDefault],
  ['a letter on the line is the browser\'s to insert', key('e'), line(), byDefault],
  ['Backspace on the line is the browser\'s', key('Backspace'), line(), byDefault],
  ['a letter typed elsewhere goes to the end of the line', key('e'), line({ focused: false, start: 0, end: 0 }),
    edit('4.7e')],
  ['AltGr (Ctrl and Alt) writes its character there too', key('@', { ctrlKey: true, altKey: true }),
    line({ focused: false }), edit('4.7@')],
  ['Backspace elsewhere takes the last character', key('Backspace'), line({ focused: false }), edit('4.')],
  ['Enter elsewhere sends the line', key('Enter'), line({ focused: false }), send('4.7\n')],
  ['Tab elsewhere moves the focus', key('Tab'), line({ focused: false }), byDefault],
  ['a paste inserts at the cursor and sends whole lines', { type: 'paste', data: '1\n2\n3' },
    line({ start: 1, end: 1 }), send('41\n2\n', '3.7', 1, true)],
  ['a paste without a line feed stays on the line', { type: 'paste', data: 'e-6' }, line(), edit('4.7e-6')],
  ['a paste elsewhere goes to the end', { type: 'paste', data: '\n' }, line({ focused: false, start: 0, end: 0 }),
    send('4.7\n', '', 0, true)],
  ['the Send key submits the form', { type: 'submit' }, line(), send('4.7\n')],
  ['a line break as input sends what stands before it', { type: 'beforeinput', inputType: 'insertLineBreak' },
    line({ start: 2, end: 2 }), send('4.\n', '7', 0)],
  ['so does a paragraph', { type: 'beforeinput', inputType: 'insertParagraph' }, line(), send('4.7\n')],
  ['text holding a line feed', { type: 'beforeinput', inputType: 'insertText', data: '\n' }, line(), send('4.7\n')],
  ['other input is the browser\'s', { type: 'beforeinput', inputType: 'insertText', data: '5' }, line(), byDefault],
  ['a line feed that got into the line all the same', { type: 'input', inputType: 'insertText' },
    line({ value: '4.7\n1', start: 5, end: 5 }), send('4.7\n', '1', 1)],
  ['nothing is taken once the program has ended', key('Enter'), line({ running: false }), byDefault],
  ['at the closing wait Space ends the program', key(' '), closing(), { act: 'key', text: ' ' }],
  ['so does a letter', key('j'), closing({ focused: false }), { act: 'key', text: 'j' }],
  ['so does Enter, as a line end', key('Enter'), closing(), { act: 'key', text: '\n' }],
  ['so does Escape, as a line end', key('Escape'), closing(), { act: 'key', text: '\n' }],
  ['so does a tap in the console', { type: 'click' }, closing(), { act: 'key', text: '\n' }],
  ['a tap while the program reads a value only focuses the line', { type: 'click' }, line(), byDefault],
  ['Ctrl-C still stops the program', key('c', { ctrlKey: true }), closing(), { act: 'interrupt' }],
  ['Ctrl-D still ends the input', key('d', { ctrlKey: true }), closing(), { act: 'end' }],
  ['Tab still moves the focus', key('Tab'), closing(), byDefault],
  ['a paste is no key', { type: 'paste', data: 'x' }, closing(), byDefault],
  ['ArrowUp recalls the last line sent', key('ArrowUp'), line({ value: '', history: ['1e-6', '10'] }),
    { act: 'edit', value: '10', cursor: 2, recalled: 1 }],
  ['and again the one before', key('ArrowUp'), line({ history: ['1e-6', '10'], recalled: 1 }),
    { act: 'edit', value: '1e-6', cursor: 4, recalled: 0 }],
  ['the oldest stays', key('ArrowUp'), line({ value: '1e-6', start: 4, end: 4, history: ['1e-6', '10'], recalled: 0 }),
    edit('1e-6')],
  ['ArrowDown past the newest empties the line', key('ArrowDown'), line({ history: ['1e-6', '10'], recalled: 1 }),
    { act: 'edit', value: '', cursor: 0, recalled: 2 }],
  ['arrows elsewhere are the page\'s', key('ArrowUp'), line({ focused: false, history: ['1'] }), byDefault],
  ['nor once its input has ended', { type: 'paste', data: '1\n' }, line({ shown: false }), byDefault],
];

const prompt = 'Kapasitans kondensator 1 [F]: ';
const events = { output: { type: 'output', text: prompt } };
const run = (...types) => types.reduce((state, type) => pageState.next(state, typeof type === 'string'
  ? events[type] || { type } : type), pageState.initial);
const waiting = (value) => ({ type: 'waiting', waiting: value });
const sent = (...lines) => ({ type: 'sent', lines: lines.map((text) => ({ text, heard: true })) });
const lines = (...texts) => texts.map((text) => ({ text, heard: true }));
const values = protocol.values(1e-6, 1e-6, 10, 1, 2147483647);
const answer = protocol.answer('fell', 4);
const progress = (done, now) => ({ ...protocol.progress(done), now });
const sampling = (state) => state.panel.sampling;

// The state after the events, and what its view, or the state itself, holds.
const stateCases = [
  ['at the start nothing is said, the line is there and Avbryt too', run(), { line: true, lineWaits: false,
    computing: false, closing: '', restart: false, alert: '', running: true, keyWaits: false, stop: true }],
  ['reading: the line waits', run('output', waiting(true)), { line: true, lineWaits: true, computing: false }],
  ['computing, not yet long', run('output', waiting(true), waiting(false)), { lineWaits: false, computing: false }],
  ['computing long enough is said', run('output', 'notice'), { computing: true }],
  ['reading again takes the notice away', run('output', 'notice', waiting(true)), { computing: false }],
  ['a notice that comes late while reading says nothing', run(waiting(true), 'notice'), { computing: false }],
  ['the notice needs the computing phase', run('notice'), { computing: false }],
  ['ended', run('output', 'exit'), { running: false, line: false, closing: 'ended', restart: true }],
  ['stopped', run('output', 'notice', 'interrupt'), { running: false, line: false, computing: false,
    closing: 'stopped', restart: true }],
  ['the closing key: no line, any key ends it', run('output', 'awaitingKey', waiting(true)),
    { running: true, line: false, lineWaits: false, keyWaits: true }],
  ['lines sent ahead wait beneath the line, oldest first', run('output', sent('1e-6\n', '1e-6\n'), sent('10\n')),
    { waitingLines: lines('1e-6\n', '1e-6\n', '10\n') }],
  ['the program takes the oldest', run(sent('1\n', '2\n'), 'taken'), { waitingLines: lines('2\n') }],
  ['the lines go with the run', run(sent('1\n'), 'exit', 'restart'), { waitingLines: [] }],
  ['the prompt the program wrote last describes the line', run('output', sent('1\n'), 'taken',
    { type: 'output', text: 'Kapasitans kondensator 2 [F]: ' }), { prompt: 'Kapasitans kondensator 2 [F]:' }],
  ['a new version is said, through the end and a new start', run('newVersion', 'exit', 'restart'),
    { newVersion: true, running: true }],
  ['after the input has ended the program still runs, without its line', run(waiting(true), 'inputEnded'),
    { running: true, line: false }],
  ['a failure while starting', run({ type: 'failure', cause: 'policy' }), { running: false, line: false,
    computing: false, restart: false, alert: 'policy', newTab: false }],
  ['in a frame the alert offers a new tab', run({ type: 'failure', cause: 'sandbox', inFrame: true }),
    { alert: 'sandbox', newTab: true }],
  ['but not where the browser lacks what it needs', run({ type: 'failure', cause: 'browser', inFrame: true }),
    { alert: 'browser', newTab: false }],
  ['starting again after the end', run('exit', 'restart'), { running: true, line: true, closing: '' }],
  ['no restart after a failure', run('failure', 'restart'), { running: false }],
  ['an exit after the stop changes nothing', run('interrupt', 'exit'), { closing: 'stopped' }],
  ['Avbryt stays while the voltages are worked out after the end', run(values, answer, 'exit'),
    { running: false, stop: true, restart: true }],
  ['and goes when they are', run(values, answer, 'exit', protocol.samples([[1, 5]])), { stop: false }],
  ['or when they are stopped', run(values, answer, 'exit', 'interrupt'), { stop: false }],
];

// What the state holds, beyond the view.
const heldCases = [
  ['the console: output, then each line as the program reads it', run('output', sent('1e-6\n'), 'taken').console,
    [{ text: prompt, typed: false, heard: false }, { text: '1e-6\n', typed: true, heard: true }]],
  ['a stop shows ^C, heard already', run('output', 'interrupt').console.slice(-1),
    [{ text: '^C', typed: true, heard: true }]],
  ['the history keeps the lines that hold something, without line ends', run(sent('1e-6\n', '  \n', '10')).history,
    ['1e-6', '10']],
  ['through a new start, and a line sent forgets the recalled one',
    run(sent('1\n'), 'exit', 'restart', { type: 'recalled', recalled: 0 }, sent('2\n')),
    (state) => [state.history, state.recalled], [['1', '2'], null]],
  ['the values give the formula\'s count and the limit', run(values).panel,
    { values: [1e-6, 1e-6, 10, 1], limit: 2147483647, formula: 4, sampling: 'no' }],
  ['the answer goes to the log', run(values, answer).log, [{ values: [1e-6, 1e-6, 10, 1], answer: { kind: 'fell',
    count: 4 } }]],
  ['and the log and the written form through a new start', run({ type: 'form', form: 'nn' }, values, answer, 'exit',
    'restart'), (state) => [state.log.length, state.form, state.panel], [1, 'nn', null]],
  ['the voltages are worked out once the program waits for its key', run(values, answer, 'awaitingKey'), sampling,
    'working'],
  ['not before', run(values, answer), sampling, 'no'],
  ['a sampler that fails leaves the table out', run(values, answer, 'exit', { type: 'samplerFailed' }), sampling,
    'failed'],
  ['voltages of a run that was stopped are not taken', run(values, answer, 'exit', 'interrupt',
    protocol.samples([[1, 5]])), (state) => state.panel.samples, undefined],
  ['the bar measures the count against the formula\'s', run(values, progress(2, 1000)).bar,
    { shown: false, done: 2, of: 4, saidAt: 1000, said: '' }],
  ['a screen reader hears it after ten seconds, not before', run(values, progress(1, 1000), progress(2, 10999),
    progress(3, 11000)).bar, { shown: false, done: 3, of: 4, saidAt: 11000, said: '75' }],
  ['it shows once computing is said, and stays to the end', run(values, 'output', 'notice', 'exit').bar.shown, true],
  ['the timers: one while starting, one while computing unsaid', [run(), run('output'), run('output', 'notice')]
    .map(pageState.timers), [{ notice: false, start: true }, { notice: true, start: false },
    { notice: false, start: false }]],
  ['the workers: the program\'s for each run, and the sampler while it works', [run(), run('exit'),
    run('exit', 'restart'), run(values, answer, 'exit')].map(pageState.workers), [{ program: 1, sampler: false },
    { program: 0, sampler: false }, { program: 2, sampler: false }, { program: 0, sampler: true }]],
  ['a new start during a run is a new run', run('output', 'restart'), (state) => [state.run, state.console],
    [2, []]],
];

const environment = (changes) => ({ worker: true, webAssembly: true, inFrame: false, opaqueOrigin: false,
  file: false, ...changes });
const causeCases = [
  ['no worker', environment({ worker: false, inFrame: true, opaqueOrigin: true }), 'browser'],
  ['no WebAssembly', environment({ webAssembly: false }), 'browser'],
  ['a sandboxed frame on a web server', environment({ inFrame: true, opaqueOrigin: true }), 'sandbox'],
  ['a frame of the same site', environment({ inFrame: true }), 'policy'],
  ['a file from the disk, in a frame', environment({ inFrame: true, opaqueOrigin: true, file: true }), 'policy'],
  ['a page of its own', environment({}), 'policy'],
];

// The browser's languages, what the reader chose before, and the form shown.
const formCases = [
  ['nynorsk first', [['nn-NO', 'nb-NO', 'en'], null], 'nn'],
  ['nynorsk as no-NN', [['no-NN', 'nb'], null], 'nn'],
  ['nynorsk as nn', [['en', 'nn'], null], 'nn'],
  ['bokmål before nynorsk', [['nb', 'nn'], null], 'nb'],
  ['Norwegian before nynorsk', [['no', 'nn-NO'], null], 'nb'],
  ['Danish before nynorsk', [['da-DK', 'nn'], null], 'nb'],
  ['neither', [['en-GB', 'de'], null], 'nb'],
  ['no list at all', [undefined, null], 'nb'],
  ['the reader chose bokmål', [['nn'], 'nb'], 'nb'],
  ['the reader chose nynorsk', [['en'], 'nn'], 'nn'],
  ['a stored value that is no form', [['nn'], 'xx'], 'nn'],
];

// The formula beside the program: C1, C2, V1, Vend and the count it gives.
const formulaCases = [
  [[1e-6, 1e-6, 10, 1], 4],
  [[1, 1, 8, 1], 4],
  [[1, 1, 1, 1], 1],
  [[1, 1, 0.5, 1], 0],
  [[1e-4, 1e-5, 12, 5], 10],
  [[1e300, 1e300, 1e10, 1], 34],
  [[1e308, 1e308, 5, 1], 3],              // C1 + C2 beyond the doubles, not the ratio
  [[0, 0, 5, 1], null],                   // no ratio
  [[1, 0, 5, 1], null],                   // it stays
  [[1, 1, 10, 0], null],                  // towards 0, never below it
  [[1, -0.5, 5, 1], null],                // it grows
  [[1, -2, 5, -1e300], null],             // 5, -5, 5, ...
  [[1, -3, 5, -1], 1],                    // -2.5 at once
  [[1, -3, 5, -3], null],                 // the swings shrink above it: -2.5, 1.25, -0.625
  [[1, 1e-8, 2.718281828, 1], 100000002],
  [[1, -1.99999998, 1, -7.389056], 99999999],
  [[1, -1.5, -1, -10], 4],                // flips, growing: -1, 2, -4, 8, -16
];
// What the panel shows of a run.
const readme = { values: [1e-6, 1e-6, 10, 1], answer: { kind: 'fell', count: 4 },
  samples: [[1, 5], [2, 2.5], [3, 1.25], [4, 0.625]] };
const long = { values: [1, 1, 1, 0.001], answer: { kind: 'fell', count: 10 },
  samples: [1, 2, 3, 4, 5, 6, 7, 8, 9, 10].map((n) => [n, 2 ** -n]) };
const panelCases = [
  ['the example: every discharge, and charge and energy', () => lesson.rows(readme), [
    ['0', '10', '1e-5', '5e-5'], ['1', '5', '5e-6', '1.25e-5'], ['2', '2.5', '2.5e-6', '3.12e-6'],
    ['3', '1.25', '1.25e-6', '7.81e-7'], ['4', '0.625', '6.25e-7', '1.95e-7']]],
  ['a longer run: the first, dots, and the last three', () => lesson.rows(long).map((row) => row && row[1]),
    ['1', '0.5', '0.25', '0.125', '0.0625', '0.0313', null, '0.00391', '0.00195', '9.77e-4']],
  ['as many digits as tell neighbours apart', () => lesson.rows({ values: [1, 1e-8, 2.718281828, 1],
    answer: { kind: 'fell', count: 2 }, samples: [[1, 2.71828180], [2, 2.7182817]] }).map((row) => row[1]),
  ['2.71828183', '2.7182818', '2.7182817']],
  ['where rounding parts the program and the formula', () => lesson.parting({ values: [1, 1, 8, 1],
    answer: { kind: 'fell', count: 4 }, samples: [[3, 1], [4, 0.5]] }, 3), { n: 3, program: 1, formula: 1 }],
  ['no parting where they agree', () => lesson.parting(readme, 4), null],
  ['a voltage that stays', () => lesson.never({ values: [1, 0, 5, 1], samples: [[1, 5]] }), { why: 'stays', n: 1, v: 5 }],
  ['a voltage that flips, before the samples are in', () => lesson.never({ values: [1, -2, 5, -1e300] }),
    { why: 'flips' }],
  ['a voltage that grows', () => lesson.never({ values: [1, -0.5, 5, 1], samples: [] }), { why: 'grows' }],
  ['the example on linear axes, the final voltage a line', () => {
    const { path: d, vendY, logV, logN } = lesson.chart(readme);
    return [d, vendY, logV, logN];
  }, ['M0,0H80V96H160V144H240V168H320V180', 172.8, false, false]],
  ['four decades: a logarithmic voltage axis', () => lesson.chart({ values: [1, 1, 10, 0.001],
    samples: [[1, 1], [2, 0.1], [3, 0.01], [4, 0.001]] }).logV, true],
  ['a long run: a logarithmic n axis', () => lesson.chart({ values: [1, 1e-3, 10, 1],
    samples: [[1, 9.99], [400, 6.7], [2303, 0.999]] }).logN, true],
  ['a flipping voltage stays on linear axes', () => lesson.chart({ values: [1, -3, 5, -1],
    samples: [[1, -2.5], [2, 1.25], [3, -0.625]] }).logV, false],
  ['the address of a run', () => lesson.shareAddress('file:///k.html#verdier=1,2,3,4', [1e-6, 1e-6, 10, 1]),
    'file:///k.html#verdier=1e-6,1e-6,10,1'],
  ['an address\'s values, as typed', () => lesson.sharedValues('#verdier=1e-6,1e-6,10,1'), ['1e-6', '1e-6', '10', '1']],
  ['values that cannot be read are typed as they are', () => lesson.sharedValues('#verdier=1%2C5,x,10V,1'),
    null],
  ['three values are no run', () => lesson.sharedValues('#verdier=1,2,3'), null],
  ['an address cut off inside an escape is no run', () => lesson.sharedValues('#verdier=1,2,3,%E'), null],
];

const cases = (name, table, check) => {
  for (const [title, ...row] of table) test(`${name}: ${title}`, () => check(...row));
};
cases('line', lineCases, (event, state, expected) => assert.deepStrictEqual(lineDiscipline(event, state), expected));
cases('state', stateCases, (state, expected) => {
  const view = pageState.view(state);
  for (const [field, value] of Object.entries(expected)) assert.deepStrictEqual(view[field], value, field);
});
cases('state holds', heldCases, (held, ...rest) => {
  const [read, expected] = rest.length === 2 ? rest : [(x) => x, rest[0]];
  assert.deepStrictEqual(read(held), expected);
});
cases('failure', causeCases, (env, expected) => assert.strictEqual(pageState.failureCause(env), expected));
cases('formula', formulaCases.map(([v, expected]) => [v.join(' '), v, expected]),
  (v, expected) => assert.strictEqual(lesson.formulaCount(v), expected));
cases('panel', panelCases, (body, expected) => assert.deepStrictEqual(body(), expected));
cases('form', formCases, ([languages, stored], expected) => assert.strictEqual(language.choose(stored, languages),
  expected));
test('every word has both forms', () => {
  const missing = Object.entries(words).filter(([, word]) => typeof word !== 'string'
    && !language.forms.every((form) => typeof word[form] === 'string' && word[form] !== '')).map(([name]) => name);
  assert.deepStrictEqual(missing, []);
});
test('the lines of a paste, each with its line end', () => assert.deepStrictEqual(
  lineDiscipline.lines('1e-6\n1e-6\n\n1'), ['1e-6\n', '1e-6\n', '\n', '1']));
test('a message is its type and its fields, in order', () => assert.deepStrictEqual(protocol.answer('over', 7),
  { type: 'answer', kind: 'over', count: 7 }));
