// Every word of the page, each once: by its name, in bokmål (nb) and nynorsk
// (nn), or as one text where both forms write it alike. The page shows them
// in the form its reader chose (language.js); the build puts the bokmål
// ones into the page's HTML, for the moment before its script runs. {name}
// stands for a value filled in where the text is used. The program's own
// lines in the console are its own, and are not here.
'use strict';

const words = {
  about: {
    nb: 'Programmet teller hvor mange ganger kondensator 1 må lades ut i den tomme kondensator 2 før spenningen er '
      + 'under sluttspenningen. Bruk punktum som desimaltegn og skriv tallene uten enhet, for eksempel',
    nn: 'Programmet tel kor mange gonger kondensator 1 må ladast ut i den tomme kondensator 2 før spenninga er '
      + 'under sluttspenninga. Bruk punktum som desimalteikn og skriv tala utan eining, til dømes',
  },
  needsScript: { nb: 'Siden trenger JavaScript for å kjøre programmet.', nn: 'Sida treng JavaScript for å køyre programmet.' },
  help: {
    nb: 'Skriv svaret i feltet etter spørsmålet, og trykk Enter. Vil du begynne på nytt, trykk Avbryt og så Start på nytt.',
    nn: 'Skriv svaret i feltet etter spørsmålet, og trykk Enter. Vil du byrje på nytt, trykk Avbryt og så Start på nytt.',
  },
  keyHelp: {
    nb: 'Trykk en tast eller trykk i konsollen for å avslutte.',
    nn: 'Trykk ein tast eller trykk i konsollen for å avslutte.',
  },
  console: 'Konsoll',
  computing: { nb: 'Regner ...', nn: 'Reknar ...' },
  stop: 'Avbryt',
  ended: { nb: 'Programmet er avsluttet.', nn: 'Programmet er avslutta.' },
  stopped: { nb: 'Programmet ble avbrutt.', nn: 'Programmet vart avbrote.' },
  restart: 'Start på nytt',
  newVersion: { nb: 'En ny versjon er klar.', nn: 'Ein ny versjon er klar.' },
  reload: 'Last inn på nytt',
  footer: {
    nb: 'Fri programvare under MIT-lisensen. Det du skriver, blir på maskinen din.',
    nn: 'Fri programvare under MIT-lisensen. Det du skriv, blir verande på maskina di.',
  },
  forms: 'Målform',
  browser: {
    nb: 'Programmet kan ikke starte i denne nettleseren, for den mangler {what}. Prøv en annen nettleser, for '
      + 'eksempel en nyere Chrome, Edge, Firefox eller Safari.',
    nn: 'Programmet kan ikkje starte i denne nettlesaren, for han manglar {what}. Prøv ein annan nettlesar, til '
      + 'dømes ein nyare Chrome, Edge, Firefox eller Safari.',
  },
  sandbox: {
    nb: 'Programmet kan ikke starte i rammen siden vises i her.',
    nn: 'Programmet kan ikkje starte i ramma sida blir vist i her.',
  },
  policy: {
    nb: 'Programmet kan ikke starte, for nettstedet siden ligger på, har regler som stopper det.',
    nn: 'Programmet kan ikkje starte, for nettstaden sida ligg på, har reglar som stoppar det.',
  },
  // Where no script of the page runs at all, shown after a moment in both forms.
  noStart: {
    nb: 'Programmet kunne ikke starte: nettstedet siden ligger på, har regler som stopper skriptene den trenger. '
      + 'Ligger siden i en ramme, kan du',
    nn: 'Programmet kunne ikkje starte: nettstaden sida ligg på, har reglar som stoppar skripta ho treng. Ligg sida '
      + 'i ei ramme, kan du',
  },
  noStartTab: { nb: 'åpne den i en ny fane', nn: 'opne ho i ei ny fane' },
  newTab: { nb: 'Åpne siden i en ny fane', nn: 'Opne sida i ei ny fane' },
  newTabHelps: { nb: ', der den kan kjøre.', nn: ', der ho kan køyre.' },
  teacher: {
    nb: 'Er du lærer, står det i lærerveiledningen (LESMEG.txt) hva du kan gjøre.',
    nn: 'Er du lærar, står det i rettleiinga for lærarar (LESMEG-nynorsk.txt) kva du kan gjere.',
  },
  progress: { nb: 'Utladninger regnet', nn: 'Utladingar rekna' },
  progressSaid: { nb: '{p} % av utladningene er regnet.', nn: '{p} % av utladingane er rekna.' },
  panel: { nb: 'Utladningene', nn: 'Utladingane' },
  factor: {
    nb: 'Hver utladning ganger spenningen med C1 / (C1 + C2) = {r}.',
    nn: 'Kvar utlading gongar spenninga med C1 / (C1 + C2) = {r}.',
  },
  formula: {
    nb: 'Formelen V_n = V_0 · (C1 / (C1 + C2))^n gir n = {nf}; programmet talte {np}.',
    nn: 'Formelen V_n = V_0 · (C1 / (C1 + C2))^n gir n = {nf}; programmet talde {np}.',
  },
  formulaNever: {
    nb: 'Med formelen V_n = V_0 · (C1 / (C1 + C2))^n faller spenningen aldri under sluttspenningen.',
    nn: 'Med formelen V_n = V_0 · (C1 / (C1 + C2))^n fell spenninga aldri under sluttspenninga.',
  },
  parting: {
    nb: 'Her avgjør avrundingen: etter utladning {n} har programmet {vp} V, formelen {vf} V.',
    nn: 'Her avgjer avrundinga: etter utlading {n} har programmet {vp} V, formelen {vf} V.',
  },
  over: {
    nb: 'Programmet teller i et 32-bits heltall og slutter å telle ved {limit} utladninger.',
    nn: 'Programmet tel i eit 32-bits heiltal og sluttar å telje ved {limit} utladingar.',
  },
  stays: {
    nb: 'Spenningen står stille på {v} V fra utladning {n}, over sluttspenningen.',
    nn: 'Spenninga står stille på {v} V frå utlading {n}, over sluttspenninga.',
  },
  grows: {
    nb: 'Spenningen vokser, så den faller aldri under sluttspenningen.',
    nn: 'Spenninga veks, så ho fell aldri under sluttspenninga.',
  },
  flips: {
    nb: 'Spenningen skifter fortegn ved hver utladning, uten å falle under sluttspenningen.',
    nn: 'Spenninga skiftar forteikn ved kvar utlading, utan å falle under sluttspenninga.',
  },
  sampling: { nb: 'Regner ut utladningene ... Avbryt stopper det.', nn: 'Reknar ut utladingane ... Avbryt stoppar det.' },
  samplingStopped: { nb: 'Utladningene ble ikke regnet ut.', nn: 'Utladingane vart ikkje rekna ut.' },
  chart: {
    nb: 'Spenningen i kondensator 1 etter hver utladning, og sluttspenningen som en stiplet linje{scales}. '
      + 'Tabellen under har tallene.',
    nn: 'Spenninga i kondensator 1 etter kvar utlading, og sluttspenninga som ei stipla linje{scales}. '
      + 'Tabellen under har tala.',
  },
  logScales: ', med logaritmisk {axes}',
  voltageAxis: 'spenningsakse',
  nAxis: 'n-akse',
  and: ' og ',
  table: { nb: 'Kondensator 1 etter utladning n', nn: 'Kondensator 1 etter utlading n' },
  voltage: 'Spenning V1 [V]',
  charge: 'Ladning Q1 = C1 · V1 [C]',
  energy: 'Energi W1 = 1/2 · C1 · V1² [J]',
  share: 'Del',
  shared: { nb: 'Lenken er kopiert.', nn: 'Lenka er kopiert.' },
  shareHere: { nb: 'Kopier lenken:', nn: 'Kopier lenka:' },
  log: { nb: 'Kjøringene', nn: 'Køyringane' },
  again: { nb: 'Kjør igjen', nn: 'Køyr igjen' },
  againLabel: { nb: 'Kjør igjen med {values}', nn: 'Køyr igjen med {values}' },
  never: { nb: 'uendelig', nn: 'uendeleg' },
};

if (typeof module !== 'undefined') module.exports = { words };
