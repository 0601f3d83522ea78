// The console's line: keys, pastes and taps, wherever they land on the page
// outside its buttons, go through the line discipline while the program
// runs, and what it decides goes to the page: a line sent, a closing key, the
// end of the input, a stop, or an edit of the line.
'use strict';

const consoleLine = (() => {
  const konsoll = document.getElementById('konsoll');
  const linje = document.getElementById('linje');

  // `page`: { state(), dispatch(event), send(text, heard), key(text), end(), interrupt() }.
  function listen(page) {
    // What the line discipline needs to know of the line.
    function lineNow(focused) {
      const state = page.state();
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
        busy: view.busy,
        key: view.keyWaits,
        history: state.history,
        recalled: state.recalled,
      };
    }

    function handle(event, lineEvent, focused) {
      const line = lineNow(focused);
      const result = lineDiscipline(lineEvent, line);
      if (result.act === 'default') return;
      event.preventDefault();
      if (result.act === 'interrupt') {
        page.interrupt();
      } else if (result.act === 'end') {
        page.end();
      } else if (result.act === 'key') {
        page.key(result.text);
      } else {
        if (result.act === 'send') page.send(result.text, !result.pasted);
        if (result.act === 'edit') {
          const recalled = result.recalled ?? (result.value === line.value ? line.recalled : null);
          if (recalled !== line.recalled) page.dispatch({ type: 'recalled', recalled });
        }
        consoleView.setLine(result.value, result.cursor);
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
      consoleView.fitLine();
    });
    document.getElementById('skrivelinje').addEventListener('submit', (event) => handle(event, { type: 'submit' }, true));
    // A tap in the console ends the closing wait, or else puts the line in
    // focus, which opens a phone's keyboard.
    konsoll.addEventListener('click', (event) => {
      const view = pageState.view(page.state());
      if (view.keyWaits) {
        handle(event, { type: 'click' }, false);
      } else if (view.line && document.getSelection().isCollapsed) {
        linje.focus();
      }
    });
    window.addEventListener('resize', consoleView.fitLine);
  }

  return { listen };
})();
