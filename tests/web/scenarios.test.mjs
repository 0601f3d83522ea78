// Runs of the single file beyond the transcripts, as users make them: the
// closing wait, stopping a run, phones' keyboards, sizes, screen readers,
// the forms of Norwegian and the panel. After every run, the typed text the
// console shows must be what the run typed and pasted.
import assert from 'node:assert/strict';
import { after, before, test } from 'node:test';

import { browserName, launch, Run, session, singleFile, sleep } from './browser.mjs';
import { inPage } from './in_page.mjs';

const prompts = 'Kapasitans kondensator 1 [F]: Kapasitans kondensator 2 [F]: Spenning kondensator 1 [V]: Sluttspenning [V]: ';
const readme = 'Kapasitans kondensator 1 [F]: 1e-6\nKapasitans kondensator 2 [F]: 1e-6\nSpenning kondensator 1 [V]: 10\n'
  + 'Sluttspenning [V]: 1\nAntall ganger nedladet: 4\nTrykk en tast...';
const longRun = '1 1e-9 2.718281828 1\n';

let shared;
before(async () => { shared = await session(); });
after(() => shared.browser.close());

// A scenario at each size of `viewports`, in a new document of the page at
// `address`, or, for readers whose browser lists `languages`, in a browser of
// its own.
function scenario(name, body, { viewports = [[1280, 800]], address = '', languages = null } = {}) {
  for (const [width, height] of viewports) {
    test(`${name} (${width}x${height})`, async () => {
      const own = languages && await launch(languages);
      const page = own ? await own.newPage() : shared.page;
      const errors = [];
      const heard = (error) => errors.push(error.message);
      page.on('pageerror', heard);
      try {
        if (!own) await page.setViewport({ width, height });
        if (address) await page.goto('about:blank');  // a new document, also where only the fragment differs
        await page.goto(singleFile + address);
        const run = new Run(page);
        await body(run);
        assert.equal(await run.shownTyped(), run.typed, 'the typed text shown');
        assert.deepEqual([...errors, ...shared.errors()], [], 'errors in the page');
      } finally {
        page.off('pageerror', heard);
        if (own) await own.close();
      }
    });
  }
}

const equal = async (actual, expected, what) => assert.equal(await actual, expected, what);
async function stillRunning(run, ms) {
  await sleep(ms);
  assert.equal(await run.ended(), false, 'the program ended without waiting');
}
const inView = async (run, ids) => equal(run.evaluate(inPage.outOfView, ids).then((out) => out.join()), '', 'out of view');
const focus = (run, id) => equal(run.evaluate(inPage.focus), id, 'the focus is on');
const table = (run, voltages) => equal(run.evaluate(inPage.tableVoltages), voltages.join(' | '), 'the table');
const panelShown = (run) => run.until(inPage.panelShown);
async function tabEnter(run) {
  await run.page.keyboard.press('Tab');
  await run.page.keyboard.press('Enter');
  run.typed = '';
}
// Stops the run with `stop`, which the console shows as ^C, and says how
// long it took from the key or click to the closing text.
async function timedStop(run, stop) {
  await run.evaluate(inPage.timeStop, 'Programmet ble avbrutt.');
  await stop();
  run.typed += '^C';
  await run.awaitText('avsluttet', 'Programmet ble avbrutt.');
  return run.evaluate(() => window.stopTime);
}

scenario('waits at the closing text until any key, Space too, and starts again on an empty console', async (run) => {
  await focus(run, 'linje');
  await run.axe('before a run');
  await run.type('1e-6\n1e-6\n10\n1\n');
  await run.awaitOutput('Antall ganger nedladet: 4\nTrykk en tast...');
  await stillRunning(run, 500);
  await run.axe('during a run');
  await run.key(' ');
  await run.awaitText('avsluttet', 'Programmet er avsluttet.');
  await equal(run.output(), `${prompts}Antall ganger nedladet: 4\nTrykk en tast...`, 'output');
  await run.axe('after a run');
  await tabEnter(run);
  await run.awaitOutput('Kapasitans kondensator 1 [F]: ');
  await equal(run.output(), 'Kapasitans kondensator 1 [F]: ', 'output');
  await focus(run, 'linje');
});

