// Drives the page in a browser, as a user would:
// - transcripts: every transcript typed as keystrokes into the single file,
//   opened from file://;
// - scenarios: the runs of scenarios.json there;
// - site: the site and the single file served from 127.0.0.1 (serve.mjs):
//   the transcripts into the site under the strict policy, both in frames as
//   a learning platform shows them, the alert where a policy stops the
//   program, and, where the browser keeps service workers, the site offline
//   and its next version taking over.
//   node browser_test.mjs chrome|firefox|webkit EXECUTABLE WEB_BUILD TRANSCRIPTS_DIR WHAT [WEBKITWEBDRIVER]
// WEB_BUILD holds kondensator.html, site/ and site-next/, the site of a later version.
import fs from 'node:fs';
import { createRequire } from 'node:module';
import path from 'node:path';
import { fileURLToPath, pathToFileURL } from 'node:url';

import { inPage, launch } from './drivers.mjs';
import { serve } from './serve.mjs';

const [browserName, executablePath, webBuild, transcriptsDir, what, webDriverPath] = process.argv.slice(2);
const here = path.dirname(fileURLToPath(import.meta.url));
const singleFile = path.resolve(webBuild, 'kondensator.html');
const fileUrl = pathToFileURL(singleFile).href;
const axeSource = fs.readFileSync(createRequire(import.meta.url).resolve('axe-core/axe.min.js'), 'utf8');
const timeout = 60000;
const sleep = (ms) => new Promise((resolve) => { setTimeout(resolve, ms); });

// The text as pieces to type as keys and pieces to paste: a line with a
// control character other than its line feed (a tab, a carriage return)
// cannot be typed into the page's line, where Tab moves the focus, so it is
// pasted whole, line feed and all.
function splitForTyping(text) {
  const pieces = [];
  for (const line of text.match(/[^\n]*\n|[^\n]+$/g) || []) {
    const typeable = !/[\x00-\x09\x0b-\x1f\x7f]/.test(line);
    const last = pieces[pieces.length - 1];
    if (typeable && last && last.keys !== undefined) last.keys += line;
    else pieces.push(typeable ? { keys: line } : { paste: line });
  }
  return pieces;
}

// The text of a paste step: parts joined, a part a text or [text, times].
function expandPaste(parts) {
  return parts.map((part) => (Array.isArray(part) ? part[0].repeat(part[1]) : part)).join('');
}

class Run {
  constructor(page, context = page) {
    this.page = page;
    this.context = context;  // the page, or the frame the program is in
    this.typed = '';  // what the steps typed and pasted, as the console should show it
  }

  evaluate(...args) { return this.context.evaluate(...args); }
  output() { return this.evaluate(inPage.text, 'ut'); }
  shownTyped() { return this.evaluate(inPage.text, 'inn'); }
  ended() { return this.evaluate(inPage.status, 'avsluttet').then((text) => text !== ''); }

  async type(text) {
    for (const piece of splitForTyping(text)) {
      if (piece.paste) await this.evaluate(inPage.paste, piece.paste);
      else await this.page.keyboard.type(piece.keys);  // a line feed is Enter
    }
    this.typed += text;
  }

  async paste(text) {
    await this.evaluate(inPage.paste, text);
    this.typed += text;
  }

  async ctrl(letter) {
    await this.page.keyboard.down('Control');
    await this.page.keyboard.press(letter);
    await this.page.keyboard.up('Control');
  }

  async awaitOutput(end) {
    await this.context.waitForFunction((e) => [...document.querySelectorAll('#konsoll > .ut')]
      .map((x) => x.textContent).join('').endsWith(e), { polling: 20, timeout }, end);
  }

  async awaitStatus(id, text, within = timeout) {
    await this.context.waitForFunction((i, t) => document.getElementById(i).textContent === t,
      { polling: 20, timeout: within }, id, text);
  }

