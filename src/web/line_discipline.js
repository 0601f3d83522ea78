// The console's line discipline, as a terminal's: what the user types stands
// on the line until Enter hands it to the program with a line feed; Ctrl-D
// hands it over without one, or on an empty line ends the input; Ctrl-C
// stops the program, and so does Escape while it computes. Where the program
// waits for its closing key, after its answer, any key ends it, Ctrl-C too,
// or a tap or click in the console. A pure function from an event
// and the line to what happens, so that it is tested without a page.
//
// The event, as the page sees it:
//   { type: 'keydown', key, code, keyCode, ctrlKey, altKey, metaKey, isComposing }
//   { type: 'beforeinput' | 'input', inputType, data }
//   { type: 'paste', data }        the text pasted
//   { type: 'submit' }             the line's form, as the Send key submits it
//   { type: 'click' }              a tap or click in the console
// The line: { value, start, end, focused, selected, running, shown, busy,
// key, history, recalled }: its text, the cursor or selection in it, whether
// it has the keyboard focus, whether text is selected anywhere on the page,
// whether the program still runs, whether the line is shown (it is not once
// the input has ended, nor while the closing key is awaited), whether the
// program computes, whether it waits for its closing key, the lines sent
// before, oldest first,
// and which of them the line holds, if any (ArrowUp and ArrowDown recall
// them, as in a terminal).
//
// What happens:
//   { act: 'send', text, value, cursor, pasted }
//                                         hand `text` to the program; the line
//                                         then holds `value`, the cursor at `cursor`;
//                                         `pasted` where it came from a paste
//   { act: 'key', text }                  hand the closing key's `text` to the
//                                         program, shown nowhere
//   { act: 'edit', value, cursor, recalled }
//                                         the line holds `value`, nothing is sent;
//                                         `recalled` where it is an earlier line
//   { act: 'end' }                        end the input
//   { act: 'interrupt' }                  stop the program
//   { act: 'default' }                    the browser's own handling: editing,
//                                         copying, moving the focus
'use strict';

const lineDiscipline = (() => {
  const byDefault = { act: 'default' };

  // The key pressed with Ctrl alone, by the key's letter or, on a layout
  // whose letters are not Latin, by its place on the keyboard.
  function ctrlLetter(event, letter) {
    return event.ctrlKey && !event.altKey && !event.metaKey &&
      (event.key === letter || event.key === letter.toUpperCase() || event.code === `Key${letter.toUpperCase()}`);
  }

  // A key that writes one character: AltGr counts, as it writes '@' on a
  // Norwegian keyboard, where it reaches the page as Ctrl and Alt.
  function printable(event) {
    return [...(event.key || '')].length === 1 && !event.metaKey && !(event.ctrlKey && !event.altKey);
  }

  // Enter that ends a composition (an IME, or a phone keyboard's suggestion)
  // belongs to the composition.
  function composing(event) {
    return event.isComposing || event.keyCode === 229;
  }

  // `text` in place of the selection: every whole line of the result goes to
  // the program, and what follows the last line feed stays on the line.
  function insert(line, text) {
    const before = line.value.slice(0, line.start);
    const after = line.value.slice(line.end);
    const whole = before + text + after;
    const lastLineFeed = whole.lastIndexOf('\n');
    const value = whole.slice(lastLineFeed + 1);
    const cursor = Math.max(0, value.length - after.length);
    if (lastLineFeed < 0) return { act: 'edit', value, cursor };
    return { act: 'send', text: whole.slice(0, lastLineFeed + 1), value, cursor };
  }

  // Any key ends the closing wait: a character as it is, a key without one
  // (Enter, Escape) as a line end. Ctrl-D ends the input, as anywhere.
  function closingKey(event) {
    if (ctrlLetter(event, 'd')) return { act: 'end' };
    if (event.ctrlKey || event.metaKey || composing(event)) return byDefault;
    if (event.key === 'Enter' || event.key === 'Escape') return { act: 'key', text: '\n' };
    return printable(event) ? { act: 'key', text: event.key } : byDefault;
  }

  // Typing while the line has no focus goes to its end.
  const atEnd = (line) => ({ ...line, start: line.value.length, end: line.value.length });

  function keydown(event, line) {
    if (ctrlLetter(event, 'c')) {
      if (line.selected || line.start !== line.end) return byDefault;
      return line.key ? { act: 'key', text: '\n' } : { act: 'interrupt' };
    }
    if (event.key === 'Escape' && line.busy) return { act: 'interrupt' };
    if (line.key) return closingKey(event);
    if (!line.shown) return byDefault;
    if (ctrlLetter(event, 'd')) {
      return line.value === '' ? { act: 'end' } : { act: 'send', text: line.value, value: '', cursor: 0 };
    }
    if (event.key === 'Enter' && !event.ctrlKey && !event.altKey && !event.metaKey) {
      if (composing(event)) return byDefault;
      return { act: 'send', text: `${line.value}\n`, value: '', cursor: 0 };
    }
    const step = { ArrowUp: -1, ArrowDown: 1 }[event.key];
    if (step && line.focused && line.history && !event.ctrlKey && !event.altKey && !event.metaKey) {
      const at = (line.recalled ?? line.history.length) + step;
      if (at < 0 || at > line.history.length) return { act: 'edit', value: line.value, cursor: line.end };
      const value = at === line.history.length ? '' : line.history[at];
      return { act: 'edit', value, cursor: value.length, recalled: at };
    }
    if (line.focused) return byDefault;
    if (event.key === 'Backspace' && !event.ctrlKey && !event.altKey && !event.metaKey) {
      const value = line.value.slice(0, -1);
      return { act: 'edit', value, cursor: value.length };
    }
    if (printable(event) && !composing(event)) return insert(atEnd(line), event.key);
    return byDefault;
  }

  const discipline = (event, line) => {
    if (!line.running) return byDefault;
    if (event.type === 'keydown') return keydown(event, line);
    if (event.type === 'click') return line.key ? { act: 'key', text: '\n' } : byDefault;
    if (!line.shown) return byDefault;
    switch (event.type) {
      case 'paste': {
        const result = insert(line.focused ? line : atEnd(line), event.data);
        return result.act === 'send' ? { ...result, pasted: true } : result;
      }
      case 'submit':
        return { act: 'send', text: `${line.value}\n`, value: '', cursor: 0 };
      case 'beforeinput':
        if (event.inputType === 'insertLineBreak' || event.inputType === 'insertParagraph') return insert(line, '\n');
        if (typeof event.data === 'string' && event.data.includes('\n')) return insert(line, event.data);
        return byDefault;
      case 'input':
        // A line feed that got in all the same: the line holds it already.
        if (line.value.includes('\n')) return insert(atEnd(line), '');
        return byDefault;
      default:
        return byDefault;
    }
  };

  // The lines of a text handed to the program, each with its line feed, and
  // a last part without one; the program takes them one at a time.
  discipline.lines = (text) => text.match(/[^\n]*\n|[^\n]+$/g) || [];

  return discipline;
})();

if (typeof module !== 'undefined') module.exports = { lineDiscipline };
