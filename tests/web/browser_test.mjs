// Drives the page in a browser: every transcript typed as keystrokes, or the
// runs of scenarios.json. Headless Chromium and Firefox through
// puppeteer-core; WebKitGTK, the engine of Safari and of every browser on an
// iPad, through WebKitWebDriver and its MiniBrowser (run this under
// xvfb-run). The page is opened from file://, and the browser is the one
// installed, never one downloaded.
//   node browser_test.mjs chrome|firefox EXECUTABLE PAGE TRANSCRIPTS_DIR transcripts|scenarios
//   node browser_test.mjs webkit MINIBROWSER PAGE TRANSCRIPTS_DIR transcripts|scenarios WEBKITWEBDRIVER
import fs from 'node:fs';
import { createRequire } from 'node:module';
import path from 'node:path';
import { fileURLToPath, pathToFileURL } from 'node:url';
import puppeteer from 'puppeteer-core';

import { launchWebKit } from './webdriver.mjs';

const [browserName, executablePath, pagePath, transcriptsDir, what, webDriverPath] = process.argv.slice(2);
const here = path.dirname(fileURLToPath(import.meta.url));
const pageUrl = pathToFileURL(path.resolve(pagePath)).href;
const axeSource = fs.readFileSync(createRequire(import.meta.url).resolve('axe-core/axe.min.js'), 'utf8');
const timeout = 60000;

// No background traffic: the machines that run this have no network.
const chromeArgs = ['--no-sandbox', '--disable-gpu', '--no-first-run', '--disable-background-networking',
  '--disable-component-update', '--disable-sync'];

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

const inPage = {
  text: (className) => [...document.querySelectorAll(`#konsoll > .${className}`)].map((e) => e.textContent).join(''),
  status: (id) => document.getElementById(id).textContent,
  focus: () => document.activeElement && document.activeElement.id,
  // Firefox keeps the data of a paste event only where it is set on the
  // event's own clipboard data.
  paste: (text) => {
    const event = new ClipboardEvent('paste', { clipboardData: new DataTransfer(), bubbles: true, cancelable: true });
    event.clipboardData.setData('text/plain', text);
    document.getElementById('linje').dispatchEvent(event);
  },
  axe: () => window.axe.run(document).then((result) => result.violations.map(
    (v) => `${v.id}: ${v.help} (${v.nodes.map((n) => n.target.join(' ')).join(', ')})`)),
};

class Run {
  constructor(page) {
    this.page = page;
    this.typed = '';  // what the steps typed and pasted, as the console should show it
  }

  output() { return this.page.evaluate(inPage.text, 'ut'); }
  shownTyped() { return this.page.evaluate(inPage.text, 'inn'); }
  ended() { return this.page.evaluate(inPage.status, 'avsluttet').then((text) => text !== ''); }

  async type(text) {
    for (const piece of splitForTyping(text)) {
      if (piece.paste) {
        await this.page.evaluate(inPage.paste, piece.paste);
      } else {
        await this.page.keyboard.type(piece.keys);  // a line feed is Enter
      }
    }
    this.typed += text;
  }

  async paste(text) {
    await this.page.evaluate(inPage.paste, text);
    this.typed += text;
  }

  async ctrlD() {
    await this.page.keyboard.down('Control');
    await this.page.keyboard.press('d');
    await this.page.keyboard.up('Control');
  }

  async awaitOutput(end) {
    await this.page.waitForFunction((e) => [...document.querySelectorAll('#konsoll > .ut')]
      .map((x) => x.textContent).join('').endsWith(e), { polling: 20, timeout }, end);
  }

  async awaitStatus(id, text) {
    await this.page.waitForFunction((i, t) => document.getElementById(i).textContent === t,
      { polling: 20, timeout }, id, text);
  }

  // In the light and the dark colours where the browser lets the driver
  // choose (Chromium), and otherwise in those the browser has.
  async axe(when) {
    if (!(await this.page.evaluate(() => 'axe' in window))) await this.page.addScriptTag({ content: axeSource });
    for (const scheme of browserName === 'chrome' ? ['light', 'dark'] : ['default']) {
      if (scheme !== 'default') await this.page.emulateMediaFeatures([{ name: 'prefers-color-scheme', value: scheme }]);
      const violations = await this.page.evaluate(inPage.axe);
      if (violations.length > 0) throw new Error(`axe-core ${when}, ${scheme}:\n  ${violations.join('\n  ')}`);
    }
    if (browserName === 'chrome') await this.page.emulateMediaFeatures([]);
  }
}