  // In the light and the dark colours where the browser lets the driver
  // choose (Chromium), and otherwise in those the browser has.
  async axe(when) {
    if (!(await this.evaluate(() => 'axe' in window))) await this.page.addScriptTag({ content: axeSource });
    for (const scheme of browserName === 'chrome' ? ['light', 'dark'] : ['default']) {
      if (scheme !== 'default') await this.page.emulateMediaFeatures([{ name: 'prefers-color-scheme', value: scheme }]);
      const violations = await this.evaluate(inPage.axe);
      if (violations.length > 0) throw new Error(`axe-core ${when}, ${scheme}:\n  ${violations.join('\n  ')}`);
    }
    if (browserName === 'chrome') await this.page.emulateMediaFeatures([]);
  }

  // The line's description in the accessibility tree where the driver reads
  // it (Chromium), and otherwise as aria-describedby gives it.
  async description() {
    if (browserName !== 'chrome') return this.evaluate(inPage.description);
    const line = await this.page.$('#linje');
    const node = await this.page.accessibility.snapshot({ root: line, interestingOnly: false });
    return node.description;
  }
}

async function runTranscript(run, name) {
  const input = fs.readFileSync(path.join(transcriptsDir, `${name}.in`), 'latin1');
  const expected = fs.readFileSync(path.join(transcriptsDir, `${name}.out`), 'utf8');
  // A byte that is not UTF-8 cannot be typed; the transcripts hold none.
  await run.type(Buffer.from(input, 'latin1').toString('utf8'));
  if (!input.endsWith('\n') && input !== '' && !(await run.ended())) await run.ctrl('d');
  if (!(await run.ended())) await run.ctrl('d');
  await run.awaitStatus('avsluttet', 'Programmet er avsluttet.');
  // The panel's voltages are worked out after the end: until Avbryt goes.
  await run.context.waitForFunction(() => document.getElementById('avbryt').hidden, { polling: 20, timeout });
  const output = await run.output();
  if (output !== expected) throw new Error(`output ${JSON.stringify(output)}, expected ${JSON.stringify(expected)}`);
  // Keys typed after the program ended go nowhere.
  const shown = await run.shownTyped();
  if (!run.typed.startsWith(shown)) throw new Error(`shows ${JSON.stringify(shown)} as typed`);
}

const fail = (message) => { throw new Error(message); };
const same = async (actual, expected, what) => {
  const value = await actual;
  if (value !== expected) fail(`${what} ${JSON.stringify(value)}, not ${JSON.stringify(expected)}`);
};

