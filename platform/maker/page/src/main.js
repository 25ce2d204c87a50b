// @ts-check
// The intro maker's page: three editors (pages, font art, song source) checked
// and built by maker.wasm (intro-pack's own code, in its worker), the intro
// running live from the last valid content, a glyph editor, one undo history
// over all of them, downloads, the share link and the work kept in the browser.
import { build, edited, onBuildPosted, rebuild } from './checking.js';
import { Files, editText, editors, undoHistory, makeEditors, onHistoryChange, replaceText, textOf } from './editors.js';
import { fetchBytes, fetchOnce } from './fetch-once.js';
import { InkSymbols } from './languages.js';
import { frame, loopEntry, noteOff, noteOn, onPlayingPlace, playFrom, restart, startSound, stopSound, wireSoundControls }
  from './live-intro.js';
import { Tracker } from './tracker.js';
import { fetchForDownloads, introExe, webFolderZip, wireDownloads } from './downloads.js';
import { wireFiles } from './files.js';
import { showCells, showGlyphs, wireGlyphEditor } from './glyph-editor.js';
import { maker } from './maker-state.js';
import { $, status } from './page-dom.js';
import { currentTexts, isBuiltIn, openedLink, savedWork, wireSavedWork } from './saved-work.js';
import { readShared, shareLink } from './share-link.js';
import { runTools, startTools, toolsData } from './tools-client.js';
import { workStore, workTime } from './work-store.js';

// What the tests reach besides the state: the downloads, the editors and an edit as typing makes it.
Object.assign(maker, {
  introExe, webFolderZip, shareLink, build,
  /** @param {string} file @param {string} text */
  edit: (file, text) => editText(file, text),
});
Object.defineProperty(maker, 'views', {
  get: () => Object.fromEntries(Object.entries(editors).map(([file, editor]) => [file, editor.view])),
});
/** @type {any} */ (window).maker = maker;

// The texts of 'intro' or 'example' in the editors: one step of the history,
// or, the page's first load, none.
/** @param {string} which @param {boolean} first */
async function loadContent(which, first = false) {
  const texts = await Promise.all(Files.map(async (file) => new TextDecoder().decode(await fetchOnce(`content/${which}/${file}`))));
  setTexts(texts, first);
}

/** @param {string[]} texts @param {boolean} first */
function setTexts(texts, first = false) {
  undoHistory.together(() => Files.forEach((file, i) => { if (textOf(file) !== texts[i]) replaceText(file, texts[i], { first }); }));
  if (first) showGlyphs();
}

// fontc's inks as the page's colours, each with a text colour readable on it.
function useInks() {
  InkSymbols.forEach((_, ink) => {
    const colour = toolsData.inks[ink] ?? '#000000';
    const [r, g, b] = [1, 3, 5].map((at) => parseInt(colour.slice(at, at + 2), 16));
    document.documentElement.style.setProperty(`--ink-${ink}`, colour);
    document.documentElement.style.setProperty(`--ink-${ink}-text`, 0.299 * r + 0.587 * g + 0.114 * b > 140 ? '#000000' : '#f7f7f7');
  });
}

/** @param {string} job @param {string} text */
const songJob = (job, text) => runTools(job, { song: new TextEncoder().encode(text) });

// The tracker: a view of song.fcs whose edits are changes of its text (one
// step of the history each), heard at once.
function wireTracker() {
  const song = editors['song.fcs'].view;
  const tracker = new Tracker({
    root: $('tracker'), instruments: $('instrument-view'),
    songText: () => textOf('song.fcs'),
    songView: async (text) => {
      const answer = await songJob('songView', text);
      return answer.ok ? answer.view : null;
    },
    songCheck: async (text) => {
      const answer = await songJob('songCheck', text);
      return answer.ok ? '' : answer.messages?.[0] ?? 'it has problems';
    },
    change: (changes) => song.dispatch({ changes, userEvent: 'tracker.edit' }),
    sound: noteOn,
    silence: noteOff,
    playSong: () => { startSound().catch((error) => status(`sound: ${error.message}`)); },
    playFrom: (entry, row) => { playFrom(entry, row).catch((error) => status(`sound: ${error.message}`)); },
    loop: loopEntry,
    stop: stopSound,
    solo: soloVoice,
  });
  onPlayingPlace((entry, row) => tracker.markPlaying(entry, row));
  // Each time the sources go to be built (after typing, undo, loading, a
  // tracker edit), the view follows right behind the build.
  onBuildPosted(() => tracker.refresh());
  maker.tracker = tracker;
}

// One voice heard alone through the mute boxes; the same voice again: all heard.
/** @param {number} voice */
function soloVoice(voice) {
  const boxes = /** @type {HTMLInputElement[]} */ ([...document.querySelectorAll('.mute')]);
  const alone = boxes.every((box, i) => box.checked === (i !== voice));
  boxes.forEach((box, i) => { box.checked = !alone && i !== voice; });
  boxes[0]?.dispatchEvent(new Event('change'));
}

function undo() { undoHistory.undo(); }
function redo() { undoHistory.redo(); }

