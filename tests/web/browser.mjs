// What the browser tests share: the browser they run in, started as this
// machine has it, and a run of the page in it, driven as a user drives it.
// The browser comes from the environment: KONDENSATOR_BROWSER (chrome,
// firefox or webkit), KONDENSATOR_BROWSER_PATH (its program) and, for
// WebKitGTK, KONDENSATOR_WEBDRIVER (WebKitWebDriver); KONDENSATOR_WEB_BUILD
// holds kondensator.html and site/, KONDENSATOR_TRANSCRIPTS the transcripts.
// Chromium and Firefox run headless through puppeteer-core; WebKitGTK, the
// engine of Safari and of every browser on an iPad, through selenium-webdriver
// and WebKitWebDriver's MiniBrowser (under xvfb-run). Never a browser of
// their own.
import { spawn } from 'node:child_process';
import fs from 'node:fs';
import { createRequire } from 'node:module';
import net from 'node:net';
import path from 'node:path';
import { pathToFileURL } from 'node:url';

import puppeteer from 'puppeteer-core';
import { Builder, By, Key } from 'selenium-webdriver';

import { inPage } from './in_page.mjs';

export const browserName = process.env.KONDENSATOR_BROWSER;
export const webBuild = path.resolve(process.env.KONDENSATOR_WEB_BUILD || '.');
export const transcriptsDir = process.env.KONDENSATOR_TRANSCRIPTS;
export const singleFile = pathToFileURL(path.join(webBuild, 'kondensator.html')).href;
export const timeout = 60000;
export const sleep = (ms) => new Promise((resolve) => { setTimeout(resolve, ms); });
const axeSource = fs.readFileSync(createRequire(import.meta.url).resolve('axe-core/axe.min.js'), 'utf8');

// No background traffic: the machines that run this have no network.
const chromeArgs = ['--no-sandbox', '--disable-gpu', '--no-first-run', '--disable-background-networking',
  '--disable-component-update', '--disable-sync'];

function freePort() {
  return new Promise((resolve, reject) => {
    const server = net.createServer();
    server.listen(0, '127.0.0.1', () => {
      const { port } = server.address();
      server.close(() => resolve(port));
    });
    server.on('error', reject);
  });
}

// The few methods of puppeteer's page the tests use, on a WebDriver session.
// Errors in the page are gathered by the page itself and handed to the
// 'pageerror' listeners with every call that runs in it.
class WebDriverPage {
  constructor(driver) {
    this.driver = driver;
    this.listeners = [];
    const key = (name) => ({ Enter: Key.ENTER, '\n': Key.ENTER, Tab: Key.TAB, Control: Key.CONTROL,
      Escape: Key.ESCAPE, Backspace: Key.BACK_SPACE }[name] || name);
    const act = (steps) => steps(driver.actions()).perform();
    this.keyboard = {
      type: (text) => act((actions) => [...text].reduce((a, c) => a.keyDown(key(c)).keyUp(key(c)), actions)),
      press: (name) => act((actions) => actions.keyDown(key(name)).keyUp(key(name))),
      down: (name) => act((actions) => actions.keyDown(key(name))),
      up: (name) => act((actions) => actions.keyUp(key(name))),
    };
  }

  async goto(url) {
    await this.driver.switchTo().defaultContent();
    await this.driver.get(url);
  }

  reload() { return this.driver.navigate().refresh(); }

  // A function and its arguments, run in the page; a promise it returns is awaited.
  async evaluate(fn, ...args) {
    const { value, errors, thrown } = await this.driver.executeAsyncScript(`const done = arguments[arguments.length - 1];
      if (!window.pageErrors) {
        window.pageErrors = [];
        window.addEventListener('error', (event) => window.pageErrors.push(event.message));
        window.addEventListener('unhandledrejection', (event) => window.pageErrors.push(String(event.reason)));
      }
      Promise.resolve((${fn}).apply(null, Array.prototype.slice.call(arguments, 0, -1)))
        .then((value) => done({ value, errors: window.pageErrors.splice(0) }),
              (error) => done({ thrown: String(error), errors: [] }));`, ...args);
    for (const message of errors) for (const listener of this.listeners) listener(new Error(message));
    if (thrown) throw new Error(thrown);
    return value;
  }

  async waitForFunction(fn, { polling, timeout: within }, ...args) {
    for (const end = Date.now() + within; !(await this.evaluate(fn, ...args));) {
      if (Date.now() > end) throw new Error(`waited ${within} ms in vain for ${fn}`);
      await sleep(polling);
    }
  }

  async click(selector) { await (await this.driver.findElement(By.css(selector))).click(); }

  // The first frame of the page, as a page of its own: what runs in it,
  // and keys, then go to that frame.
  async firstFrame() {
    await this.driver.switchTo().frame(0);
    return this;
  }

  setViewport({ width, height }) { return this.driver.manage().window().setRect({ width, height }); }

  addScriptTag({ content }) {
    return this.evaluate((text) => {
      const script = document.createElement('script');
      script.textContent = text;
      document.head.append(script);
    }, content);
  }

  on(name, listener) { if (name === 'pageerror') this.listeners.push(listener); }

  off(name, listener) { this.listeners = this.listeners.filter((l) => l !== listener); }
}

