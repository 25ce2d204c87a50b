// The intro maker end to end, in each browser: an edited page restarts the
// live intro, which then shows what intro-preview shows for intro-pack's pack
// of the same content; a bad character is reported at its line as intro-pack
// reports it while the last intro plays on; intro.exe and the share link give
// intro-pack's bytes; and all of it keeps working once the server is gone.
import assert from 'node:assert/strict';
import { execFileSync, spawn } from 'node:child_process';
import { appendFileSync, copyFileSync, cpSync, mkdirSync, mkdtempSync, readdirSync, readFileSync, rmSync, utimesSync, writeFileSync } from 'node:fs';
import { createHash } from 'node:crypto';
import { tmpdir } from 'node:os';
import { deflateRawSync } from 'node:zlib';
import path from 'node:path';
import { after, before, describe, test } from 'node:test';
import { fileURLToPath } from 'node:url';
import { axeViolations } from './access.mjs';
import { browserNames, firstDifference, launchBrowser, modrenderSamples, nativeBin, pixelAt, readCanvas,
  readRgbPng, root, serveFolder, sleep } from './harness.mjs';

const makerDir = process.env.INTRO_MAKER_SITE ?? fileURLToPath(new URL('../../build/maker', import.meta.url));
const contentDir = path.join(makerDir, 'content/intro');
// Where the downloaded intro.exe and its pack are kept for the Wine check
// (scripts/e2e/run-all.sh runs the exe and compares it with intro-preview).
const downloads = process.env.INTRO_MAKER_DOWNLOADS ?? path.join(root, 'build/maker-downloads');

// Serves the maker folder on a free port until stop().
function serveMaker() {
  return new Promise((resolve, reject) => {
    const server = spawn('python3', ['-u', '-m', 'http.server', '0', '--bind', '127.0.0.1', '--directory', makerDir],
      { stdio: ['ignore', 'pipe', 'pipe'] });
    let said = '';
    server.stdout.on('data', (chunk) => {
      said += chunk;
      const port = said.match(/port (\d+)/);
      if (port) resolve({ url: `http://127.0.0.1:${port[1]}/`, stop: () => server.kill() });
    });
    server.on('exit', (code) => reject(new Error(`http.server ended (${code}): ${said}`)));
  });
}

// A content folder of the maker's intro content with pages.txt replaced.
function contentFolder(pages) {
  const dir = mkdtempSync(path.join(tmpdir(), 'maker-content-'));
  writeFileSync(path.join(dir, 'pages.txt'), pages);
  copyFileSync(path.join(contentDir, 'font.txt'), path.join(dir, 'font.txt'));
  copyFileSync(path.join(contentDir, 'song.fcs'), path.join(dir, 'song.fcs'));
  return dir;
}

// intro-pack's output `name` for that content (a folder: in `dir`, removed on
// the next turn) with what it printed, or its messages when it refuses.
function introPack(pages, name, extra = []) {
  const dir = contentFolder(pages);
  try {
    const out = path.join(dir, name);
    const printed = execFileSync(path.join(nativeBin, 'intro-pack'), [dir, '-o', out, ...extra],
      { stdio: ['ignore', 'pipe', 'pipe'], encoding: 'utf8' }).replaceAll(out, name);
    return { bytes: name.endsWith('/') ? null : readFileSync(out), printed, dir };
  } catch (error) {
    return { messages: String(error.stderr).replaceAll(`${dir}/`, ''), dir };
  } finally {
    setTimeout(() => rmSync(dir, { recursive: true, force: true }), 0);
  }
}

// Acting steps until page 0 of `pages` is typed and held, as the harness
// counts them for the built-in pages: one to start, one per character, its
// line ends ']' and final '|' included.
function heldSteps(pages) {
  const lines = [];
  let inside = false;
  for (const line of pages.split('\n').map((l) => l.replace(/\r$/, ''))) {
    if (line.startsWith(';')) continue;
    if (!inside && line === 'page') inside = true;
    else if (inside && line === 'end') break;
    else if (inside) lines.push(line);
  }
  return 1 + lines.join(']').length + 1;
}

function previewOf(pack, steps) {
  const dir = mkdtempSync(path.join(tmpdir(), 'maker-preview-'));
  try {
    writeFileSync(path.join(dir, 'x.intro'), pack);
    execFileSync(path.join(nativeBin, 'intro-preview'), ['--content', path.join(dir, 'x.intro'), '--steps', String(steps),
      '-o', path.join(dir, 'x.png')]);
    return readRgbPng(readFileSync(path.join(dir, 'x.png'))).rgba;
  } finally {
    rmSync(dir, { recursive: true, force: true });
  }
}

const readPages = (page) => page.evaluate(() => maker.texts['pages.txt']);
const editorTexts = (page) => page.evaluate(() => Object.values(maker.texts));
// Replaces line `line` (1-based) of pages.txt as typing does: an edit of that line.
const setPagesLine = (page, line, text) => page.evaluate((n, t) => {
  const lines = maker.texts['pages.txt'].split('\n');
  lines[n - 1] = t;
  maker.edit('pages.txt', lines.join('\n'));
}, line, text);
const bytesOf = async (page, expression) =>
  Buffer.from(await page.evaluate(`(async () => { const b = await (${expression});
    let s = ''; for (const x of b) s += String.fromCharCode(x); return btoa(s); })()`), 'base64');
