// The maker's WebAssembly tools (maker.js) against intro-pack on
// examples/own-intro, in each browser: intro.exe's size and parts are the
// lines intro-pack prints, and intro.html is intro-pack's byte for byte.
import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import { cpSync, mkdtempSync, readFileSync, rmSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import path from 'node:path';
import { fileURLToPath } from 'node:url';
import { after, before, test } from 'node:test';
import { browserNames, launchBrowser, nativeBin, root, serveFolder } from './harness.mjs';

const makerDir = process.env.INTRO_MAKER_SITE ?? fileURLToPath(new URL('../../build/maker', import.meta.url));
const contentDir = path.join(root, 'examples/own-intro');
const webFiles = ['index.html', 'intro-page.js', 'intro.js', 'intro.wasm', 'intro-sound.wasm', 'intro-worklet.js', 'font.pixels'];

// In the page: the three texts built, then intro.exe's sizes and intro.html (base64).
async function makeInPage(texts, names) {
  const tools = await MakerTools();
  const put = (bytes) => { const at = tools._MakerAlloc(bytes.length); tools.HEAPU8.set(bytes, at); return at; };
  const fetched = async (file) => new Uint8Array(await (await fetch(file)).arrayBuffer());
  const [pages, font, song] = texts.map((text) => new TextEncoder().encode(text));
  tools._MakerBuild(put(pages), pages.length, put(font), font.length, put(song), song.length, 0);
  const shell = await fetched('intro.exe');
  const exeSize = tools._MakerBuildExe(put(shell), shell.length);
  const sizes = JSON.parse(tools.UTF8ToString(tools._MakerExeSizes()));
  for (const name of names) {
    const bytes = await fetched(`web/${name}`);
    if (!tools._MakerAddWebFile(put(new TextEncoder().encode(`${name}\0`)), put(bytes), bytes.length)) return { refused: name };
  }
  const htmlSize = tools._MakerSingleHtml();
  const html = tools.HEAPU8.slice(tools._MakerHtml(), tools._MakerHtml() + htmlSize);
  let binary = '';
  for (let i = 0; i < html.length; i += 0x8000) binary += String.fromCharCode(...html.subarray(i, i + 0x8000));
  return { exeSize, sizes, html: btoa(binary), messages: tools.UTF8ToString(tools._MakerMessages()) };
}

let site, packedDir;
const packed = {};
before(async () => {
  const dir = mkdtempSync(path.join(tmpdir(), 'maker-tools-'));
  cpSync(makerDir, dir, { recursive: true });
  writeFileSync(path.join(dir, 'tools.html'), '<!doctype html><title>tools</title><link rel="icon" href="data:,"><script src="maker.js"></script>\n');
  site = await serveFolder(dir);
  // Written in its working folder, intro-pack names the files as the maker does.
  packedDir = mkdtempSync(path.join(tmpdir(), 'maker-tools-packed-'));
  const introPack = (...args) => execFileSync(path.join(nativeBin, 'intro-pack'), [contentDir, ...args], { cwd: packedDir, encoding: 'utf8' });
  packed.sizes = introPack('-o', 'intro.exe', '--shell', path.join(makerDir, 'intro.exe'));
  introPack('-o', 'intro.html', '--web', path.join(makerDir, 'web'));
  packed.html = readFileSync(path.join(packedDir, 'intro.html'));
});
after(() => { site?.stop(); if (packedDir) rmSync(packedDir, { recursive: true, force: true }); });

for (const name of browserNames) {
  test(`in ${name}, the maker's intro.exe sizes and intro.html are intro-pack's`, async () => {
    const browser = await launchBrowser(name);
    try {
      const page = await browser.open(`${site.url}tools.html`);
      const texts = ['pages.txt', 'font.txt', 'song.fcs'].map((file) => readFileSync(path.join(contentDir, file), 'latin1'));
      const made = await page.evaluate(makeInPage, texts, webFiles);
      assert.deepEqual({ refused: made.refused, messages: made.messages }, { refused: undefined, messages: '' });
      const { sizes } = made;
      assert.equal(sizes.text, packed.sizes);
      assert.equal(sizes.code + sizes.pages + sizes.font + sizes.song + sizes.rest, made.exeSize);
      assert.equal(sizes.left, 65536 - sizes.file);
      assert.ok(Buffer.from(made.html, 'base64').equals(packed.html), 'intro.html differs from intro-pack\'s');
      assert.deepEqual(browser.problems, []);
      console.log(`${name}: _MakerExeSizes: ${JSON.stringify({ ...sizes, text: undefined })}`);
    } finally {
      await browser.close();
    }
  });
}