// WebKitGTK takes the reader's language from the locale, which must exist
// (.ci/run makes nn_NO).
async function launchWebKit(languages) {
  const port = await freePort();
  const locales = (languages || []).map((tag) => tag.replace('-', '_'));
  const env = languages ? { ...process.env, LANG: `${locales[0]}.UTF-8`, LANGUAGE: locales.join(':') } : process.env;
  const server = spawn(process.env.KONDENSATOR_WEBDRIVER, [`--port=${port}`], { stdio: 'ignore', env });
  let driver = null;
  for (let tries = 0; !driver; tries += 1) {
    try {
      driver = await new Builder().usingServer(`http://127.0.0.1:${port}`).withCapabilities({
        browserName: 'MiniBrowser',
        'webkitgtk:browserOptions': { binary: process.env.KONDENSATOR_BROWSER_PATH, args: ['--automation'] },
      }).build();
    } catch (error) {
      if (tries === 100) throw error;
      await sleep(100);
    }
  }
  return {
    newPage: async () => new WebDriverPage(driver),
    close: async () => {
      await driver.quit().catch(() => {});
      server.kill();
    },
  };
}

// The browser, with `languages`, where given, as the reader's languages,
// most wanted first.
export function launch(languages = null) {
  if (browserName === 'webkit') return launchWebKit(languages);
  const lang = languages ? [`--lang=${languages[0]}`, `--accept-lang=${languages.join(',')}`] : [];
  return puppeteer.launch({
    browser: browserName, executablePath: process.env.KONDENSATOR_BROWSER_PATH, headless: true,
    args: browserName === 'chrome' ? [...chromeArgs, ...lang] : [],
    extraPrefsFirefox: languages ? { 'intl.accept_languages': languages.join(', ') } : {},
  });
}

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

// A run of the page, in `context`: the page, or the frame the program is in.
// `typed` is what was typed and pasted, as the console should show it.
export class Run {
  constructor(page, context = page) {
    this.page = page;
    this.context = context;
    this.typed = '';
  }

  evaluate(...args) { return this.context.evaluate(...args); }
  output() { return this.evaluate(inPage.text, 'ut'); }
  shownTyped() { return this.evaluate(inPage.text, 'inn'); }
  console() { return this.evaluate(inPage.console); }
  text(id) { return this.evaluate(inPage.status, id); }
  ended() { return this.text('avsluttet').then((text) => text !== ''); }
  until(fn, ...args) { return this.context.waitForFunction(fn, { polling: 20, timeout }, ...args); }

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

  // A key at the closing wait, or "tap", a tap in the console, once the page waits for it.
  async key(name) {
    await this.until(inPage.waitsForKey);
    await (name === 'tap' ? this.page.click('#konsoll') : this.page.keyboard.press(name));
  }

  awaitOutput(end) {
    return this.until((e) => [...document.querySelectorAll('#konsoll > .ut')].map((x) => x.textContent).join('')
      .endsWith(e), end);
  }

  awaitText(id, text) { return this.until((i, t) => document.getElementById(i).textContent === t, id, text); }

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
}

// The closing notice of the page, in each written form.
const ended = { nb: 'Programmet er avsluttet.', nn: 'Programmet er avslutta.' };

// A transcript typed into the run, as a terminal hands it over: a line at a
// time as the program asks for it, and at its closing wait the next
// character alone, as a user presses one key; nothing after the end, where
// the focus is on "Start på nytt". The console must give the whole output
// of the transcript, in the written form `form` (nynorsk's transcripts lie
// in nynorsk/).
export async function runTranscript(run, name, form = 'nb') {
  const input = fs.readFileSync(path.join(transcriptsDir, `${name}.in`), 'latin1');
  const expected = fs.readFileSync(path.join(transcriptsDir, form === 'nn' ? 'nynorsk' : '', `${name}.out`), 'utf8');
  // A byte that is not UTF-8 cannot be typed; the transcripts hold none.
  let rest = Buffer.from(input, 'latin1').toString('utf8');
  // Until the program has taken what was typed, and asks for more or has ended.
  const asked = () => run.until(() => document.getElementById('avsluttet').textContent !== ''
    || (document.getElementById('venter').childElementCount === 0
      && ['leser', 'tast'].some((name) => document.getElementById('konsoll').classList.contains(name))));
  while (rest !== '' && (await asked(), !(await run.ended()))) {
    const key = await run.evaluate(inPage.waitsForKey);
    const piece = key ? rest[0] : rest.match(/[^\n]*\n?/)[0];
    await run.type(piece);
    rest = rest.slice(piece.length);
    if (key) break;
  }
  // The input ends: Ctrl-D hands over a line without a line feed, and ends
  // the input on an empty one.
  if (rest === '' && !input.endsWith('\n') && input !== '' && !(await run.ended())) await run.ctrl('d');
  if (!(await run.ended())) await run.ctrl('d');
  await run.awaitText('avsluttet', ended[form]);
  const output = await run.output();
  if (output !== expected) throw new Error(`output ${JSON.stringify(output)}, expected ${JSON.stringify(expected)}`);
  const shown = await run.shownTyped();
  if (!run.typed.startsWith(shown)) throw new Error(`shows ${JSON.stringify(shown)} as typed`);
}

export const transcriptNames = () => fs.readdirSync(transcriptsDir).filter((f) => f.endsWith('.in')).sort()
  .map((file) => file.slice(0, -3));

// A browser for the tests of one file, with a page whose errors fail the
// test they happen in, unless it expects them.
export async function session() {
  const browser = await launch();
  const page = await browser.newPage();
  const errors = [];
  page.on('pageerror', (error) => errors.push(error.message));
  return {
    browser,
    page,
    // The errors the page reported since the last call.
    errors: () => errors.splice(0),
  };
}
