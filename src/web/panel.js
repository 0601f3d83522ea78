// Draws the page's part beside the console, for a lesson, from the page's
// state: the run's discharges as sentences, a chart and a table, the heading
// of a printed worksheet, and the log of this visit's runs. lesson.js and
// chart.js say what to show; this only puts it on the page. Its buttons hand
// what they ask for to the page's `handlers`.
'use strict';

const panel = (() => {
  const element = (id) => document.getElementById(id);
  const svgNamespace = 'http://www.w3.org/2000/svg';
  const { fill } = language;
  const handlers = { again: () => {}, mend: () => {}, share: () => {}, download: () => {}, copy: () => {},
    logAxis: () => {} };
  let shown = {};  // what was drawn last, so that what has not changed is not drawn again
  let texts = null;

  function svg(name, attributes, text = '') {
    const node = document.createElementNS(svgNamespace, name);
    for (const [key, value] of Object.entries(attributes)) node.setAttribute(key, value);
    node.textContent = text;
    return node;
  }

  function drawChart(run, logV) {
    const shape = chart.geometry(run, { logV });
    element('diagram').hidden = !shape;
    if (!shape) return;
    const button = element('logakse');
    button.hidden = !shape.canLog;
    button.setAttribute('aria-pressed', String(shape.log));
    element('kurve-tekst').textContent = fill(texts.chart, { vend: shape.vend ? shape.vend.label : lesson.number(run.values[3]) })
      + (shape.below ? fill(texts.chartBelow, { n: lesson.grouped(shape.below.n) }) : '')
      + (shape.logN ? texts.chartLogN : '') + (shape.log ? texts.chartLogV : '');
    const label = (x, y, text, anchor, name = 'akse') => svg('text', { x, y, 'text-anchor': anchor, class: name }, text);
    element('kurve').replaceChildren(
      ...shape.vTicks.map(({ y }) => svg('path', { d: `M-4,${y}H320`, class: 'gitter' })),
      ...shape.vTicks.map(({ y, label: text }) => label(-8, y + 4, text, 'end')),
      ...shape.nTicks.map(({ x, label: text }, i, all) => label(x, 198, text, i === all.length - 1 ? 'end' : 'middle')),
      label(-8, -8, 'V', 'end'), label(320, 214, 'n', 'end'),
      svg('path', { d: 'M0,0V180H320', class: 'ramme' }),
      ...(shape.vend ? [svg('path', { d: `M0,${shape.vend.y}H320`, class: 'slutt' }),
        label(4, shape.vend.y - 5, `${texts.finalVoltage} ${shape.vend.label} V`, 'start')] : []),
      svg('path', { d: shape.path, class: 'spenning' }),
      ...(shape.below ? [svg('circle', { cx: shape.below.x, cy: shape.below.y, r: 4, class: 'under' }),
        label(shape.below.x - 8, Math.min(shape.below.y + 16, 176), `n = ${lesson.grouped(shape.below.n)}`, 'end')] : []));
  }

  function drawTable(run) {
    const rows = lesson.rows(run);
    const columns = rows.find(Boolean).length;
    for (const cell of document.querySelectorAll('#tabell .energi')) cell.hidden = columns < 6;
    element('tabell').tBodies[0].replaceChildren(...rows.map((cells) => {
      const row = document.createElement('tr');
      for (const text of cells || ['...', ...Array(columns - 1).fill('')]) {
        const cell = document.createElement(row.childElementCount === 0 ? 'th' : 'td');
        if (row.childElementCount === 0) cell.scope = 'row';
        cell.textContent = text;
        row.append(cell);
      }
      return row;
    }));
  }

  function drawRun(run, logV) {
    const section = element('utladninger');
    section.hidden = !run || !run.answer;
    if (section.hidden) return;
    element('ark').textContent = lesson.worksheet(run, texts);
    element('forklaring').replaceChildren(...lesson.explain(run, texts).map((sentence) => {
      const paragraph = document.createElement('p');
      paragraph.textContent = sentence;
      return paragraph;
    }));
    drawChart(run, logV);
    drawTable(run);
  }

  function drawLog(log) {
    element('logg').hidden = log.length === 0;
    element('kjoringer').replaceChildren(...log.map((entry) => {
      const item = document.createElement('li');
      const values = entry.values ? entry.values.map(lesson.number).join(', ') : pageState.retyped(entry);
      const button = document.createElement('button');
      button.type = 'button';
      const [name, label, handler] = entry.values ? [texts.again, texts.againLabel, handlers.again]
        : [texts.mend, texts.mendLabel, handlers.mend];
      button.textContent = name;
      button.setAttribute('aria-label', fill(label, { values }));
      button.addEventListener('click', () => handler(entry));
      const answer = entry.answer.kind === 'unknown' ? entry.answer.text : lesson.answerText(entry.answer, texts);
      item.append(`${values}: ${answer} `, button);
      return item;
    }).reverse());
  }

  // What the panel's buttons did: a link or the table copied, or, where
  // there is no clipboard (a frame, a file), the text to copy by hand.
  function drawSaid(said) {
    const status = element('delt');
    if (!said) {
      status.replaceChildren();
    } else if (said === 'shared' || said === 'copied') {
      status.textContent = texts[said];
    } else {
      const field = document.createElement(said.address ? 'input' : 'textarea');
      field.readOnly = true;
      field.value = said.address || said.table;
      const label = said.address ? texts.shareHere : `${texts.copy}:`;
      field.setAttribute('aria-label', label);
      status.replaceChildren(`${label} `, field);
      field.select();
    }
  }

  function draw(state, words) {
    const changed = (name, value) => words !== texts || shown[name] !== value;
    const fresh = { run: changed('run', state.panel) || changed('logV', state.logV), log: changed('log', state.log),
      said: changed('said', state.said) };
    texts = words;
    if (fresh.run) drawRun(state.panel, state.logV);
    if (fresh.log) drawLog(state.log);
    if (fresh.said) drawSaid(state.said);
    shown = { run: state.panel, logV: state.logV, log: state.log, said: state.said };
  }

  element('del').addEventListener('click', () => handlers.share(shown.run));
  element('last-ned').addEventListener('click', () => handlers.download(shown.run));
  element('kopier').addEventListener('click', () => handlers.copy(shown.run));
  element('skriv-ut').addEventListener('click', () => window.print());
  element('logakse').addEventListener('click', () => handlers.logAxis());

  return { draw, handlers };
})();
