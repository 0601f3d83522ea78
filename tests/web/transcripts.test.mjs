// Every transcript typed as keystrokes into the single file, opened from
// file://, must give the console the whole output the transcript holds.
import assert from 'node:assert/strict';
import { after, before, test } from 'node:test';

import { Run, runTranscript, session, singleFile, transcriptNames } from './browser.mjs';

let shared;
before(async () => { shared = await session(); });
after(() => shared.browser.close());

for (const name of transcriptNames()) {
  test(`transcript ${name}`, async () => {
    await shared.page.goto(singleFile);
    await runTranscript(new Run(shared.page), name);
    assert.deepEqual(shared.errors(), [], 'errors in the page');
  });
}
