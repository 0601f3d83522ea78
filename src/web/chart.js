// The chart of a run as geometry, a plain function of the run (lesson.js
// describes it), so that it is tested without a page: the voltage after each
// discharge as steps against n, in a box of `width` x `height`, on a voltage
// axis from 0, or on demand a logarithmic one where every voltage is
// positive; the final voltage's line; the discharge that falls below it; and
// the ticks of both axes, labelled with round numbers.
'use strict';

const chart = ((lesson) => {
  // About `count` ticks over [low, high], 1, 2 or 5 times a power of ten
  // apart, from one at or below low to one at or above high.
  function linearTicks(low, high, count = 5) {
    const raw = (high - low) / count;
    const power = 10 ** Math.floor(Math.log10(raw));
    const step = [1, 2, 5, 10].map((m) => m * power).find((s) => s >= raw * (1 - 1e-12));
    const ticks = [];
    for (let k = Math.floor(low / step); ticks.length === 0 || ticks[ticks.length - 1] < high; k += 1) {
      ticks.push(Number((k * step).toPrecision(12)));
    }
    return ticks;
  }

  // The powers of ten from one at or below low to one at or above high, at
  // most `count` + 1 of them, every so many decades.
  function logTicks(low, high, count = 5) {
    const first = Math.floor(Math.log10(low));
    const last = Math.ceil(Math.log10(high));
    const every = Math.max(1, Math.ceil((last - first) / count));
    const ticks = [];
    for (let e = first; ticks.length === 0 || ticks[ticks.length - 1] < high; e += every) ticks.push(Number(`1e${e}`));
    return ticks;
  }

  function geometry(run, { logV = false, width = 320, height = 180 } = {}) {
    const { values: [, , , vend], answer } = run;
    const points = lesson.points(run).filter(([, v]) => Number.isFinite(v));
    if (points.length < 2) return null;
    const voltages = points.map(([, v]) => v);
    const canLog = voltages.every((v) => v > 0) && Math.min(...voltages) < Math.max(...voltages);
    const log = logV && canLog;
    const line = Number.isFinite(vend) && (!log || vend > 0) ? [vend] : [];
    const low = Math.min(...voltages, ...line, ...(log ? [] : [0]));
    const high = Math.max(...voltages, ...line, ...(log ? [] : [0]));
    const ticks = log ? logTicks(low, high) : linearTicks(low, high === low ? low + 1 : high);
    const scale = log ? Math.log10 : (v) => v;
    const [bottom, top] = [scale(ticks[0]), scale(ticks[ticks.length - 1])];
    const lastN = points[points.length - 1][0];
    const logN = lastN > 300;
    const round = (x) => Math.round(x * 10) / 10;
    const fx = (n) => round((logN ? Math.log10(n + 1) / Math.log10(lastN + 1) : n / lastN) * width);
    const fy = (v) => round(height - ((scale(v) - bottom) / (top - bottom)) * height);
    let path = `M${fx(points[0][0])},${fy(points[0][1])}`;
    for (const [n, v] of points.slice(1)) path += `H${fx(n)}V${fy(v)}`;
    const [n, v] = points[points.length - 1];
    // Between 0 and the last n, the powers of ten that leave room for its label.
    const nTicks = [0, ...(logN ? logTicks(10, lastN).filter((t) => fx(t) < width - 110) : []), lastN];
    return {
      path,
      log,
      canLog,
      logN,
      vend: line.length > 0 ? { y: fy(vend), label: lesson.apart([vend])[0] } : null,
      below: answer.kind === 'fell' && n === answer.count ? { x: fx(n), y: fy(v), n } : null,
      vTicks: ticks.map((t) => ({ y: fy(t), label: lesson.number(t) })),
      nTicks: nTicks.map((t) => ({ x: fx(t), label: lesson.grouped(t) })),
    };
  }

  return { geometry };
})(typeof lesson === 'undefined' ? require('./lesson.js').lesson : lesson);

if (typeof module !== 'undefined') module.exports = { chart };
