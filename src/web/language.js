// The page's own texts in both written forms of Norwegian, and which form a
// reader gets: the one they chose on this device, or else nynorsk where the
// browser's list of languages names nynorsk before bokmål, Norwegian or
// Danish, and bokmål otherwise. The program's dialogue in the console is the
// program's own and is not translated.
'use strict';

const language = (() => {
  const texts = {
    nb: {
      about: 'Programmet teller hvor mange ganger kondensator 1 må lades ut i den tomme kondensator 2 før '
        + 'spenningen er under sluttspenningen. Bruk punktum som desimaltegn og skriv tallene uten enhet, '
        + 'for eksempel',
      help: 'Skriv svaret i feltet etter spørsmålet, og trykk Enter. Vil du begynne på nytt, trykk Avbryt og så '
        + 'Start på nytt.',
      keyHelp: 'Trykk en tast eller trykk i konsollen for å avslutte.',
      console: 'Konsoll',
      computing: 'Regner ...',
      stop: 'Avbryt',
      ended: 'Programmet er avsluttet.',
      stopped: 'Programmet ble avbrutt.',
      restart: 'Start på nytt',
      newVersion: 'En ny versjon er klar.',
      reload: 'Last inn på nytt',
      footer: 'Fri programvare under MIT-lisensen. Det du skriver, blir på maskinen din.',
      forms: 'Målform',
      browser: 'Programmet kan ikke starte i denne nettleseren, for den mangler {what}. Prøv en annen '
        + 'nettleser, for eksempel en nyere Chrome, Edge, Firefox eller Safari.',
      sandbox: 'Programmet kan ikke starte i rammen siden vises i her.',
      policy: 'Programmet kan ikke starte, for nettstedet siden ligger på, har regler som stopper det.',
      newTab: 'Åpne siden i en ny fane',
      newTabHelps: ', der den kan kjøre.',
      teacher: 'Er du lærer, står det i lærerveiledningen (LESMEG.txt) hva du kan gjøre.',
    },
    nn: {
      about: 'Programmet tel kor mange gonger kondensator 1 må ladast ut i den tomme kondensator 2 før '
        + 'spenninga er under sluttspenninga. Bruk punktum som desimalteikn og skriv tala utan eining, '
        + 'til dømes',
      help: 'Skriv svaret i feltet etter spørsmålet, og trykk Enter. Vil du byrje på nytt, trykk Avbryt og så '
        + 'Start på nytt.',
      keyHelp: 'Trykk ein tast eller trykk i konsollen for å avslutte.',
      console: 'Konsoll',
      computing: 'Reknar ...',
      stop: 'Avbryt',
      ended: 'Programmet er avslutta.',
      stopped: 'Programmet vart avbrote.',
      restart: 'Start på nytt',
      newVersion: 'Ein ny versjon er klar.',
      reload: 'Last inn på nytt',
      footer: 'Fri programvare under MIT-lisensen. Det du skriv, blir verande på maskina di.',
      forms: 'Målform',
      browser: 'Programmet kan ikkje starte i denne nettlesaren, for han manglar {what}. Prøv ein annan '
        + 'nettlesar, til dømes ein nyare Chrome, Edge, Firefox eller Safari.',
      sandbox: 'Programmet kan ikkje starte i ramma sida blir vist i her.',
      policy: 'Programmet kan ikkje starte, for nettstaden sida ligg på, har reglar som stoppar det.',
      newTab: 'Opne sida i ei ny fane',
      newTabHelps: ', der ho kan køyre.',
      teacher: 'Er du lærar, står det i rettleiinga for lærarar (LESMEG-nynorsk.txt) kva du kan gjere.',
    },
  };

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
    if (stored === 'nb' || stored === 'nn') return stored;
    for (const tag of languages || []) {
      const form = formOf(tag);
      if (form) return form;
    }
    return 'nb';
  }

  return { texts, choose };
})();

if (typeof module !== 'undefined') module.exports = { language };