scenario('keeps what is typed ahead, and says that it computes', async (run) => {
  await run.type('1 3e-9 2.718281828 1\n\n');
  await run.awaitText('regner', 'Regner ...');
  await run.awaitText('avsluttet', 'Programmet er avsluttet.');
  await run.awaitText('regner', '');
  await equal(run.output(), `${prompts}Antall ganger nedladet: 333333331\nTrykk en tast...`, 'output');
});

scenario('takes a paste of 1 MB whole', async (run) => {
  await run.paste(`0.${'0'.repeat(1048570)}1e1048571 1 8 1\n\n`);
  await run.awaitText('avsluttet', 'Programmet er avsluttet.');
  await equal(run.output(), `${prompts}Antall ganger nedladet: 4\nTrykk en tast...`, 'output');
});

scenario('hands over a line with Ctrl-D, and ends the input with Ctrl-D on an empty line', async (run) => {
  await run.type('1 1');
  await run.ctrl('d');
  await run.awaitOutput('Kapasitans kondensator 2 [F]: ');
  await run.ctrl('d');
  await run.awaitText('avsluttet', 'Programmet er avsluttet.');
  await equal(run.output(), `${prompts}Antall ganger nedladet: ukjent (spenning kondensator 1 mangler)\nTrykk en tast...`,
    'output');
});

scenario('stops a long run with Ctrl-C at once', async (run) => {
  await run.type(longRun);
  await run.awaitText('regner', 'Regner ...');
  await inView(run, ['regner', 'avbryt']);
  await run.axe('while computing');
  assert.ok(await timedStop(run, () => run.ctrl('c')) <= 200, 'stopped within 200 ms');
  await inView(run, ['avsluttet', 'igjen']);
  await focus(run, 'konsoll');
  await tabEnter(run);
  await run.awaitOutput('Kapasitans kondensator 1 [F]: ');
  await focus(run, 'linje');
});

scenario('stops a long run with Avbryt at once', async (run) => {
  await run.type(longRun);
  await run.awaitText('regner', 'Regner ...');
  assert.ok(await timedStop(run, () => run.page.click('#avbryt')) <= 200, 'stopped within 200 ms');
  await equal(run.output(), prompts, 'output');
  await focus(run, 'konsoll');
});

scenario('keeps the line, the notice and the closing text in view', async (run) => {
  await run.paste('\n'.repeat(40));
  await run.type('1\n');
  await run.awaitOutput('Kapasitans kondensator 2 [F]: ');
  await inView(run, ['linje']);
  await run.type('3e-9 2.718281828 1\n');
  await run.awaitText('regner', 'Regner ...');
  await inView(run, ['regner', 'avbryt']);
  await run.awaitOutput('Trykk en tast...');
  await inView(run, ['#konsoll > span:last-of-type']);
  await run.key('Enter');
  await run.awaitText('avsluttet', 'Programmet er avsluttet.');
  await inView(run, ['avsluttet', 'igjen']);
}, { viewports: [[320, 360], [320, 640], [1280, 800]] });

scenario('takes typing after text is selected', async (run) => {
  // Once the program waits for the line, as a user finds it: a selection
  // made before the page has heard so would race the page's last changes.
  const select = async () => {
    await run.until(inPage.lineWaits);
    await run.evaluate(inPage.selectPrompt);
  };
  await run.awaitOutput('Kapasitans kondensator 1 [F]: ');
  await select();
  await run.type('1e-6\n');
  await run.awaitOutput('Kapasitans kondensator 2 [F]: ');
  await select();
  await run.ctrl('c');
  await stillRunning(run, 300);
  await equal(run.output(), 'Kapasitans kondensator 1 [F]: Kapasitans kondensator 2 [F]: ', 'output');
});

