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
const sentences = (run) => run.evaluate(() => [...document.querySelectorAll('#forklaring p')].map((p) => p.textContent));
// "Start på nytt", which has the focus at the end, pressed: a new run, its
// line holding the last run's values, selected.
async function again(run, values) {
  await focus(run, 'igjen');
  await run.page.keyboard.press('Enter');
  run.typed = '';
  await run.awaitOutput('Kapasitans kondensator 1 [F]: ');
  await equal(run.evaluate(inPage.lineSelection), `${values}|0|${values.length}`, 'the line and its selection');
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
  await again(run, '1e-6 1e-6 10 1');
  await equal(run.output(), 'Kapasitans kondensator 1 [F]: ', 'output');
  await focus(run, 'linje');
  await run.type('\n');  // the values offered, as they stand
  run.typed = '1e-6 1e-6 10 1\n';
  await run.awaitOutput('Antall ganger nedladet: 4\nTrykk en tast...');
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
  await equal(run.evaluate(inPage.shown, 'fremdrift'), false, 'the progress bar shows');
  await again(run, '');
  await focus(run, 'linje');
});

scenario('stops a long run with Avbryt at once', async (run) => {
  await run.type(longRun);
  await run.awaitText('regner', 'Regner ...');
  assert.ok(await timedStop(run, () => run.page.click('#avbryt')) <= 200, 'stopped within 200 ms');
  await equal(run.output(), prompts, 'output');
  await focus(run, 'igjen');
});

scenario('stops a long run with Escape, as Avbryt does, but not a value being typed', async (run) => {
  await run.type('1 1e-9 2.718281828');
  await run.page.keyboard.press('Escape');
  await stillRunning(run, 300);
  await run.type(' 1\n');
  await run.awaitText('regner', 'Regner ...');
  assert.ok(await timedStop(run, () => run.page.keyboard.press('Escape')) <= 200, 'stopped within 200 ms');
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
  await again(run, '');
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
    assert.ok((await sentences(run)).includes('Formelen V_n = V_0 · (C1 / (C1 + C2))^n gir n = 4; programmet talte 4.'));
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
  assert.ok((await sentences(run)).includes('Formelen V_n = V_0 · (C1 / (C1 + C2))^n gir n = 34; programmet talte 34.'));
});

scenario('types the values of a shared link, and shows their panel', async (run) => {
  await run.awaitOutput('Trykk en tast...');
  run.typed = '1e-6\n1e-6\n10\n1\n';
  await equal(run.console(), readme, 'the console');
  await panelShown(run);
  await table(run, ['10', '5', '2.5', '1.25', '0.625']);
}, { address: '#verdier=1e-6,1e-6,10,1' });

scenario('shows a long count\'s progress while it counts, and the panel with the answer', async (run) => {
  await run.type(longRun);
  await run.awaitText('regner', 'Regner ...');
  const [value] = await run.evaluate(inPage.progress);
  await sleep(1500);
  const [later] = await run.evaluate(inPage.progress);
  assert.ok(later > value, `the progress bar moves from ${value}`);
  // The panel is drawn before the answer reaches the console: no second wait.
  await run.evaluate(inPage.watchAnswer);
  await run.awaitOutput('Trykk en tast...');
  await equal(run.evaluate(() => window.tableWithAnswer), true, 'the table stands when the answer shows');
  await equal(run.evaluate(inPage.shown, 'fremdrift'), false, 'the progress bar shows');
  await equal(run.evaluate(inPage.shown, 'avbryt'), false, 'Avbryt shows at the closing wait');
  await run.key('Enter');
  await run.awaitText('avsluttet', 'Programmet er avsluttet.');
});

scenario('answers over at once where a bound proves it, with its reason and the first discharges', async (run) => {
  await run.type('1 1e-9 1 1e-300\n');
  await run.awaitOutput('Antall ganger nedladet: over 2147483647\nTrykk en tast...');
  await panelShown(run);
  await table(run, ['1', '0.999999999', '0.999999998', '0.999999997', '0.999999996', '0.999999995', '',
    '0.99999999', '0.999999989', '0.999999988']);
  assert.ok((await sentences(run)).some((text) => text.includes('uten å regne dem ut')), 'the bound\'s reason');
});

