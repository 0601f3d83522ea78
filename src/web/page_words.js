// Puts the page's own words in place, in the written form chosen, and says
// where the program cannot start; which words, language.js and pageState
// decide.
'use strict';

const pageWords = (() => {
  const formKey = 'kondensator-maalform';

  // Every text of the page in `form`, which `remember` keeps on the device;
  // returns the texts.
  function apply(form, remember) {
    const texts = language.texts[form];
    document.documentElement.lang = form;
    for (const node of document.querySelectorAll('[data-tekst]')) {
      if (node.textContent !== texts[node.dataset.tekst]) node.textContent = texts[node.dataset.tekst];
    }
    for (const node of document.querySelectorAll('[data-tekst-label]')) {
      node.setAttribute('aria-label', texts[node.dataset.tekstLabel]);
    }
    document.getElementById('konsoll').setAttribute('aria-label', texts.console);
    document.getElementById('maal').setAttribute('aria-label', texts.forms);
    for (const button of document.querySelectorAll('#maal button')) {
      button.setAttribute('aria-pressed', String(button.lang === form));
    }
    if (remember) {
      try {
        localStorage.setItem(formKey, form);
      } catch (error) {
        // Nowhere to keep it (a sandboxed frame, a private window): it holds for this visit.
      }
    }
    return texts;
  }

  function stored() {
    try {
      return localStorage.getItem(formKey);
    } catch (error) {
      return null;
    }
  }

  // The alert in `feil`: why the program cannot start, and, in a frame, the
  // page in a new tab.
  function alert(feil, view, texts) {
    const what = typeof Worker === 'undefined' ? 'Web Workers' : 'WebAssembly';
    const parts = [texts[view.alert].replace('{what}', what)];
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

  return { apply, stored, alert };
})();