// What each step of scenarios.json does with its value.
const stepActions = {
  type: (run, text) => run.type(text),
  paste: (run, parts) => run.paste(expandPaste(parts)),
  ctrl_d: (run) => run.ctrl('d'),
  ctrl_c: (run) => run.ctrl('c'),
  click: (run, id) => run.page.click(/^[a-z]/.test(id) ? `#${id}` : id),
  tab_enter: async (run) => {
    await run.page.keyboard.press('Tab');
    await run.page.keyboard.press('Enter');
    run.typed = '';
  },
  await_output: (run, end) => run.awaitOutput(run.expand(end)),
  await_status: (run, [id, text]) => run.awaitStatus(id, text),
  expect_running: async (run, ms) => {
    await sleep(ms);
    if (await run.ended()) fail('the program ended without waiting');
  },
  expect_output: (run, text) => same(run.output(), run.expand(text), 'output'),
  expect_focus: (run, id) => same(run.evaluate(inPage.focus), id, 'the focus is on'),
  axe: (run, when) => run.axe(when),
  // A key at the closing wait, or "tap", a tap in the console, once the page
  // waits for it: shown nowhere.
  key: async (run, name) => {
    await run.context.waitForFunction(inPage.waitsForKey, { polling: 20, timeout });
    await (name === 'tap' ? run.page.click('#konsoll') : run.page.keyboard.press(name));
  },
  expect_console: (run, text) => same(run.evaluate(inPage.console), text, 'the console reads'),
  await_panel: (run) => run.context.waitForFunction(inPage.panelShown, { polling: 50, timeout }),
  expect_table: (run, voltages) => same(run.evaluate(inPage.tableVoltages), voltages.join(' | '), 'the table has'),
  expect_text: (run, [id, text]) => same(run.evaluate(inPage.status, id), text, `#${id} says`),
  expect_progress: async (run, how) => {
    const [value, max] = await run.evaluate(inPage.progress);
    if (how === 'full') return value === max && max > 0 ? null : fail(`the progress bar stands at ${value} of ${max}`);
    await sleep(1500);
    const [later] = await run.evaluate(inPage.progress);
    return later > value ? null : fail(`the progress bar stays at ${value}`);
  },
  expect_min_size: (run, [id, pixels]) => run.evaluate(inPage.size, id)
    .then((size) => (size >= pixels ? null : fail(`${id} is ${size} px across, less than ${pixels}`))),
  expect_language: (run, [lang, id, text]) => same(run.evaluate((i) => [document.documentElement.lang,
    document.getElementById(i).textContent].join(' '), id), `${lang} ${text}`, 'the page shows'),
  time_stop: (run, text) => run.evaluate(inPage.timeStop, text),
  expect_stop_within: async (run, ms) => {
    const elapsed = await run.evaluate(() => window.stopTime);
    if (elapsed > ms) fail(`stopped after ${elapsed} ms`);
  },
  expect_in_view: (run, ids) => same(run.evaluate(inPage.outOfView, ids).then((out) => out.join()), '', 'out of view:'),
  // Once the program waits for the line, as a user finds it: a selection
  // made before the page has heard so would race the page's last changes.
  select_prompt: async (run) => {
    await run.context.waitForFunction(inPage.lineWaits, { polling: 20, timeout });
    await run.evaluate(inPage.selectPrompt);
  },
  watch_text: (run) => run.evaluate(inPage.watchText),
  expect_no_text_changes: (run) => same(run.evaluate(() => window.textChanges.join('; ')), '',
    'text changed in nodes already shown:'),
  expect_description: (run, text) => same(run.description(), text, 'the line is described as'),
  text_spacing: (run) => run.evaluate(inPage.textSpacing),
  expect_line_fits: (run) => same(run.evaluate(inPage.lineFits), true, 'the line shows all its text:'),
  dispatch: (run, events) => run.evaluate(inPage.dispatch, events),
  devtools: async (run, commands) => {
    const session = await run.page.createCDPSession();
    for (const [method, parameters] of commands) await session.send(method, parameters);
    await session.detach();
  },
};

async function runScenario(page, scenario, prompts) {
  // A new document, also where only the address's fragment differs.
  if (scenario.address) await page.goto('about:blank');
  await page.goto(fileUrl + (scenario.address || ''));
  const run = new Run(page);
  run.expand = (text) => text.replace('@prompts@', prompts);
  for (const step of scenario.steps) {
    if ((step.only && !step.only.includes(browserName)) || (step.except && step.except.includes(browserName))) continue;
    if (!('type' in step) && !('paste' in step)) run.typed += step.typed || '';
    const name = Object.keys(step).find((key) => key in stepActions) || fail(`unknown step ${JSON.stringify(step)}`);
    await stepActions[name](run, step[name]);
  }
  await same(run.shownTyped(), run.typed, 'shown as typed:');
  return 'ok';
}