scenario('sends a line from phone and tablet keyboards, never in mid-composition', async (run) => {
  const phone = (event, typed = '') => {
    run.typed += typed;
    return run.evaluate(inPage.dispatch, event);
  };
  await run.awaitOutput('Kapasitans kondensator 1 [F]: ');
  await run.type('1e-6');
  await phone({ keydown: { key: 'Enter', keyCode: 229 } });
  await phone({ keydown: { key: 'Enter', isComposing: true } });
  await stillRunning(run, 300);
  await equal(run.output(), 'Kapasitans kondensator 1 [F]: ', 'output');
  await phone({ beforeinput: 'insertLineBreak' }, '\n');
  await run.awaitOutput('Kapasitans kondensator 2 [F]: ');
  await run.type('1e-6');
  await phone({ input: '\n' }, '\n');
  await run.awaitOutput('Spenning kondensator 1 [V]: ');
  await run.type('10');
  await phone({ submit: true }, '\n');
  await run.awaitOutput('Sluttspenning [V]: ');
  if (browserName === 'chrome') {
    // An IME's composition, ended by Enter as Android's keyboards send it.
    const devtools = await run.page.createCDPSession();
    await devtools.send('Input.imeSetComposition', { text: '1', selectionStart: 1, selectionEnd: 1 });
    await devtools.send('Input.dispatchKeyEvent', { type: 'rawKeyDown', key: 'Enter', code: 'Enter',
      windowsVirtualKeyCode: 229 });
    await devtools.send('Input.insertText', { text: '1' });
    await devtools.send('Input.insertText', { text: '\n' });
    await devtools.detach();
    run.typed += '1\n';
  } else {
    await run.type('1\n');
  }
  await run.awaitOutput('Trykk en tast...');
  await phone({ keydown: { key: 'в', code: 'KeyD', ctrlKey: true } });
  await run.awaitText('avsluttet', 'Programmet er avsluttet.');
  await equal(run.output(), `${prompts}Antall ganger nedladet: 4\nTrykk en tast...`, 'output');
});

scenario('adds output as new nodes only, and describes the line by its prompt', async (run) => {
  // The line's description in the accessibility tree where the driver reads
  // it (Chromium), and otherwise as aria-describedby gives it.
  const description = async () => {
    if (browserName !== 'chrome') return run.evaluate(inPage.description);
    const node = await run.page.accessibility.snapshot({ root: await run.page.$('#linje'), interestingOnly: false });
    return node.description;
  };
  await run.evaluate(inPage.watchText);
  await run.awaitOutput('Kapasitans kondensator 1 [F]: ');
  await equal(description(), 'Kapasitans kondensator 1 [F]:', 'the line is described as');
  await run.type('1e-6\n1e-6\n10\n');
  await run.awaitOutput('Sluttspenning [V]: ');
  await equal(description(), 'Sluttspenning [V]:', 'the line is described as');
  await run.type('0,5\n');
  await run.awaitOutput('Trykk en tast...');
  await run.key('Escape');
  await run.awaitText('avsluttet', 'Programmet er avsluttet.');
  await equal(run.evaluate(() => window.textChanges.join('; ')), '', 'text changed in nodes already shown');
});

scenario('wraps a long value and shows all of it', async (run) => {
  const fits = () => equal(run.evaluate(inPage.lineFits), true, 'the line shows all its text');
  await run.awaitOutput('Kapasitans kondensator 1 [F]: ');
  await run.type('0.000000000000000000000000000000000047123456789e1');
  await fits();
  await run.evaluate(inPage.textSpacing);
  await run.type('2');
  await fits();
  await run.type('\n');
  await run.awaitOutput('Kapasitans kondensator 2 [F]: ');
}, { viewports: [[320, 640]] });

scenario('offers Avbryt at the first prompt, large enough to tap, and a new start after it', async (run) => {
  const size = async (id) => assert.ok(await run.evaluate(inPage.size, id) >= 44, `${id} is 44 px across`);
  await run.awaitOutput('Kapasitans kondensator 1 [F]: ');
  await inView(run, ['avbryt']);
  await size('avbryt');
  await run.page.click('#avbryt');
  run.typed += '^C';
  await run.awaitText('avsluttet', 'Programmet ble avbrutt.');
  await size('igjen');
  await tabEnter(run);
  await run.awaitOutput('Kapasitans kondensator 1 [F]: ');
  await equal(run.output(), 'Kapasitans kondensator 1 [F]: ', 'output');
}, { viewports: [[360, 740], [1280, 800]] });

