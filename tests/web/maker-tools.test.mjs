// The maker's WebAssembly tools (maker.js) against intro-pack, in each
// browser, on examples/own-intro: the one-file intro.html byte for byte, and
// intro.exe's size and parts as intro-pack prints them.
import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import { cpSync, mkdtempSync, readFileSync, rmSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import path from 'node:path';
import { fileURLToPath } from 'node:url';
import { after, before, describe, test } from 'node:test';
import { browserNames, launchBrowser, nativeBin, root, serveFolder } from './harness.mjs';

const makerDir = process.env.INTRO_MAKER_SITE ?? fileURLToPath(new URL('../../build/maker', import.meta.url));
const contentDir = path.join(root, 'examples/own-intro');
const WebFiles = ['index.html', 'intro-page.js', 'intro.js', 'intro.wasm', 'intro-sound.wasm', 'intro-worklet.js',
  'font.pixels'];

// In the page: the tools built from the three texts, then intro.exe's sizes
// and intro.html (base64) made from the maker folder's files.
async function makeInPage(texts, webFiles) {
  const tools = await MakerTools();
  const put = (bytes) => {
    const at = tools._MakerAlloc(bytes.length);
    tools.HEAPU8.set(bytes, at);
    return at;
  };
  const text = (value) => new TextEncoder().encode(value);
  const bytesOf = async (file) => new Uint8Array(await (await fetch(file)).arrayBuffer());
  const [pages, font, song] = texts.map(text);
  if (!tools._MakerBuild(put(pages), pages.length, put(font), font.length, put(song), song.length, 0)) {
    return { problems: tools.UTF8ToString(tools._MakerMessages()) };
  }
  const shell = await bytesOf('intro.exe');
  const exeSize = tools._MakerBuildExe(put(shell), shell.length);
  const sizes = JSON.parse(tools.UTF8ToString(tools._MakerExeSizes()));
  for (const name of webFiles) {
    const bytes = await bytesOf(`web/${name}`);
    tools._MakerAddWebFile(put(text(`${name}\0`)), put(bytes), bytes.length);
  }
  const htmlSize = tools._MakerSingleHtml();
  const html = tools.HEAPU8.subarray(tools._MakerHtml(), tools._MakerHtml() + htmlSize);
  let binary = '';
  for (let i = 0; i < html.length; i += 0x8000) binary += String.fromCharCode(...html.subarray(i, i + 0x8000));
  return { exeSize, sizes, html: btoa(binary), problems: tools.UTF8ToString(tools._MakerMessages()) };
}

let site, packed;
before(async () => {
  const dir = mkdtempSync(path.join(tmpdir(), 'maker-tools-'));
  cpSync(makerDir, dir, { recursive: true });
  writeFileSync(path.join(dir, 'tools.html'), '<!doctype html><title>tools</title><link rel="icon" href="data:,"><script src="maker.js"></script>\n');
  // intro-pack writes into its working folder, so it names the files as the maker does.
  const packedDir = mkdtempSync(path.join(tmpdir(), 'maker-tools-packed-'));
  const introPack = (out, ...extra) => execFileSync(path.join(nativeBin, 'intro-pack'),
    [contentDir, '-o', out, ...extra], { cwd: packedDir, encoding: 'utf8' });
  packed = {
    dir: packedDir,
    sizesText: introPack('intro.exe', '--shell', path.join(makerDir, 'intro.exe')),
    htmlSaid: introPack('intro.html', '--web', path.join(makerDir, 'web')),
  };
  site = await serveFolder(dir);
});
after(() => {
  site?.stop();
  if (packed?.dir) rmSync(packed.dir, { recursive: true, force: true });
});

for (const name of browserNames) {
  describe(`the maker's tools in ${name}`, () => {
    let browser, made;
    before(async () => {
      browser = await launchBrowser(name);
      const page = await browser.open(`${site.url}tools.html`);
      const texts = ['pages.txt', 'font.txt', 'song.fcs'].map((file) => readFileSync(path.join(contentDir, file), 'latin1'));
      made = await page.evaluate(makeInPage, texts, WebFiles);
      await page.close();
    });
    after(async () => { await browser?.close(); });

    test('intro.exe\'s size and parts are the lines intro-pack prints, and add up to the file', () => {
      assert.equal(made.problems, '');
      const { sizes } = made;
      assert.equal(sizes.text, packed.sizesText);
      assert.equal(sizes.file, made.exeSize);
      assert.equal(sizes.code + sizes.pages + sizes.font + sizes.song + sizes.rest, sizes.file);
      assert.equal(sizes.left, 65536 - sizes.file);
      console.log(`${name}: _MakerExeSizes: ${JSON.stringify({ ...sizes, text: undefined })}`);
    });

    test('intro.html is intro-pack\'s byte for byte', () => {
      const expected = readFileSync(path.join(packed.dir, 'intro.html'));
      assert.ok(Buffer.from(made.html, 'base64').equals(expected), `${packed.htmlSaid} differs from the maker's`);
    });

    test('no console error, page error or failed request', () => {
      assert.deepEqual(browser.problems, []);
    });
  });
}