// The site and the single file on a web server.
async function siteRuns(browser, page) {
  const server = await serve(path.resolve(webBuild));
  const runs = [];
  const transcript = 'typical_session';
  const start = async (url) => {
    await page.goto(url);
    return new Run(page);
  };
  // The program in a frame of a page, as a learning platform shows it; the
  // line gets the focus with a click. Where an engine cannot start the
  // program there, the alert must say so within 2 s, and offer the page in
  // a new tab.
  const inFrame = async (src, sandbox) => {
    await page.goto(server.frame(src, sandbox));
    const frame = browserName === 'webkit' ? await page.firstFrame()
      : await (await page.waitForSelector('iframe')).contentFrame();
    await frame.waitForFunction(() => document.getElementById('terminal') && !document.getElementById('terminal').hidden
      || (!document.getElementById('feil').hidden
        && getComputedStyle(document.getElementById('feil')).visibility === 'visible'), { polling: 20, timeout: 2000 });
    if (await frame.evaluate(inPage.shown, 'feil')) {
      const link = await frame.evaluate(inPage.newTabLink);
      if (!link || link[0].split('#')[0] !== src || link[1] !== '_blank' || link[2] !== 'noopener') {
        fail(`the alert offers no new tab for ${src}: ${JSON.stringify(link)}`);
      }
      return 'the alert, with a new tab';
    }
    await frame.click('#konsoll');
    await runTranscript(new Run(page, frame), transcript);
    return 'a transcript';
  };
  const alertWithin2s = async (url) => {
    const run = await start(url);
    await run.context.waitForFunction(() => !document.getElementById('feil').hidden
      && getComputedStyle(document.getElementById('feil')).visibility === 'visible', { polling: 20, timeout: 2000 });
    await sleep(600);  // longer than the page takes to say "Regner ..."
    if (await run.evaluate(inPage.shown, 'linje') || await run.evaluate(inPage.status, 'regner') !== '') {
      fail('the page shows the line or says that it computes');
    }
  };

  for (const file of fs.readdirSync(transcriptsDir).filter((f) => f.endsWith('.in')).sort()) {
    runs.push([`site, strict policy: transcript ${file.slice(0, -3)}`,
      async () => runTranscript(await start(server.url('strict', 'site/')), file.slice(0, -3))]);
  }
  for (const [name, src, blocked] of [['the single file', server.url('none', 'kondensator.html')],
    ['the site', server.url('strict', 'site/')],
    ['the single file under the strict policy', server.url('strict', 'kondensator.html'), true]]) {
    // Where the program cannot start, the browser reports why, as a page error.
    runs.push([`${name} in a sandboxed frame`, () => inFrame(src, 'allow-scripts'), { errorsExpected: true }]);
    runs.push([`${name} in a frame`, () => inFrame(src), { errorsExpected: Boolean(blocked) }]);
  }
  // Its scripts inline, the single file cannot run under the strict policy:
  // without a script it still says so.
  for (const [policy, what] of [['strict', 'strict policy'], ['inline', 'no worker from a blob'],
    ['nowasm', 'no WebAssembly']]) {
    runs.push([`the single file, ${what}: the alert`, () => alertWithin2s(server.url(policy, 'kondensator.html')),
      { errorsExpected: true }]);
  }
  if (browserName === 'chrome') {
    runs.push(['without JavaScript: the noscript text', async () => {
      await page.setJavaScriptEnabled(false);
      await page.goto(server.url('strict', 'site/'));
      const text = await page.evaluate(() => document.body.innerText);
      await page.setJavaScriptEnabled(true);
      if (!text.includes('Siden trenger JavaScript for å kjøre programmet.') || text.includes('kunne ikke starte')) {
        fail(`the page says: ${text}`);
      }
    }]);
  }
  // The site, loaded with its service worker in control.
  const controlled = async () => {
    await page.goto(server.url('strict', 'site/'));
    await page.waitForFunction(() => navigator.serviceWorker.controller !== null, { polling: 50, timeout });
  };
  if (browserName !== 'webkit') {
    runs.push(['offline: the site loads and runs from its cache', async () => {
      await controlled();
      server.setOffline(true);
      try {
        await page.reload();
        await runTranscript(new Run(page), transcript);
      } finally {
        server.setOffline(false);
      }
    }]);
    runs.push(['a page left open runs its own version when the next arrives, and the next load shows it', async () => {
      const footer = () => page.evaluate(() => document.querySelector('footer').textContent);
      const next = fs.readFileSync(path.join(webBuild, 'site-next', 'index.html'), 'utf8')
        .match(/<meta name="version" content="([^"]+)">/)[1];
      await controlled();
      const own = await footer();
      server.publish('site', path.resolve(webBuild, 'site-next'));
      try {
        await page.evaluate(() => document.dispatchEvent(new Event('visibilitychange')));
        await page.waitForFunction(() => !document.getElementById('ny').hidden, { polling: 50, timeout });
        // A new run is the page's own version: a worker of another would be refused.
        await runTranscript(new Run(page), transcript);
        await page.click('#igjen');
        await runTranscript(new Run(page), transcript);
        if (await footer() !== own) fail(`the open page now shows ${await footer()}`);
        await page.click('#last-inn');
        await page.waitForFunction((v) => document.querySelector('footer').textContent.includes(v)
          && document.querySelector('#konsoll > .ut') !== null, { polling: 50, timeout }, next);
        await runTranscript(new Run(page), transcript);
      } finally {
        server.publish('site', path.resolve(webBuild, 'site'));
        await page.evaluate(() => navigator.serviceWorker.getRegistrations()
          .then((all) => Promise.all(all.map((r) => r.unregister()))));
      }
    }]);
  }
  if (browserName === 'chrome') {
    runs.push(['installable, with no errors', async () => {
      await page.goto(server.url('strict', 'site/'));
      const session = await page.createCDPSession();
      const { installabilityErrors } = await session.send('Page.getInstallabilityErrors');
      await session.detach();
      if (installabilityErrors.length > 0) fail(JSON.stringify(installabilityErrors));
    }]);
  }
  return { runs, close: () => server.close() };
}

