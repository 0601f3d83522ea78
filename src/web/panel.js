// The page's part beside the console, for a lesson: the run's discharges as
// a sentence, a chart and a table, the formula beside the count, and a log
// of this visit's runs. What it shows of the discharges comes from the
// program's own discharge code, in a worker of its own; lesson.js says what
// to show, and this only puts it on the page.
'use strict';

const panel = (() => {
  const element = (id) => document.getElementById(id);
  const section = element('utladninger');
  const svgNamespace = 'http://www.w3.org/2000/svg';
  const bigRun = 1e8;  // discharges from which working out the voltages takes long enough to say so
  const bar = element('fremdrift');
  const barSaid = element('fremdrift-sagt');
  let barShown = false;  // the progress bar showed during this run, and stays, full, at its end
  let lastSaid = 0;      // when the progress was last said to a screen reader
  let texts = null;
  let run = null;      // the run shown: { values, answer, formula, samples }
  let sampler = null;
  const log = [];      // this visit's runs, oldest first: { values, answer }

  const fill = (text, values) => text.replace(/\{(\w+)\}/g, (_, name) => values[name]);
  const answerText = ({ kind, count }) => ({ fell: String(count), never: texts.never, over: `over ${count}` })[kind];

  function svg(name, attributes) {
    const node = document.createElementNS(svgNamespace, name);
    for (const [key, value] of Object.entries(attributes)) node.setAttribute(key, value);
    return node;
  }

  function drawChart() {
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

  function drawTable() {
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
  function sentences() {
    const { values, answer, formula } = run;
    element('faktor').textContent = fill(texts.factor, { r: lesson.number(lesson.ratio(values[0], values[1])) });
    element('formel').textContent = formula === null ? texts.formulaNever
      : fill(texts.formula, { nf: formula, np: answerText(answer) });
    let why = '';
    if (answer.kind === 'over') why = texts.over;
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

  function draw() {
    section.hidden = !run || !run.answer;
    if (section.hidden) return;
    sentences();
    const ready = Boolean(run.samples);
    element('diagram').hidden = !ready;
    element('tabell').parentElement.hidden = !ready;
    if (ready) {
      drawChart();
      drawTable();
    }
  }

  function drawLog() {
    element('logg').hidden = log.length === 0;
    element('kjoringer').replaceChildren(...log.map(({ values, answer }) => {
      const item = document.createElement('li');
      const shown = values.map(lesson.number).join(', ');
      const again = document.createElement('button');
      again.type = 'button';
      again.textContent = texts.again;
      again.setAttribute('aria-label', fill(texts.againLabel, { values: shown }));
      again.addEventListener('click', () => panel.onAgain(values));
      item.append(`${shown}: ${answerText(answer)} `, again);
      return item;
    }).reverse());
  }

  function stopSampler() {
    if (sampler) sampler.terminate();
    sampler = null;
  }

  async function share() {
    const address = lesson.shareAddress(location.href, run.values);
    const said = element('delt');
    try {
      await navigator.clipboard.writeText(address);
      said.textContent = texts.shared;
    } catch (error) {
      // No clipboard here (a frame, a file): the address to copy by hand.
      const field = document.createElement('input');
      field.readOnly = true;
      field.value = address;
      field.setAttribute('aria-label', texts.shareHere);
      said.replaceChildren(`${texts.shareHere} `, field);
      field.select();
    }
  }
  element('del').addEventListener('click', share);

  return {
    onAgain: () => {},
    onSampling: () => {},
    setTexts(next) {
      texts = next;
      draw();
      drawLog();
    },
    // A new run: nothing shown until it has read four values and answered.
    clear() {
      stopSampler();
      run = null;
      barShown = false;
      lastSaid = 0;
      barSaid.textContent = '';
      element('utregning').textContent = '';
      element('delt').textContent = '';
      draw();
    },
    valuesRead(values) {
      run = { values, formula: lesson.formulaCount(values) };
    },
    // The discharges the progress bar measures against.
    estimate: () => (run && run.formula !== null ? Math.min(run.formula, 2147483647) : 2147483647),
    answered(answer) {
      run.answer = answer;
      bar.value = bar.max;
      log.push({ values: run.values, answer });
      drawLog();
      draw();
    },
    // Works the voltages out in a worker made by `makeWorker`, after the
    // count, so that it never delays the console's answer.
    sample(makeWorker, triesLeft = 1) {
      if (!run || !run.answer || run.samples || sampler) return;
      const { values: [c1, c2, v1, vend], answer, formula } = run;
      run.big = answer.count >= bigRun;
      if (run.big) element('utregning').textContent = texts.sampling;
      sampler = makeWorker();
      panel.onSampling(true);
      // A sampler that cannot load is tried once more, as the program is;
      // then the table is left out, and nothing waits for it.
      sampler.onerror = (event) => {
        event.preventDefault();
        if (triesLeft === 0) {
          panel.stop();
          return;
        }
        stopSampler();
        panel.sample(makeWorker, triesLeft - 1);
      };
      sampler.onmessage = ({ data }) => {
        if ('failed' in data) panel.stop();
        if ('progress' in data) panel.progress(data.progress, answer.count);
        if (!data.samples) return;
        run.samples = data.samples;
        bar.value = bar.max;
        stopSampler();
        element('utregning').textContent = '';
        panel.onSampling(false);
        draw();
      };
      const sample = { c1, c2, v1, vend, count: answer.count, formula: Math.min(formula ?? 0, answer.count) };
      sampler.postMessage({ sample });
    },
    stop() {
      if (!sampler) return;
      stopSampler();
      element('utregning').textContent = texts.samplingStopped;
      panel.onSampling(false);
    },
    // The discharges done against how many there will be, a few times a
    // second; a screen reader hears it every ten seconds at most.
    progress(done, of) {
      bar.max = of;
      bar.value = Math.min(done, of);
      const now = Date.now();
      if (lastSaid !== 0 && now - lastSaid >= 10000) {
        barSaid.textContent = texts.progressSaid.replace('{p}', Math.floor((100 * bar.value) / of));
      }
      if (lastSaid === 0 || now - lastSaid >= 10000) lastSaid = now;
    },
    // The bar shows while the program computes, or the voltages of a long
    // run are worked out, and stays, full, to the end of the run.
    showBar(computing) {
      barShown = barShown || computing || Boolean(sampler && run.big);
      bar.hidden = !barShown;
    },
  };
})();