scenario('tells the truth at the edges: C2 lost in the rounding, a voltage equal to the final one, the smallest '
  + 'number above 0', async (run) => {
  const said = async (values, phrases) => {
    await run.type(`${values}\n`);
    await panelShown(run);
    const text = (await sentences(run)).join(' ');
    for (const phrase of phrases) assert.ok(text.includes(phrase), `${values}: "${phrase}" not in: ${text}`);
    assert.ok(!/fra utladning [\d\u00a0]+, over sluttspenningen 0 V/.test(text) || values !== '1 1 10 0', text);
    await run.key('Enter');
    await run.awaitText('avsluttet', 'Programmet er avsluttet.');
    await run.page.click('#igjen');
    await run.awaitOutput('Kapasitans kondensator 1 [F]: ');
    await run.evaluate(() => document.getElementById('linje').select());
    run.typed = '';
  };
  await said('1 1e-17 10 1', ['så den regner C1 + C2 = C1', 'gir n ≈ 2.30e+17']);
  await said('1 1 10 0', ['Spenningen står stille på 0 V fra utladning 1\u00a0078. Det er lik sluttspenningen']);
  await said('1 0.5 1 0', ['5e-324 V er det minste tallet over 0']);
});

scenario('hands the table over: a CSV for a Norwegian spreadsheet, a copy, and a worksheet to print', async (run) => {
  await run.type('1e-6 1e-6 10 1\n');
  await panelShown(run);
  await run.evaluate(inPage.catchDownloads);
  await run.page.click('#last-ned');
  const [name, bytes] = await run.evaluate(inPage.download);
  assert.equal(name, 'kondensator.csv');
  assert.deepEqual(bytes.slice(0, 3), [0xef, 0xbb, 0xbf], 'a UTF-8 byte order mark');
  const csv = Buffer.from(bytes.slice(3)).toString('utf8').split('\r\n').map((line) => line.split(';')[1]);
  assert.deepEqual(csv.slice(0, 6), ['Spenning V1 [V]', '10', '5', '2,5', '1,25', '0,625']);
  await run.page.click('#kopier');
  await run.until(() => document.getElementById('delt').textContent !== '');
  const copied = await run.evaluate(() => document.getElementById('delt').textContent);
  const byHand = await run.evaluate(() => (document.querySelector('#delt textarea') || {}).value);
  assert.ok(copied === 'Tabellen er kopiert.' || byHand.startsWith('n\tSpenning V1 [V]\r\n0\t10'), copied);
  if (browserName === 'chrome') {
    await run.page.emulateMediaType('print');
    const printed = await run.evaluate(inPage.printed);
    await run.page.emulateMediaType(null);
    assert.match(printed.heading, /^C1 = 1 µF, C2 = 1 µF, V1 = 10 V, sluttspenning 1 V\. \d\d\.\d\d\.\d{4}$/);
    assert.deepEqual(printed.shown, ['diagram', 'tabell'], 'shown on paper of the console, the chart, the table, buttons');
  }
});

scenario('back from a typo in one tap: the failed run in the log, and its values offered again', async (run) => {
  await run.type('1,5e-6 1e-6 10 1\n');
  await run.awaitOutput('Trykk en tast...');
  await run.key('Enter');
  await run.awaitText('avsluttet', 'Programmet er avsluttet.');
  await equal(run.evaluate(() => document.getElementById('kjoringer').textContent), '1,5e-6 1e-6 10 1: ukjent '
    + '(kapasitans kondensator 1 har desimalkomma; bruk punktum) Rett opp', 'the log');
  await again(run, '1,5e-6 1e-6 10 1');
  // The cursor behind the comma, as a tap puts it, and the comma mended.
  await run.evaluate(() => document.getElementById('linje').setSelectionRange(2, 2));
  await run.page.keyboard.press('Backspace');
  await run.type('.\n');
  run.typed = '1.5e-6 1e-6 10 1\n';
  await run.awaitOutput('Antall ganger nedladet: 5\nTrykk en tast...');
});