scenario('shows the README\'s four lines, pasted at once, each after its prompt, and ends on a tap', async (run) => {
  await run.paste('1e-6\n1e-6\n10\n1\n');
  await run.awaitOutput('Trykk en tast...');
  await equal(run.console(), readme, 'the console');
  await run.key('tap');
  await run.awaitText('avsluttet', 'Programmet er avsluttet.');
  await equal(run.console(), readme, 'the console');
  await run.axe('after a pasted run');
}, { viewports: [[360, 740], [1280, 800]] });

scenario('speaks nynorsk to a browser that lists it first, and bokmål once chosen', async (run) => {
  const shows = (lang, id, text) => equal(run.evaluate((i) => `${document.documentElement.lang} ${
    document.getElementById(i).textContent}`, id), `${lang} ${text}`, 'the page shows');
  await run.awaitOutput('Kapasitans kondensator 1 [F]: ');
  await run.type(longRun);
  await run.awaitText('regner', 'Reknar ...');
  await shows('nn', 'regner', 'Reknar ...');
  await run.axe('in nynorsk');
  await run.page.click('#avbryt');
  run.typed += '^C';
  await run.awaitText('avsluttet', 'Programmet vart avbrote.');
  await run.page.click('#maal-nb');
  await shows('nb', 'avsluttet', 'Programmet ble avbrutt.');
}, { languages: ['nn-NO', 'nb-NO', 'en'] });

scenario('shows the example\'s discharges beside the console, the formula\'s count, and repeats a run from the log',
  async (run) => {
    await run.type('1e-6\n1e-6\n10\n1\n');
    await panelShown(run);
    await table(run, ['10', '5', '2.5', '1.25', '0.625']);
    await equal(run.text('formel'), 'Formelen V_n = V_0 · (C1 / (C1 + C2))^n gir n = 4; programmet talte 4.', 'formula');
    await run.axe('with the panel');
    await run.key(' ');
    await run.awaitText('avsluttet', 'Programmet er avsluttet.');
    await run.page.click('#kjoringer button');
    run.typed = '1e-6\n1e-6\n10\n1\n';
    await run.awaitOutput('Trykk en tast...');
    await equal(run.console(), readme, 'the console');
    await panelShown(run);
    await table(run, ['10', '5', '2.5', '1.25', '0.625']);
  }, { viewports: [[360, 740], [1280, 800]] });

scenario('counts 34 with the formula where c1 times v1 lies beyond the doubles', async (run) => {
  await run.type('1e300 1e300 1e10 1\n');
  await panelShown(run);
  await equal(run.text('formel'), 'Formelen V_n = V_0 · (C1 / (C1 + C2))^n gir n = 34; programmet talte 34.', 'formula');
});

scenario('types the values of a shared link, and shows their panel', async (run) => {
  await run.awaitOutput('Trykk en tast...');
  run.typed = '1e-6\n1e-6\n10\n1\n';
  await equal(run.console(), readme, 'the console');
  await panelShown(run);
  await table(run, ['10', '5', '2.5', '1.25', '0.625']);
}, { address: '#verdier=1e-6,1e-6,10,1' });

scenario('shows a long count\'s progress, moving and full at the end', async (run) => {
  await run.type(longRun);
  await run.awaitText('regner', 'Regner ...');
  const [value] = await run.evaluate(inPage.progress);
  await sleep(1500);
  const [later] = await run.evaluate(inPage.progress);
  assert.ok(later > value, `the progress bar moves from ${value}`);
  await run.awaitOutput('Trykk en tast...');
  await panelShown(run);
  const [done, max] = await run.evaluate(inPage.progress);
  assert.ok(done === max && max > 0, `the progress bar stands at ${done} of ${max}`);
});
