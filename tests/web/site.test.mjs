// The site and the single file served from 127.0.0.1 (serve.mjs): the
// transcripts into the site under the strict policy, both in frames as a
// learning platform shows them, the alert where a policy stops the program,
// and, where the browser keeps service workers, the site offline, and a new
// build of the same release taking over without ever mixing with the old.
import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { after, before, test } from 'node:test';
import { fileURLToPath } from 'node:url';

import { browserName, Run, runTranscript, session, sleep, timeout, transcriptNames, webBuild } from './browser.mjs';
import { inPage } from './in_page.mjs';
import { serve } from './serve.mjs';

const sourceDir = path.resolve(path.dirname(fileURLToPath(import.meta.url)), '../..');
const transcript = 'typical_session';
let shared;
let server;
before(async () => {
  shared = await session();
  server = await serve(webBuild);
  if (browserName !== 'webkit') await shared.page.evaluateOnNewDocument(countFetches);
});
after(async () => {
  await shared.browser.close();
  await server.close();
});

// A test whose page may report errors only where `errorsExpected`: where the
// program cannot start, the browser reports why.
function siteTest(name, body, { errorsExpected = false } = {}) {
  test(name, async () => {
    await body(shared.page);
    await sleep(errorsExpected ? 200 : 0);  // for the errors of the run to come in while they are expected
    if (browserName !== 'webkit') await Promise.all(shared.page.frames().map((frame) => frame.waitForFunction(
      () => !(self.fetchesUnderWay > 0), { polling: 50, timeout })));  // the next test's load cuts no check short
    const errors = shared.errors();
    if (!errorsExpected) assert.deepEqual(errors, [], 'errors in the page');
  });
}

async function open(page, url) {
  await page.goto(url);
  return new Run(page);
}

for (const name of transcriptNames()) {
  siteTest(`site, strict policy: transcript ${name}`,
    async (page) => runTranscript(await open(page, server.url('strict', 'site/')), name));
}

// The program in a frame of a page, as a learning platform shows it; the
// line gets the focus with a click. Where an engine cannot start the program
// there, the alert must say so within 2 s, and offer the page in a new tab.
async function inFrame(page, src, sandbox) {
  await page.goto(server.frame(src, sandbox));
  const frame = browserName === 'webkit' ? await page.firstFrame()
    : await (await page.waitForSelector('iframe')).contentFrame();
  await frame.waitForFunction(() => (document.getElementById('terminal') && !document.getElementById('terminal').hidden)
    || (!document.getElementById('feil').hidden
      && getComputedStyle(document.getElementById('feil')).visibility === 'visible'), { polling: 20, timeout: 2000 });
  if (await frame.evaluate(inPage.shown, 'feil')) {
    const link = await frame.evaluate(inPage.newTabLink);
    assert.ok(link && link[0].split('#')[0] === src && link[1] === '_blank' && link[2] === 'noopener',
      `the alert offers a new tab for ${src}: ${JSON.stringify(link)}`);
    return;
  }
  await frame.click('#konsoll');
  await runTranscript(new Run(page, frame), transcript);
}
for (const [name, file, policy, blocked] of [['the single file', 'kondensator.html', 'none', false],
  ['the site', 'site/', 'strict', false], ['the single file under the strict policy', 'kondensator.html', 'strict', true]]) {
  siteTest(`${name} in a sandboxed frame`, (page) => inFrame(page, server.url(policy, file), 'allow-scripts'),
    { errorsExpected: true });
  siteTest(`${name} in a frame`, (page) => inFrame(page, server.url(policy, file)), { errorsExpected: blocked });
}

// Its scripts inline, the single file cannot run under the strict policy:
// without a script it still says so.
for (const [policy, what] of [['strict', 'strict policy'], ['inline', 'no worker from a blob'],
  ['nowasm', 'no WebAssembly']]) {
  siteTest(`the single file, ${what}: the alert`, async (page) => {
    const run = await open(page, server.url(policy, 'kondensator.html'));
    await run.context.waitForFunction(() => !document.getElementById('feil').hidden
      && getComputedStyle(document.getElementById('feil')).visibility === 'visible', { polling: 20, timeout: 2000 });
    await sleep(600);  // longer than the page takes to say "Regner ..."
    assert.ok(!(await run.evaluate(inPage.shown, 'linje')) && await run.text('regner') === '',
      'the page shows the line or says that it computes');
  }, { errorsExpected: true });
}

if (browserName === 'chrome') {
  siteTest('without JavaScript: the noscript text', async (page) => {
    await page.setJavaScriptEnabled(false);
    await page.goto(server.url('strict', 'site/'));
    const text = await page.evaluate(() => document.body.innerText);
    await page.setJavaScriptEnabled(true);
    assert.ok(text.includes('Siden trenger JavaScript for å kjøre programmet.') && !text.includes('kunne ikke starte'),
      `the page says: ${text}`);
  });
  siteTest('installable, with no errors', async (page) => {
    await page.goto(server.url('strict', 'site/'));
    const devtools = await page.createCDPSession();
    const { installabilityErrors } = await devtools.send('Page.getInstallabilityErrors');
    await devtools.detach();
    assert.deepEqual(installabilityErrors, []);
  });
}

