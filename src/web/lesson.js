// What the page shows a class of a run, as plain functions of the run, so
// that they are tested without a page. The run: { values: [c1, c2, v1, vend],
// limit, answer: { kind: 'fell' | 'never' | 'over', count, samples, proof } },
// the values as the program read them, the most discharges it counts, its
// answer, the voltages its discharges passed through ([[n, voltage], ...],
// which the count kept on its way) and the bound that gave an answer without
// running ('ratio', 'doubles' or ''). Every number shown is rounded to the
// digits that tell it from its neighbours.
'use strict';

const lesson = ((formula, language) => {
  const { fill } = language;

  // A number as the program reads it: full stop, e-notation for the very
  // small and the very large, and the fewest digits that give it back.
  function number(x) {
    if (!Number.isFinite(x)) return { Infinity: 'inf', '-Infinity': '-inf' }[x] || 'nan';
    const far = x !== 0 && (Math.abs(x) < 1e-3 || Math.abs(x) >= 1e6);
    return far ? x.toExponential().replace('e+', 'e') : String(x);
  }

  // A count, its digits in groups of three with no-break spaces: 2 147 483 647.
  const grouped = (n) => String(n).replace(/\B(?=(\d{3})+(?!\d))/g, '\u00a0');

  // x to `digits` significant digits, as a person rounds its decimal (to 15
  // digits, where the double's last bits lie): 3.125e-6 to 3.13e-6, where
  // the nearest double, a little below, would round down.
  function round(x, digits) {
    if (!Number.isFinite(x) || x === 0) return x;
    const [mantissa, exponent] = Math.abs(x).toExponential(14).split('e');
    let kept = BigInt(mantissa.replace('.', '').slice(0, digits));
    if (mantissa.replace('.', '')[digits] >= '5') kept += 1n;
    return Math.sign(x) * Number(`${kept}e${Number(exponent) - digits + 1}`);
  }

  // The fewest significant digits, three at least, that tell each number of
  // a column from the next where they differ.
  function digitsApart(column) {
    const rounded = (digits) => column.map((x) => round(x, digits));
    for (let digits = 3; digits < 17; digits += 1) {
      const shown = rounded(digits);
      if (shown.every((x, i) => i === 0 || Object.is(x, shown[i - 1]) === Object.is(column[i], column[i - 1]))) {
        return digits;
      }
    }
    return 17;
  }
  // `against`, where given, is a number every one of the column must be told
  // from too, and stay on its side of: the final voltage.
  const apart = (column, against = null) => {
    const digits = Math.max(digitsApart(column), against === null ? 0 : digitsApart(column.flatMap((x) => [x, against])));
    return column.map((x) => number(round(x, digits)));
  };
  // One number, with the digits that tell it from a neighbour.
  const beside = (x, neighbour) => apart([x, neighbour])[0];

  // A column with an SI prefix on each number, from pico to tera, and the unit.
  const prefixes = ['p', 'n', 'µ', 'm', '', 'k', 'M', 'G', 'T'];
  function si(column, unit) {
    const digits = digitsApart(column);
    return column.map((x) => {
      if (x === null) return '';
      const step = x === 0 || !Number.isFinite(x) ? 4 : Math.floor(Math.log10(Math.abs(x)) / 3) + 4;
      if (step < 0 || step >= prefixes.length) return `${number(round(x, digits))} ${unit}`;
      return `${number(round(x / 1000 ** (step - 4), digits))} ${prefixes[step]}${unit}`;
    });
  }

  // The start and every discharge the count kept, with the voltage before
  // each where it is known.
  const points = ({ values: [, , v1], answer }) => [[0, v1], ...answer.samples];
  const physical = ([c1, c2]) => c1 > 0 && c2 > 0 && Number.isFinite(c1) && Number.isFinite(c2);

  // Each point's n, voltage, charge and energy, and where the voltage before
  // it is known and the capacitances are real ones, the energy lost in its
  // transfer, 1/2 · C1 · C2 / (C1 + C2) · V_before^2, and thrown away as
  // capacitor 2 is emptied, 1/2 · C2 · V^2.
  function quantities(run) {
    const [c1, c2] = run.values;
    const energy = physical(run.values);
    return points(run).map(([n, v], i, all) => {
      const before = i > 0 && all[i - 1][0] === n - 1 ? all[i - 1][1] : null;
      const known = energy && before !== null;
      return { n, v, q: c1 * v, w: 0.5 * c1 * v * v,
        lost: known ? 0.5 * ((c1 * c2) / (c1 + c2)) * before * before : null, thrown: known ? 0.5 * c2 * v * v : null };
    });
  }

  // The rows of the table: the start and the first discharges, and those
  // around the end, with null for the row of dots between where discharges
  // are left out; each n, V1, Q1 and W1, and the energy lost and thrown away.
  function rows(run, first = 6, last = 3) {
    const all = quantities(run);
    const shown = all.length <= first + last + 1 ? all : [...all.slice(0, first), null, ...all.slice(-last)];
    const kept = shown.filter(Boolean);
    const column = (name) => kept.map((row) => row[name]);
    const columns = [apart(column('v'), run.values[3]), si(column('q'), 'C'), si(column('w'), 'J'), si(column('lost'), 'J'),
      si(column('thrown'), 'J')];
    const energy = physical(run.values);
    let row = -1;
    return shown.map((sample) => {
      if (sample === null) return null;
      row += 1;
      const cells = [grouped(sample.n), ...columns.map((texts) => texts[row])];
      return energy ? cells : cells.slice(0, 4);
    });
  }

  // Every point the panel has, as a table for a spreadsheet: a header row,
  // then n, V1, Q1, W1, lost and thrown with a decimal comma, the columns
  // separated by `separator`: each voltage in full, and what is worked out
  // from it to 15 digits, which its own rounding does not reach.
  function table(run, texts, separator) {
    const cell = (x, i) => (x === null ? '' : number(i === 0 ? x : round(x, 15)).replace('.', ','));
    const header = [['n', ''], [texts.voltage, ''], [texts.charge, 'C'], [texts.energyLeft, 'J'],
      [texts.energyLost, 'J'], [texts.energyThrown, 'J']].map(([name, unit]) => (unit ? `${name} [${unit}]` : name));
    const lines = quantities(run).map(({ n, v, q, w, lost, thrown }) => [String(n), ...[v, q, w, lost, thrown]
      .map(cell)]);
    return [header, ...lines].map((line) => line.join(separator)).join('\r\n').concat('\r\n');
  }
  const csv = (run, texts) => `\ufeff${table(run, texts, ';')}`;
  const tsv = (run, texts) => table(run, texts, '\t');

  // Where the energy of capacitor 1 went after the last discharge counted,
  // or null where the capacitances are no real ones or nothing was counted:
  // summed over the discharges where all are known, and otherwise split as
  // each discharge splits it, lost : thrown = (C1 + C2) : C1.
  function energy(run) {
    const [c1, c2, v1] = run.values;
    const all = quantities(run);
    const last = all[all.length - 1];
    if (!physical(run.values) || run.answer.proof || last.n === 0) return null;
    const start = 0.5 * c1 * v1 * v1;
    if (all.every((point, i) => point.n === i)) {
      const sum = (name) => all.slice(1).reduce((total, point) => total + point[name], 0);
      return { n: last.n, start, lost: sum('lost'), thrown: sum('thrown'), left: last.w };
    }
    const gone = start - last.w;
    return { n: last.n, start, lost: (gone * (c1 + c2)) / (2 * c1 + c2), thrown: (gone * c1) / (2 * c1 + c2),
      left: last.w };
  }

  const answerText = ({ kind, count }, texts) => ({ fell: grouped(count), never: texts.never,
    over: `over ${grouped(count)}` })[kind];

  // The steps between the doubles around x: the gap above |x|.
  function step(x) {
    const bits = new DataView(new ArrayBuffer(8));
    bits.setFloat64(0, Math.abs(x));
    bits.setBigUint64(0, bits.getBigUint64(0) + 1n);
    return bits.getFloat64(0) - Math.abs(x);
  }

  // Why the voltage never falls below vend, from the last voltages.
  function never(run, r, texts) {
    const [, , , vend] = run.values;
    if (r < -1) return [texts.flipsGrowing];
    if (r < 0) return [texts.flips];
    if (r > 1) return [texts.grows];
    const all = points(run);
    const v = all[all.length - 1][1];
    let first = all.length - 1;
    while (first > 0 && all[first - 1][1] === v && all[first - 1][0] === all[first][0] - 1) first -= 1;
    const said = { v: number(v), n: grouped(Math.max(1, all[first][0])), vend: number(vend), r: beside(r, 1) };
    const sentences = [fill(v === vend ? texts.staysEqual : texts.stays, said)];
    if (Math.abs(v) === Number.MIN_VALUE) sentences.push(fill(texts.smallest, said));
    return sentences;
  }

  // The sentences beside the chart: the factor, C2 lost in the rounding of
  // the sum, the formula beside the count, and where they part, or why the
  // program stops counting, or why the voltage never falls; then where the
  // energy goes.
  function explain(run, texts) {
    const { values, answer, limit } = run;
    const [c1, c2, , vend] = values;
    const r = formula.ratio(c1, c2);
    const sentences = [fill(texts.factor, { r: beside(r, 1) })];
    if (c2 !== 0 && c1 + c2 === c1) {
      sentences.push(fill(texts.vanishes, { c1: number(c1), c2: number(c2), step: apart([step(c1)])[0] }));
    }
    const nf = formula.count(values);
    const np = answerText(answer, texts);
    if (nf === null) sentences.push(fill(texts.formulaNever, { np }));
    else sentences.push(fill(texts.formula, { nf: nf > 2 ** 53 ? `≈ ${nf.toPrecision(3)}` : `= ${grouped(nf)}`, np }));
    if (answer.kind === 'fell' && nf !== null && nf !== answer.count) {
      const n = Math.min(nf, answer.count);
      const sample = answer.samples.find(([at]) => at === n);
      if (sample) {
        const [vp, vf] = apart([sample[1], formula.voltage(values, n)], vend);
        sentences.push(fill(texts.parting, { n: grouped(n), vp, vf }));
      }
    }
    if (answer.kind === 'over') {
      const v = points(run)[points(run).length - 1][1];
      const why = { ratio: texts.overRatio, doubles: texts.overDoubles }[answer.proof] || texts.overCounted;
      sentences.push(`${fill(texts.limit, { limit: grouped(limit) })} ${fill(why, { v: beside(v, vend) })}`);
    }
    if (answer.kind === 'never') sentences.push(...never(run, r, texts));
    if (physical(values)) sentences.push(fill(texts.energy, { share: beside(c2 / (c1 + c2), 1) }));
    const sums = energy(run);
    if (sums) {
      const [start, lost, thrown, left] = si([sums.start, sums.lost, sums.thrown, sums.left], 'J');
      sentences.push(fill(texts.energySums, { n: grouped(sums.n), start, lost, thrown, left }));
    }
    return sentences;
  }

  // The heading of a printed worksheet: the four values and the date.
  function worksheet({ values: [c1, c2, v1, vend], date }, texts) {
    const [f1, f2] = si([c1, c2], 'F');
    const day = new Date(date);
    const two = (n) => String(n).padStart(2, '0');
    return fill(texts.worksheet, { c1: f1, c2: f2, v1: `${number(v1)} V`, vend: `${number(vend)} V`,
      date: `${two(day.getDate())}.${two(day.getMonth() + 1)}.${day.getFullYear()}` });
  }

  // The address of a run's values, to share: `page` with #verdier=c1,c2,v1,vend.
  const shareAddress = (page, values) => `${page.split('#')[0]}#verdier=${values.map(number).join(',')}`;

  // The values an address asks for, as the student would type them, or null.
  function sharedValues(hash) {
    const found = /^#verdier=([^&]*)$/.exec(hash || '');
    if (!found) return null;
    let values;
    try {
      values = decodeURIComponent(found[1]).split(',');
    } catch (error) {
      return null;  // a link cut off inside an escape: no run, the page starts as usual
    }
    return values.length === 4 ? values : null;
  }

  return { number, grouped, apart, beside, si, points, rows, csv, tsv, energy, explain, answerText, worksheet,
    shareAddress, sharedValues };
})(typeof formula === 'undefined' ? require('./formula.js').formula : formula,
  typeof language === 'undefined' ? require('./language.js').language : language);

if (typeof module !== 'undefined') module.exports = { lesson };
