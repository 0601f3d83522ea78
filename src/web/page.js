// The page: its one state, the events that change it, and what follows from
// each change: the views drawn, and the timers and workers started or
// stopped as the state says. Also what the page does as a site: it works
// offline through its service worker, and says when the server holds a
// newer build; and an address ending in #verdier=c1,c2,v1,vend types those
// values into a run.
'use strict';

(() => {
  const encoder = new TextEncoder();
  const computingNotice = 500;  // ms of computing before the page says so
  const startLimit = 10000;     // ms for the program to write or ask for input, or it did not start
  const onSite = Boolean(document.querySelector('link[rel="manifest"]')) && location.protocol !== 'file:';
  const build = document.querySelector('meta[name="build"]').content;
  let state = pageState.initial;
  const timers = { notice: 0, start: 0 };
  const workers = { program: null, run: 0, sampler: null };

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

  // A worker's message, as an event; progress with the time it came.
  const heard = (message) => dispatch(message.type === 'progress' ? { ...message, now: Date.now() } : message);

  function keepWorkers() {
    const wanted = pageState.workers(state);
    if (workers.run !== wanted.program) {
      if (workers.program) workers.program.stop();
      workers.program = wanted.program === 0 ? null
        : workerClient.start('', heard, (failure) => dispatch({ type: 'failure', ...failure }));
      workers.run = wanted.program;
    }
    if (wanted.sampler && !workers.sampler) {
      const { values: [c1, c2, v1, vend], answer, formula } = state.panel;
      workers.sampler = workerClient.start('samples', heard, () => dispatch({ type: 'samplerFailed' }));
      workers.sampler.post(protocol.sample(c1, c2, v1, vend, answer.count, Math.min(formula ?? 0, answer.count)));
    } else if (!wanted.sampler && workers.sampler) {
      workers.sampler.stop();
      workers.sampler = null;
    }
  }

  function dispatch(event) {
    state = pageState.next(state, event);
    const texts = pageWords.apply(state.form);
    panel.draw(state, texts);
    consoleView.draw(state, texts);  // last, as it scrolls what it shows into view
    keepTimers();
    keepWorkers();
  }

  // Each line goes to the program on its own, and shows in the console once
  // the program has read it, after the prompt it answers.
  function send(text, heardAsTyped) {
    const lines = lineDiscipline.lines(text).map((line) => ({ text: line, heard: heardAsTyped }));
    dispatch({ type: 'sent', lines });
    for (const { text: line } of lines) workers.program.post(protocol.input(encoder.encode(line), true));
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

  function restart() {
    dispatch({ type: 'restart' });
    checkVersion();
  }

  // A run again, or one an address shares: the values typed into a new run,
  // each shown after its prompt as the program reads it.
  function typeValues(values) {
    restart();
    send(`${values.join('\n')}\n`, false);
  }

  consoleLine.listen({
    state: () => state,
    dispatch,
    send,
    key: (text) => workers.program.post(protocol.input(encoder.encode(text), false)),
    end: () => {
      workers.program.post(protocol.end());
      dispatch({ type: 'inputEnded' });
    },
    interrupt: () => dispatch({ type: 'interrupt' }),
  });
  panel.handlers.again = (values) => typeValues(values.map(lesson.number));
  panel.handlers.share = async (values) => {
    const address = lesson.shareAddress(location.href, values);
    try {
      await navigator.clipboard.writeText(address);
      dispatch({ type: 'shared', copied: true });
    } catch (error) {
      dispatch({ type: 'shared', copied: false, address });
    }
  };
  document.getElementById('avbryt').addEventListener('click', () => dispatch({ type: 'interrupt' }));
  document.getElementById('igjen').addEventListener('click', restart);
  document.getElementById('last-inn').addEventListener('click', () => location.reload());
  for (const button of document.querySelectorAll('#maal button')) {
    button.addEventListener('click', () => {
      pageWords.remember(button.lang);
      dispatch({ type: 'form', form: button.lang });
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

  dispatch({ type: 'form', form: language.choose(pageWords.stored(), navigator.languages) });
  checkVersion();
  const shared = lesson.sharedValues(location.hash);
  if (shared) send(`${shared.join('\n')}\n`, false);
  window.addEventListener('hashchange', () => {
    const values = lesson.sharedValues(location.hash);
    if (values) typeValues(values);
  });
})();