const waitFor = async (page, condition, what, ms = 20000) => {
  for (const end = Date.now() + ms; Date.now() < end; await sleep(50)) if (await page.evaluate(condition)) return;
  throw new Error(`waited ${ms} ms for ${what}`);
};
const Charset = " ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789><*/\\,.'&-:+@!%";
// The first and last lines (1-based) wholly in view in FILE's editor.
const linesInView = (page, file) => page.evaluate((f) => {
  const view = maker.views[f], doc = view.state.doc, scroller = view.scrollDOM.getBoundingClientRect();
  const top = scroller.top - view.documentTop, bottom = top + view.scrollDOM.clientHeight;
  const first = view.lineBlockAtHeight(top + 1), last = view.lineBlockAtHeight(bottom - 1);
  return { first: doc.lineAt(first.top >= top - 0.5 ? first.from : first.to + 1).number,
    last: doc.lineAt(last.bottom <= bottom + 0.5 ? last.from : last.from - 1).number };
}, file);
// The lines (1-based) of FILE's editor that show a diagnostic, and the cursor's line.
const diagnosticsOf = (page, file) => page.evaluate((f) => {
  const view = maker.views[f], lineOf = (at) => view.state.doc.lineAt(at).number;
  return { marked: [...view.dom.querySelectorAll('.cm-lintRange-error')].map((range) => lineOf(view.posAtDOM(range))),
    gutter: [...view.dom.querySelectorAll('.cm-lint-marker-error')].map((marker) =>
      lineOf(view.lineBlockAtHeight(marker.getBoundingClientRect().top + 2 - view.documentTop).from)),
    cursor: lineOf(view.state.selection.main.head), focused: view.hasFocus };
}, file);
const statusOf = (page) => page.$eval('#status', (e) => e.textContent);
// The maker's edit link of three texts, as its share link button packs them.
const editLink = (texts) => `#edit=${deflateRawSync(Buffer.from(JSON.stringify(texts))).toString('base64url')}`;
// Opens `hash` and waits for the status to say the link was refused: its status and the ms it took.
async function refusedLink(browser, url, hash) {
  const start = Date.now();
  const opened = await browser.open(url + hash);
  await waitFor(opened, `/cannot be opened/.test(document.getElementById('status').textContent)`, 'the refusal', 60000);
  return { opened, ms: Date.now() - start, status: await statusOf(opened) };
}


// The service worker's list of files and version, as the build wrote them.
function precacheOf(dir) {
  const line = readFileSync(path.join(dir, 'maker-sw.js'), 'utf8').match(/^const Precache = \{ version: '(\w+)', files: \[(.*)\] \};$/m);
  return { version: line[1], files: line[2].split(', ').map((file) => file.slice(1, -1)) };
}
// What that list and version should be: every file of the folder but the worker, in
// path order, and the first 16 hex digits of the SHA-256 of "<path> <its SHA-256>" lines.
function folderPrecache(dir) {
  const sha256 = (bytes) => createHash('sha256').update(bytes).digest('hex');
  const files = readdirSync(dir, { recursive: true, withFileTypes: true }).filter((entry) => entry.isFile())
    .map((entry) => path.relative(dir, path.join(entry.parentPath ?? entry.path, entry.name)))
    .filter((file) => file !== 'maker-sw.js').sort();
  const listing = files.map((file) => `${file} ${sha256(readFileSync(path.join(dir, file)))}\n`).join('');
  return { version: sha256(listing).slice(0, 16), files };
}
// Started, and the downloads' files fetched (a reload before would abort those fetches).
const Opened = 'window.maker?.preview !== null && maker.restarts >= 1 && maker.downloadsFetched';

