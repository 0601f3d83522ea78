// The page's one state, as data, and the pure functions that change it and
// say what is shown, so that they are tested without a page. Every event
// goes through next(state, event); the page then draws view(state) and
// starts or stops its timers and workers as timers(state) and workers(state)
// say.
//
// The phases of a run: 'starting' until the program first writes or asks for
// input; 'computing' while it runs without waiting for input, `noticed` once
// that has lasted long enough to say so; 'reading' while it waits for input;
// 'ended' after it has ended; 'stopped' after the user stopped it; 'failed'
// where it could not start, with the cause the page could tell. `run` counts
// the runs of this visit: a new one needs a new worker.
//
// The events: the program's messages (protocol.js): output, waiting, taken,
// values, answer, progress (with `now`, the time it came), awaitingKey, exit
// and samples; and the page's own: { type: 'restart' }, { type: 'notice' }
// (computing has lasted long enough), { type: 'inputEnded' }, { type: 'sent',
// lines } (lines handed to the program: { text, heard }), { type: 'recalled',
// recalled } (the line holds an earlier line), { type: 'interrupt' },
// { type: 'failure', cause, inFrame }, { type: 'samplerFailed' },
// { type: 'newVersion' }, { type: 'form', form } and { type: 'shared',
// copied, address }.
'use strict';

