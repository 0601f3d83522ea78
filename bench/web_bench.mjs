// The web build against the native program, side by side in one run: the
// benchmark's decay input (10^8 discharges) counted by the web build's loop
// under node and in headless Chromium, against the native plain loop of the
// benchmark, and the subnormal decay against the decay; the count as the
// page's program makes it, keeping the voltages its panel shows on the way,
// against the count alone, in the same module; then the page's size and the
// time to its first prompt.
//   node bench/web_bench.mjs build/bench/discharge_bench build-web [chromium]
// (build-web after `cmake --build build-web --target web_bench`.)
import { execFileSync } from 'node:child_process';
import fs from 'node:fs';
import { createRequire } from 'node:module';
import os from 'node:os';
import path from 'node:path';
import { pathToFileURL } from 'node:url';

const [nativeBench, webBuild, chromium] = process.argv.slice(2);
const require = createRequire(import.meta.url);
const decay = { c1: 1, c2: 1e-8, v1: 2.718281828, vend: 1, discharges: 100000002 };
const subnormal = { c1: 1, c2: 1e-8, v1: 2e-308, vend: 7.357588823428847e-309, discharges: 100000001 };
const runs = 5;

const median = (values) => [...values].sort((a, b) => a - b)[Math.floor(values.length / 2)];

function nativeNsPerStep() {
  const out = path.join(fs.mkdtempSync(path.join(os.tmpdir(), 'web-bench-')), 'native.json');
  execFileSync(nativeBench, ['--benchmark_filter=^plain/decay/', `--benchmark_out=${out}`, '--benchmark_out_format=json'],
    { stdio: 'ignore' });
  const run = JSON.parse(fs.readFileSync(out, 'utf8')).benchmarks.find((b) => b.aggregate_name === 'median');
  fs.rmSync(path.dirname(out), { recursive: true });
  return (run.real_time * 1e6) / decay.discharges;  // the benchmark reports milliseconds
}

// Runs in node and, as a string, in the browser: times `runs` counts, or,
// with `keep`, alternately the count alone and the count that keeps the
// voltages the panel shows.
async function timeInModule(createWebBench, input, runs, keep = false) {
  const module = await createWebBench();
  const times = [];
  const kept = [];
  for (let i = 0; i < runs; i += 1) {
    let start = performance.now();
    const count = module._web_bench_count(input.c1, input.c2, input.v1, input.vend);
    times.push(performance.now() - start);
    if (count !== input.discharges) throw new Error(`counted ${count}`);
    if (!keep) continue;
    start = performance.now();
    if (module._web_bench_count_and_keep(input.c1, input.c2, input.v1, input.vend) < 400) throw new Error('few kept');
    kept.push(performance.now() - start);
  }
  return keep ? [times, kept] : times;
}

function reportKeeping(where, [counts, kept]) {
  console.log(`web build ${where}, the decay counted as the page's program counts it, keeping the panel's voltages: `
    + `${(median(kept) / median(counts)).toFixed(3)} x the count alone (ms, alone then keeping: ${
      counts.map((t, i) => `${t.toFixed(0)}/${kept[i].toFixed(0)}`).join(' ')})`);
}

const benchScript = fs.readFileSync(path.join(webBuild, 'web_bench.js'), 'utf8');
const native = nativeNsPerStep();
const createWebBench = require(path.resolve(webBuild, 'web_bench.js'));
console.log(`native plain loop, decay: ${native.toFixed(3)} ns a discharge`);

// The times of each run, and the decay against the native loop and the
// subnormal decay against the decay.
function report(where, decayTimes, subnormalTimes) {
  const ns = (times, input) => (median(times) * 1e6) / input.discharges;
  const decayNs = ns(decayTimes, decay);
  console.log(`web build ${where}, decay: ${decayNs.toFixed(3)} ns, ${(decayNs / native).toFixed(3)} x native;`
    + ` subnormal decay: ${(ns(subnormalTimes, subnormal) / decayNs).toFixed(3)} x the decay`);
  console.log(`  each run, ms: ${decayTimes.map((t) => t.toFixed(0)).join(' ')};`
    + ` subnormal: ${subnormalTimes.map((t) => t.toFixed(0)).join(' ')}`);
}

report(`under node ${process.version}`, await timeInModule(createWebBench, decay, runs),
  await timeInModule(createWebBench, subnormal, runs));
reportKeeping(`under node ${process.version}`, await timeInModule(createWebBench, decay, runs, true));

if (chromium) {
  const puppeteer = require('puppeteer-core');
  const browser = await puppeteer.launch({
    browser: 'chrome', executablePath: chromium, headless: true,
    args: ['--no-sandbox', '--disable-gpu', '--no-first-run', '--disable-background-networking',
      '--disable-component-update', '--disable-sync'],
  });
  try {
    const page = await browser.newPage();
    await page.goto('about:blank');
    await page.addScriptTag({ content: benchScript });
    // Chromium's own processes keep both cores busy for a second or so after
    // it starts; a page is used later than that.
    await new Promise((resolve) => { setTimeout(resolve, 3000); });
    const inPage = (input) => page.evaluate(`(${timeInModule})(createWebBench, ${JSON.stringify(input)}, ${runs})`);
    report('in Chromium', await inPage(decay), await inPage(subnormal));
    reportKeeping('in Chromium', await page.evaluate(
      `(${timeInModule})(createWebBench, ${JSON.stringify(decay)}, ${runs}, true)`));

    const pageFile = path.resolve(webBuild, 'kondensator.html');
    const firstPrompt = [];
    for (let i = 0; i < runs; i += 1) {
      const start = Date.now();
      await page.goto(pathToFileURL(pageFile).href);
      await page.waitForFunction(() => document.querySelector('#konsoll > .ut') !== null, { polling: 5 });
      firstPrompt.push(Date.now() - start);
    }
    console.log(`kondensator.html: ${fs.statSync(pageFile).size} bytes; first prompt after ${median(firstPrompt)} ms`
      + ` in Chromium (median of ${firstPrompt.join(' ')})`);
  } finally {
    await browser.close();
  }
}