// A second build of the same release, with one page script changed: it
// marks the page it runs in.
function changedBuild() {
  const folder = fs.mkdtempSync(path.join(os.tmpdir(), 'kondensator-site-'));
  fs.cpSync(path.join(sourceDir, 'src/web'), path.join(folder, 'web'), { recursive: true });
  fs.appendFileSync(path.join(folder, 'web/lesson.js'), "\nself.changedBuild = 'yes';\n");
  const version = fs.readFileSync(path.join(webBuild, 'site/index.html'), 'utf8').match(/name="version" content="([^"]+)"/)[1];
  execFileSync(process.execPath, [path.join(sourceDir, 'tools/make_page.mjs'), 'site', path.join(folder, 'web'),
    path.join(webBuild, 'kondensator.js'), version, path.join(webBuild, 'icons'), path.join(folder, 'site'),
    path.join(sourceDir, 'src/icon/kondensator.ico'), path.join(sourceDir, 'doc')]);
  const build = fs.readFileSync(path.join(folder, 'site/index.html'), 'utf8').match(/name="build" content="([^"]+)"/)[1];
  return { site: path.join(folder, 'site'), build, remove: () => fs.rmSync(folder, { recursive: true, force: true }) };
}

// The page's build, and whether each script that runs is of it: from its
// folder, and the changed script's mark there exactly where it is the changed build's.
const builds = (page) => page.evaluate(() => ({
  build: document.querySelector('meta[name="build"]').content,
  scripts: [...document.scripts].map((script) => script.getAttribute('src')),
  marked: self.changedBuild === 'yes',
}));
async function expectOneBuild(page, build, changed) {
  const shown = await builds(page);
  assert.equal(shown.build, build, 'the page\'s build');
  assert.ok(shown.scripts.every((src) => src.startsWith(`${build}/`)), `scripts of other builds: ${shown.scripts}`);
  assert.equal(shown.marked, changed, 'the changed script ran');
}

// Runs in the page before its own scripts: counts the page's fetches under
// way (its check of the site's build is one) and keeps the controller its
// last controllerchange told of, where the page starts such a check.
function countFetches() {
  const fetchOf = self.fetch.bind(self);
  const done = () => { self.fetchesUnderWay -= 1; };
  self.fetchesUnderWay = 0;
  self.fetch = (...args) => {
    self.fetchesUnderWay += 1;
    return fetchOf(...args).then((response) => {
      response.clone().arrayBuffer().then(done, done);
      return response;
    }, (error) => {
      done();
      throw error;
    });
  };
  try {
    self.controllerTold = navigator.serviceWorker.controller;
    navigator.serviceWorker.addEventListener('controllerchange', () => {
      self.controllerTold = navigator.serviceWorker.controller;
    });
  } catch (error) {
    // A sandboxed frame has no service workers.
  }
}

// Until the service worker of `build` controls the page, with no other on
// its way, and the page has done checking the site's build: loading the page
// again while it checks cuts the check short, which Firefox reports as an
// error of the page.
const settled = (page, build) => page.waitForFunction(async (cache) => {
  const registration = await navigator.serviceWorker.getRegistration();
  const { controller } = navigator.serviceWorker;
  return registration !== undefined && registration.installing === null && registration.waiting === null
    && controller !== null && controller === registration.active && controller === self.controllerTold
    && await caches.has(cache) && self.fetchesUnderWay === 0;
}, { polling: 50, timeout }, `kondensator-${build}`);

// The site, loaded until its service worker controls it and the page has
// checked its build, and then `body` with the changed build at hand; the site
// and the browser's caches as they were afterwards.
async function withServiceWorker(page, body) {
  const changed = changedBuild();
  try {
    await page.goto(server.url('strict', 'site/'));
    const own = (await builds(page)).build;
    await settled(page, own);
    await body(changed, own);
  } finally {
    server.publish('site', path.join(webBuild, 'site'));
    server.setOffline(false);
    await page.evaluate(() => Promise.all([navigator.serviceWorker.getRegistrations()
      .then((all) => Promise.all(all.map((registration) => registration.unregister()))),
    caches.keys().then((names) => Promise.all(names.map((name) => caches.delete(name))))]));
    changed.remove();
  }
}

if (browserName !== 'webkit') {
  siteTest('offline: the site loads and runs from its cache', (page) => withServiceWorker(page, async () => {
    server.setOffline(true);
    await page.reload();
    await runTranscript(new Run(page), transcript);
  }));
  siteTest('a new build of the same release, put in place, runs whole at the next load', (page) => withServiceWorker(
    page, async (changed) => {
      server.publish('site', changed.site);
      await page.reload();
      await page.waitForFunction(() => document.querySelector('#konsoll > .ut') !== null, { polling: 50, timeout });
      await expectOneBuild(page, changed.build, true);
      await runTranscript(new Run(page), transcript);
      await settled(page, changed.build);
    }));
  siteTest('a page left open runs its own build when the next arrives, and the next load shows it', (page) => {
    return withServiceWorker(page, async (changed, own) => {
      server.publish('site', changed.site);
      await page.evaluate(() => document.dispatchEvent(new Event('visibilitychange')));
      await page.waitForFunction(() => !document.getElementById('ny').hidden, { polling: 50, timeout });
      // A new run is the page's own build, from the cache.
      await runTranscript(new Run(page), transcript);
      await page.click('#igjen');
      await runTranscript(new Run(page), transcript);
      await expectOneBuild(page, own, false);
      await settled(page, own);
      await page.click('#last-inn');
      await page.waitForFunction((build) => document.querySelector('meta[name="build"]').content === build
        && document.querySelector('#konsoll > .ut') !== null, { polling: 50, timeout }, changed.build);
      await expectOneBuild(page, changed.build, true);
      await runTranscript(new Run(page), transcript);
      await settled(page, changed.build);
    });
  });
}
