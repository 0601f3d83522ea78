// Draws the console from the page's state: the program's output and what
// was typed, the line to type on, the lines sent ahead, the notices and
// buttons beneath, and the alert where the program cannot start. It keeps
// nothing of the run but which of the console's pieces it has drawn.
'use strict';

const consoleView = (() => {
  const element = (id) => document.getElementById(id);
  const terminal = element('terminal');
  const konsoll = element('konsoll');
  const skrivelinje = element('skrivelinje');
  const linje = element('linje');
  const venter = element('venter');
  const avbryt = element('avbryt');
  const slutt = element('slutt');
  const feil = element('feil');
  const igjen = element('igjen');
  let igjenArmed = true;  // a key pressed on "Start på nytt" since it got the focus
  let drawn = 0;       // pieces of the console already on the page
  let before = null;   // the view drawn last

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
  function drawPieces(pieces) {
    if (pieces.length < drawn) {
      for (let node = konsoll.firstChild; node !== skrivelinje; node = konsoll.firstChild) node.remove();
      drawn = 0;
    }
    for (const { text, typed, heard } of pieces.slice(drawn)) {
      const span = document.createElement('span');
      span.className = typed ? 'inn' : 'ut';
      span.textContent = text;
      if (heard) span.setAttribute('aria-hidden', 'true');
      konsoll.insertBefore(span, skrivelinje);
      fitLine();
      reveal(skrivelinje.hidden ? span : linje);
    }
    drawn = pieces.length;
  }

  // Where the program cannot start: why, and, in a frame, the page in a new tab.
  function drawAlert(view, texts) {
    const what = typeof Worker === 'undefined' ? 'Web Workers' : 'WebAssembly';
    const parts = [language.fill(texts[view.alert], { what })];
    if (view.newTab) {
      const link = document.createElement('a');
      link.href = location.href;
      link.target = '_blank';
      link.rel = 'noopener';
      link.textContent = texts.newTab;
      parts.push(' ', link, texts.newTabHelps);
    }
    if (view.alert !== 'browser') parts.push(` ${texts.teacher}`);
    feil.replaceChildren(...parts);
    feil.classList.add('straks');
  }

  // Where the keyboard focus goes as the run changes: to the line at a new
  // start, to the console once the line goes, and to "Start på nytt" at the
  // end, where it was on the console, and only for keys pressed there: a
  // Space that ended the program lifts on the button, and starts nothing.
  function moveFocus(view) {
    const focus = document.activeElement;
    const inConsole = [linje, avbryt, konsoll, document.body].includes(focus);
    if (!before || (!before.running && view.running)) {
      linje.focus();
    } else if (before.running && !view.running && view.restart && inConsole) {
      igjenArmed = false;
      igjen.focus();
    } else if (before.line && !view.line && inConsole) {
      konsoll.focus();
    }
    if (before && before.running && !view.running) reveal(slutt);
  }

  // The line a new run starts with, selected, so that typing replaces it and
  // Enter sends it.
  function prefill(text) {
    linje.value = text;
    linje.setSelectionRange(0, text.length);
    fitLine();
  }

  // The progress of a long count, and what a screen reader hears of it.
  function drawBar(bar, texts) {
    const progress = element('fremdrift');
    progress.hidden = !bar;
    if (!bar) return;
    progress.max = bar.of;
    progress.value = bar.done;
    setText(element('fremdrift-sagt'), bar.said === '' ? '' : language.fill(texts.progressSaid, { p: bar.said }));
  }

  function draw(state, texts) {
    const view = pageState.view(state);
    skrivelinje.hidden = !view.line;
    if (before && before.line && !view.line) setLine('', 0);
    if (before && !before.running && view.running) prefill(state.prefill);
    konsoll.classList.toggle('leser', view.lineWaits);
    konsoll.classList.toggle('tast', view.keyWaits);
    setText(element('hjelp'), view.keyWaits ? texts.keyHelp : texts.help);
    setText(element('ledetekst'), view.prompt);
    drawPieces(state.console);
    if (venter.childElementCount !== view.waitingLines.length) {
      venter.replaceChildren(...view.waitingLines.map(({ text }) => {
        const line = document.createElement('div');
        line.textContent = text.replace(/\n$/, '');
        return line;
      }));
    }
    setText(element('regner'), view.computing ? texts.computing : '');
    drawBar(view.bar, texts);
    avbryt.hidden = !view.stop;
    setText(element('avsluttet'), view.closing ? texts[view.closing] : '');
    igjen.hidden = !view.restart;
    element('ny').hidden = !view.newVersion;
    // Where the program cannot start, the alert takes the console's place.
    terminal.hidden = Boolean(view.alert);
    feil.hidden = !view.alert;
    if (view.alert) drawAlert(view, texts);
    moveFocus(view);
    if (view.computing) reveal(avbryt);
    if (view.lineWaits && !(before && before.lineWaits)) reveal(linje);
    before = view;
  }

  igjen.addEventListener('keydown', () => { igjenArmed = true; });
  // Whether a click on "Start på nytt" is the user's: a click of the mouse, or of a key pressed there.
  const restartWanted = (event) => event.detail > 0 || igjenArmed;

  return { draw, setLine, fitLine, restartWanted };
})();
