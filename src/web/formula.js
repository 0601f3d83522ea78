// The class's model beside the program: V_n = V_0 · (C1 / (C1 + C2))^n, in
// real numbers as far as doubles go, as on paper: where C1 + C2 rounds to C1
// in the program, the ratio on paper still lies below 1. The page shows its
// count beside the program's, and the program keeps the voltages around it.
'use strict';

const formula = (() => {
  // C1 / (C1 + C2), without the overflow of the sum where both are huge.
  const ratio = (c1, c2) => 1 / (1 + c2 / c1);

  // ln |C1 / (C1 + C2)|, to full precision also where the ratio lies within
  // rounding of 1 (or of -1).
  function logRatio(c1, c2) {
    const x = c2 / c1;
    return x > -1 ? -Math.log1p(x) : -Math.log1p(-2 - x);
  }

  // The fewest k >= 0 with w * q^k < vend, 0 < q, or null where there is none;
  // lnQ is ln q to full precision.
  function firstBelow(w, q, lnQ, vend) {
    if (w < vend) return 0;
    const approaches = lnQ < 0 ? w > 0 && vend > 0 : lnQ > 0 && w < 0;
    if (!approaches || w === 0) return null;
    let k = Math.max(0, Math.floor(Math.log(vend / w) / lnQ) + 1);
    // Put right where the logarithms rounded across the edge, a few steps at
    // most, as far as q^k in doubles can tell: not where q lies within
    // rounding of 1, where the logarithms alone are as near as it gets.
    if (Math.abs(lnQ) < 1e-12) return k;
    for (let step = 0; step < 4 && k > 0 && w * q ** (k - 1) < vend; step += 1) k -= 1;
    for (let step = 0; step < 4 && !(w * q ** k < vend); step += 1) k += 1;
    return k;
  }

  // The fewest discharges the formula needs to bring the voltage below vend,
  // or null where it never does.
  function count([c1, c2, v1, vend]) {
    const r = ratio(c1, c2);
    if (!(v1 >= vend)) return 0;
    if (!Number.isFinite(r)) return null;
    if (r === 0) return vend > 0 ? 1 : null;
    const lnR = logRatio(c1, c2);
    const later = (k, step, offset) => (k === null ? null : offset + step * k);
    if (r > 0) return later(firstBelow(v1 * r, r, lnR, vend), 1, 1);
    const odd = later(firstBelow(v1 * r, r * r, 2 * lnR, vend), 2, 1);
    const even = later(firstBelow(v1 * r * r, r * r, 2 * lnR, vend), 2, 2);
    return odd === null ? even : even === null ? odd : Math.min(odd, even);
  }

  const voltage = ([c1, c2, v1], n) => v1 * ratio(c1, c2) ** n;

  // The discharge whose voltage the page shows beside the formula's: its
  // count, within what the program counts to, or 0.
  const wanted = (values, limit) => {
    const n = count(values);
    return n === null || n > limit ? 0 : n;
  };

  return { ratio, count, voltage, wanted };
})();

if (typeof module !== 'undefined') module.exports = { formula };
