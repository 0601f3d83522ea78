// The page: its one state, the events that change it, and what follows from
// each change: the views drawn, and the timers and the program's worker
// started or stopped as the state says; and what the panel's buttons do with
// a run. Also what the page does as a site: it works offline through its
// service worker, and says when the server holds a newer build; and an
// address ending in #verdier=c1,c2,v1,vend types those values into a run.
'use strict';

(() => {
  const encoder = new TextEncoder();
  const computingNotice = 500;  // ms of computing before the page says so
  const startLimit = 10000;     // ms for the program to write or ask for input, or it did not start
  const onSite = Boolean(document.querySelector('link[rel="manifest"]')) && location.protocol !== 'file:';
  const build = document.querySelector('meta[name="build"]').content;
  let state = pageState.initial;
  const timers = { notice: 0, start: 0 };
  let program = null;
  let programRun = 0;

  const timerEvents = {
    notice: [computingNotice, () => dispatch({ type: 'notice' })],
    start: [startLimit, () => dispatch({ type: 'failure', ...workerClient.failureCause() })],
  };

  function keepTimers() {
    const wanted = pageState.timers(state);
    for (const [purpose, [delay, fire]] of Object.entries(timerEvents)) {
      if (wanted[purpose] && !timers[purpose]) {
        timers[purpose] = setTimeout(() => {
          timers[purpose] = 0;
          fire();
        }, delay);
      } else if (!wanted[purpose] && timers[purpose]) {
        clearTimeout(timers[purpose]);
        timers[purpose] = 0;
      }
    }
  }

  // The program's messages, as events; progress and the answer with the
  // time they came.
  const heard = (message) => dispatch(['progress', 'answer'].includes(message.type)
    ? { ...message, now: Date.now() } : message);

  function keepWorker() {
    const wanted = pageState.worker(state);
    if (programRun === wanted) return;
    if (program) program.stop();
    program = null;
    programRun = wanted;
    if (wanted === 0) return;
    program = workerClient.start(heard, (failure) => dispatch({ type: 'failure', ...failure }));
    program.post(protocol.start(state.form));
  }

  function dispatch(event) {
    state = pageState.next(state, event);
    const texts = pageWords.apply(state.form);
    panel.draw(state, texts);
    consoleView.draw(state, texts);  // last, as it scrolls what it shows into view
    keepTimers();
    keepWorker();
  }

  // Each line goes to the program on its own, and shows in the console once
  // the program has read it, after the prompt it answers.
  function send(text, heardAsTyped) {
    const lines = lineDiscipline.lines(text).map((line) => ({ text: line, heard: heardAsTyped }));
    dispatch({ type: 'sent', lines });
    for (const { text: line } of lines) program.post(protocol.input(encoder.encode(line), true));
  }

  // Whether the site now holds another build than this page's.
  async function checkVersion() {
    if (!onSite) return;
    try {
      const page = await (await fetch('./', { cache: 'no-store' })).text();
      const found = page.match(/<meta name="build" content="([^"]+)">/);
      if (found && found[1] !== build) dispatch({ type: 'newVersion' });
    } catch (error) {
      // Offline: nothing to compare with.
    }
  }

  // A new run, its line holding `prefill`.
  function restart(prefill = '') {
    dispatch({ type: 'restart', prefill });
    checkVersion();
  }

  // A run again, or one an address shares: the lines typed into a new run,
  // each shown after its prompt as the program reads it.
  function typeLines(lines) {
    restart();
    send(`${lines.join('\n')}\n`, false);
  }

  consoleLine.listen({
    state: () => state,
    dispatch,
    send,
    key: (text) => program.post(protocol.input(encoder.encode(text), false)),
    end: () => {
      program.post(protocol.end());
      dispatch({ type: 'inputEnded' });
    },
    interrupt: () => dispatch({ type: 'interrupt' }),
  });

  // What a button does with the text it would copy: to the clipboard, or
  // where there is none, into a field to copy by hand.
  async function copy(text, done, byHand) {
    try {
      await navigator.clipboard.writeText(text);
      dispatch({ type: 'said', said: done });
    } catch (error) {
      dispatch({ type: 'said', said: byHand });
    }
  }
  const texts = () => language.textsIn(words, state.form);
  Object.assign(panel.handlers, {
    again: (entry) => typeLines(entry.typed.map((line) => line.replace(/\n$/, ''))),
    mend: (entry) => restart(pageState.retyped(entry)),
    share: (run) => {
      const address = lesson.shareAddress(location.href, run.values);
      copy(address, 'shared', { address });
    },
    copy: (run) => {
      const table = lesson.tsv(run, texts());
      copy(table, 'copied', { table });
    },
    download: (run) => {
      const link = document.createElement('a');
      link.href = URL.createObjectURL(new Blob([lesson.csv(run, texts())], { type: 'text/csv;charset=utf-8' }));
      link.download = 'kondensator.csv';
      link.click();
      setTimeout(() => URL.revokeObjectURL(link.href), 1000);
    },
    logAxis: () => dispatch({ type: 'logAxis' }),
  });
  document.getElementById('avbryt').addEventListener('click', () => dispatch({ type: 'interrupt' }));
  document.getElementById('igjen').addEventListener('click', (event) => {
    if (consoleView.restartWanted(event)) restart(pageState.lastValues(state));
  });
  document.getElementById('last-inn').addEventListener('click', () => location.reload());
  // A new form speaks in the next run, and at once where nothing has been typed in this one.
  for (const button of document.querySelectorAll('#maal button')) {
    button.addEventListener('click', () => {
      pageWords.remember(button.lang);
      const fresh = pageState.view(state).fresh && button.lang !== state.form;
      dispatch({ type: 'form', form: button.lang });
      if (fresh) restart();
    });
  }
  document.getElementById('maal').hidden = false;
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

  state = { ...state, form: language.choose(pageWords.stored(), navigator.languages) };
  dispatch({ type: 'form', form: state.form });
  checkVersion();
  const shared = lesson.sharedValues(location.hash);
  if (shared) send(`${shared.join('\n')}\n`, false);
  window.addEventListener('hashchange', () => {
    const values = lesson.sharedValues(location.hash);
    if (values) typeLines(values);
  });
})();