const browser = await launch(browserName, executablePath, webDriverPath);
let failures = 0;
let closing = null;
let errorsExpected = false;
try {
  const page = await browser.newPage();
  page.on('pageerror', (error) => {
    console.log(`page error${errorsExpected ? ', as expected' : ''}: ${error.message}`);
    if (!errorsExpected) failures += 1;
  });
  let runs = [];
  if (what === 'transcripts') {
    for (const file of fs.readdirSync(transcriptsDir).filter((f) => f.endsWith('.in')).sort()) {
      const name = file.slice(0, -3);
      runs.push([`transcript ${name}`, async () => {
        await page.goto(fileUrl);
        await runTranscript(new Run(page), name);
      }]);
    }
  } else if (what === 'scenarios') {
    const { prompts, scenarios } = JSON.parse(fs.readFileSync(path.join(here, 'scenarios.json'), 'utf8'));
    for (const scenario of scenarios) {
      for (const [width, height] of scenario.viewports || [[1280, 800]]) {
        runs.push([`${scenario.name} (${width}x${height})`, async () => {
          if (!scenario.languages) {
            await page.setViewport({ width, height });
            return runScenario(page, scenario, prompts);
          }
          // A reader whose browser lists other languages: a browser of its own.
          const other = await launch(browserName, executablePath, webDriverPath, scenario.languages);
          try {
            return await runScenario(await other.newPage(), scenario, prompts);
          } finally {
            await other.close();
          }
        }]);
      }
    }
  } else {
    const site = await siteRuns(browser, page);
    runs = site.runs;
    closing = site.close;
  }
  for (const [name, body, options = {}] of runs) {
    errorsExpected = Boolean(options.errorsExpected);
    try {
      const result = await body();
      console.log(`ok: ${name}${typeof result === 'string' && result !== 'ok' ? `: ${result}` : ''}`);
    } catch (error) {
      failures += 1;
      console.log(`FAILED: ${name}: ${error.message}`);
    }
    await sleep(errorsExpected ? 200 : 0);  // for the errors of the run to come in while they are expected
  }
} finally {
  await browser.close();
  if (closing) await closing();
}
process.exit(failures === 0 ? 0 : 1);
