// The page's one state, and what the page shows in it. A pure function from
// a state and an event to the next state, and one from a state to what is
// shown, so that they are tested without a page.
//
// The phases: 'starting' until the program first writes or asks for input;
// 'computing' while it runs without waiting for input, `noticed` once that
// has lasted long enough to say so; 'reading' while it waits for input;
// 'ended' after it has ended; 'stopped' after the user stopped it; 'failed'
// where it could not start.
//
// While it runs, `inputEnded` says that the user has ended its input.
//
// The events: { type: 'output' }, { type: 'waiting', waiting }, { type: 'exit' },
// { type: 'notice' } (computing has lasted long enough), { type: 'inputEnded' },
// { type: 'interrupt' }, { type: 'failure' } and { type: 'restart' }.
'use strict';

const pageState = (() => {
  const phase = (name, noticed = false, inputEnded = false) => ({ phase: name, noticed, inputEnded });
  const running = (state) => ['starting', 'computing', 'reading'].includes(state.phase);

  function next(state, event) {
    if (!running(state)) return event.type === 'restart' && state.phase !== 'failed' ? phase('starting') : state;
    switch (event.type) {
      case 'output':
        return state.phase === 'starting' ? phase('computing', false, state.inputEnded) : state;
      case 'waiting':
        if (event.waiting) return phase('reading', false, state.inputEnded);
        return state.phase === 'computing' ? state : phase('computing', false, state.inputEnded);
      case 'notice':
        return state.phase === 'computing' ? phase('computing', true, state.inputEnded) : state;
      case 'inputEnded':
        return phase(state.phase, state.noticed, true);
      case 'exit':
        return phase('ended');
      case 'interrupt':
        return phase('stopped');
      case 'failure':
        return phase('failed');
      default:
        return state;
    }
  }

  // What the page shows: whether the program runs (Ctrl-C stops it), whether
  // the line is shown (keys go to it) and whether it waits for input, the
  // notice that the program computes (with its stop button), the closing
  // notice, whether the restart button is shown, and whether the alert that
  // the program cannot start is.
  function view(state) {
    return {
      running: running(state),
      line: running(state) && !state.inputEnded,
      lineWaits: state.phase === 'reading',
      computing: state.phase === 'computing' && state.noticed ? 'Regner ...' : '',
      closing: { ended: 'Programmet er avsluttet.', stopped: 'Programmet ble avbrutt.' }[state.phase] || '',
      restart: state.phase === 'ended' || state.phase === 'stopped',
      alert: state.phase === 'failed',
    };
  }

  return { initial: phase('starting'), next, view };
})();

if (typeof module !== 'undefined') module.exports = { pageState };
