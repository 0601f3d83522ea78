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
const { chart } = require(path.join(source, 'chart.js'));
const { formula } = require(path.join(source, 'formula.js'));
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
  ['after the answer, Ctrl-C ends the closing wait as any key', key('c', { ctrlKey: true }), closing(),
    { act: 'key', text: '\n' }],
  ['Escape stops a program that computes', key('Escape'), line({ busy: true }), { act: 'interrupt' }],
  ['but not one that waits for a value', key('Escape'), line(), byDefault],
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
const samples = [[1, 5], [2, 2.5], [3, 1.25], [4, 0.625]];
const answer = protocol.answer('fell', 4, samples, '');
const progress = (done, now) => ({ ...protocol.progress(done), now });

// The state after the events, and what its view holds.
const stateCases = [
  ['at the start nothing is said, the line is there and Avbryt too', run(), { line: true, lineWaits: false,
    computing: false, closing: '', restart: false, alert: '', running: true, keyWaits: false, stop: true, fresh: true }],
  ['reading: the line waits', run('output', waiting(true)), { line: true, lineWaits: true, computing: false }],
  ['computing, not yet long', run('output', waiting(true), waiting(false)), { lineWaits: false, computing: false,
    busy: true }],
  ['computing long enough is said', run('output', 'notice'), { computing: true }],
  ['reading again takes the notice away', run('output', 'notice', waiting(true)), { computing: false, busy: false }],
  ['a notice that comes late while reading says nothing', run(waiting(true), 'notice'), { computing: false }],
  ['the notice needs the computing phase', run('notice'), { computing: false }],
  ['ended', run('output', 'exit'), { running: false, line: false, closing: 'ended', restart: true }],
  ['stopped', run('output', 'notice', 'interrupt'), { running: false, line: false, computing: false,
    closing: 'stopped', restart: true }],
  ['the closing key after the answer: no line, no Avbryt, any key ends it', run('output', 'awaitingKey',
    waiting(true)), { running: true, line: false, lineWaits: false, keyWaits: true, stop: false, busy: false }],
  ['lines sent ahead wait beneath the line, oldest first', run('output', sent('1e-6\n', '1e-6\n'), sent('10\n')),
    { waitingLines: lines('1e-6\n', '1e-6\n', '10\n'), fresh: false }],
  ['the program takes the oldest', run(sent('1\n', '2\n'), 'taken'), { waitingLines: lines('2\n') }],
  ['the lines go with the run', run(sent('1\n'), 'exit', 'restart'), { waitingLines: [], fresh: true }],
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
  ['the bar measures a long count against the formula\'s', run(values, 'output', 'notice', progress(2, 1000)),
    { bar: { done: 2, of: 4, saidAt: 1000, said: '' } }],
  ['and goes with the answer', run(values, 'output', 'notice', progress(2, 1000), answer, 'awaitingKey'),
    { bar: null }],
  ['and with a stop', run(values, 'output', 'notice', progress(2, 1000), 'interrupt'), { bar: null }],
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
  ['the values and the answer, with its voltages and its time, for the panel', run(values, { ...answer, now: 7 }).panel,
    { values: [1e-6, 1e-6, 10, 1], limit: 2147483647, answer: { kind: 'fell', count: 4, samples, proof: '', now: 7 },
      date: 7 }],
  ['the answer goes to the log with what was typed', run(sent('1e-6 1e-6 10 1\n'), 'taken', values, answer).log,
    [{ values: [1e-6, 1e-6, 10, 1], typed: ['1e-6 1e-6 10 1\n'], answer: { kind: 'fell', count: 4, samples, proof: '',
      now: undefined } }]],
  ['so does a value that could not be read, with what the program said of it', run(sent('1,5\n'), 'taken',
    protocol.unread('ukjent (kapasitans kondensator 1 har desimalkomma; bruk punktum)')).log.map((entry) =>
    [entry.values, entry.typed, entry.answer]), [[null, ['1,5\n'], { kind: 'unknown',
    text: 'ukjent (kapasitans kondensator 1 har desimalkomma; bruk punktum)' }]]],
  ['Start på nytt offers the last run\'s lines, on one line', run(sent('1,5 1e-6\n', '\n', '10 1\n'), 'taken', 'taken',
    'taken', protocol.unread('ukjent'), 'exit'), pageState.lastValues, '1,5 1e-6 10 1'],
  ['a new start with it holds it for the line', run(sent('1\n'), 'taken', values, answer, 'exit',
    { type: 'restart', prefill: '1' }).prefill, '1'],
  ['and the log, the form and the chart\'s axis go through a new start', run({ type: 'form', form: 'nn' },
    { type: 'logAxis' }, values, answer, 'exit', 'restart'), (state) => [state.log.length, state.form, state.logV,
    state.panel], [1, 'nn', true, null]],
  ['a screen reader hears the progress after ten seconds, not before', run(values, progress(1, 1000),
    progress(2, 10999), progress(3, 11000)).bar, { done: 3, of: 4, saidAt: 11000, said: '75' }],
  ['the timers: one while starting, one while computing unsaid', [run(), run('output'), run('output', 'notice')]
    .map(pageState.timers), [{ notice: false, start: true }, { notice: true, start: false },
    { notice: false, start: false }]],
  ['the program\'s worker for each run, none after it', [run(), run('exit'), run('exit', 'restart')]
    .map(pageState.worker), [1, 0, 2]],
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
  [[1, 1e-17, 10, 1], 230258509299404540],  // on paper, where C1 + C2 rounds to C1: ln 10 / 1e-17
];

