// The page's one state, as data, and the pure functions that change it and
// say what is shown, so that they are tested without a page. Every event
// goes through next(state, event); the page then draws view(state) and the
// panel, and starts or stops its timers and its worker as timers(state) and
// worker(state) say.
//
// The phases of a run: 'starting' until the program first writes or asks for
// input; 'computing' while it runs without waiting for input, `noticed` once
// that has lasted long enough to say so; 'reading' while it waits for input;
// 'ended' after it has ended; 'stopped' after the user stopped it; 'failed'
// where it could not start, with the cause the page could tell. `run` counts
// the runs of this visit: a new one needs a new worker.
//
// The events: the program's messages (protocol.js): output, waiting, taken,
// values, progress and answer (both with `now`, the time they came), unread,
// awaitingKey and exit; and the page's own: { type: 'restart', prefill } (a
// new run, the line holding `prefill`), { type: 'notice' } (computing has
// lasted long enough), { type: 'inputEnded' }, { type: 'sent', lines } (lines
// handed to the program: { text, heard }), { type: 'recalled', recalled } (the
// line holds an earlier line), { type: 'interrupt' }, { type: 'failure',
// cause, inFrame }, { type: 'newVersion' }, { type: 'form', form },
// { type: 'logAxis' } (the chart's voltage axis switched between linear and
// logarithmic) and { type: 'said', said } (what the panel's buttons did: 'shared',
// 'copied', or { address } or { table } to copy by hand).
'use strict';

