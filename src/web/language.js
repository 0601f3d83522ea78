// Which written form of Norwegian a reader gets, and the page's words in it:
// the form they chose on this device, or else nynorsk where the browser's
// list of languages names nynorsk before bokmål, Norwegian or Danish, and
// bokmål otherwise.
'use strict';

const language = (() => {
  const forms = ['nb', 'nn'];

  // The form a language tag names: nynorsk, bokmål (Norwegian and Danish
  // read as bokmål), or none.
  function formOf(tag) {
    const [primary, region] = String(tag).toLowerCase().split('-');
    if (primary === 'nn' || (primary === 'no' && region === 'nn')) return 'nn';
    return ['nb', 'no', 'da'].includes(primary) ? 'nb' : null;
  }

  // stored: what the reader chose on this device, if anything;
  // languages: the browser's list, most wanted first.
  function choose(stored, languages) {
    if (forms.includes(stored)) return stored;
    for (const tag of languages || []) {
      const form = formOf(tag);
      if (form) return form;
    }
    return 'nb';
  }

  // Every word of `table` in `form`, by name.
  const textsIn = (table, form) => Object.fromEntries(Object.entries(table)
    .map(([name, word]) => [name, typeof word === 'string' ? word : word[form]]));

  // `text` with each {name} replaced by values[name].
  const fill = (text, values) => text.replace(/\{(\w+)\}/g, (_, name) => values[name]);

  return { forms, choose, textsIn, fill };
})();

if (typeof module !== 'undefined') module.exports = { language };