async function runTranscript(page, name) {
  const input = fs.readFileSync(path.join(transcriptsDir, `${name}.in`), 'latin1');
  const expected = fs.readFileSync(path.join(transcriptsDir, `${name}.out`), 'utf8');
  await page.goto(pageUrl);
  const run = new Run(page);
  // A byte that is not UTF-8 cannot be typed; the transcripts hold none.
  await run.type(Buffer.from(input, 'latin1').toString('utf8'));
  if (!input.endsWith('\n') && input !== '' && !(await run.ended())) await run.ctrlD();
  if (!(await run.ended())) await run.ctrlD();
  await run.awaitStatus('avsluttet', 'Programmet er avsluttet.');
  const output = await run.output();
  if (output !== expected) throw new Error(`output ${JSON.stringify(output)}, expected ${JSON.stringify(expected)}`);
  // Keys typed after the program ended go nowhere.
  const shown = await run.shownTyped();
  if (!run.typed.startsWith(shown)) throw new Error(`shows ${JSON.stringify(shown)} as typed`);
}

async function runScenario(page, scenario, prompts) {
  await page.goto(pageUrl);
  const run = new Run(page);
  const text = (t) => t.replace('@prompts@', prompts);
  for (const step of scenario.steps) {
    if ('type' in step) await run.type(step.type);
    else if ('paste' in step) await run.paste(expandPaste(step.paste));
    else if ('ctrl_d' in step) await run.ctrlD();
    else if ('tab_enter' in step) {
      await page.keyboard.press('Tab');
      await page.keyboard.press('Enter');
      run.typed = '';
    } else if ('await_output' in step) await run.awaitOutput(text(step.await_output));
    else if ('await_status' in step) await run.awaitStatus(...step.await_status);
    else if ('expect_running' in step) {
      await new Promise((resolve) => setTimeout(resolve, step.expect_running));
      if (await run.ended()) throw new Error('the program ended without waiting');
    } else if ('expect_output' in step) {
      const output = await run.output();
      if (output !== text(step.expect_output)) throw new Error(`output ${JSON.stringify(output)}`);
    } else if ('expect_focus' in step) {
      const focus = await page.evaluate(inPage.focus);
      if (focus !== step.expect_focus) throw new Error(`the focus is on '${focus}', not '${step.expect_focus}'`);
    } else if ('axe' in step) await run.axe(step.axe);
    else throw new Error(`unknown step ${JSON.stringify(step)}`);
  }
  const shown = await run.shownTyped();
  if (shown !== run.typed) throw new Error(`shows ${shown.length} characters as typed, not the ${run.typed.length} typed`);
}

const browser = browserName === 'webkit'
  ? await launchWebKit(webDriverPath, executablePath)
  : await puppeteer.launch({
    browser: browserName, executablePath, headless: true, args: browserName === 'chrome' ? chromeArgs : [],
  });
let failures = 0;
try {
  const page = await browser.newPage();
  page.on('pageerror', (error) => { console.log(`page error: ${error.message}`); failures += 1; });
  const runs = [];
  if (what === 'transcripts') {
    for (const file of fs.readdirSync(transcriptsDir).filter((f) => f.endsWith('.in')).sort()) {
      const name = file.slice(0, -3);
      runs.push([`transcript ${name}`, () => runTranscript(page, name)]);
    }
  } else {
    const { prompts, scenarios } = JSON.parse(fs.readFileSync(path.join(here, 'scenarios.json'), 'utf8'));
    for (const scenario of scenarios) runs.push([scenario.name, () => runScenario(page, scenario, prompts)]);
  }
  for (const [name, body] of runs) {
    try {
      await body();
      console.log(`ok: ${name}`);
    } catch (error) {
      failures += 1;
      console.log(`FAILED: ${name}: ${error.message}`);
    }
  }
} finally {
  await browser.close();
}
process.exit(failures === 0 ? 0 : 1);
