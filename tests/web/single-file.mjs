// intro-pack's one-file page (NAME.html) opened from disk, as a double click
// opens it: the intro's own content stays within 128 KiB, and the page of
// examples/own-intro shows and plays that pack without asking for any file.
import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import { mkdtempSync, rmSync, statSync } from 'node:fs';
import { tmpdir } from 'node:os';
import path from 'node:path';
import { pathToFileURL } from 'node:url';
import { after, before, test } from 'node:test';
import { playsPack } from './content.mjs';
import { nativeBin, root, siteDir } from './harness.mjs';

const Budget = 128 * 1024;

export function singleFile(env) {
  let dir, pack;
  const introPack = (...args) => execFileSync(path.join(nativeBin, 'intro-pack'), [...args, '--web', siteDir],
    { encoding: 'utf8' });
  before(() => {
    dir = mkdtempSync(path.join(tmpdir(), 'intro-html-'));
    pack = path.join(dir, 'own.intro');
    introPack(path.join(root, 'examples/own-intro'), '-o', pack);
    introPack(path.join(root, 'examples/own-intro'), '-o', path.join(dir, 'own.html'));
  });
  after(() => { if (dir) rmSync(dir, { recursive: true, force: true }); });

  test('the intro\'s own content as one page stays within 128 KiB', () => {
    const file = path.join(dir, 'intro.html');
    const said = introPack('--pages', path.join(root, 'src/data/text/pages.txt'),
      '--font', path.join(root, 'src/data/font/font.txt'),
      '--song', path.join(root, 'src/data/song/intro-song.fcs'), '-o', file);
    console.log(`${env.browser.name}: intro-pack: ${said.trim()}`);
    assert.ok(statSync(file).size <= Budget, said);
  });

  test('examples/own-intro as one page, opened from disk, shows and plays its pack', async () => {
    const problems = [];
    const page = await env.browser.open(`${pathToFileURL(path.join(dir, 'own.html'))}?test-record`, { problems });
    await page.waitForFunction(() => introState.ready);
    assert.equal(await page.evaluate(() => location.protocol), 'file:');
    assert.match(await page.$eval('#intro-status', (e) => e.textContent), /^Click or press a key/);
    await playsPack(page, pack);
    assert.deepEqual(problems, []);
    await page.close();
  });
}