// Runs as the program reports them, with the voltages its discharges passed through.
const runOf = (values, kind, count, points, proof = '') => ({ values, limit: 2147483647,
  answer: { kind, count, samples: points, proof }, date: new Date(2026, 11, 10).getTime() });
const halving = (from, to) => Array.from({ length: to - from + 1 }, (_, i) => [from + i, 10 * 2 ** -(from + i)]);
const readme = runOf([1e-6, 1e-6, 10, 1], 'fell', 4, samples);
const longRun = runOf([1, 1, 10, 0.001], 'fell', 14, halving(1, 14));
const nb = language.textsIn(words, 'nb');
const explained = (run, first = 0) => lesson.explain(run, nb).slice(first);
const energyOf = (sentences) => sentences.filter((sentence) => !/energi|tapt|varme/.test(sentence));
const sp = '\u00a0';

// What the panel shows of a run.
const panelCases = [
  ['the example: every discharge, its charge and energy, and where the energy went', () => lesson.rows(readme), [
    ['0', '10', '10 µC', '50 µJ', '', ''], ['1', '5', '5 µC', '12.5 µJ', '25 µJ', '12.5 µJ'],
    ['2', '2.5', '2.5 µC', '3.13 µJ', '6.25 µJ', '3.13 µJ'], ['3', '1.25', '1.25 µC', '781 nJ', '1.56 µJ', '781 nJ'],
    ['4', '0.625', '625 nC', '195 nJ', '391 nJ', '195 nJ']]],
  ['a longer run: the first, dots, and the last three', () => lesson.rows(longRun).map((row) => row && row[1]),
    ['10', '5', '2.5', '1.25', '0.625', '0.313', null, '0.00244', '0.00122', '6.1e-4']],
  ['as many digits as tell neighbours apart', () => lesson.rows(runOf([1, 1e-8, 2.718281828, 1], 'fell', 2,
    [[1, 2.71828180], [2, 2.7182817]])).map((row) => row[1]), ['2.71828183', '2.7182818', '2.7182817']],
  ['a voltage just below the final voltage never shows as it', () => lesson.rows(runOf([1, 1e-9, 1, 0.5], 'fell', 2,
    [[1, 0.5000000003], [2, 0.49999999997]])).map((row) => row[1]), ['1', '0.5000000003', '0.49999999997']],
  ['no energy lost where a capacitance is no real one', () => lesson.rows(runOf([1, -0.5, 5, 1], 'never', 1,
    [[1, 10]]))[1], ['1', '10', '10 C', '50 J']],
  ['the table for a spreadsheet: a header, every point, decimal commas', () => lesson.csv(readme, nb).split('\r\n')
    .map((line) => line.split(';').slice(0, 2).join(';')), ['\ufeffn;Spenning V1 [V]', '0;10', '1;5', '2;2,5',
    '3;1,25', '4;0,625', '']],
  ['its energies in full, and tabs to copy', () => lesson.tsv(readme, nb).split('\r\n')[1], '0\t10\t1e-5\t5e-5\t\t'],
  ['the sums of the energy add up to the start\'s', () => {
    const sums = lesson.energy(readme);
    return Math.abs(sums.start - sums.lost - sums.thrown - sums.left) <= 1e-15 * sums.start;
  }, true],
  ['a count grouped in threes with no-break spaces', () => lesson.grouped(2147483647), `2${sp}147${sp}483${sp}647`],
  ['SI prefixes, and e-notation beyond them', () => lesson.si([4.7e-6, 56.4e-6, 0, 1e-20, 2e9], 'F'),
    ['4.7 µF', '56.4 µF', '0 F', '1e-20 F', '2 GF']],
  ['a worksheet\'s heading: the values and the date', () => lesson.worksheet(readme, nb),
    'C1 = 1 µF, C2 = 1 µF, V1 = 10 V, sluttspenning 1 V. 10.12.2026'],
  ['the example explained: the factor, the formula, where the energy goes, and its sums', () => explained(readme), [
    'Hver utladning ganger spenningen med C1 / (C1 + C2) = 0.5.',
    'Formelen V_n = V_0 · (C1 / (C1 + C2))^n gir n = 4; programmet talte 4.',
    nb.energy.replace('{share}', '0.5'),
    'Etter 4 utladninger er 33.2 µJ tapt i overføringene, 16.6 µJ kastet og 195 nJ igjen i kondensator 1: '
      + 'til sammen 50 µJ, det kondensator 1 hadde ved start.']],
  ['C2 lost in the rounding of C1 + C2: what the computer does, and what the formula on paper gives', () => explained(
    runOf([1, 1e-17, 10, 1], 'never', 1, [[1, 10]])).slice(0, 4), [
    'Hver utladning ganger spenningen med C1 / (C1 + C2) = 1.',
    'C2 = 1e-17 F er mindre enn et halvt steg mellom tallene datamaskinen kan lagre rundt C1 = 1 F (steget er '
      + '2.22e-16 F), så den regner C1 + C2 = C1, og hver utladning ganger spenningen med nøyaktig 1. På papiret er '
      + 'C1 / (C1 + C2) litt mindre enn 1.',
    'Formelen V_n = V_0 · (C1 / (C1 + C2))^n gir n ≈ 2.30e+17; programmet talte uendelig.',
    'Spenningen står stille på 10 V fra utladning 1, over sluttspenningen 1 V.']],
  ['a voltage that comes to rest on the final voltage: equal, not over', () => energyOf(explained(
    runOf([1, 1, 10, 0], 'never', 1079, [...halving(1, 12), [1077, 5e-324], [1078, 0], [1079, 0]]), 2)), [
    `Spenningen står stille på 0 V fra utladning 1${sp}078. Det er lik sluttspenningen, ikke under den, og `
      + 'programmet teller videre så lenge spenningen er lik eller over sluttspenningen.']],
  ['a voltage that sticks on the smallest number above 0', () => energyOf(explained(runOf([1, 0.5, 1, 0], 'never',
    1839, [[1837, 1e-323], [1838, 5e-324], [1839, 5e-324]]), 2)), [
    `Spenningen står stille på 5e-324 V fra utladning 1${sp}838, over sluttspenningen 0 V.`,
    '5e-324 V er det minste tallet over 0 som datamaskinen kan lagre, og 5e-324 · 0.667 ligger nærmere det enn 0, '
      + 'så avrundingen gir 5e-324 igjen.']],
  ['towards 0 above a negative final voltage', () => energyOf(explained(runOf([1, 1, 10, -1], 'never', 1079,
    [[1077, 5e-324], [1078, 0], [1079, 0]]), 2)),
  [`Spenningen står stille på 0 V fra utladning 1${sp}078, over sluttspenningen -1 V.`]],
  ['a ratio above 1', () => explained(runOf([1, -0.5, 5, 1], 'never', 1023, [[1022, Infinity], [1023, Infinity]]), 2),
    [nb.grows]],
  ['a ratio below -1', () => explained(runOf([1, -1.5, 5, -1e300], 'never', 2, [[1, -10], [2, 20]]), 2),
    [nb.flipsGrowing]],
  ['a ratio between -1 and 0', () => explained(runOf([1, -3, 5, -3], 'never', 2, [[1, -2.5], [2, 1.25]]), 2),
    [nb.flips]],
  ['over the limit, counted', () => energyOf(explained(runOf([1, 1e-9, 1, 0.1], 'over', 2147483647,
    [[2147483647, 0.11677]]), 2)), [`Programmet teller utladningene bare opp til 2${sp}147${sp}483${sp}647, det `
    + 'største tallet telleren kan holde. Etter så mange er spenningen fortsatt 0.117 V, over sluttspenningen.']],
  ['over the limit, by the bound on the ratio or on the doubles passed', () => ['ratio', 'doubles'].map((proof) =>
    energyOf(explained(runOf([1, 1e-10, 10, 1], 'over', 2147483647, halving(1, 12), proof), 2))[0].split('. ')[1]),
  [nb.overRatio, nb.overDoubles]],
  ['no sums of the energy where a bound gave the answer', () => lesson.energy(runOf([1, 1e-10, 10, 1], 'over',
    2147483647, halving(1, 12), 'ratio')), null],
  ['where rounding parts the program and the formula', () => explained(runOf([1, 1, 8, 1], 'fell', 3, [[3, 0.99]]), 2)[0],
    'Her avgjør avrundingen: etter utladning 3 har programmet 0.99 V, formelen 1 V.'],
  ['the example\'s chart: from 0, ticks, the final voltage, and the discharge below it marked', () => {
    const { path: d, vend, below, vTicks, nTicks, log, logN } = chart.geometry(readme);
    return [d, vend, below, vTicks.map((t) => t.label).join(' '), nTicks.map((t) => t.label).join(' '), log, logN];
  }, ['M0,0H80V90H160V135H240V157.5H320V168.8', { y: 162, label: '1' }, { x: 320, y: 168.8, n: 4 },
    '0 2 4 6 8 10', '0 4', false, false]],
  ['on demand a logarithmic voltage axis, in decades', () => {
    const { log, vTicks } = chart.geometry(readme, { logV: true });
    return [log, vTicks.map((t) => t.label).join(' ')];
  }, [true, '0.1 1 10']],
  ['a long run: a logarithmic n axis', () => chart.geometry(runOf([1, 1e-3, 10, 1], 'fell', 2303,
    [[1, 9.99], [400, 6.7], [2303, 0.999]])).logN, true],
  ['a voltage that flips has no logarithmic axis', () => chart.geometry(runOf([1, -3, 5, -1], 'fell', 1,
    [[1, -2.5]]), { logV: true }).log, false],
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
  (v, expected) => assert.strictEqual(formula.count(v), expected));
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
test('a message is its type and its fields, in order', () => assert.deepStrictEqual(protocol.answer('over', 7, [], 'ratio'),
  { type: 'answer', kind: 'over', count: 7, samples: [], proof: 'ratio' }));
