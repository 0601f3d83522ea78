// What the page shows a class of a run beside the console, as plain
// functions of the run, so that they are tested without a page. The run:
// { values: [c1, c2, v1, vend], answer: { kind: 'fell' | 'never' | 'over',
// count }, samples: [[n, voltage], ...] }, the values as the program read
// them, its answer and the voltages its own discharges passed through.
// Beside them stands the formula V_n = V_0 * (C1 / (C1 + C2))^n, the class's
// model, in real numbers as far as doubles go; the program's count is what
// the discharges one at a time give.
'use strict';

const lesson = (() => {
  // A number as the program reads it: full stop, e-notation for the very
  // small and the very large, and the fewest digits that give it back.
  function number(x) {
    if (!Number.isFinite(x)) return { Infinity: 'inf', '-Infinity': '-inf' }[x] || 'nan';
    const far = x !== 0 && (Math.abs(x) < 1e-3 || Math.abs(x) >= 1e6);
    return far ? x.toExponential().replace('e+', 'e') : String(x);
  }

  // The fewest k >= 0 with w * q^k < vend, q > 0, or null where there is none.
  function firstBelow(w, q, vend) {
    if (w < vend) return 0;
    const approaches = q < 1 ? w > 0 && vend > 0 : q > 1 && w < 0;
    if (!approaches || w === 0) return null;
    // From the logarithms, then put right where they rounded across the
    // edge; a few steps at most, as pow rounds too.
    let k = Math.max(0, Math.floor(Math.log(vend / w) / Math.log(q)) + 1);
    for (let step = 0; step < 4 && k > 0 && w * q ** (k - 1) < vend; step += 1) k -= 1;
    for (let step = 0; step < 4 && !(w * q ** k < vend); step += 1) k += 1;
    return k;
  }

  // C1 / (C1 + C2), without the overflow of the sum where both are huge.
  const ratio = (c1, c2) => 1 / (1 + c2 / c1);

  // The fewest discharges the formula needs to bring the voltage below vend,
  // or null where it never does.
  function formulaCount([c1, c2, v1, vend]) {
    const r = ratio(c1, c2);
    if (!(v1 >= vend)) return 0;
    if (!Number.isFinite(r)) return null;
    if (r === 0) return vend > 0 ? 1 : null;
    const later = (k, step, offset) => (k === null ? null : offset + step * k);
    if (r > 0) return later(firstBelow(v1 * r, r, vend), 1, 1);
    const odd = later(firstBelow(v1 * r, r * r, vend), 2, 1);
    const even = later(firstBelow(v1 * r * r, r * r, vend), 2, 2);
    return odd === null ? even : even === null ? odd : Math.min(odd, even);
  }

  const formulaVoltage = ([c1, c2, v1], n) => v1 * ratio(c1, c2) ** n;

  // A column of numbers with the fewest significant digits, three at least,
  // that tell each from the next where they differ.
  function apart(column) {
    const written = (digits) => column.map((x) => (Number.isFinite(x) ? number(Number(x.toPrecision(digits))) : number(x)));
    for (let digits = 3; digits < 17; digits += 1) {
      const shown = written(digits);
      if (shown.every((text, i) => i === 0 || (text === shown[i - 1]) === (column[i] === column[i - 1]))) return shown;
    }
    return column.map(number);
  }

  // The rows of the table: the start and the first discharges, and those
  // around the end, with a row of dots between where discharges are left out;
  // each the voltage of capacitor 1, its charge and its energy.
  function rows({ values: [c1, , v1], samples }, first = 6, last = 3) {
    const all = [[0, v1], ...samples];
    const shown = all.length <= first + last + 1 ? all : [...all.slice(0, first), null, ...all.slice(-last)];
    const kept = shown.filter(Boolean);
    const columns = [kept.map(([, v]) => v), kept.map(([, v]) => c1 * v), kept.map(([, v]) => 0.5 * c1 * v * v)]
      .map(apart);
    let row = 0;
    return shown.map((sample) => {
      if (sample === null) return null;
      row += 1;
      return [String(sample[0]), ...columns.map((column) => column[row - 1])];
    });
  }

  // Where the program's voltage and the formula's part: the first discharge
  // at which one is below vend and the other is not, with both voltages.
  function parting(run, formula) {
    const { values, answer, samples } = run;
    if (answer.kind !== 'fell' || formula === null || formula === answer.count) return null;
    const n = Math.min(formula, answer.count);
    const sample = samples.find(([at]) => at === n);
    return { n, program: sample ? sample[1] : null, formula: formulaVoltage(values, n) };
  }

  // Why the voltage never falls below vend: it stays, it grows, or it flips.
  function never({ values: [c1, c2], samples = [] }) {
    const r = ratio(c1, c2);
    if (r < 0) return { why: 'flips' };
    if (Math.abs(r) > 1) return { why: 'grows' };
    const [n, v] = samples.length > 0 ? samples[samples.length - 1] : [0, NaN];
    return { why: 'stays', n, v };
  }

  // The chart's geometry in a box of `width` x `height`: the steps of the
  // voltage against n, and the final voltage's line, on a logarithmic
  // voltage axis where the voltages span more than two decades, and a
  // logarithmic n axis beyond a few hundred discharges.
  function chart({ values: [, , v1, vend], samples }, width = 320, height = 180) {
    const points = [[0, v1], ...samples].filter(([, v]) => Number.isFinite(v));
    if (points.length < 2) return null;
    const voltages = points.map(([, v]) => v);
    const low = Math.min(...voltages, ...(Number.isFinite(vend) ? [vend] : []));
    const high = Math.max(...voltages, ...(Number.isFinite(vend) ? [vend] : []));
    const logV = low > 0 && high / low > 100;
    const lastN = points[points.length - 1][0];
    const logN = lastN > 300;
    const fx = (n) => (logN ? Math.log10(n + 1) / Math.log10(lastN + 1) : n / lastN) * width;
    const scaleV = (v) => (logV ? Math.log10(v) : v);
    const span = scaleV(high) - scaleV(low) || 1;
    const fy = (v) => height - ((scaleV(v) - scaleV(low)) / span) * height;
    const round = (x) => Math.round(x * 10) / 10;
    let path = `M${round(fx(points[0][0]))},${round(fy(points[0][1]))}`;
    for (const [n, v] of points.slice(1)) path += `H${round(fx(n))}V${round(fy(v))}`;
    return {
      path,
      vendY: Number.isFinite(vend) && vend >= low && vend <= high ? round(fy(vend)) : null,
      logV,
      logN,
      axis: { low: number(low), high: number(high), lastN: String(lastN) },
    };
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

  return { number, ratio, formulaCount, formulaVoltage, rows, parting, never, chart, shareAddress, sharedValues };
})();

if (typeof module !== 'undefined') module.exports = { lesson };
