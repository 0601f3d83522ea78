// The page is a console for the program, with a terminal's line discipline:
// what the user types shows on the line of the prompt and goes to the program
// a line at a time, with Enter; Backspace edits the line before that;
// Ctrl-D hands over the line without a line feed, or on an empty line ends
// the input. What is typed before the program asks is kept for it, in order.
// The program runs in a worker, so the page never waits for it.
'use strict';

(() => {
  const konsoll = document.getElementById('konsoll');
  const skrivelinje = document.getElementById('skrivelinje');
  const linje = document.getElementById('linje');
  const regner = document.getElementById('regner');
  const avsluttet = document.getElementById('avsluttet');
  const igjen = document.getElementById('igjen');
  const programUrl = URL.createObjectURL(
    new Blob([document.getElementById('program').textContent], { type: 'text/javascript' }));
  const encoder = new TextEncoder();
  const computingNotice = 500;  // ms of computing before the page says so

  let worker = null;
  let decoder = null;
  let inputEnded = false;
  let computingTimer = 0;

  // Appends text to the console as the program's output (class "ut") or as
  // what the user typed (class "inn"), just before the line being typed.
  function show(text, className) {
    const last = skrivelinje.previousSibling;
    if (last && last.className === className) {
      last.textContent += text;
    } else {
      const span = document.createElement('span');
      span.className = className;
      span.textContent = text;
      konsoll.insertBefore(span, skrivelinje);
    }
    konsoll.scrollTop = konsoll.scrollHeight;
  }

  function computing(running) {
    clearTimeout(computingTimer);
    regner.textContent = '';
    if (running) computingTimer = setTimeout(() => { regner.textContent = 'Regner ...'; }, computingNotice);
  }

  function send(text) {
    show(text, 'inn');
    worker.postMessage({ input: encoder.encode(text) });
  }

  function endInput() {
    inputEnded = true;
    linje.readOnly = true;
    worker.postMessage({ end: true });
  }

  function resizeLine() {
    linje.style.width = `${linje.value.length + 1}ch`;
  }

  // Hands over every whole line of `text` typed or pasted at the cursor, and
  // keeps the rest on the line being typed.
  function typeText(text) {
    const before = linje.value.slice(0, linje.selectionStart);
    const after = linje.value.slice(linje.selectionEnd);
    const whole = before + text + after;
    const lastLineFeed = whole.lastIndexOf('\n');
    if (lastLineFeed >= 0) send(whole.slice(0, lastLineFeed + 1));
    linje.value = whole.slice(lastLineFeed + 1);
    const cursor = Math.max(0, linje.value.length - after.length);
    linje.setSelectionRange(cursor, cursor);
    resizeLine();
  }

  linje.addEventListener('keydown', (event) => {
    if (inputEnded) return;
    if (event.key === 'Enter' && !event.isComposing) {
      event.preventDefault();
      send(`${linje.value}\n`);
      linje.value = '';
      resizeLine();
    } else if (event.ctrlKey && !event.altKey && !event.metaKey && (event.key === 'd' || event.key === 'D')) {
      event.preventDefault();
      if (linje.value === '') {
        endInput();
      } else {
        send(linje.value);
        linje.value = '';
        resizeLine();
      }
    }
  });
  linje.addEventListener('paste', (event) => {
    event.preventDefault();
    if (!inputEnded) typeText(event.clipboardData.getData('text/plain'));
  });
  linje.addEventListener('input', resizeLine);
  konsoll.addEventListener('click', () => {
    if (!linje.hidden && window.getSelection().isCollapsed) linje.focus();
  });

  function onMessage({ data }) {
    if (data.output) {
      show(decoder.decode(data.output, { stream: true }), 'ut');
    } else if ('waiting' in data) {
      computing(!data.waiting);
    } else if ('exit' in data) {
      finished();
    }
  }

  function finished() {
    computing(false);
    const rest = decoder.decode();
    if (rest) show(rest, 'ut');
    worker.terminate();
    worker = null;
    const hadFocus = document.activeElement === linje;
    linje.hidden = true;
    avsluttet.textContent = 'Programmet er avsluttet.';
    igjen.hidden = false;
    // Keyboard focus stays in the console, so that a key pressed once more
    // does not start the program again; Tab reaches the button.
    if (hadFocus) konsoll.focus();
  }

  function start() {
    for (let node = konsoll.firstChild; node !== skrivelinje; node = konsoll.firstChild) node.remove();
    decoder = new TextDecoder();
    inputEnded = false;
    linje.value = '';
    linje.readOnly = false;
    linje.hidden = false;
    resizeLine();
    avsluttet.textContent = '';
    igjen.hidden = true;
    worker = new Worker(programUrl);
    worker.onmessage = onMessage;
    computing(true);
    linje.focus();
  }

  igjen.addEventListener('click', start);
  start();
})();
