// The intro's web page end to end, in each browser (INTRO_BROWSERS, default
// chromium,firefox): the picture and the sound against the native tools, the
// page for everyone, the timeline at several frame rates, content packs, the
// page as one file opened from disk, and a clean console.
// One file, so the suites run one after another, never beside each other.
import assert from 'node:assert/strict';
import { after, before, describe, test } from 'node:test';
import { access } from './access.mjs';
import { contentPacks } from './content.mjs';
import { browserNames, launchBrowser, serveSite } from './harness.mjs';
import { pictureAndSound } from './picture-and-sound.mjs';
import { singleFile } from './single-file.mjs';
import { timeline } from './timeline.mjs';

let site;
before(async () => { site = await serveSite(['intro.wasm', 'intro-sound.wasm']); });
after(() => site?.stop());

for (const name of browserNames) {
  describe(`the intro page in ${name}`, () => {
    const env = { site: () => site, browser: null };
    before(async () => { env.browser = await launchBrowser(name); });
    after(async () => { await env.browser?.close(); });

    pictureAndSound(env);
    access(env);
    timeline(env);
    contentPacks(env);
    singleFile(env);
    test('no console error, page error or failed request on any page of a whole part', () => {
      assert.deepEqual(env.browser.problems, []);
    });
  });
}