function wireMaker() {
  useInks();
  makeEditors({ charset: toolsData.charset, undo, redo, changed: (file, update) => {
    const fromTracker = update.transactions.some((tr) => tr.isUserEvent('tracker.edit'));
    edited(fromTracker ? 0 : undefined);
    if (file === 'font.txt') showCells();
  } });
  wireTracker();
  // Set now too: Firefox brings back a button's disabled state from before a reload.
  const showHistory = () => {
    $('undo').disabled = !undoHistory.canUndo;
    $('redo').disabled = !undoHistory.canRedo;
  };
  onHistoryChange(showHistory);
  showHistory();
  $('undo').addEventListener('click', undo);
  $('redo').addEventListener('click', redo);
  // Outside the editors (their own keys do the same) the keys still walk the one history.
  addEventListener('keydown', (event) => {
    const target = /** @type {HTMLElement} */ (event.target);
    if (event.defaultPrevented || !(event.ctrlKey || event.metaKey) || target.closest?.('.cm-editor') ||
        (target instanceof HTMLInputElement && target.type !== 'checkbox' && !target.readOnly)) return;
    const key = event.key.toLowerCase();
    if (key === 'z' && !event.shiftKey) undo();
    else if ((key === 'z' && event.shiftKey) || key === 'y') redo();
    else return;
    event.preventDefault();
  });
  wireGlyphEditor();
  wireSoundControls();
  wireFiles();
  wireDownloads(shareLink);
  wireSavedWork();
  $('start-from').addEventListener('change', async (/** @type {Event} */ event) => {
    const select = /** @type {HTMLSelectElement} */ (event.target), which = select.value;
    if (!which) return;
    const what = select.selectedOptions[0].textContent;
    if (!await isBuiltIn(currentTexts()) && !confirm(`Replace your three files with ${what}? Your work in them is discarded.`)) {
      select.value = '';
      return;
    }
    await loadContent(which);
    select.value = which;
  });
  // A share link opened in a page already running: the editors take its
  // content (one step of the history), or keep theirs when it cannot be read.
  addEventListener('hashchange', async () => {
    const shared = location.hash.match(/^#edit=(.*)$/);
    if (!shared || document.body.classList.contains('playing')) return;
    status('Reading the share link...');
    const { texts, error } = await readShared(shared[1]);
    if (error || !texts) { status(`This share link cannot be opened: ${error}. Your content is unchanged.`); return; }
    workStore.flush(currentTexts);
    openedLink();
    setTexts(texts);
  });
}

// The service worker keeps the maker's files for opening it with the network
// gone (not where workers are unavailable, as on file: pages).
function keepForOffline() {
  if ('serviceWorker' in navigator && location.protocol !== 'file:') {
    navigator.serviceWorker.register('maker-sw.js').catch(() => {});
  }
}

async function main() {
  keepForOffline();
  const [previewBytes, soundWasm] = await Promise.all([
    fetchBytes('preview.wasm'), fetchBytes('preview-sound.wasm'), startTools()]);
  maker.previewModule = await WebAssembly.compile(previewBytes);
  maker.soundWasm = soundWasm;
  wireMaker();
  // Kept for later; a missing intro.exe only takes that download away.
  for (const which of ['intro', 'example']) for (const file of Files) fetchOnce(`content/${which}/${file}`);
  const shared = location.hash.match(/^#(play|edit)=(.*)$/);
  if (shared) status('Reading the share link...');
  const { texts, error } = shared ? await readShared(shared[2]) : {};
  const saved = shared ? null : savedWork();
  if (texts) setTexts(texts, true);
  else if (saved) setTexts(saved.texts, true);
  else await loadContent('intro', true);
  if (shared) openedLink();
  if (saved) $('start-from').value = '';
  if (texts && shared?.[1] === 'play') return player();
  await rebuild();
  const problems = maker.messages ? 'It has problems (see the messages).' : 'Edit any of the three files.';
  if (error) status(`This share link cannot be opened: ${error}. The intro's own content is loaded instead.`);
  else if (saved) status(`Your work from ${workTime(saved.time)} is restored. ${problems}`);
  else if (maker.messages) status('The content has problems (see the messages).');
  else if (shared) status(`Ready: the share link's content is open. ${$('work-note').textContent}`);
  else status('Ready: edit any of the three files.');
  requestAnimationFrame(frame);
  fetchForDownloads();
}

// A shared intro full-window: it starts, with its music, on a gesture.
async function player() {
  document.body.classList.add('playing');
  const screen = $('player-screen');
  const fit = () => {
    // Whole-pixel scales where the window allows it, smaller than 1:1 on a phone.
    const fits = Math.min(innerWidth / 528, (innerHeight - 90) / 384);
    const scale = fits >= 1 ? Math.floor(fits) : Math.max(0.25, fits);
    screen.style.width = `${528 * scale}px`;
    screen.style.height = `${384 * scale}px`;
  };
  addEventListener('resize', fit);
  fit();
  $('to-maker').href = location.hash.replace(/^#play=/, '#edit=');
  // The address is changed first and then reloaded: a reload queued behind the
  // link's own fragment change may reload the #play= address (Firefox).
  $('to-maker').addEventListener('click', (/** @type {Event} */ event) => {
    event.preventDefault();
    window.history.replaceState(null, '', $('to-maker').href);
    location.reload();
  });
  status('Checking the shared intro...');
  const pack = await build();
  if (!pack) {
    const first = maker.messages.split('\n')[0];
    status(`This link's content has problems: ${first}`);
    $('player-prompt').textContent = `This link's content has problems (${first}): open it in the maker to see them all.`;
    return;
  }
  maker.pack = pack;
  status('Shared intro: waiting for a gesture.');
  /** @param {Event} event */
  const begin = (event) => {
    if (event.target === $('to-maker')) return;
    removeEventListener('click', begin);
    removeEventListener('keydown', begin);
    $('player-prompt').hidden = true;
    restart(pack, screen);
    startSound().catch((error) => status(`sound: ${error.message}`));
    requestAnimationFrame(frame);
  };
  addEventListener('click', begin);
  addEventListener('keydown', begin);
}

main().catch((error) => {
  console.error(`maker: ${error.message}`);
  status(`The maker cannot run: ${error.message}`);
});
