// What the browser drivers share: how a text is typed, and the scenarios.
import fs from 'node:fs';

// The text as pieces to type as keys and pieces to paste: a line with a
// control character other than its line feed (a tab, a carriage return)
// cannot be typed into the page's line, where Tab moves the focus, so it is
// pasted whole, line feed and all.
export function splitForTyping(text) {
  const pieces = [];
  for (const line of text.match(/[^\n]*\n|[^\n]+$/g) || []) {
    const typeable = !/[\x00-\x09\x0b-\x1f\x7f]/.test(line);
    const last = pieces[pieces.length - 1];
    if (typeable && last && last.keys !== undefined) last.keys += line;
    else pieces.push(typeable ? { keys: line } : { paste: line });
  }
  return pieces;
}

// The text of a paste step: parts joined, a part a text or [text, times].
export function expandPaste(parts) {
  return parts.map((part) => (Array.isArray(part) ? part[0].repeat(part[1]) : part)).join('');
}

export function readScenarios(file) {
  return JSON.parse(fs.readFileSync(file, 'utf8'));
}
