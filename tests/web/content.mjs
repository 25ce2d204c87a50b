// Content packs on the page: a web folder intro-pack made from
// examples/own-intro plays that pack's pages, font and song; a truncated
// content.intro is refused with the reader's reason and the built-in content
// plays; a pack dropped before the start replaces the content.
import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import { cpSync, mkdtempSync, readFileSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import path from 'node:path';
import { after, before, test } from 'node:test';
import { firstDifference, modrenderSamples, nativeBin, pixelAt, previewScreen, readCanvas, root,
  screenWithLine, ScreenWidth, serveFolder, siteDir } from './harness.mjs';

const RecordFrames = 8 * 44100;

// Starts the intro and checks the canvas during page 0's hold against
// intro-preview of `pack` (the built-in content without one).
async function holdMatchesPreview(page, pack) {
  await page.mouse.click(300, 300);
  await page.waitForFunction(() => Module._WebHeldPage() === 0, { timeout: 30000, polling: 50 });
  const shown = await readCanvas(page, 'intro', '({ steps: Module._WebActingSteps(), held: Module._WebHeldPage() })');
  assert.equal(shown.held, 0);
  const at = firstDifference(shown.pixels, previewScreen(shown.steps, pack));
  assert.equal(at, -1, `canvas differs from intro-preview --steps ${shown.steps} at pixel ${pixelAt(at)}`);
}

export function contentPacks(env) {
  let server, pack;
  const open = async (folder, options) => {
    const page = await env.browser.open(`${server.url}${folder}`, options);
    await page.waitForFunction(() => introState.ready);
    return page;
  };
  before(async () => {
    const dir = mkdtempSync(path.join(tmpdir(), 'intro-packs-'));
    execFileSync(path.join(nativeBin, 'intro-pack'),
      [path.join(root, 'examples/own-intro'), '-o', path.join(dir, 'site/'), '--web', siteDir]);
    pack = path.join(dir, 'site/content.intro');
    cpSync(siteDir, path.join(dir, 'refused'), { recursive: true });
    writeFileSync(path.join(dir, 'refused/content.intro'), readFileSync(pack).subarray(0, 100));
    server = await serveFolder(dir);
  });
  after(() => server?.stop());

  test('intro-pack\'s web folder of examples/own-intro shows and plays that pack', async () => {
    const problems = [];
    const page = await open('site/?test-record', { problems });
    assert.match(await page.$eval('#intro-status', (e) => e.textContent), /^Click or press a key/);
    await holdMatchesPreview(page, pack);
    await page.waitForFunction(() => introSound.recording !== null, { timeout: 20000, polling: 100 });
    const recording = await page.evaluate(() => Array.from(introSound.recording));
    const expected = Array.from(modrenderSamples(RecordFrames, pack));
    const at = firstDifference(recording, expected);
    assert.equal(at, -1, `played sample ${at} (frame ${at >> 1}) is ${recording[at]}, modrender has ${expected[at]}`);
    assert.deepEqual(problems, []);
    await page.close();
  });

  test('a truncated content.intro is refused with the reader\'s reason; the built-in content plays', async () => {
    const problems = [];
    const page = await open('refused/?test-record', { problems });
    assert.match(await page.$eval('#intro-status', (e) => e.textContent),
      /^content\.intro was refused \(truncated: the header's lengths need \d+ bytes, there are 100\); the intro plays its built-in content\. Click/);
    await page.waitForFunction(() => introState.shownLine !== null, { polling: 50 });
    const line = await readCanvas(page, 'intro-line');
    const expected = screenWithLine('CONTENT.INTRO REFUSED', 22).subarray(4 * ScreenWidth * 352, 4 * ScreenWidth * 368);
    assert.equal(firstDifference(line.pixels, expected), -1, 'the line under the text is not the refusal');
    await holdMatchesPreview(page);
    // The built-in song, as played: the recording of its first 8 s.
    await page.waitForFunction(() => introSound.recording !== null, { timeout: 20000, polling: 100 });
    const recording = await page.evaluate(() => Array.from(introSound.recording));
    assert.equal(firstDifference(recording, Array.from(modrenderSamples(RecordFrames))), -1, 'not the built-in song');
    assert.deepEqual(problems, []);
    await page.close();
  });

  test('a pack dropped before the start is played; dropped after it, it is refused', async () => {
    const page = await open('refused/', { problems: [] });
    const drop = (name) => page.evaluate((bytes, file) => {
      const transfer = new DataTransfer();
      transfer.items.add(new File([Uint8Array.from(atob(bytes), (c) => c.charCodeAt(0))], file));
      document.dispatchEvent(new DragEvent('drop', { dataTransfer: transfer, cancelable: true }));
      return introContent.turn;
    }, readFileSync(pack).toString('base64'), name);
    await drop('own.intro');
    assert.match(await page.$eval('#intro-status', (e) => e.textContent), /^Click or press a key/);
    assert.equal(await page.$eval('#intro-line', (e) => e.hidden), true);
    await holdMatchesPreview(page, pack);
    await drop('late.intro');
    assert.match(await page.$eval('#intro-status', (e) => e.textContent),
      /^late\.intro was refused \(the intro has started; reload the page first\); the intro plays the content of own\.intro\./);
    await page.close();
  });
}