for (const name of browserNames) {
  describe(`the intro maker in ${name}`, () => {
    let browser, site, page, firstLine, pages;
    before(async () => {
      site = await serveMaker();
      browser = await launchBrowser(name);
      page = await browser.open(site.url);
      await waitFor(page, 'window.maker?.preview !== null && maker.restarts >= 1', 'the first intro');
      pages = await readPages(page);
      firstLine = pages.split('\n').indexOf('page') + 2;  // page 0's first line
    });
    after(async () => { await browser?.close(); site?.stop(); });

    test('an edited page restarts the intro, which then shows intro-preview\'s picture of the same pack', async () => {
      const restarts = await page.evaluate('maker.restarts');
      await setPagesLine(page, firstLine, 'MADE IN THE MAKER!');
      await waitFor(page, `maker.restarts > ${restarts}`, 'the restart');
      const delay = await page.evaluate('maker.lastRestartDelay');
      console.log(`${name}: keystroke to restart ${delay.toFixed(0)} ms (the page waits 300 ms for more typing)`);
      const edited = await readPages(page);
      const { bytes: pack } = introPack(edited, 'x.intro');
      assert.ok(pack, 'intro-pack refused the edited pages');
      assert.deepEqual(await bytesOf(page, 'maker.pack'), pack);
      await waitFor(page, 'maker.preview?._PreviewHeldPage() === 0', 'page 0 held');
      const shown = await readCanvas(page, 'intro', '({ held: maker.preview._PreviewHeldPage() })');
      assert.equal(shown.held, 0, 'page 0 no longer held when the canvas was read');
      const expected = previewOf(pack, heldSteps(edited) + 10);
      const at = firstDifference(shown.pixels, expected);
      assert.equal(at, -1, `the canvas differs from intro-preview at ${pixelAt(at)}`);
    });

    test('a character outside the font is reported at its line, and the last intro plays on', async () => {
      const restarts = await page.evaluate('maker.restarts');
      const packBefore = await bytesOf(page, 'maker.pack');
      await setPagesLine(page, firstLine + 1, 'LOWER case');
      const { messages } = introPack(await readPages(page), 'x.intro');
      const expected = messages.split('\n').filter((m) => m.startsWith('pages.txt'));
      assert.match(expected[0], new RegExp(`^pages\\.txt:${firstLine + 1}: `));
      await waitFor(page, `document.querySelector('[data-file="pages.txt"] .messages li') !== null`, 'the message');
      const shown = await page.evaluate(() => ({
        messages: [...document.querySelectorAll('[data-file="pages.txt"] .messages li')].map((li) => li.textContent),
        clock: maker.preview._PreviewClock(),
      }));
      assert.deepEqual(shown.messages, expected);
      // The message is a diagnostic at its line, in the text and the gutter; a click on it goes there.
      const marks = await diagnosticsOf(page, 'pages.txt');
      assert.deepEqual([marks.marked, marks.gutter], [[firstLine + 1], [firstLine + 1]]);
      await page.click('[data-file="pages.txt"] .messages li');
      const clicked = await diagnosticsOf(page, 'pages.txt');
      assert.deepEqual([clicked.cursor, clicked.focused], [firstLine + 1, true]);
      // The page under the cursor, its screen lines out of 20: one a line, one more for every 32 characters.
      const text = (await readPages(page)).split('\n'), end = text.indexOf('end', firstLine);
      const used = text.slice(firstLine - 1, end).reduce((sum, line) => sum + Math.floor(line.length / 32) + 1, 0);
      assert.equal(await page.$eval('#page-lines', (e) => e.textContent), `page 1: ${used} of 20 lines`);
      await sleep(500);
      const later = await page.evaluate('({ restarts: maker.restarts, clock: maker.preview._PreviewClock() })');
      assert.equal(later.restarts, restarts, 'the intro restarted from content with an error');
      assert.ok(later.clock > shown.clock, 'the last intro stopped running');
      assert.deepEqual(await bytesOf(page, 'maker.pack'), packBefore);
      await setPagesLine(page, firstLine + 1, '');
      await waitFor(page, `document.querySelector('[data-file="pages.txt"] .messages li') === null`, 'the message to go');
    });

    test('with the server gone: intro.exe (its parts shown as intro-pack prints them), intro.html and the share link are intro-pack\'s', async () => {
      site.stop();
      await sleep(300);
      const pages = await readPages(page);
      const shell = path.join(makerDir, 'intro.exe');
      // The edited content's parts, shown without a download: intro-pack's lines as a table.
      const packed = introPack(pages, 'intro.exe', ['--shell', shell]);
      const printed = packed.printed.trimEnd().split('\n');
      const shownSizes = () => page.$eval('#exe-sizes', (box) => [box.querySelector('caption')?.textContent,
        ...[...box.querySelectorAll('tr')].map((row) => `${row.cells[0].textContent} ${row.cells[1].textContent}`)]);
      const expected = [printed[0], ...printed.slice(1).map((line) => line.trim().replace(/ +(?=[\d,]+$)/, ' '))];
      await waitFor(page, `document.querySelector('#exe-sizes caption')?.textContent === ${JSON.stringify(printed[0])}`,
        'the sizes of the edited content');
      assert.deepEqual(await shownSizes(), expected);
      const exe = await bytesOf(page, 'maker.introExe()');
      assert.deepEqual(exe, packed.bytes);
      const html = await bytesOf(page, 'maker.introHtml()');
      assert.ok(html.equals(introPack(pages, 'intro.html', ['--web', path.join(makerDir, 'web')]).bytes),
        'intro.html differs from intro-pack\'s');
      const pack = await bytesOf(page, 'maker.pack');
      assert.deepEqual(pack, introPack(pages, 'x.intro').bytes);
      mkdirSync(path.join(downloads, name), { recursive: true });
      writeFileSync(path.join(downloads, name, 'edited.exe'), exe);
      writeFileSync(path.join(downloads, name, 'edited.intro'), pack);
      const zip = await bytesOf(page, 'maker.webFolderZip().then((b) => b.arrayBuffer()).then((a) => new Uint8Array(a))');
      // Python's zipfile reads it back and checks every CRC-32.
      const zipDir = mkdtempSync(path.join(tmpdir(), 'maker-zip-'));
      try {
        writeFileSync(path.join(zipDir, 'web.zip'), zip);
        const bad = execFileSync('python3', ['-c', 'import sys, zipfile; print(zipfile.ZipFile(sys.argv[1]).testzip())',
          path.join(zipDir, 'web.zip')], { encoding: 'utf8' }).trim();
        assert.equal(bad, 'None', `the web folder zip's entry ${bad} is damaged`);
      } finally {
        rmSync(zipDir, { recursive: true, force: true });
      }
      // A stored zip holds each file's bytes whole: intro-pack's web folder, file by file
      // (all but intro-pack's list of the files it wrote, which a download has no use for).
      const folder = introPack(pages, 'site/', ['--web', path.join(makerDir, 'web')]);
      for (const file of readdirSync(path.join(folder.dir, 'site')).filter((f) => f !== '.intro-pack-files')) {
        assert.ok(zip.includes(readFileSync(path.join(folder.dir, 'site', file))), `the web folder zip lacks ${file}`);
      }
      const link = await page.evaluate('maker.shareLink()');
      console.log(`${name}: share link of the edited intro content: ${link.length} characters`);
      site = await serveMaker();  // the link's page loads from a new server
      const shared = await browser.open(site.url + link.slice(link.indexOf('#')));
      await waitFor(shared, 'window.maker?.pack !== null', 'the shared pack');
      assert.deepEqual(await bytesOf(shared, 'maker.pack'), pack);
      assert.equal(await shared.evaluate('document.body.classList.contains("playing")'), true);
      await shared.click('#player-screen');
      await waitFor(shared, 'maker.preview !== null', 'the shared intro to start');
      await shared.close();
    });

    test('Play plays modrender\'s samples of the pack, shows the sequence entry, mutes voices, and Stop ends it', async () => {
      const sound = await browser.open(`${site.url}?test-record`);
      await waitFor(sound, 'window.maker?.preview !== null && maker.restarts >= 1', 'the intro');
      await sound.click('#play');
      await waitFor(sound, 'maker.recording !== null', 'the first 4 s played');
      const played = Array.from(await sound.evaluate('Array.from(maker.recording)'));
      const dir = mkdtempSync(path.join(tmpdir(), 'maker-sound-'));
      try {
        writeFileSync(path.join(dir, 'x.intro'), await bytesOf(sound, 'maker.pack'));
        const at = firstDifference(played, Array.from(modrenderSamples(played.length / 2, path.join(dir, 'x.intro'))));
        assert.equal(at, -1, `played sample ${at} differs from modrender's`);
      } finally {
        rmSync(dir, { recursive: true, force: true });
      }
      // The counter names the entry playing: an index below the count, going on to the next one.
      const entryNow = () => sound.$eval('#song-entry', (e) => e.textContent.match(/^entry (\d+) of (\d+), row \d+$/).slice(1).map(Number));
      const [entry, entries] = await entryNow();
      assert.ok(entry < entries, `entry ${entry} of ${entries}`);
      await waitFor(sound, `maker.entry !== ${entry}`, 'the next sequence entry', 30000);
      assert.deepEqual(await entryNow(), [(entry + 1) % entries, entries]);
      for (const box of await sound.$$('.mute')) await box.click();
      await sound.evaluate('maker.recording = null');
      await sound.click('#play');  // plays the pack again from its start, all four voices muted
      await waitFor(sound, 'maker.recording !== null', 'the first 4 s played muted');
      assert.equal(await sound.evaluate('maker.recording.some((s) => s !== 0)'), false, 'sound with every voice muted');
      assert.ok(played.some((s) => s !== 0), 'the unmuted recording is silent');
      await sound.click('#stop');
      await sleep(300);
      const stopped = await sound.evaluate('maker.framesPlayed');
      await sleep(500);
      assert.equal(await sound.evaluate('maker.framesPlayed'), stopped, 'frames still counted after Stop');
      await sound.close();
    });

    test('a module file loaded from disk becomes modasm --disassemble\'s source and plays', async () => {
      const dir = mkdtempSync(path.join(tmpdir(), 'maker-song-'));
      try {
        const module = path.join(dir, 'song.mod'), source = path.join(dir, 'song.fcs');
        execFileSync(path.join(nativeBin, 'modasm'), [path.join(makerDir, 'content/example/song.fcs'), '-o', module]);
        execFileSync(path.join(nativeBin, 'modasm'), ['--disassemble', module, '-o', source]);
        // A new song alone goes into the music; the picture goes on.
        const taken = await page.evaluate('maker.restarts + maker.songSwaps');
        await (await page.$('#song-file')).uploadFile(module);
        await waitFor(page, `maker.restarts + maker.songSwaps > ${taken}`, 'the loaded song taken');
        const shown = await page.evaluate(() => maker.texts['song.fcs']);
        assert.equal(shown, readFileSync(source, 'utf8'));
        const pack = await bytesOf(page, 'maker.pack');
        const songAt = pack.length - readFileSync(module).length;
        assert.deepEqual(pack.subarray(songAt), readFileSync(module), 'the pack does not end in the loaded module');
      } finally {
        rmSync(dir, { recursive: true, force: true });
      }
    });

    test('share links and files past a pack\'s sizes are refused with a message, and the page answers while the tools work', async () => {
      const intro = ['pages.txt', 'font.txt', 'song.fcs'].map((file) => readFileSync(path.join(contentDir, file), 'utf8'));
      // A link unpacking to a million lines, and one to 16 million: each refused, the intro's own content loaded.
      const million = editLink([intro[0], intro[1], intro[2] + '\n'.repeat(1e6)]);
      const first = await refusedLink(browser, site.url, million);
      console.log(`${name}: a ${million.length}-character link of a million lines refused after ${first.ms} ms`);
      assert.match(first.status, /its song\.fcs has 1,000,\d{3} lines, more than the 131,072 song\.fcs may have .*own content is loaded instead/);
      assert.equal(await readPages(first.opened), intro[0]);
      await first.opened.close();
      const huge = editLink([intro[0] + '\n'.repeat(16e6), intro[1], intro[2]]);
      const second = await refusedLink(browser, site.url, huge);
      console.log(`${name}: a ${huge.length}-character link of 16 million lines refused after ${second.ms} ms`);
      assert.match(second.status, /it unpacks to more than [\d,]+ bytes, more than its three files may hold/);
      await second.opened.close();

      // A play link whose content has problems says which.
      const bad = editLink([intro[0].replace(/\npage\n/, '\npage\nlower case\n'), intro[1], intro[2]]).replace('#edit=', '#play=');
      const player = await browser.open(site.url + bad);
      await waitFor(player, `/problems \\(pages\\.txt:\\d+: /.test(document.getElementById('player-prompt').textContent)`, 'the problem');
      assert.match(await statusOf(player), /^This link's content has problems: pages\.txt:\d+: /);
      await player.close();

      // In a running maker: an unreadable link, an oversized song file and an
      // oversized dropped text leave the editors as they were.
      const before = await editorTexts(page);
      await page.evaluate((hash) => { location.hash = hash; }, million);
      await waitFor(page, `/cannot be opened: its song.fcs .* Your content is unchanged/.test(document.getElementById('status').textContent)`, 'the refusal');
      const dir = mkdtempSync(path.join(tmpdir(), 'maker-big-'));
      try {
        const module = Buffer.alloc(16 << 20);
        module.write('FC14');
        writeFileSync(path.join(dir, 'big.mod'), module);
        const start = Date.now();
        await (await page.$('#song-file')).uploadFile(path.join(dir, 'big.mod'));
        await waitFor(page, `document.getElementById('status').textContent.startsWith('big.mod')`, 'the refusal');
        console.log(`${name}: a 16 MiB module through Load a song refused after ${Date.now() - start} ms`);
        assert.equal(await statusOf(page), 'big.mod: it is 16,777,216 bytes, more than the 8,388,608 bytes song.fcs may hold ' +
          '(what a content pack holds). Choose a smaller file.');
        await page.evaluate(() => {
          const drop = new DataTransfer();
          drop.items.add(new File([new Uint8Array(300 * 1024).fill(65)], 'long.txt'));
          document.querySelector('[data-file="font.txt"] .cm-content').dispatchEvent(new DragEvent('drop', { dataTransfer: drop, bubbles: true, cancelable: true }));
        });
        await waitFor(page, `document.getElementById('status').textContent.startsWith('long.txt')`, 'the refusal');
        assert.match(await statusOf(page), /^long\.txt: it is 307,200 bytes, more than the 262,144 bytes font\.txt may hold/);
        assert.deepEqual(await editorTexts(page), before);

        // A module of 8 MiB whose source is too long for the editor: the page
        // answers and its buttons work while the tools take it apart.
        const noise = path.join(dir, 'noise.mod');
        execFileSync(path.join(nativeBin, 'modasm'), [path.join(makerDir, 'content/example/song.fcs'), '-o', noise]);
        const song = readFileSync(noise), padded = Buffer.alloc(8 << 20);
        for (let i = 0; i < padded.length; ++i) padded[i] = (i * 2654435761) >>> 24;
        song.copy(padded);
        writeFileSync(noise, padded);
        await (await page.$('#song-file')).uploadFile(noise);
        await waitFor(page, 'maker.toolsBusy > 0', 'the tools to start');
        await (await page.$('#charset button:nth-child(3)')).click();
        const during = await page.evaluate(() => ({ busy: maker.toolsBusy, status: document.getElementById('status').textContent,
          chosen: document.querySelector('#charset button:nth-child(3)').className }));
        assert.deepEqual(during, { busy: 1, status: 'noise.mod: reading the module...', chosen: 'chosen' });
        const clicked = Date.now();
        await waitFor(page, 'maker.toolsBusy === 0', 'the module to be read', 120000);
        console.log(`${name}: an 8 MiB module of noise taken apart and refused ${Date.now() - clicked} ms after the click`);
        assert.match(await statusOf(page), /^noise\.mod: its song source would be [\d,]+ bytes, more than the 8,388,608 bytes song\.fcs may hold/);
        assert.deepEqual(await editorTexts(page), before);
        // The tools grew past 64 MiB for it: a fresh worker takes over, and builds.
        assert.equal(await page.evaluate('maker.toolsStarts'), 2);
        assert.deepEqual(await bytesOf(page, 'maker.build()'), await bytesOf(page, 'maker.pack'));

        // A song of 20,000 bad lines: at most 200 of its messages are listed, and a line for the rest.
        await page.evaluate(() => maker.edit('song.fcs', 'X\n'.repeat(20000)));
        await waitFor(page, `document.querySelectorAll('[data-file="song.fcs"] .messages li').length > 1`, 'the messages', 60000);
        const listed = await page.$$eval('[data-file="song.fcs"] .messages li', (items) => items.length);
        console.log(`${name}: 20,000 bad song lines: ${listed} message lines listed`);
        assert.ok(listed <= 201, `${listed} message lines listed`);
        await page.evaluate((song) => maker.edit('song.fcs', song), before[2]);
        await waitFor(page, `maker.toolsBusy === 0 && maker.messages === '' && /^Valid/.test(document.getElementById('status').textContent)`,
          'the song to be valid again', 60000);
      } finally {
        rmSync(dir, { recursive: true, force: true });
      }
    });

    test('files neither a song source nor a module are refused, and nothing is replaced', async () => {
      const before = await page.evaluate('maker.texts');
      assert.deepEqual(Object.values(before), await editorTexts(page));
      const dir = mkdtempSync(path.join(tmpdir(), 'maker-notsong-'));
      try {
        const tracker = Buffer.alloc(2108, 0x20);
        tracker.write('M.K.', 1080);
        for (const [file, bytes, why] of [['tracker.mod', tracker, 'a ProTracker-style module ("M.K." at byte 1080)'],
          ['nul.txt', Buffer.from('song\0text'), 'a NUL byte at byte 4'], ['latin1.txt', Buffer.from([0x66, 0xe9, 0x0a]), 'not UTF-8']]) {
          writeFileSync(path.join(dir, file), bytes);
          await (await page.$('#song-file')).uploadFile(path.join(dir, file));
          await waitFor(page, `document.getElementById('status').textContent.startsWith(${JSON.stringify(file)})`, `${file} refused`);
          const said = await statusOf(page);
          assert.ok(said.includes(why) && said.endsWith('a module this maker reads (one starting "FC14" or "SMOD"); song.fcs is unchanged.'), said);
        }
        assert.deepEqual(await page.evaluate('maker.texts'), before);
      } finally {
        rmSync(dir, { recursive: true, force: true });
      }
    });

    test('the glyph editor paints by dragging, shows the glyph in font.txt, and is reached with Tab and arrow keys', async () => {
      const fontOf = async () => (await page.evaluate('maker.texts'))['font.txt'].split('\n');
      const glyphLine = (lines, glyph) => lines.findIndex((l) => l.trimEnd() === `[${glyph}]`);
      await page.click(`#charset button:nth-child(${Charset.indexOf('W') + 1})`);
      await page.click('#inks button:nth-child(3)');  // '+'
      const unpainted = await fontOf(), at = glyphLine(unpainted, 'W');
      assert.notEqual(unpainted[at + 3].slice(0, 6), '++++++');
      const box = async (x, y) => (await page.$(`#cells button:nth-child(${y * 8 + x + 1})`)).boundingBox();
      const start = await box(0, 2), end = await box(5, 2);
      await page.mouse.move(start.x + 5, start.y + 5);
      await page.mouse.down();
      await page.mouse.move(end.x + 5, end.y + 5, { steps: 12 });
      await page.mouse.up();
      const lines = await fontOf();
      assert.equal(lines[at + 3].slice(0, 6), '++++++', `row 3 of W after the drag: ${lines[at + 3]}`);
      const view = await linesInView(page, 'font.txt');
      assert.ok(view.first <= at + 1 && at + 9 <= view.last, `[W] at line ${at + 1}, in view ${JSON.stringify(view)}`);
      // Tab from the last character reaches the cells (one stop, the last painted), arrows move, Enter paints.
      const ink = lines[at + 4][6] === 'o' ? 2 : 4;  // '#' or 'o', whichever cell (6, 3) is not
      await page.click(`#inks button:nth-child(${ink})`);
      await page.focus('#charset button:last-child');
      await page.keyboard.press('Tab');
      assert.equal(await page.evaluate(() => document.activeElement.parentElement.id), 'cells');
      await page.keyboard.press('ArrowDown');
      await page.keyboard.press('ArrowRight');
      const focused = await page.evaluate(() => [document.activeElement.dataset.x, document.activeElement.dataset.y].join());
      await page.keyboard.press('Enter');
      assert.equal(focused, '6,3');
      assert.equal((await fontOf())[at + 4][6], ink === 2 ? '#' : 'o', 'cell (6, 3) after Enter');
      // Past the Undo button (Redo is disabled: nothing was undone), Tab reaches Load.
      await page.focus('#start-from');
      await page.keyboard.press('Tab');
      await page.keyboard.press('Tab');
      assert.equal(await page.evaluate('document.activeElement.id'), 'load-song');
      await waitFor(page, 'maker.toolsBusy === 0 && maker.messages === ""', 'the painted font to build');
    });

    test('one history: typed keys, a painted cell and "start from the example" undo to the start and redo, byte for byte', async () => {
      const tab = await browser.open(site.url);
      try {
        await waitFor(tab, `${Opened} && maker.toolsBusy === 0`, 'the maker');
        const start = await editorTexts(tab);
        // Real keys at the start of pages.txt: a comment line.
        await tab.focus('[data-file="pages.txt"] .cm-content');
        await tab.keyboard.down('Control');
        await tab.keyboard.press('Home');
        await tab.keyboard.up('Control');
        await tab.keyboard.type('; typed by keys\n');
        // A cell of A painted with an ink it does not have.
        const cell = await tab.$eval('#cells button', (button) => button.getAttribute('aria-label'));
        await tab.click(`#inks button:nth-child(${cell.endsWith('outline') ? 2 : 4})`);
        await tab.click('#cells button');
        const typedAndPainted = await editorTexts(tab);
        assert.equal(typedAndPainted[0], `; typed by keys\n${start[0]}`);
        assert.notEqual(typedAndPainted[1], start[1], 'the cell was not painted');
        tab.once('dialog', (dialog) => dialog.accept());
        await tab.select('#start-from', 'example');
        const example = ['pages.txt', 'font.txt', 'song.fcs'].map((file) => readFileSync(path.join(makerDir, 'content/example', file), 'utf8'));
        await waitFor(tab, `maker.texts['song.fcs'] === ${JSON.stringify(example[2])}`, 'the example');
        assert.deepEqual(await editorTexts(tab), example);
        // Back to the start: Ctrl+Z once, then the button until there is nothing left to undo.
        await tab.keyboard.down('Control');
        await tab.keyboard.press('z');
        await tab.keyboard.up('Control');
        assert.deepEqual(await editorTexts(tab), typedAndPainted, 'Ctrl+Z did not undo "start from the example" whole');
        for (let n = 0; n < 50 && !await tab.$eval('#undo', (b) => b.disabled); ++n) await tab.click('#undo');
        assert.deepEqual(await editorTexts(tab), start);
        // And forward again: Ctrl+Y once, then the button until there is nothing left to redo.
        await tab.keyboard.down('Control');
        await tab.keyboard.press('y');
        await tab.keyboard.up('Control');
        for (let n = 0; n < 50 && !await tab.$eval('#redo', (b) => b.disabled); ++n) await tab.click('#redo');
        assert.deepEqual(await editorTexts(tab), example);
        // 1,200 separate steps all walk back.
        const walked = await tab.evaluate(() => {
          const view = maker.views['song.fcs'];
          for (let n = 0; n < 1200; ++n) view.dispatch({ changes: { from: 0, insert: ';\n' }, userEvent: 'test.step' });
          let undone = 0;
          while (!document.getElementById('undo').disabled && undone < 1300) { document.getElementById('undo').click(); ++undone; }
          return undone;
        });
        assert.ok(walked >= 1200, `${walked} steps undone`);
        assert.deepEqual(await editorTexts(tab), start);
      } finally {
        await tab.close();
      }
    });

    test('a message chosen by key scrolls to its line, the editors fill the window, a phone gets one column, and axe finds nothing', async () => {
      await page.setViewport({ width: 1920, height: 1080 });
      // The last page's first line, far below the top.
      const text = (await readPages(page)).split('\n'), line = text.lastIndexOf('page') + 2;
      await setPagesLine(page, line, 'lower');
      await waitFor(page, `document.querySelector('[data-file="pages.txt"] .messages li') !== null`, 'the message');
      await page.evaluate(() => { maker.views['pages.txt'].scrollDOM.scrollTop = 0; });
      await sleep(100);  // the editor draws the lines scrolled to on its next frame
      // From the keyboard: the message is a button (it was a list item only a mouse could use).
      await page.focus('[data-file="pages.txt"] .messages li button');
      await page.keyboard.press('Enter');
      assert.equal((await readPages(page)).split('\n').length, text.length, 'the Enter went into the text');
      const view = await linesInView(page, 'pages.txt');
      assert.ok(view.first > 1 && view.first <= line && line <= view.last, `line ${line}, in view ${JSON.stringify(view)}`);
      console.log(`${name}: at 1920x1080 an editor shows ${view.last - view.first + 1} lines`);
      assert.ok(view.last - view.first + 1 > 11);
      assert.deepEqual(await axeViolations(page), [], 'the maker with a message');
      await setPagesLine(page, line, text[line - 1]);
      await waitFor(page, 'maker.toolsBusy === 0 && maker.messages === ""', 'the message to go');
      await page.setViewport({ width: 390, height: 844 });
      const phone = await page.evaluate(() => ({ width: document.documentElement.scrollWidth,
        intro: document.getElementById('intro').getBoundingClientRect().right }));
      assert.ok(phone.width <= 390 && phone.intro <= 390, `at 390 px wide: ${JSON.stringify(phone)}`);
      await page.setViewport({ width: 1100, height: 800 });
    });

    test('a share link plays, passes axe, and "Open this intro in the maker" edits its content', async () => {
      const intro = ['pages.txt', 'font.txt', 'song.fcs'].map((file) => readFileSync(path.join(contentDir, file), 'utf8'));
      const texts = [intro[0].replace(/\npage\n/, '\npage\nOPENED FROM A LINK\n'), intro[1], intro[2]];
      const player = await browser.open(site.url + editLink(texts).replace('#edit=', '#play='));
      await waitFor(player, 'window.maker?.pack !== null', 'the shared pack');
      assert.deepEqual(await axeViolations(player), [], 'the share player');
      await player.click('#to-maker');
      // The page reloads: evaluations may meet the old document meanwhile.
      const opened = `!document.body.classList.contains('playing') && window.maker?.restarts >= 1 && maker.toolsBusy === 0`;
      for (const end = Date.now() + 30000; ; await sleep(100)) {
        if (await player.evaluate(opened).catch(() => false)) break;
        assert.ok(Date.now() < end, `the maker did not open; the address is ${player.url()}`);
      }
      assert.match(new URL(player.url()).hash, /^#edit=/);
      assert.deepEqual(Object.values(await player.evaluate('maker.texts')), texts);
      await player.close();
    });

    test('installed, a rebuilt maker replaces it once its tabs close, and it reopens offline making the same intro.exe', async () => {
      const dir = mkdtempSync(path.join(tmpdir(), 'maker-offline-'));
      cpSync(makerDir, dir, { recursive: true });
      const own = await serveFolder(dir);
      const problems = [];
      const cachesOf = (tab) => tab.evaluate('caches.keys()');
      const textOf = (tab, file) => tab.evaluate(`fetch('${file}').then((r) => r.text())`);
      let tab = await browser.open(own.url, { problems });
      try {
        await waitFor(tab, `${Opened} && navigator.serviceWorker.controller !== null`, 'the service worker to take the page');
        const first = precacheOf(dir);
        assert.deepEqual(first, folderPrecache(dir));
        await waitFor(tab, `caches.keys().then((k) => k.length === 1)`, 'the cache');
        assert.deepEqual(await cachesOf(tab), [`intro-maker-${first.version}`]);
        // A rebuilt maker: one file changed, the worker written anew as the build writes it.
        const pageSource = readFileSync(path.join(dir, 'maker-page.js'), 'utf8');
        appendFileSync(path.join(dir, 'maker-page.js'), '// rebuilt\n');
        execFileSync('cmake', [`-DSITE=${dir}`, `-DWORKER=${path.join(root, 'platform/maker/page/maker-sw.js')}`,
          '-P', path.join(root, 'platform/maker/precache.cmake')]);
        // http.server's Last-Modified counts whole seconds: the rebuilt files are dated later.
        const later = new Date(Date.now() + 5000);
        for (const file of ['maker-page.js', 'maker-sw.js']) utimesSync(path.join(dir, file), later, later);
        const second = precacheOf(dir);
        assert.deepEqual(second, folderPrecache(dir));
        assert.notEqual(second.version, first.version);
        await tab.evaluate('navigator.serviceWorker.getRegistration().then((r) => r.update())');
        await waitFor(tab, 'navigator.serviceWorker.getRegistration().then((r) => r.waiting !== null)', 'the new version installed');
        // The open tab keeps the version it started with.
        assert.equal(await textOf(tab, 'maker-page.js'), pageSource);
        await tab.close();
        tab = await browser.open(own.url, { problems });
        await waitFor(tab, Opened, 'the maker');  // a reload while it starts would abort its fetches
        await waitFor(tab, `caches.keys().then((k) => k.join() === 'intro-maker-${second.version}')`, 'the old cache to go');
        await tab.reload();
        await waitFor(tab, Opened, 'the rebuilt maker');
        assert.equal(await textOf(tab, 'maker-page.js'), `${pageSource}// rebuilt\n`);
        const online = await bytesOf(tab, 'maker.introExe()');
        own.stop();
        await tab.reload();
        await waitFor(tab, Opened, 'the maker with the server gone');
        const offline = await bytesOf(tab, 'maker.introExe()');
        assert.deepEqual(offline, online);
        assert.deepEqual(offline, introPack(await readPages(tab), 'x.exe', ['--shell', path.join(makerDir, 'intro.exe')]).bytes);
        assert.deepEqual(problems, []);
      } finally {
        await tab.close();
        own.stop();
      }
    });

    test('the work is kept: a reload restores it, a second tab and a share link do not replace it unasked, the way back asks', async () => {
      // A profile of its own: the saved work of the tests above is not this test's.
      const work = await launchBrowser(name);
      try {
        const intro = ['pages.txt', 'font.txt', 'song.fcs'].map((file) => readFileSync(path.join(contentDir, file), 'utf8'));
        const saved = async (tab) => JSON.parse(await tab.evaluate(`localStorage.getItem('intro-maker.work')`))?.texts;
        const texts = async (tab) => Object.values(await tab.evaluate('maker.texts'));
        const ready = (tab) => waitFor(tab, 'window.maker?.restarts >= 1 && maker.toolsBusy === 0', 'the intro');
        const answer = (tab, accept) => tab.once('dialog', (dialog) => (accept ? dialog.accept() : dialog.dismiss()));

        // An edit is saved within a second and a reload brings it back, byte for byte.
        const first = await work.open(site.url);
        await ready(first);
        await setPagesLine(first, firstLine, 'KEPT ACROSS A RELOAD');
        const edited = await texts(first);
        await waitFor(first, `localStorage.getItem('intro-maker.work')?.includes('KEPT ACROSS')`, 'the save', 5000);
        await first.reload();
        await waitFor(first, `/^Your work from .+ is restored\./.test(document.getElementById('status').textContent)`, 'the restore');
        assert.deepEqual(await texts(first), edited);
        // A fresh history: Firefox had brought back the Undo button's enabled state from before the reload.
        assert.equal(await first.$eval('#undo', (button) => button.disabled), true);

        // A second tab's edit is saved; the first tab says so and saves no more until it keeps its own work.
        const second = await work.open(site.url);
        await ready(second);
        await setPagesLine(second, firstLine, 'THE SECOND TAB');
        await waitFor(first, `/^Another tab changed your saved work/.test(document.getElementById('work-note').textContent)`, 'the first tab told');
        await setPagesLine(first, firstLine, 'THE FIRST TAB');
        await sleep(1500);
        assert.match((await saved(first))[0], /\nTHE SECOND TAB\n/, 'the paused first tab saved its edit');
        answer(first, true);
        await first.bringToFront();  // a tab in the background draws nothing, so takes no clicks
        await first.click('#keep-work');
        await waitFor(first, `/^This tab's work is saved/.test(document.getElementById('status').textContent)`, 'the kept work');
        assert.deepEqual(await saved(first), await texts(first));
        await waitFor(second, `/^Another tab changed/.test(document.getElementById('work-note').textContent)`, 'the second tab told');
        await second.close();

        // A share link edits its own texts; the saved work stays until a reload without the link brings it back.
        const kept = await saved(first);
        const linked = [intro[0].replace(/\npage\n/, '\npage\nFROM A LINK\n'), intro[1], intro[2]];
        const link = await work.open(site.url + editLink(linked));
        await waitFor(link, `/^Ready: the share link's content is open\./.test(document.getElementById('status').textContent)`, 'the link');
        assert.deepEqual(await texts(link), linked);
        assert.match(await statusOf(link), /your saved work from .+ is untouched\.$/);
        await setPagesLine(link, firstLine + 1, 'EDITED FROM A LINK');
        await sleep(1500);
        assert.deepEqual(await saved(link), kept);
        await link.goto(site.url);
        await waitFor(link, `/is restored/.test(document.getElementById('status').textContent)`, 'the restore');
        assert.deepEqual(await texts(link), kept);

        // The way back asks: refused, nothing changes; accepted, the intro's own texts, saved.
        answer(link, false);
        await link.select('#start-from', 'intro');
        await waitFor(link, `document.getElementById('start-from').value === ''`, 'the refusal');
        assert.deepEqual(await texts(link), kept);
        answer(link, true);
        await link.select('#start-from', 'intro');
        await waitFor(link, `maker.texts['pages.txt'] === ${JSON.stringify(intro[0])}`, 'the intro\'s texts');
        assert.deepEqual(await texts(link), intro);
        await waitFor(link, `JSON.stringify(JSON.parse(localStorage.getItem('intro-maker.work')).texts) === ${JSON.stringify(JSON.stringify(intro))}`,
          'the intro\'s texts saved', 5000);
        assert.deepEqual(work.problems, []);
      } finally {
        await work.close();
      }
    });

    test('no console error, page error or failed request', () => {
      assert.deepEqual(browser.problems, []);
    });
  });
}
