// The page's one state, and what the page shows in it. A pure function from
// a state and an event to the next state, and one from a state to what is
// shown, so that they are tested without a page.
//
// The phases: 'starting' until the program first writes or asks for input;
// 'computing' while it runs without waiting for input, `noticed` once that
// has lasted long enough to say so; 'reading' while it waits for input;
// 'ended' after it has ended; 'stopped' after the user stopped it; 'failed'
// where it could not start, with the cause the page could tell.
//
// While it runs, `inputEnded` says that the user has ended its input,
// `closingKey` that the program waits for its closing key, and `waiting`
// holds the lines sent before the program asked for them, oldest first.
// `newVersion` says that the site holds a newer version than the page's, and
// `sampling` that the voltages of the run are being worked out for the
// panel, which goes on after the program has ended.
//
// The events: { type: 'output' }, { type: 'waiting', waiting }, { type: 'exit' },
// { type: 'notice' } (computing has lasted long enough), { type: 'inputEnded' },
// { type: 'awaitingKey' }, { type: 'sent', lines } (lines handed to the program),
// { type: 'taken' } (it read the oldest of them), { type: 'interrupt' },
// { type: 'failure', cause, inFrame }, { type: 'restart' }, { type: 'newVersion' },
// and { type: 'sampling', sampling } (the voltages are being worked out, or no longer).
'use strict';

const pageState = (() => {
  const phase = (name, rest = {}) => ({
    phase: name, noticed: false, inputEnded: false, closingKey: false, waiting: [], newVersion: false, sampling: false,
    ...rest,
  });
  const running = (state) => ['starting', 'computing', 'reading'].includes(state.phase);

  function next(state, event) {
    if (event.type === 'newVersion') return { ...state, newVersion: true };
    if (event.type === 'sampling') return { ...state, sampling: event.sampling };
    if (!running(state)) {
      if (event.type !== 'restart' || state.phase === 'failed') return state;
      return phase('starting', { newVersion: state.newVersion });
    }
    switch (event.type) {
      case 'output':
        return state.phase === 'starting' ? { ...state, phase: 'computing' } : state;
      case 'waiting':
        if (event.waiting) return { ...state, phase: 'reading', noticed: false };
        return state.phase === 'computing' ? state : { ...state, phase: 'computing', noticed: false };
      case 'notice':
        return state.phase === 'computing' ? { ...state, noticed: true } : state;
      case 'inputEnded':
        return { ...state, inputEnded: true };
      case 'awaitingKey':
        return { ...state, closingKey: true };
      case 'sent':
        return { ...state, waiting: [...state.waiting, ...event.lines] };
      case 'taken':
        return { ...state, waiting: state.waiting.slice(1) };
      case 'exit':
        return phase('ended', { newVersion: state.newVersion, sampling: state.sampling });
      case 'interrupt':
        return phase('stopped', { newVersion: state.newVersion, sampling: state.sampling });
      case 'failure':
        return phase('failed', { cause: event.cause, inFrame: Boolean(event.inFrame), newVersion: state.newVersion });
      default:
        return state;
    }
  }

  // What the page shows: whether the program runs (Ctrl-C stops it), whether
  // "Avbryt" is shown (while the program runs or the voltages are being
  // worked out, and it stops both), whether the line is shown (keys go to
  // it) and whether it waits for input, whether the program waits for its
  // closing key (any key ends it),
  // the lines waiting to be read, whether to say that the program computes,
  // the closing notice ('ended', 'stopped' or ''), whether the restart
  // button is shown, the alert where the program cannot start (its cause,
  // and whether to offer the page in a new tab) and whether a new version
  // is ready.
  function view(state) {
    const isRunning = running(state);
    const failed = state.phase === 'failed';
    return {
      running: isRunning,
      stop: isRunning || state.sampling,
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
    };
  }

  // Why the program could not start, as far as the page can tell: the
  // browser lacks a worker or WebAssembly ('browser'), the page sits in a
  // sandboxed frame, whose origin is opaque ('sandbox'), or else a policy of
  // the site stopped it ('policy').
  function failureCause({ worker, webAssembly, inFrame, opaqueOrigin, file }) {
    if (!worker || !webAssembly) return 'browser';
    if (inFrame && opaqueOrigin && !file) return 'sandbox';
    return 'policy';
  }

  return { initial: phase('starting'), next, view, failureCause };
})();

if (typeof module !== 'undefined') module.exports = { pageState };
