// The page is a console for the program: what it writes shows in the
// console, and what the user types goes to it a line at a time, as
// lineDiscipline says; the page's state is pageState's, its words
// language's. The program runs in a worker, so the page never waits for it:
// in the single file a worker made from the program inlined in the page, on
// a web server the worker.js of the page's own version. Here the page is
// only wired up: events in, the state's view out.
'use strict';

(() => {
  const element = (id) => document.getElementById(id);
  const terminal = element('terminal');
  const konsoll = element('konsoll');
  const skrivelinje = element('skrivelinje');
  const linje = element('linje');
  const hjelp = element('hjelp');
  const ledetekst = element('ledetekst');
  const venter = element('venter');
  const regner = element('regner');
  const avbryt = element('avbryt');
  const slutt = element('slutt');
  const avsluttet = element('avsluttet');
  const igjen = element('igjen');
  const feil = element('feil');
  const ny = element('ny');
  const inlinedProgram = element('program');
  const version = document.querySelector('meta[name="version"]').content;
  const onSite = Boolean(document.querySelector('link[rel="manifest"]')) && location.protocol !== 'file:';
  const encoder = new TextEncoder();
  const computingNotice = 500;  // ms of computing before the page says so
  const startLimit = 10000;     // ms for the program to write or ask for input, or it did not start

  let state = pageState.initial;
  let texts = language.texts.nb;
  let worker = null;
  let decoder = null;
  let noticeTimer = 0;
  let startTimer = 0;
  let programUrl = null;
  const history = [];     // the lines sent in this visit, for ArrowUp and ArrowDown
  let recalled = null;    // which of them the line holds

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

  function setText(target, text) {
    if (target.textContent !== text) target.textContent = text;
  }

  // Output and what was typed each go in as nodes of their own, never added
  // to one already shown, so that a screen reader reads each piece once. A
  // line the user typed was heard as it was typed, and is not read again.
  function show(text, className, heard = false) {
    const span = document.createElement('span');
    span.className = className;
    span.textContent = text;
    if (heard) span.setAttribute('aria-hidden', 'true');
    konsoll.insertBefore(span, skrivelinje);
    fitLine();
    reveal(skrivelinje.hidden ? span : linje);
  }

  function render() {
    const view = pageState.view(state);
    skrivelinje.hidden = !view.line;
    konsoll.classList.toggle('leser', view.lineWaits);
    konsoll.classList.toggle('tast', view.keyWaits);
    setText(hjelp, view.keyWaits ? texts.keyHelp : texts.help);
    if (venter.childElementCount !== view.waitingLines.length) {
      venter.replaceChildren(...view.waitingLines.map(({ text }) => {
        const line = document.createElement('div');
        line.textContent = text.replace(/\n$/, '');
        return line;
      }));
    }
    setText(regner, view.computing ? texts.computing : '');
    panel.showBar(view.computing);
    avbryt.hidden = !view.stop;
    setText(avsluttet, view.closing ? texts[view.closing] : '');
    igjen.hidden = !view.restart;
    ny.hidden = !view.newVersion;
    // Where the program cannot start, the alert takes the console's place.
    terminal.hidden = Boolean(view.alert);
    feil.hidden = !view.alert;
    if (view.alert) pageWords.alert(feil, view, texts);
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

  function setLanguage(form, remember) {
    texts = pageWords.apply(form, remember);
    panel.setTexts(texts);
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
    if (focus === linje || focus === avbryt || focus === document.body) konsoll.focus();
    reveal(slutt);
  }

  function fail() {
    stopWorker();
    const inFrame = (() => {
      try {
        return window.self !== window.top;
      } catch (error) {
        return true;
      }
    })();
    const cause = pageState.failureCause({
      worker: typeof Worker !== 'undefined',
      webAssembly: typeof WebAssembly !== 'undefined',
      inFrame,
      opaqueOrigin: self.origin === 'null',
      file: location.protocol === 'file:',
    });
    dispatch({ type: 'failure', cause, inFrame });
  }

  // Each line goes to the program on its own, and shows in the console once
  // the program has read it, after the prompt it answers.
  function send(text, heard) {
    const lines = lineDiscipline.lines(text).map((line) => ({ text: line, heard }));
    for (const { text: line } of lines) if (line.trim() !== '') history.push(line.replace(/\n$/, ''));
    recalled = null;
    dispatch({ type: 'sent', lines });
    for (const { text: line } of lines) worker.postMessage({ input: encoder.encode(line), echo: true });
  }

  function interrupt() {
    panel.stop();
    if (!pageState.view(state).running) return;
    show('^C', 'inn', true);
    finish({ type: 'interrupt' });
  }

  function sampler() {
    return new Worker(inlinedProgram ? programUrl : `${version}/worker.js`, { name: 'samples' });
  }

  // A program of another version than the page's never runs under it.
  function outdated() {
    dispatch({ type: 'newVersion' });
    finish({ type: 'interrupt' });
  }

  // Whether the site now holds another version than this page's.
  async function checkVersion() {
    if (!onSite) return;
    try {
      const page = await (await fetch('./', { cache: 'no-store' })).text();
      const found = page.match(/<meta name="version" content="([^"]+)">/);
      if (found && found[1] !== version) dispatch({ type: 'newVersion' });
    } catch (error) {
      // Offline: nothing to compare with.
    }
  }

  function onMessage({ data }) {
    if ('version' in data) {
      if (data.version !== version) outdated();
    } else if (data.output) {
      const text = decoder.decode(data.output, { stream: true });
      if (text === '') return;
      dispatch({ type: 'output' });
      show(text, 'ut');
      // The prompt the program wrote last on its line describes the line.
      const last = text.slice(text.lastIndexOf('\n') + 1).trim();
      if (last !== '') ledetekst.textContent = last;
    } else if (data.values) {
      panel.valuesRead(data.values);
    } else if ('progress' in data) {
      panel.progress(data.progress, panel.estimate());
    } else if (data.answer) {
      panel.answered(data.answer);
    } else if (data.taken) {
      const [line] = state.waiting;
      dispatch({ type: 'taken' });
      if (line) show(line.text, 'inn', line.heard);
    } else if (data.awaitingKey) {
      const focus = document.activeElement;
      panel.sample(sampler);
      dispatch({ type: 'awaitingKey' });
      setLine('', 0);
      if (focus === linje) konsoll.focus();
    } else if ('waiting' in data) {
      dispatch({ type: 'waiting', waiting: data.waiting });
      if (data.waiting && !skrivelinje.hidden) reveal(linje);
    } else if ('exit' in data) {
      const rest = decoder.decode();
      if (rest) show(rest, 'ut');
      panel.sample(sampler);
      finish({ type: 'exit' });
    } else if ('failed' in data) {
      fail();
    }
  }

  function createWorker() {
    if (!inlinedProgram) return new Worker(`${version}/worker.js`);
    if (!programUrl) {
      programUrl = URL.createObjectURL(new Blob([inlinedProgram.textContent], { type: 'text/javascript' }));
    }
    return new Worker(programUrl);
  }

  function start() {
    stopWorker();
    panel.clear();
    for (let node = konsoll.firstChild; node !== skrivelinje; node = konsoll.firstChild) node.remove();
    dispatch({ type: 'restart' });
    decoder = new TextDecoder();
    ledetekst.textContent = '';
    setLine('', 0);
    checkVersion();
    launch(1);
    startTimer = setTimeout(() => { if (state.phase === 'starting') fail(); }, startLimit);
    linje.focus();
  }

  // Starts the program's worker. A start that fails is tried once more: a
  // service worker that takes over the page just then can break the loading
  // of the program, where a policy that stops it fails again.
  function launch(triesLeft) {
    try {
      worker = createWorker();
    } catch (error) {
      fail();
      return;
    }
    worker.onmessage = onMessage;
    worker.onerror = (event) => {
      event.preventDefault();
      if (state.phase === 'starting' && triesLeft > 0) {
        worker.terminate();
        launch(triesLeft - 1);
      } else {
        fail();
      }
    };
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
      key: view.keyWaits,
      history,
      recalled,
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
    } else if (result.act === 'key') {
      worker.postMessage({ input: encoder.encode(result.text) });
    } else {
      if (result.act === 'send') send(result.text, !result.pasted);
      if (result.act === 'edit') recalled = result.recalled ?? (result.value === linje.value ? recalled : null);
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
  // A tap in the console ends the closing wait, or else puts the line in
  // focus, which opens a phone's keyboard.
  konsoll.addEventListener('click', (event) => {
    if (pageState.view(state).keyWaits) {
      handle(event, { type: 'click' }, false);
    } else if (!skrivelinje.hidden && document.getSelection().isCollapsed) {
      linje.focus();
    }
  });
  avbryt.addEventListener('click', interrupt);
  igjen.addEventListener('click', start);
  element('last-inn').addEventListener('click', () => location.reload());
  for (const button of document.querySelectorAll('#maal button')) {
    button.addEventListener('click', () => setLanguage(button.lang, true));
  }
  element('maal').hidden = false;
  window.addEventListener('resize', fitLine);
  document.addEventListener('visibilitychange', () => { if (document.visibilityState === 'visible') checkVersion(); });

  // On a web server the site works offline once it has been loaded; in a
  // sandboxed frame, or from a file, there is no service worker, and none is needed.
  if (onSite) {
    try {
      navigator.serviceWorker.register('service_worker.js').catch(() => {});
      navigator.serviceWorker.addEventListener('controllerchange', checkVersion);
    } catch (error) {
      // The page runs without one.
    }
  }

  // A run again, or one an address shares: the values typed into a new run,
  // each shown after its prompt as the program reads it.
  function typeValues(values) {
    start();
    send(`${values.join('\n')}\n`, false);
  }
  panel.onAgain = (values) => typeValues(values.map(lesson.number));
  panel.onSampling = (sampling) => dispatch({ type: 'sampling', sampling });

  setLanguage(language.choose(pageWords.stored(), navigator.languages), false);
  const shared = lesson.sharedValues(location.hash);
  if (shared) typeValues(shared);
  else start();
  window.addEventListener('hashchange', () => {
    const values = lesson.sharedValues(location.hash);
    if (values) typeValues(values);
  });
})();
