// Puts the page's own words in place, in the written form the state holds,
// and keeps the reader's choice of form on the device.
'use strict';

const pageWords = (() => {
  const formKey = 'kondensator-maalform';
  let shown = null;

  // Every text of the page in `form`; returns the texts.
  function apply(form) {
    const texts = language.textsIn(words, form);
    if (form === shown) return texts;
    shown = form;
    document.documentElement.lang = form;
    for (const node of document.querySelectorAll('[data-tekst]:not([lang])')) {
      if (node.textContent !== texts[node.dataset.tekst]) node.textContent = texts[node.dataset.tekst];
    }
    for (const node of document.querySelectorAll('[data-tekst-label]')) {
      node.setAttribute('aria-label', texts[node.dataset.tekstLabel]);
    }
    for (const button of document.querySelectorAll('#maal button')) {
      button.setAttribute('aria-pressed', String(button.lang === form));
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

  function remember(form) {
    try {
      localStorage.setItem(formKey, form);
    } catch (error) {
      // Nowhere to keep it (a sandboxed frame, a private window): it holds for this visit.
    }
  }

  return { apply, stored, remember };
})();
