// Content packs on the page: intro-pack's web folder of examples/own-intro
// plays its pack, a truncated content.intro is refused with the reader's
// reason while the built-in content plays, a pack whose font cannot be
// decoded is refused, and a pack dropped before the start is played.
import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import { cpSync, mkdtempSync, readFileSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import path from 'node:path';
import { after, before, test } from 'node:test';
import { firstDifference, modrenderSamples, nativeBin, pixelAt, previewScreen, readCanvas, root,
  screenWithLine, ScreenWidth, serveFolder, siteDir } from './harness.mjs';

const status = (page) => page.$eval('#intro-status', (e) => e.textContent);

// Starts the intro; page 0 held must be intro-preview's screen and the first
// 8 s played modrender's, both of `pack` (without one, the built-in content).
export async function playsPack(page, pack) {
  await page.mouse.click(300, 300);
  await page.waitForFunction(() => Module._WebHeldPage() === 0, { timeout: 30000, polling: 50 });
  const shown = await readCanvas(page, 'intro', '({ steps: Module._WebActingSteps() })');
  const at = firstDifference(shown.pixels, previewScreen(shown.steps, pack));
  assert.equal(at, -1, `canvas differs from intro-preview --steps ${shown.steps} at pixel ${pixelAt(at)}`);
  await page.waitForFunction(() => introSound.recording !== null, { timeout: 20000, polling: 100 });
  const played = await page.evaluate(() => Array.from(introSound.recording));
  const sample = firstDifference(played, Array.from(modrenderSamples(8 * 44100, pack)));
  assert.equal(sample, -1, `played sample ${sample} differs from modrender's`);
}

// CRC-32 as zlib's, for a pack changed after intro-pack wrote it.
function crc32(bytes) {
  let crc = 0xffffffff;
  for (const byte of bytes) {
    crc ^= byte;
    for (let k = 0; k < 8; ++k) crc = crc & 1 ? (crc >>> 1) ^ 0xedb88320 : crc >>> 1;
  }
  return (crc ^ 0xffffffff) >>> 0;
}

// `pack` with its font's header claiming `width` x `height` pixels and the
// checksum mended, so the pack's layout is sound and only the font is not.
function withFontSize(pack, width, height) {
  const bytes = Uint8Array.from(pack);
  const view = new DataView(bytes.buffer);
  const font = 32 + view.getUint32(12, true);
  view.setUint32(font + 18, width, true);
  view.setUint32(font + 22, height, true);
  view.setUint32(24, crc32(bytes.subarray(32)), true);
  return Buffer.from(bytes);
}

export function contentPacks(env) {
  let server, pack;
  const open = async (folder, problems) => {
    const page = await env.browser.open(`${server.url}${folder}?test-record`, { problems });
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
    writeFileSync(path.join(dir, 'refused/content.json'), '{"pack": "content.intro"}');
    server = await serveFolder(dir);
  });
  after(() => server?.stop());

  test('intro-pack\'s web folder of examples/own-intro shows and plays its pack', async () => {
    const problems = [];
    const page = await open('site/', problems);
    assert.match(await status(page), /^Click or press a key/);
    await playsPack(page, pack);
    assert.deepEqual(problems, []);
    await page.close();
  });

  test('a truncated content.intro is refused with the reader\'s reason; the built-in content plays', async () => {
    const problems = [];
    const page = await open('refused/', problems);
    assert.match(await status(page), /^content\.intro was refused \(truncated: the header's lengths need \d+ bytes, there are 100\); the intro plays its built-in content\. Click/);
    await page.waitForFunction(() => introState.shownLine !== null, { polling: 50 });
    const expected = screenWithLine('CONTENT.INTRO REFUSED', 22).subarray(4 * ScreenWidth * 352, 4 * ScreenWidth * 368);
    assert.equal(firstDifference((await readCanvas(page, 'intro-line')).pixels, expected), -1, 'no refusal line');
    await playsPack(page);
    assert.deepEqual(problems, []);
    await page.close();
  });

  test('a pack dropped before the start is played, one whose font cannot be decoded or one dropped after it is refused', async () => {
    const page = await open('refused/', []);
    const drop = (name, bytes = readFileSync(pack)) => page.evaluate((base64, file) => {
      const transfer = new DataTransfer();
      transfer.items.add(new File([Uint8Array.from(atob(base64), (c) => c.charCodeAt(0))], file));
      document.dispatchEvent(new DragEvent('drop', { dataTransfer: transfer, cancelable: true }));
      return introContent.turn;
    }, bytes.toString('base64'), name);
    await drop('huge-font.intro', withFontSize(readFileSync(pack), 30000, 30000));
    assert.match(await status(page), /^huge-font\.intro was refused \(the font at offset \d+: 30000 x 30000 pixels; each side must be from 1 to 4096\); the intro plays its built-in content\./);
    await drop('own.intro');
    assert.match(await status(page), /^Click or press a key/);
    await playsPack(page, pack);
    await drop('late.intro');
    assert.match(await status(page), /^late\.intro was refused \(the intro has started; reload the page first\); the intro plays the content of own\.intro\./);
    await page.close();
  });
}
