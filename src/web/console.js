// The page is a console for the program: what it writes shows in the
// console, and what the user types goes to it a line at a time, as
// lineDiscipline says; the page's state is pageState's. The program runs in
// a worker, so the page never waits for it: in the single file a worker made
// from the program inlined in the page, on a web server its own worker.js.
// Here the page is only wired up: events in, the state's view out.
'use strict';

(() => {
  const element = (id) => document.getElementById(id);
  const terminal = element('terminal');
  const konsoll = element('konsoll');
  const skrivelinje = element('skrivelinje');
  const linje = element('linje');
  const ledetekst = element('ledetekst');
  const regner = element('regner');
  const avbryt = element('avbryt');
  const slutt = element('slutt');
  const avsluttet = element('avsluttet');
  const igjen = element('igjen');
  const feil = element('feil');
  const inlinedProgram = element('program');
  const encoder = new TextEncoder();
  const computingNotice = 500;  // ms of computing before the page says so
  const startLimit = 10000;     // ms for the program to write or ask for input, or it did not start

  let state = pageState.initial;
  let worker = null;
  let decoder = null;
  let noticeTimer = 0;
  let startTimer = 0;
  let programUrl = null;

  // Scrolls the page, and the console, only as far as it takes to show `target`.
  function reveal(target) {
    if (target.getClientRects().length > 0) target.scrollIntoView({ block: 'nearest', inline: 'nearest' });
  }

  // The line is as wide as its text, on the prompt's line where that fits,
  // and otherwise as wide as the console, where it wraps; and as tall as its
  // text. Measured, so that it fits whatever spacing the user's style sets.
  function fitLine() {
    linje.style.width = '1px';
    linje.style.whiteSpace = 'pre';
    const needed = linje.scrollWidth + 2;  // and the caret
    linje.style.whiteSpace = '';
    const padding = parseFloat(getComputedStyle(konsoll).paddingRight) || 0;
    const right = konsoll.getBoundingClientRect().left + konsoll.clientLeft + konsoll.clientWidth - padding;
    linje.style.width = needed <= right - linje.getBoundingClientRect().left ? `${needed}px` : '100%';
    linje.style.height = 'auto';
    linje.style.height = `${linje.scrollHeight}px`;
  }

  function setLine(value, cursor) {
    linje.value = value;
    linje.setSelectionRange(cursor, cursor);
    fitLine();
  }

  // Output and what was typed each go in as nodes of their own, never added
  // to one already shown, so that a screen reader reads each piece once.
  function show(text, className) {
    const span = document.createElement('span');
    span.className = className;
    span.textContent = text;
    konsoll.insertBefore(span, skrivelinje);
    fitLine();
    reveal(linje);
  }

  function render() {
    const view = pageState.view(state);
    skrivelinje.hidden = !view.line;
    konsoll.classList.toggle('leser', view.lineWaits);
    if (regner.textContent !== view.computing) regner.textContent = view.computing;
    avbryt.hidden = !view.computing;
    if (avsluttet.textContent !== view.closing) avsluttet.textContent = view.closing;
    igjen.hidden = !view.restart;
    // Where the program cannot start, the alert takes the console's place.
    terminal.hidden = view.alert;
    feil.hidden = !view.alert;
    if (view.alert) feil.classList.add('straks');
    if (view.computing) reveal(avbryt);
  }

  function dispatch(event) {
    const before = state;
    state = pageState.next(state, event);
    if (state.phase !== before.phase || state.noticed !== before.noticed) {
      clearTimeout(noticeTimer);
      if (state.phase === 'computing' && !state.noticed) {
        noticeTimer = setTimeout(() => dispatch({ type: 'notice' }), computingNotice);
      }
    }
    render();
  }

  function stopWorker() {
    clearTimeout(noticeTimer);
    clearTimeout(startTimer);
    if (worker) worker.terminate();
    worker = null;
  }

  // After the end, keyboard focus stays in the console, so that a key
  // pressed once more does not start the program again; Tab reaches the button.
  function finish(event) {
    const focus = document.activeElement;
    stopWorker();
    dispatch(event);
    if (focus === linje || focus === avbryt) konsoll.focus();
    reveal(slutt);
  }

  function fail() {
    stopWorker();
    dispatch({ type: 'failure' });
  }

  function send(text) {
    show(text, 'inn');
    worker.postMessage({ input: encoder.encode(text) });
  }

  function interrupt() {
    if (!pageState.view(state).running) return;
    show('^C', 'inn');
    finish({ type: 'interrupt' });
  }

  function onMessage({ data }) {
    if (data.output) {
      const text = decoder.decode(data.output, { stream: true });
      if (text === '') return;
      dispatch({ type: 'output' });
      show(text, 'ut');
      // The prompt the program wrote last on its line describes the line.
      const last = text.slice(text.lastIndexOf('\n') + 1).trim();
      if (last !== '') ledetekst.textContent = last;
    } else if ('waiting' in data) {
      dispatch({ type: 'waiting', waiting: data.waiting });
      if (data.waiting) reveal(linje);
    } else if ('exit' in data) {
      const rest = decoder.decode();
      if (rest) show(rest, 'ut');
      finish({ type: 'exit' });
    } else if ('failed' in data) {
      fail();
    }
  }

  function createWorker() {
    if (!inlinedProgram) return new Worker('worker.js');
    if (!programUrl) {
      programUrl = URL.createObjectURL(new Blob([inlinedProgram.textContent], { type: 'text/javascript' }));
    }
    return new Worker(programUrl);
  }

  function start() {
    stopWorker();
    for (let node = konsoll.firstChild; node !== skrivelinje; node = konsoll.firstChild) node.remove();
    state = pageState.initial;
    decoder = new TextDecoder();
    ledetekst.textContent = '';
    render();
    setLine('', 0);
    try {
      worker = createWorker();
    } catch (error) {
      fail();
      return;
    }
    worker.onmessage = onMessage;
    worker.onerror = fail;
    startTimer = setTimeout(() => { if (state.phase === 'starting') fail(); }, startLimit);
    linje.focus();
  }

  // What the line discipline needs to know of the line.
  function lineNow(focused) {
    const view = pageState.view(state);
    const selection = document.getSelection();
    return {
      value: linje.value,
      start: linje.selectionStart,
      end: linje.selectionEnd,
      focused,
      selected: selection !== null && !selection.isCollapsed && selection.toString() !== '',
      running: view.running,
      shown: view.line,
    };
  }

  function handle(event, lineEvent, focused) {
    const result = lineDiscipline(lineEvent, lineNow(focused));
    if (result.act === 'default') return;
    event.preventDefault();
    if (result.act === 'interrupt') {
      interrupt();
    } else if (result.act === 'end') {
      worker.postMessage({ end: true });
      dispatch({ type: 'inputEnded' });
    } else {
      if (result.act === 'send') send(result.text);
      setLine(result.value, result.cursor);
      if (!focused) linje.focus();
    }
  }

  // Keys and pastes on the line, and anywhere in the console or on the page
  // outside its buttons: all go to the line while the program runs.
  function target(event) {
    if (event.target === linje) return 'line';
    return event.target === document.body || konsoll.contains(event.target) ? 'page' : null;
  }

  document.addEventListener('keydown', (event) => {
    const where = target(event);
    if (!where) return;
    const { key, code, keyCode, ctrlKey, altKey, metaKey, isComposing } = event;
    handle(event, { type: 'keydown', key, code, keyCode, ctrlKey, altKey, metaKey, isComposing }, where === 'line');
  });
  document.addEventListener('paste', (event) => {
    const where = target(event);
    if (where) handle(event, { type: 'paste', data: event.clipboardData.getData('text/plain') }, where === 'line');
  });
  linje.addEventListener('beforeinput', (event) => {
    handle(event, { type: 'beforeinput', inputType: event.inputType, data: event.data }, true);
  });
  linje.addEventListener('input', (event) => {
    handle(event, { type: 'input', inputType: event.inputType, data: event.data }, true);
    fitLine();
  });
  skrivelinje.addEventListener('submit', (event) => handle(event, { type: 'submit' }, true));
  konsoll.addEventListener('click', () => {
    if (!skrivelinje.hidden && document.getSelection().isCollapsed) linje.focus();
  });
  avbryt.addEventListener('click', interrupt);
  igjen.addEventListener('click', start);
  window.addEventListener('resize', fitLine);

  // On a web server the site works offline once it has been loaded; in a
  // sandboxed frame, or from a file, there is no service worker, and none is needed.
  if (document.querySelector('link[rel="manifest"]') && location.protocol !== 'file:') {
    try {
      navigator.serviceWorker.register('service_worker.js').catch(() => {});
    } catch (error) {
      // The page runs without one.
    }
  }

  start();
})();