const pageState = ((formula) => {
  const initial = {
    form: 'nb',
    run: 1,
    phase: 'starting',
    noticed: false,
    inputEnded: false,
    closingKey: false,
    waiting: [],       // lines sent before the program asked for them, oldest first
    console: [],       // what the console shows: { text, typed, heard }, typed for what the user typed
    prefill: '',       // what the line holds as the run starts, selected
    cause: '',
    inFrame: false,
    newVersion: false,  // the site holds a newer build than the page's
    history: [],       // the lines sent in this visit, for ArrowUp and ArrowDown
    recalled: null,    // which of them the line holds
    panel: null,       // the run the panel shows: { values, limit, answer, date }
    log: [],           // this visit's runs, oldest first: { values, typed, answer }
    logV: false,       // the chart's voltage axis is logarithmic
    bar: { done: 0, of: 1, saidAt: 0, said: '' },  // the progress of a long count
    said: null,        // what the panel's buttons did last
  };

  const running = (state) => ['starting', 'computing', 'reading'].includes(state.phase);
  // The lines the program has read in this run.
  const typed = (state) => state.console.filter((piece) => piece.typed).map((piece) => piece.text);

  // The discharges the progress bar measures against: the formula's count,
  // within what the program counts to.
  function progress(state, { done, now }) {
    const { values, limit } = state.panel;
    const estimate = formula.count(values);
    const of = estimate === null ? limit : Math.max(1, Math.min(estimate, limit));
    const value = Math.min(done, of);
    // A screen reader hears it every ten seconds at most.
    const due = state.bar.saidAt !== 0 && now - state.bar.saidAt >= 10000;
    const said = due ? String(Math.floor((100 * value) / of)) : state.bar.said;
    const saidAt = state.bar.saidAt === 0 || due ? now : state.bar.saidAt;
    return { ...state, bar: { done: value, of, said, saidAt } };
  }

  // The run's answer, and a line in the log: the values read, or where one
  // could not be read, what was typed and what the program said of it.
  function answered(state, answer, values = state.panel && state.panel.values) {
    const entry = { values, typed: typed(state), answer };
    if (answer.kind === 'unknown') return { ...state, log: [...state.log, entry] };
    return { ...state, panel: { ...state.panel, answer, date: answer.now }, log: [...state.log, entry] };
  }

  const ended = (state, phase, changes = {}) => ({ ...state, phase, noticed: false, inputEnded: false,
    closingKey: false, waiting: [], ...changes });

  // What the page's own events and the program's messages do while it runs.
  function whileRunning(state, event) {
    switch (event.type) {
      case 'output': {
        const console = [...state.console, { text: event.text, typed: false, heard: false }];
        return { ...state, phase: state.phase === 'starting' ? 'computing' : state.phase, console };
      }
      case 'waiting':
        if (event.waiting) return { ...state, phase: 'reading', noticed: false };
        return state.phase === 'computing' ? state : { ...state, phase: 'computing', noticed: false };
      case 'notice':
        return state.phase === 'computing' ? { ...state, noticed: true } : state;
      case 'inputEnded':
        return { ...state, inputEnded: true };
      case 'awaitingKey':
        return { ...state, closingKey: true };
      case 'sent': {
        const lines = event.lines.map((line) => line.text.replace(/\n$/, '')).filter((line) => line.trim() !== '');
        return { ...state, waiting: [...state.waiting, ...event.lines], history: [...state.history, ...lines],
          recalled: null, prefill: '' };
      }
      case 'taken': {
        const [line, ...rest] = state.waiting;
        if (!line) return state;
        return { ...state, waiting: rest, console: [...state.console, { text: line.text, typed: true, heard: line.heard }] };
      }
      case 'values': {
        const { c1, c2, v1, vend, limit } = event;
        return { ...state, panel: { values: [c1, c2, v1, vend], limit } };
      }
      case 'progress':
        return progress(state, event);
      case 'answer': {
        const { kind, count, samples, proof, now } = event;
        return answered(state, { kind, count, samples, proof, now });
      }
      case 'unread':
        return answered(state, { kind: 'unknown', text: event.text }, null);
      case 'exit':
        return ended(state, 'ended');
      case 'interrupt':
        return ended(state, 'stopped', { console: [...state.console, { text: '^C', typed: true, heard: true }] });
      case 'failure':
        return ended(state, 'failed', { cause: event.cause, inFrame: Boolean(event.inFrame) });
      default:
        return state;
    }
  }

  function next(state, event) {
    switch (event.type) {
      case 'newVersion':
        return { ...state, newVersion: true };
      case 'form':
        return { ...state, form: event.form };
      case 'recalled':
        return { ...state, recalled: event.recalled };
      case 'logAxis':
        return { ...state, logV: !state.logV };
      case 'said':
        return { ...state, said: event.said };
      case 'restart':
        if (state.phase === 'failed') return state;
        return { ...initial, form: state.form, run: state.run + 1, newVersion: state.newVersion, history: state.history,
          log: state.log, logV: state.logV, prefill: event.prefill || '' };
      default:
        return running(state) ? whileRunning(state, event) : state;
    }
  }

  // What the console shows: whether the program runs (Ctrl-C stops it),
  // whether "Avbryt" is shown (while it runs, until it has answered), whether
  // the line is shown (keys go to it) and whether it waits for input, whether
  // the program computes (Escape stops it) and whether to say so, whether it
  // waits for its closing key (any key ends it), whether nothing has been
  // typed in this run yet, the lines waiting to be read, the closing notice
  // ('ended', 'stopped' or ''), whether the restart button is shown, the alert
  // where the program cannot start (its cause, and whether to offer the page
  // in a new tab), whether a new version is ready, the prompt that describes
  // the line, and the progress bar, where a long count shows it.
  function view(state) {
    const isRunning = running(state);
    const failed = state.phase === 'failed';
    const output = state.console.filter((piece) => !piece.typed);
    const last = output.length === 0 ? '' : output[output.length - 1].text;
    const computing = state.phase === 'computing' && state.noticed;
    return {
      running: isRunning,
      stop: isRunning && !state.closingKey,
      line: isRunning && !state.inputEnded && !state.closingKey,
      lineWaits: state.phase === 'reading' && !state.closingKey,
      busy: state.phase === 'computing' && !state.closingKey,
      keyWaits: isRunning && state.closingKey,
      fresh: isRunning && state.waiting.length === 0 && typed(state).length === 0 && !state.inputEnded,
      waitingLines: state.waiting,
      computing,
      closing: { ended: 'ended', stopped: 'stopped' }[state.phase] || '',
      restart: state.phase === 'ended' || state.phase === 'stopped',
      alert: failed ? state.cause : '',
      newTab: failed && state.inFrame && state.cause !== 'browser',
      newVersion: state.newVersion,
      prompt: last.slice(last.lastIndexOf('\n') + 1).trim(),
      bar: computing && state.panel && !state.panel.answer ? state.bar : null,
    };
  }

  // What a run of the log offers to type again: its lines as typed, on one line.
  const retyped = (entry) => entry.typed.map((line) => line.trim()).filter(Boolean).join(' ');
  // What "Start på nytt" offers: the last run's.
  const lastValues = (state) => (state.log.length === 0 ? '' : retyped(state.log[state.log.length - 1]));

  // Which timers run: the one that says the program computes, and the one
  // that gives up on a program that does not start.
  const timers = (state) => ({
    notice: state.phase === 'computing' && !state.noticed,
    start: state.phase === 'starting',
  });

  // Which worker runs: the program's, for run number `run`, or none.
  const worker = (state) => (running(state) ? state.run : 0);

  // Why the program could not start, as far as the page can tell: the
  // browser lacks a worker or WebAssembly ('browser'), the page sits in a
  // sandboxed frame, whose origin is opaque ('sandbox'), or else a policy of
  // the site stopped it ('policy').
  function failureCause({ worker: workers, webAssembly, inFrame, opaqueOrigin, file }) {
    if (!workers || !webAssembly) return 'browser';
    if (inFrame && opaqueOrigin && !file) return 'sandbox';
    return 'policy';
  }

  return { initial, next, view, retyped, lastValues, timers, worker, failureCause };
})(typeof formula === 'undefined' ? require('./formula.js').formula : formula);

if (typeof module !== 'undefined') module.exports = { pageState };
