// Every transcript typed as keystrokes into the single file, opened from
// file://, must give the console the whole output the transcript holds, in
// bokmål, and in nynorsk once the reader has chosen it.
import assert from 'node:assert/strict';
import { after, before, test } from 'node:test';

import { Run, runTranscript, session, singleFile, transcriptNames } from './browser.mjs';

let shared;
before(async () => { shared = await session(); });
after(() => shared.browser.close());

for (const form of ['nb', 'nn']) {
  for (const name of transcriptNames()) {
    test(`transcript ${name}${form === 'nn' ? ', in nynorsk' : ''}`, async () => {
      await shared.page.goto(singleFile);
      // The form chosen before anything is typed: the run starts again in it.
      await shared.page.click(`#maal-${form}`);
      await shared.page.click('#konsoll');
      await runTranscript(new Run(shared.page), name, form);
      assert.deepEqual(shared.errors(), [], 'errors in the page');
    });
  }
}
