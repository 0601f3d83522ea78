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
    nb: 'Formelen V_n = V_0 · (C1 / (C1 + C2))^n gir n {nf}; programmet talte {np}.',
    nn: 'Formelen V_n = V_0 · (C1 / (C1 + C2))^n gir n {nf}; programmet talde {np}.',
  },
  formulaNever: {
    nb: 'Med formelen V_n = V_0 · (C1 / (C1 + C2))^n faller spenningen aldri under sluttspenningen; programmet talte {np}.',
    nn: 'Med formelen V_n = V_0 · (C1 / (C1 + C2))^n fell spenninga aldri under sluttspenninga; programmet talde {np}.',
  },
  vanishes: {
    nb: 'C2 = {c2} F er mindre enn et halvt steg mellom tallene datamaskinen kan lagre rundt C1 = {c1} F (steget er '
      + '{step} F), så den regner C1 + C2 = C1, og hver utladning ganger spenningen med nøyaktig 1. På papiret er '
      + 'C1 / (C1 + C2) litt mindre enn 1.',
    nn: 'C2 = {c2} F er mindre enn eit halvt steg mellom tala datamaskina kan lagre rundt C1 = {c1} F (steget er '
      + '{step} F), så ho reknar C1 + C2 = C1, og kvar utlading gongar spenninga med nøyaktig 1. På papiret er '
      + 'C1 / (C1 + C2) litt mindre enn 1.',
  },
  parting: {
    nb: 'Her avgjør avrundingen: etter utladning {n} har programmet {vp} V, formelen {vf} V.',
    nn: 'Her avgjer avrundinga: etter utlading {n} har programmet {vp} V, formelen {vf} V.',
  },
  stays: {
    nb: 'Spenningen står stille på {v} V fra utladning {n}, over sluttspenningen {vend} V.',
    nn: 'Spenninga står stille på {v} V frå utlading {n}, over sluttspenninga {vend} V.',
  },
  staysEqual: {
    nb: 'Spenningen står stille på {v} V fra utladning {n}. Det er lik sluttspenningen, ikke under den, og programmet '
      + 'teller videre så lenge spenningen er lik eller over sluttspenningen.',
    nn: 'Spenninga står stille på {v} V frå utlading {n}. Det er lik sluttspenninga, ikkje under ho, og programmet '
      + 'tel vidare så lenge spenninga er lik eller over sluttspenninga.',
  },
  smallest: {
    nb: '{v} V er det minste tallet over 0 som datamaskinen kan lagre, og {v} · {r} ligger nærmere det enn 0, så '
      + 'avrundingen gir {v} igjen.',
    nn: '{v} V er det minste talet over 0 som datamaskina kan lagre, og {v} · {r} ligg nærare det enn 0, så '
      + 'avrundinga gir {v} att.',
  },
  grows: {
    nb: 'C1 / (C1 + C2) er større enn 1, så spenningen vokser ved hver utladning og faller aldri under sluttspenningen.',
    nn: 'C1 / (C1 + C2) er større enn 1, så spenninga veks ved kvar utlading og fell aldri under sluttspenninga.',
  },
  flips: {
    nb: 'C1 / (C1 + C2) er negativ, så spenningen skifter fortegn ved hver utladning, uten å falle under '
      + 'sluttspenningen.',
    nn: 'C1 / (C1 + C2) er negativ, så spenninga skiftar forteikn ved kvar utlading, utan å falle under '
      + 'sluttspenninga.',
  },
  flipsGrowing: {
    nb: 'C1 / (C1 + C2) er mindre enn −1, så spenningen skifter fortegn og vokser ved hver utladning, uten å falle '
      + 'under sluttspenningen.',
    nn: 'C1 / (C1 + C2) er mindre enn −1, så spenninga skiftar forteikn og veks ved kvar utlading, utan å falle '
      + 'under sluttspenninga.',
  },
  limit: {
    nb: 'Programmet teller utladningene bare opp til {limit}, det største tallet telleren kan holde.',
    nn: 'Programmet tel utladingane berre opp til {limit}, det største talet teljaren kan halde.',
  },
  overCounted: {
    nb: 'Etter så mange er spenningen fortsatt {v} V, over sluttspenningen.',
    nn: 'Etter så mange er spenninga framleis {v} V, over sluttspenninga.',
  },
  overRatio: {
    nb: 'C1 / (C1 + C2) ligger så nær 1 at programmet ser uten å regne dem ut at spenningen fortsatt er over '
      + 'sluttspenningen etter så mange.',
    nn: 'C1 / (C1 + C2) ligg så nær 1 at programmet ser utan å rekne dei ut at spenninga framleis er over '
      + 'sluttspenninga etter så mange.',
  },
  overDoubles: {
    nb: 'Hver utladning flytter spenningen bare ett eller to av tallene datamaskinen kan lagre, og programmet ser uten '
      + 'å regne dem ut at så mange utladninger ikke når sluttspenningen.',
    nn: 'Kvar utlading flyttar spenninga berre eitt eller to av tala datamaskina kan lagre, og programmet ser utan å '
      + 'rekne dei ut at så mange utladingar ikkje når sluttspenninga.',
  },
  energy: {
    nb: 'Når kondensatorene kobles sammen, går C2 / (C1 + C2) = {share} av energien i kondensator 1 tapt som varme '
      + 'og stråling, hvor lite motstand ledningene enn har; med like kondensatorer er det halvparten. Når '
      + 'kondensator 2 tømmes, kastes energien den fikk.',
    nn: 'Når kondensatorane blir kopla saman, går C2 / (C1 + C2) = {share} av energien i kondensator 1 tapt som '
      + 'varme og stråling, kor lite motstand leidningane enn har; med like kondensatorar er det halvparten. Når '
      + 'kondensator 2 blir tømd, blir energien han fekk, kasta.',
  },
  energySums: {
    nb: 'Etter {n} utladninger er {lost} tapt i overføringene, {thrown} kastet og {left} igjen i kondensator 1: '
      + 'til sammen {start}, det kondensator 1 hadde ved start.',
    nn: 'Etter {n} utladingar er {lost} tapt i overføringane, {thrown} kasta og {left} att i kondensator 1: '
      + 'til saman {start}, det kondensator 1 hadde ved start.',
  },
  chart: {
    nb: 'Spenningen i kondensator 1 etter hver utladning, og sluttspenningen {vend} V som en stiplet linje.',
    nn: 'Spenninga i kondensator 1 etter kvar utlading, og sluttspenninga {vend} V som ei stipla linje.',
  },
  chartBelow: {
    nb: ' Utladning {n}, den første under sluttspenningen, er merket.',
    nn: ' Utlading {n}, den første under sluttspenninga, er merkt.',
  },
  chartLogN: { nb: ' Aksen for n er logaritmisk.', nn: ' Aksen for n er logaritmisk.' },
  chartLogV: {
    nb: ' Spenningsaksen er logaritmisk: der blir nedgangen en rett linje, for hver utladning ganger spenningen med '
      + 'det samme tallet.',
    nn: ' Spenningsaksen er logaritmisk: der blir nedgangen ei rett linje, for kvar utlading gongar spenninga med '
      + 'det same talet.',
  },
  finalVoltage: { nb: 'sluttspenning', nn: 'sluttspenning' },
  logAxis: 'Logaritmisk spenningsakse',
  table: { nb: 'Kondensator 1 etter utladning n', nn: 'Kondensator 1 etter utlading n' },
  voltage: 'Spenning V1 [V]',
  charge: 'Ladning Q1 = C1 · V1',
  energyLeft: 'Energi W1 = ½ · C1 · V1²',
  energyLost: { nb: 'Tapt i overføringen', nn: 'Tapt i overføringa' },
  energyThrown: { nb: 'Kastet når C2 tømmes', nn: 'Kasta når C2 blir tømd' },
  download: 'Last ned tabellen (CSV)',
  copy: 'Kopier tabellen',
  copied: 'Tabellen er kopiert.',
  print: 'Skriv ut',
  worksheet: 'C1 = {c1}, C2 = {c2}, V1 = {v1}, sluttspenning {vend}. {date}',
  share: 'Del',
  shared: { nb: 'Lenken er kopiert.', nn: 'Lenka er kopiert.' },
  shareHere: { nb: 'Kopier lenken:', nn: 'Kopier lenka:' },
  log: { nb: 'Kjøringene', nn: 'Køyringane' },
  again: { nb: 'Kjør igjen', nn: 'Køyr igjen' },
  againLabel: { nb: 'Kjør igjen med {values}', nn: 'Køyr igjen med {values}' },
  mend: 'Rett opp',
  mendLabel: 'Rett opp {values}',
  never: { nb: 'uendelig', nn: 'uendeleg' },
};

if (typeof module !== 'undefined') module.exports = { words };
