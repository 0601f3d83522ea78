// Starts the program in a worker: in the single file a worker made from the
// program inlined in the page, on a web server the worker.js of the page's
// own build; with its one retry, and saying why where it cannot start.
'use strict';

const workerClient = (() => {
  let inlinedUrl = null;

  // In the single file the worker's script is put together from the scripts
  // marked for it, which the page runs too, and the program.
  function scriptUrl() {
    const inlined = [...document.querySelectorAll('script[data-worker]')].map((script) => script.textContent);
    if (inlined.length === 0) return `${document.querySelector('meta[name="build"]').content}/worker.js`;
    if (!inlinedUrl) inlinedUrl = URL.createObjectURL(new Blob([inlined.join('\n')], { type: 'text/javascript' }));
    return inlinedUrl;
  }

  // Why no worker could start, as far as the page can tell.
  function failureCause() {
    let inFrame = true;
    try {
      inFrame = window.self !== window.top;
    } catch (error) {
      // A frame of another origin.
    }
    const cause = pageState.failureCause({
      worker: typeof Worker !== 'undefined',
      webAssembly: typeof WebAssembly !== 'undefined',
      inFrame,
      opaqueOrigin: self.origin === 'null',
      file: location.protocol === 'file:',
    });
    return { cause, inFrame };
  }

  // A worker of the program that hands each message to onMessage. One that
  // cannot load, before it has said anything, is started once more, and is
  // sent again what was sent to the first: a service worker that takes over
  // the page just then can break the loading, where a policy that stops it
  // fails again. Then, or where it fails later, onFailure() hears why.
  // Returns { post(message), stop() }; a stopped worker is heard no more.
  function start(onMessage, onFailure) {
    let worker = null;
    let stopped = false;
    let heard = false;
    const early = [];  // what was sent before the worker said anything
    const fail = () => {
      if (worker) worker.terminate();
      stopped = true;
      onFailure(failureCause());
    };
    const launch = (triesLeft) => {
      try {
        worker = new Worker(scriptUrl());
      } catch (error) {
        queueMicrotask(fail);  // once the caller has its handle
        return;
      }
      for (const message of early) worker.postMessage(message);
      worker.onmessage = ({ data }) => {
        heard = true;
        early.length = 0;
        if (stopped) return;
        if (data.type === 'failed') fail();
        else onMessage(data);
      };
      worker.onerror = (event) => {
        event.preventDefault();
        if (stopped) return;
        if (heard || triesLeft === 0) {
          fail();
        } else {
          worker.terminate();
          launch(triesLeft - 1);
        }
      };
    };
    launch(1);
    return {
      post: (message) => {
        if (stopped) return;
        if (!heard) early.push(message);
        if (worker) worker.postMessage(message);
      },
      stop: () => {
        stopped = true;
        if (worker) worker.terminate();
      },
    };
  }

  return { start, failureCause };
})();
