// Draws the page's part beside the console, for a lesson, from the page's
// state: the run's discharges as a sentence, a chart and a table, the
// formula beside the count, the progress of a long run and the log of this
// visit's runs. lesson.js says what to show; this only puts it on the page.
// Its buttons hand what they ask for to the page: `again` with a run's
// values, `share` with the address of the run shown.
'use strict';

const panel = (() => {
  const element = (id) => document.getElementById(id);
  const svgNamespace = 'http://www.w3.org/2000/svg';
  const { fill } = language;
  const handlers = { again: () => {}, share: () => {} };
  let shownRun = null;  // the run drawn last, so that an unchanged one is not drawn again
  let shownLog = null;
  let texts = null;

  const answerText = ({ kind, count }) => ({ fell: String(count), never: texts.never, over: `over ${count}` })[kind];

  function svg(name, attributes) {
    const node = document.createElementNS(svgNamespace, name);
    for (const [key, value] of Object.entries(attributes)) node.setAttribute(key, value);
    return node;
  }

  function drawChart(run) {
    const shape = lesson.chart(run);
    element('diagram').hidden = !shape;
    if (!shape) return;
    const axes = [shape.logV && texts.voltageAxis, shape.logN && texts.nAxis].filter(Boolean).join(texts.and);
    element('kurve-tekst').textContent = fill(texts.chart, { scales: axes ? fill(texts.logScales, { axes }) : '' });
    const label = (x, y, text, anchor) => {
      const node = svg('text', { x, y, 'text-anchor': anchor, class: 'akse' });
      node.textContent = text;
      return node;
    };
    element('kurve').replaceChildren(
      svg('path', { d: 'M0,0V180H320', class: 'ramme' }),
      ...(shape.vendY === null ? [] : [svg('path', { d: `M0,${shape.vendY}H320`, class: 'slutt' })]),
      svg('path', { d: shape.path, class: 'spenning' }),
      label(0, -5, `${shape.axis.high} V`, 'start'), label(0, 196, `${shape.axis.low} V`, 'start'),
      label(320, 196, `n = ${shape.axis.lastN}`, 'end'));
  }

  function drawTable(run) {
    element('tabell').tBodies[0].replaceChildren(...lesson.rows(run).map((cells) => {
      const row = document.createElement('tr');
      for (const text of cells || ['...', '', '', '']) {
        const cell = document.createElement(row.childElementCount === 0 ? 'th' : 'td');
        if (row.childElementCount === 0) cell.scope = 'row';
        cell.textContent = text;
        row.append(cell);
      }
      return row;
    }));
  }

  // The sentences: the factor, the formula beside the count, and where they
  // part, or why the program stops counting, or why the voltage never falls.
  function sentences(run) {
    const { values, answer, formula, limit } = run;
    element('faktor').textContent = fill(texts.factor, { r: lesson.number(lesson.ratio(values[0], values[1])) });
    element('formel').textContent = formula === null ? texts.formulaNever
      : fill(texts.formula, { nf: formula, np: answerText(answer) });
    let why = '';
    if (answer.kind === 'over') why = fill(texts.over, { limit });
    const reason = answer.kind === 'never' && lesson.never(run);
    if (reason && (reason.why !== 'stays' || run.samples)) {
      why = fill(texts[reason.why], { v: lesson.number(reason.v), n: reason.n });
    }
    const part = run.samples && lesson.parting(run, formula);
    if (part && part.program !== null) {
      why = fill(texts.parting, { n: part.n, vp: lesson.number(part.program), vf: lesson.number(part.formula) });
    }
    element('forklaring').textContent = why;
  }

  function drawRun(run) {
    const section = element('utladninger');
    section.hidden = !run || !run.answer;
    if (section.hidden) return;
    sentences(run);
    const ready = Boolean(run.samples);
    element('diagram').hidden = !ready;
    element('tabell').parentElement.hidden = !ready;
    if (ready) {
      drawChart(run);
      drawTable(run);
    }
    element('utregning').textContent = { working: run.big ? texts.sampling : '', stopped: texts.samplingStopped }[
      run.sampling] || '';
  }

  function drawLog(log) {
    element('logg').hidden = log.length === 0;
    element('kjoringer').replaceChildren(...log.map(({ values, answer }) => {
      const item = document.createElement('li');
      const shown = values.map(lesson.number).join(', ');
      const again = document.createElement('button');
      again.type = 'button';
      again.textContent = texts.again;
      again.setAttribute('aria-label', fill(texts.againLabel, { values: shown }));
      again.addEventListener('click', () => handlers.again(values));
      item.append(`${shown}: ${answerText(answer)} `, again);
      return item;
    }).reverse());
  }

  function drawShare(share) {
    const said = element('delt');
    if (!share) {
      said.textContent = '';
    } else if (share.copied) {
      said.textContent = texts.shared;
    } else if (!said.querySelector('input')) {
      // No clipboard here (a frame, a file): the address to copy by hand.
      const field = document.createElement('input');
      field.readOnly = true;
      field.value = share.address;
      field.setAttribute('aria-label', texts.shareHere);
      said.replaceChildren(`${texts.shareHere} `, field);
      field.select();
    }
  }

  // The discharges done against how many there will be; a screen reader
  // hears it as often as the state says.
  function drawBar(bar) {
    const progress = element('fremdrift');
    progress.hidden = !bar.shown;
    progress.max = bar.of;
    progress.value = bar.done;
    element('fremdrift-sagt').textContent = bar.said === '' ? '' : fill(texts.progressSaid, { p: bar.said });
  }

  function draw(state, words) {
    const newWords = words !== texts;
    texts = words;
    if (newWords || state.panel !== shownRun) drawRun(state.panel);
    if (newWords || state.log !== shownLog) drawLog(state.log);
    shownRun = state.panel;
    shownLog = state.log;
    drawShare(state.share);
    drawBar(state.bar);
  }

  element('del').addEventListener('click', () => handlers.share(shownRun.values));

  return { draw, handlers };
})();
