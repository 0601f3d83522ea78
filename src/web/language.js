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
      progress: 'Utladninger regnet',
      progressSaid: '{p} % av utladningene er regnet.',
      panel: 'Utladningene',
      factor: 'Hver utladning ganger spenningen med C1 / (C1 + C2) = {r}.',
      formula: 'Formelen V_n = V_0 · (C1 / (C1 + C2))^n gir n = {nf}; programmet talte {np}.',
      formulaNever: 'Med formelen V_n = V_0 · (C1 / (C1 + C2))^n faller spenningen aldri under sluttspenningen.',
      parting: 'Her avgjør avrundingen: etter utladning {n} har programmet {vp} V, formelen {vf} V.',
      over: 'Programmet teller i et 32-bits heltall og slutter å telle ved 2147483647 utladninger.',
      stays: 'Spenningen står stille på {v} V fra utladning {n}, over sluttspenningen.',
      grows: 'Spenningen vokser, så den faller aldri under sluttspenningen.',
      flips: 'Spenningen skifter fortegn ved hver utladning, uten å falle under sluttspenningen.',
      sampling: 'Regner ut utladningene ... Avbryt stopper det.',
      samplingStopped: 'Utladningene ble ikke regnet ut.',
      chart: 'Spenningen i kondensator 1 etter hver utladning, og sluttspenningen som en stiplet linje{scales}. '
        + 'Tabellen under har tallene.',
      logScales: ', med logaritmisk {axes}',
      voltageAxis: 'spenningsakse',
      nAxis: 'n-akse',
      and: ' og ',
      table: 'Kondensator 1 etter utladning n',
      voltage: 'Spenning V1 [V]',
      charge: 'Ladning Q1 = C1 · V1 [C]',
      energy: 'Energi W1 = 1/2 · C1 · V1² [J]',
      share: 'Del',
      shared: 'Lenken er kopiert.',
      shareHere: 'Kopier lenken:',
      log: 'Kjøringene',
      again: 'Kjør igjen',
      againLabel: 'Kjør igjen med {values}',
      never: 'uendelig',
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
      progress: 'Utladingar rekna',
      progressSaid: '{p} % av utladingane er rekna.',
      panel: 'Utladingane',
      factor: 'Kvar utlading gongar spenninga med C1 / (C1 + C2) = {r}.',
      formula: 'Formelen V_n = V_0 · (C1 / (C1 + C2))^n gir n = {nf}; programmet talde {np}.',
      formulaNever: 'Med formelen V_n = V_0 · (C1 / (C1 + C2))^n fell spenninga aldri under sluttspenninga.',
      parting: 'Her avgjer avrundinga: etter utlading {n} har programmet {vp} V, formelen {vf} V.',
      over: 'Programmet tel i eit 32-bits heiltal og sluttar å telje ved 2147483647 utladingar.',
      stays: 'Spenninga står stille på {v} V frå utlading {n}, over sluttspenninga.',
      grows: 'Spenninga veks, så ho fell aldri under sluttspenninga.',
      flips: 'Spenninga skiftar forteikn ved kvar utlading, utan å falle under sluttspenninga.',
      sampling: 'Reknar ut utladingane ... Avbryt stoppar det.',
      samplingStopped: 'Utladingane vart ikkje rekna ut.',
      chart: 'Spenninga i kondensator 1 etter kvar utlading, og sluttspenninga som ei stipla linje{scales}. '
        + 'Tabellen under har tala.',
      logScales: ', med logaritmisk {axes}',
      voltageAxis: 'spenningsakse',
      nAxis: 'n-akse',
      and: ' og ',
      table: 'Kondensator 1 etter utlading n',
      voltage: 'Spenning V1 [V]',
      charge: 'Ladning Q1 = C1 · V1 [C]',
      energy: 'Energi W1 = 1/2 · C1 · V1² [J]',
      share: 'Del',
      shared: 'Lenka er kopiert.',
      shareHere: 'Kopier lenka:',
      log: 'Køyringane',
      again: 'Køyr igjen',
      againLabel: 'Køyr igjen med {values}',
      never: 'uendeleg',
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
