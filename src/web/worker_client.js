// Starts the program in a worker: in the single file a worker made from the
// program inlined in the page, on a web server the worker.js of the page's
// own build. One function starts every worker the page needs, with its one
// retry, and says why where none can start.
'use strict';

const workerClient = (() => {
  let inlinedUrl = null;

  function scriptUrl() {
    const inlined = document.getElementById('program');
    if (!inlined) return `${document.querySelector('meta[name="build"]').content}/worker.js`;
    if (!inlinedUrl) inlinedUrl = URL.createObjectURL(new Blob([inlined.textContent], { type: 'text/javascript' }));
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

  // A worker of the program, named `name` ('' for the dialogue), that hands
  // each message to onMessage. One that cannot load, before it has said
  // anything, is started once more: a service worker that takes over the
  // page just then can break the loading, where a policy that stops it fails
  // again. Then, or where it fails later, onFailure() hears why. Returns
  // { post(message), stop() }; a stopped worker is heard no more.
  function start(name, onMessage, onFailure) {
    let worker = null;
    let stopped = false;
    const fail = () => {
      if (worker) worker.terminate();
      stopped = true;
      onFailure(failureCause());
    };
    const launch = (triesLeft) => {
      let heard = false;
      try {
        worker = new Worker(scriptUrl(), { name });
      } catch (error) {
        queueMicrotask(fail);  // once the caller has its handle
        return;
      }
      worker.onmessage = ({ data }) => {
        heard = true;
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
      post: (message) => { if (!stopped) worker.postMessage(message); },
      stop: () => {
        stopped = true;
        if (worker) worker.terminate();
      },
    };
  }

  return { start, failureCause };
})();