const pageState = ((lesson) => {
  const initial = {
    form: 'nb',
    run: 1,
    phase: 'starting',
    noticed: false,
    inputEnded: false,
    closingKey: false,
    waiting: [],       // lines sent before the program asked for them, oldest first
    console: [],       // what the console shows: { text, typed, heard }, typed for what the user typed
    cause: '',
    inFrame: false,
    newVersion: false,  // the site holds a newer build than the page's
    history: [],       // the lines sent in this visit, for ArrowUp and ArrowDown
    recalled: null,    // which of them the line holds
    panel: null,       // the run the panel shows: { values, limit, formula, answer, samples, sampling, big }
    log: [],           // this visit's runs, oldest first: { values, answer }
    bar: { shown: false, done: 0, of: 1, saidAt: 0, said: '' },  // the progress bar of this run
    share: null,       // what "Del" did: { copied } or { address } to copy by hand
  };

  // Discharges from which working out the voltages takes long enough to say so.
  const bigRun = 1e8;
  const running = (state) => ['starting', 'computing', 'reading'].includes(state.phase);

  // The progress bar shows while the program computes, or the voltages of a
  // long run are worked out, and stays, full, to the end of the run.
  function withBar(state) {
    const { panel } = state;
    const shown = state.bar.shown || (state.phase === 'computing' && state.noticed)
      || Boolean(panel && panel.sampling === 'working' && panel.big);
    return shown === state.bar.shown ? state : { ...state, bar: { ...state.bar, shown } };
  }

  // The discharges the progress bar measures against.
  function progressOf(state) {
    const { panel } = state;
    if (panel && panel.sampling === 'working') return panel.answer.count;
    if (!panel) return state.bar.of;
    return panel.formula === null ? panel.limit : Math.min(panel.formula, panel.limit);
  }

  // A screen reader hears the progress every ten seconds at most.
  function progress(state, { done, now }) {
    const of = progressOf(state);
    const value = Math.min(done, of);
    const due = state.bar.saidAt !== 0 && now - state.bar.saidAt >= 10000;
    const said = due ? String(Math.floor((100 * value) / of)) : state.bar.said;
    const saidAt = state.bar.saidAt === 0 || due ? now : state.bar.saidAt;
    return { ...state, bar: { ...state.bar, done: value, of, said, saidAt } };
  }

  // The program's answer, where it has one: the panel's run gets it, the log
  // a line, and the voltages are worked out once it waits or has ended.
  function answered(state, { kind, count }) {
    const panel = { ...state.panel, answer: { kind, count }, big: count >= bigRun };
    return { ...state, panel, log: [...state.log, { values: panel.values, answer: panel.answer }],
      bar: { ...state.bar, done: state.bar.of } };
  }
  const sample = (state) => (state.panel && state.panel.answer && state.panel.sampling === 'no'
    ? { ...state, panel: { ...state.panel, sampling: 'working' } } : state);
  const stopSampling = (state) => (state.panel && state.panel.sampling === 'working'
    ? { ...state, panel: { ...state.panel, sampling: 'stopped' } } : state);

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
        return sample({ ...state, closingKey: true });
      case 'sent': {
        const lines = event.lines.map((line) => line.text.replace(/\n$/, '')).filter((line) => line.trim() !== '');
        return { ...state, waiting: [...state.waiting, ...event.lines], history: [...state.history, ...lines],
          recalled: null };
      }
      case 'taken': {
        const [line, ...rest] = state.waiting;
        if (!line) return state;
        return { ...state, waiting: rest, console: [...state.console, { text: line.text, typed: true, heard: line.heard }] };
      }
      case 'values': {
        const { c1, c2, v1, vend, limit } = event;
        const values = [c1, c2, v1, vend];
        return { ...state, panel: { values, limit, formula: lesson.formulaCount(values), sampling: 'no' } };
      }
      case 'answer':
        return answered(state, event);
      case 'exit':
        return sample(ended(state, 'ended'));
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
      case 'shared':
        return { ...state, share: event.copied ? { copied: true } : { address: event.address } };
      case 'progress':
        return withBar(progress(state, event));
      case 'samples':
        if (!(state.panel && state.panel.sampling === 'working')) return state;
        return { ...state, panel: { ...state.panel, samples: event.samples, sampling: 'done' },
          bar: { ...state.bar, done: state.bar.of } };
      case 'samplerFailed':
        if (!(state.panel && state.panel.sampling === 'working')) return state;
        return { ...state, panel: { ...state.panel, sampling: 'failed' } };
      case 'interrupt':
        if (!running(state)) return stopSampling(state);
        return stopSampling(whileRunning(state, event));
      case 'restart':
        if (state.phase === 'failed') return state;
        return { ...initial, form: state.form, run: state.run + 1, newVersion: state.newVersion,
          history: state.history, log: state.log };
      default:
        return running(state) ? withBar(whileRunning(state, event)) : state;
    }
  }

  // What the page shows: whether the program runs (Ctrl-C stops it), whether
  // "Avbryt" is shown (while the program runs or the voltages are being
  // worked out, and it stops both), whether the line is shown (keys go to
  // it) and whether it waits for input, whether the program waits for its
  // closing key (any key ends it), the lines waiting to be read, whether to
  // say that the program computes, the closing notice ('ended', 'stopped' or
  // ''), whether the restart button is shown, the alert where the program
  // cannot start (its cause, and whether to offer the page in a new tab),
  // whether a new version is ready, and the prompt that describes the line.
  function view(state) {
    const isRunning = running(state);
    const failed = state.phase === 'failed';
    const output = state.console.filter((piece) => !piece.typed);
    const last = output.length === 0 ? '' : output[output.length - 1].text;
    return {
      running: isRunning,
      stop: isRunning || Boolean(state.panel && state.panel.sampling === 'working'),
      line: isRunning && !state.inputEnded && !state.closingKey,
      lineWaits: state.phase === 'reading' && !state.closingKey,
      keyWaits: isRunning && state.closingKey,
      waitingLines: state.waiting,
      computing: state.phase === 'computing' && state.noticed,
      closing: { ended: 'ended', stopped: 'stopped' }[state.phase] || '',
      restart: state.phase === 'ended' || state.phase === 'stopped',
      alert: failed ? state.cause : '',
      newTab: failed && state.inFrame && state.cause !== 'browser',
      newVersion: state.newVersion,
      prompt: last.slice(last.lastIndexOf('\n') + 1).trim(),
    };
  }

  // Which timers run: the one that says the program computes, and the one
  // that gives up on a program that does not start.
  const timers = (state) => ({
    notice: state.phase === 'computing' && !state.noticed,
    start: state.phase === 'starting',
  });

  // Which workers run: the program's, for run number `run`, and the one that
  // works the voltages out.
  const workers = (state) => ({
    program: running(state) ? state.run : 0,
    sampler: Boolean(state.panel && state.panel.sampling === 'working'),
  });

  // Why the program could not start, as far as the page can tell: the
  // browser lacks a worker or WebAssembly ('browser'), the page sits in a
  // sandboxed frame, whose origin is opaque ('sandbox'), or else a policy of
  // the site stopped it ('policy').
  function failureCause({ worker, webAssembly, inFrame, opaqueOrigin, file }) {
    if (!worker || !webAssembly) return 'browser';
    if (inFrame && opaqueOrigin && !file) return 'sandbox';
    return 'policy';
  }

  return { initial, next, view, timers, workers, failureCause };
})(typeof lesson === 'undefined' ? require('./lesson.js').lesson : lesson);

if (typeof module !== 'undefined') module.exports = { pageState };
