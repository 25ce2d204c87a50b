// @ts-check
// The downloads: intro.exe (the prebuilt one with the content, as intro-pack
// --shell writes it, its parts shown beside it), content.intro, the web folder
// and the sources as zip files, and the web intro as one intro.html.
import { zipSync } from 'fflate';
import { build, sourceBytes } from './checking.js';
import { showExeSizes, useShell } from './exe-sizes.js';
import { fetchOnce } from './fetch-once.js';
import { maker } from './maker-state.js';
import { $, status } from './page-dom.js';
import { showAnswer } from './problems.js';
import { runTools } from './tools-client.js';

export const WebFiles = ['index.html', 'intro-page.js', 'intro.js', 'intro.wasm', 'intro-sound.wasm',
  'intro-worklet.js', 'font.pixels'];
// Entries stored whole and dated 1980-01-01, so the same files give the same zip.
const ZipOptions = { level: /** @type {0} */ (0), mtime: new Date(1980, 0, 1) };

/** @param {string} name @param {Blob} blob */
function save(name, blob) {
  const link = document.createElement('a');
  link.href = URL.createObjectURL(blob);
  link.download = name;
  link.click();
  setTimeout(() => URL.revokeObjectURL(link.href), 1000);
}

/** @param {Record<string, Uint8Array>} files */
const zipOf = (files) => new Blob([zipSync(files, ZipOptions)], { type: 'application/zip' });

// intro.exe from the prebuilt one this folder carries.
export async function introExe() {
  const shell = await fetchOnce('intro.exe');
  const answer = await runTools('exe', { ...sourceBytes(), shell });
  if (answer.exeFailed) throw new Error(answer.messages[0]);
  showAnswer(answer);
  if (!answer.ok) throw new Error('the content has problems');
  if (answer.sizes) showExeSizes(answer.sizes);
  return answer.exe;
}

// What the downloads need besides the tools, fetched once the maker is ready
// (not on its first load's way) and kept, so they work with the network gone:
// the web folder's files and the prebuilt intro.exe, whose sizes are shown
// from then on (without it there is no intro.exe download), the song.wav and
// video controls (export-ui.js, a file of its own beside the page, not
// bundled, which loads the renders only when asked) and the sound worklet.
export function fetchForDownloads() {
  import(new URL('export-ui.js', document.baseURI).href).then(({ setUpExports }) => setUpExports({
    container: $('exports'), pack: build, status, instead: [$('get-exe'), $('get-pack'), $('get-web')],
  })).catch((error) => status(`The song.wav and video downloads cannot load: ${error.message}`));
  fetchOnce('maker-worklet.js').catch(() => {});
  const web = WebFiles.map((name) => fetchOnce(`web/${name}`).catch(() => {}));
  const shell = fetchOnce('intro.exe').then((bytes) => useShell(bytes, sourceBytes()), () => { $('get-exe').disabled = true; });
  Promise.all([...web, shell]).then(() => { maker.downloadsFetched = true; });
}

/** @returns {Promise<Record<string, Uint8Array>>} */
async function webFiles() {
  return Object.fromEntries(await Promise.all(WebFiles.map(async (name) => [name, await fetchOnce(`web/${name}`)])));
}

// intro.html, the web intro as one file, as intro-pack NAME.html --web writes it.
export async function introHtml() {
  const answer = await runTools('html', { ...sourceBytes(), webFiles: await webFiles() });
  if (answer.htmlFailed) throw new Error(answer.messages[0]);
  showAnswer(answer);
  if (!answer.ok) throw new Error('the content has problems');
  return answer.html;
}

export async function webFolderZip() {
  const pack = await build();
  if (!pack) throw new Error('the content has problems');
  /** @type {Record<string, Uint8Array>} */
  const files = {};
  for (const [name, bytes] of Object.entries(await webFiles())) files[`intro/${name}`] = bytes;
  files['intro/content.intro'] = pack;
  files['intro/content.json'] = new TextEncoder().encode('{"pack": "content.intro"}\n');
  return zipOf(files);
}

function sourcesZip() {
  const { pages, font, song } = sourceBytes();
  return zipOf({ 'intro/pages.txt': pages, 'intro/font.txt': font, 'intro/song.fcs': song });
}

/** @param {string} id @param {() => Promise<void>} run */
function action(id, run) {
  $(id).addEventListener('click', () => run().catch((error) => status(`${id}: ${error.message}`)));
}

/** @param {() => Promise<string>} shareLink */
export function wireDownloads(shareLink) {
  action('get-exe', async () => save('intro.exe', new Blob([await introExe()])));
  action('get-pack', async () => {
    const pack = await build();
    if (!pack) throw new Error('the content has problems');
    save('content.intro', new Blob([pack]));
  });
  action('get-web', async () => save('intro-web.zip', await webFolderZip()));
  action('get-html', async () => save('intro.html', new Blob([await introHtml()], { type: 'text/html' })));
  Object.assign(maker, { introHtml });
  action('get-sources', async () => save('intro-sources.zip', sourcesZip()));
  action('get-share', async () => {
    const link = await shareLink();
    $('share-out').value = link;
    status(`The share link is ${link.length} characters.`);
  });
}
