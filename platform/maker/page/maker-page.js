// The intro maker's page: three editors (pages, font art, song source) checked
// and built by maker.wasm (intro-pack's own code, in maker-tools-worker.js),
// the intro running live from the last valid content (preview.wasm,
// preview-sound.wasm in the worklet), a glyph editor, downloads and the share link.
'use strict';

const SampleRate = 44100, RestartDelayMs = 300;
const Charset = " ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789><*/\\,.'&-:+@!%";
// fontc's palette: background, glyph body, shading, outline.
const Inks = { '.': '#130047', '#': '#f7f7f7', '+': '#7f7f7f', 'o': '#000000' };
const WebFiles = ['index.html', 'intro-page.js', 'intro.js', 'intro.wasm', 'intro-sound.wasm',
  'intro-worklet.js', 'font.pixels'];
const KiB = 1024, MiB = 1024 * KiB;
// What each editor takes, from what a content pack holds (at most 64 pages
// of 4096 bytes, 8 MiB in all) and what a browser's text box shows without
// stalling (some 30,000 lines a second). A file, a dropped file or a share
// link past these is refused before the tools see it.
const Limits = {
  'pages.txt': { bytes: 256 * KiB, why: "what a pack's 64 pages of 4096 bytes hold",
    lines: 16384, whyLines: '64 pages of 20 lines take some 1,400' },
  'font.txt': { bytes: 256 * KiB, why: 'as pages.txt; a whole font\'s art is some 4 KiB',
    lines: 16384, whyLines: 'a whole font\'s art takes some 470' },
  'song.fcs': { bytes: 8 * MiB, why: 'what a content pack holds',
    lines: 131072, whyLines: 'ten samples of 128 KiB take some 90,000' },
};
const MaxModuleBytes = 8 * MiB;     // a module past this never fits a pack
const MaxFragmentChars = 4 * MiB;   // the share link's data, base64url, before it is read
// The link's JSON: each text escaped (a newline takes two characters).
const MaxSharedBytes = 2 * Object.values(Limits).reduce((sum, limit) => sum + limit.bytes, 0) + 64;
const numberText = (count) => count.toLocaleString('en');
// "<what>, more than the N bytes FILE may hold (why)".
const tooLarge = (file, what) =>
  `${what}, more than the ${numberText(Limits[file].bytes)} bytes ${file} may hold (${Limits[file].why})`;
// '' when `text` is within FILE's limits, else what is wrong, `what` naming it.
function textProblem(file, text, what) {
  const bytes = new TextEncoder().encode(text).length, lines = lineCount(text), limit = Limits[file];
  if (bytes > limit.bytes) return tooLarge(file, `${what} is ${numberText(bytes)} bytes`);
  if (lines <= limit.lines) return '';
  return `${what} has ${numberText(lines)} lines, more than the ${numberText(limit.lines)} ${file} may have (${limit.whyLines})`;
}
// Test-only switch: ?test-record makes the worklet send back the first 3 s it plays of each pack.
const recordFrames = new URLSearchParams(location.search).has('test-record') ? 3 * SampleRate : 0;

const $ = (id) => document.getElementById(id);
const editors = {};
for (const section of document.querySelectorAll('.editor')) {
  editors[section.dataset.file] = {
    section, text: section.querySelector('textarea'), gutter: section.querySelector('.gutter'),
    messages: section.querySelector('.messages'), problems: new Map(),
  };
}

// What the page and its tests can see.
const maker = {
  tools: null, previewModule: null, soundWasm: null,
  pack: null,            // the last valid content's pack, playing
  restarts: 0,           // how many times the intro restarted from new content
  recording: null,      // with ?test-record: the first 3 s played of the last pack
  lastEditTime: 0, lastRestartDelay: null,  // ms from the last keystroke to the restart
  messages: '',          // the tools' last messages, at most 200 a file
  problems: [],          // the same as data: {file, line, column, reason, message}
  toolsBusy: 0,          // jobs sent to the tools and not yet answered
  toolsStarts: 0,        // workers started for them (a fresh one after a large job)
  canvas: $('intro'), preview: null, audio: null, node: null, soundOn: false, framesPlayed: 0,
  entry: -1, entries: 0,  // the sequence entry playing and the song's number of entries
  // The three current texts, by file name.
  get texts() {
    return Object.fromEntries(Object.entries(editors).map(([file, editor]) => [file, editor.text.value]));
  },
};
window.maker = maker;

// Every file a download needs is fetched once at start-up, so the maker keeps
// working with the network gone.
const fetched = new Map();
function fetchOnce(file) {
  if (!fetched.has(file)) fetched.set(file, fetchBytes(file));
  return fetched.get(file);
}

function fetchBytes(file) {
  return fetch(file).then((response) => {
    if (!response.ok) throw new Error(`${file}: HTTP ${response.status}`);
    return response.arrayBuffer();
  }).then((buffer) => new Uint8Array(buffer));
}
const status = (words) => { $('status').textContent = words; };

// ---- line numbers and messages at their lines ----

// Only the numbers in view and GutterMargin lines either side are written, so
// a file of a million lines costs the gutter no more than one of a few hundred.
const GutterMargin = 200;
function showGutter(editor) {
  const { text, gutter } = editor;
  const count = lineCount(text.value);
  const lineHeight = parseFloat(getComputedStyle(text).lineHeight) || 20;
  const inView = Math.floor(text.scrollTop / lineHeight) + 1;
  const first = Math.max(1, Math.min(count, inView - GutterMargin));
  const last = Math.min(count, inView + Math.ceil(text.clientHeight / lineHeight) + GutterMargin);
  const lines = [];
  for (let n = first; n <= last; ++n) {
    const problem = editor.problems.get(n);
    lines.push(problem ? `<span class="bad" data-line="${n}" title="${escapeHtml(problem)}">${n}</span>` : String(n));
  }
  gutter.style.minWidth = `max(3em, ${String(count).length + 1}ch)`;
  gutter.innerHTML = lines.join('\n') + '\n\n\n';
  gutter.scrollTop = text.scrollTop - (first - 1) * lineHeight;
}
function lineCount(text) {
  let count = 1;
  for (let at = text.indexOf('\n'); at >= 0; at = text.indexOf('\n', at + 1)) ++count;
  return count;
}
const escapeHtml = (text) => text.replace(/[&<>"]/g, (c) => `&#${c.charCodeAt(0)};`);

// The tools' problems as MakerProblems gives them ({file, line, column,
// reason, message}: the message worded as the tools print it), each under its editor.
function showProblems(problems) {
  for (const editor of Object.values(editors)) {
    editor.problems = new Map();
    editor.messages.replaceChildren();
  }
  for (const problem of problems) {
    const message = problem.message;
    const editor = editors[problem.file === 'song.mod' ? 'song.fcs' : problem.file] ?? editors['pages.txt'];
    const line = (editors[problem.file] || problem.file === 'song.mod') ? problem.line : 0;
    if (line && !editor.problems.has(line)) editor.problems.set(line, message);
    const item = document.createElement('li');
    item.textContent = message;
    item.dataset.line = String(line);
    if (line) item.addEventListener('click', () => goToLine(editor, line));
    editor.messages.append(item);
  }
  for (const editor of Object.values(editors)) showGutter(editor);
}

function goToLine(editor, line) {
  const lines = editor.text.value.split('\n');
  const start = lines.slice(0, line - 1).reduce((sum, l) => sum + l.length + 1, 0);
  editor.text.focus();
  editor.text.setSelectionRange(start, start + (lines[line - 1] ?? '').length);
  scrollToLine(editor, line);
}

// Puts `line` (1-based) `linesAbove` lines below the top of the editor's
// view; the selection alone does not scroll it there in every browser.
function scrollToLine(editor, line, linesAbove = 3) {
  const lineHeight = parseFloat(getComputedStyle(editor.text).lineHeight) || 20;
  editor.text.scrollTop = Math.max(0, (line - 1 - linesAbove) * lineHeight);
  showGutter(editor);
}

// ---- building with the tools, in their worker ----

// maker.wasm grows to hold its largest job and never shrinks: past this the
// worker is replaced by a fresh one once it is idle.
const MaxToolsMemory = 64 * MiB;
const tools = { worker: null, nextId: 0, answers: new Map(), starts: 0, code: null };

// Starts the tools from maker-tools-worker.js, maker.js and maker.wasm as
// fetched at start-up, so a fresh worker needs no network.
async function startTools() {
  const [worker, script, wasm] = await Promise.all(['maker-tools-worker.js', 'maker.js', 'maker.wasm'].map(fetchOnce));
  const url = (bytes) => URL.createObjectURL(new Blob([bytes], { type: 'text/javascript' }));
  tools.code = { worker: url(worker), script: url(script), module: await WebAssembly.compile(wasm) };
  return launchTools();
}

// A new worker; resolves once maker.wasm is ready in it.
function launchTools() {
  maker.toolsStarts = ++tools.starts;
  return new Promise((resolve, reject) => {
    const worker = new Worker(tools.code.worker);
    worker.onerror = (event) => reject(new Error(`the tools' worker: ${event.message ?? 'it did not start'}`));
    worker.onmessage = (event) => {
      const answer = event.data;
      if ('ready' in answer) {
        if (answer.ready) resolve(); else reject(new Error(`maker.wasm: ${answer.failed}`));
        return;
      }
      const waiting = tools.answers.get(answer.id);
      tools.answers.delete(answer.id);
      maker.toolsBusy = tools.answers.size;
      if (answer.memory > MaxToolsMemory && tools.answers.size === 0) {
        worker.terminate();
        launchTools().catch((error) => status(`The tools cannot start again: ${error.message}`));
      }
      if (answer.failed) waiting.reject(new Error(`the tools failed: ${answer.failed}`));
      else waiting.resolve(answer);
    };
    worker.postMessage({ init: { script: tools.code.script, module: tools.code.module } });
    tools.worker = worker;
  });
}

// One job for the tools (see maker-tools-worker.js); the page stays free meanwhile.
function runTools(job, request = {}) {
  const id = ++tools.nextId;
  return new Promise((resolve, reject) => {
    tools.answers.set(id, { resolve, reject });
    maker.toolsBusy = tools.answers.size;
    tools.worker.postMessage({ id, job, ...request });
  });
}

function sourceBytes() {
  const encode = (text) => new TextEncoder().encode(text);
  return {
    pages: encode(editors['pages.txt'].text.value),
    font: encode(editors['font.txt'].text.value),
    song: encode(editors['song.fcs'].text.value),
  };
}

// The tools' answer shown under the editors: their messages (at most 200 a
// file), with a line for those left out.
function showAnswer(answer) {
  maker.messages = answer.messages.map((message) => `${message}\n`).join('');
  maker.problems = answer.problems;
  showProblems(answer.problems);
  for (const [file, count] of Object.entries(answer.hidden ?? {})) {
    if (!count) continue;
    const item = document.createElement('li');
    item.className = 'more';
    item.textContent = `... and ${numberText(count)} more message${count === 1 ? '' : 's'} for ${file}: mend the ones above first.`;
    editors[file].messages.append(item);
  }
}

// What is wrong when a typed or pasted source is past its limits, else ''.
function oversized() {
  for (const file of Object.keys(Limits)) {
    const problem = textProblem(file, editors[file].text.value, file);
    if (problem) return `${problem}: cut it down`;
  }
  return '';
}

// The pack of the three sources, or null with the tools' messages shown.
async function build() {
  const tooBig = oversized();
  if (tooBig) throw new Error(tooBig);
  const answer = await runTools('build', sourceBytes());
  showAnswer(answer);
  return answer.ok ? answer.pack : null;
}

const sameBytes = (a, b) => a && b && a.length === b.length && a.every((x, i) => x === b[i]);

let rebuildTimer = 0;
function edited() {
  maker.lastEditTime = performance.now();
  $('start-from').value = '';
  workChanged();
  clearTimeout(rebuildTimer);
  rebuildTimer = setTimeout(rebuild, RestartDelayMs);
}

// The last valid content keeps playing while a file has a problem. One check
// runs at a time; edits made meanwhile are checked right after it, once.
let checking = false, checkAgain = false;
async function rebuild() {
  if (checking) { checkAgain = true; return; }
  checking = true;
  status('Checking the content...');
  let answer, tooBig;
  try {
    do {
      checkAgain = false;
      tooBig = oversized();
      answer = tooBig ? null : await runTools('build', sourceBytes());
    } while (checkAgain);
  } catch (error) {
    status(`The content cannot be checked: ${error.message}`);
    return;
  } finally {
    checking = false;
  }
  if (tooBig) {
    status(`${tooBig}; the last valid intro keeps playing.`);
    return;
  }
  showAnswer(answer);
  if (!answer.ok) {
    status('The content has problems (see the messages); the last valid intro keeps playing.');
    return;
  }
  const pack = answer.pack;
  status(`Valid: the pack is ${pack.length} bytes.`);
  if (sameBytes(pack, maker.pack)) return;
  restart(pack);
  if (maker.lastEditTime) {
    maker.lastRestartDelay = performance.now() - maker.lastEditTime;
    maker.lastEditTime = 0;
  }
}

// ---- the live intro ----

// A fresh instance of the intro for `pack`, on `canvas`; the old one ends.
async function restart(pack, canvas = maker.canvas) {
  maker.pack = pack;
  maker.canvas = canvas;
  const run = ++maker.restarts;
  if (maker.preview) maker.preview._PreviewEnd();
  maker.preview = null;
  const preview = await MakerPreview({
    canvasContext: canvas.getContext('2d'),
    instantiateWasm(imports, receive) {
      WebAssembly.instantiate(maker.previewModule, imports).then((instance) => receive(instance, maker.previewModule));
      return {};
    },
  });
  if (run !== maker.restarts) return;  // newer content came while this one started
  const at = preview._PreviewPackBuffer(pack.length);
  preview.HEAPU8.set(pack, at);
  if (preview._PreviewUsePack(pack.length) !== 0) {
    console.error('maker: the preview refused a pack the tools made');
    return;
  }
  preview._PreviewBegin(performance.now());
  maker.preview = preview;
  if (maker.soundOn) maker.node.port.postMessage({ pack });
}

function frame(now) {
  if (maker.preview) maker.preview._PreviewFrame(now);
  if (maker.soundOn) {
    const seconds = maker.framesPlayed / SampleRate;
    $('song-time').textContent = `${Math.floor(seconds / 60)}:${(seconds % 60).toFixed(1).padStart(4, '0')}`;
  }
  requestAnimationFrame(frame);
}

// Sound needs a gesture: the audio context is made on the first Play.
async function startSound() {
  if (!maker.audio) {
    maker.audio = new AudioContext({ sampleRate: SampleRate });
    const source = URL.createObjectURL(new Blob([await fetchOnce('maker-worklet.js')], { type: 'text/javascript' }));
    await maker.audio.audioWorklet.addModule(source);
    URL.revokeObjectURL(source);
    maker.node = new AudioWorkletNode(maker.audio, 'maker-sound', {
      numberOfInputs: 0, outputChannelCount: [2], processorOptions: { wasm: maker.soundWasm, recordFrames },
    });
    maker.node.port.onmessage = (event) => {
      const { played, entry, entries, recording } = event.data;
      if (recording) maker.recording = recording;
      if (played === undefined) return;
      maker.framesPlayed = played;
      maker.entry = entry;
      maker.entries = entries;
      $('song-entry').textContent = `entry ${entry} of ${entries}`;
    };
    maker.node.port.postMessage({ mute: muteMask() });
    maker.node.connect(maker.audio.destination);
  }
  await maker.audio.resume();
  maker.soundOn = true;
  maker.framesPlayed = 0;
  if (maker.pack) restart(maker.pack);
}

const muteMask = () => [...document.querySelectorAll('.mute')].reduce((mask, box) => mask | (box.checked ? 1 << box.value : 0), 0);
for (const box of document.querySelectorAll('.mute')) {
  box.addEventListener('change', () => { if (maker.node) maker.node.port.postMessage({ mute: muteMask() }); });
}

function stopSound() {
  if (!maker.soundOn) return;
  maker.soundOn = false;
  maker.node.port.postMessage('stop');
}

// ---- the glyph editor ----

let chosenGlyph = 'A', chosenInk = '#';

// The 8 art rows of `glyph` in the font text: the lines after its "[c]"
// line; null when the text does not have them in that shape.
function glyphRows(glyph) {
  const lines = editors['font.txt'].text.value.split('\n');
  const at = lines.findIndex((line) => line.trimEnd() === `[${glyph}]`);
  if (at < 0 || at + 8 >= lines.length) return null;
  const rows = lines.slice(at + 1, at + 9).map((line) => line.trimEnd());
  return rows.every((row) => /^[.#+o]{8}$/.test(row)) ? { lines, at, rows } : null;
}

const InkNames = { '.': 'background', '#': 'body', '+': 'shading', 'o': 'outline' };
// The cell that takes the Tab focus in the glyph's grid (one tab stop, arrow keys move).
let focusX = 0, focusY = 0;

function showGlyphs() {
  const charset = $('charset');
  charset.replaceChildren();
  for (const glyph of Charset) {
    const button = document.createElement('button');
    button.type = 'button';
    button.textContent = glyph === ' ' ? '␣' : glyph;
    button.className = glyph === chosenGlyph ? 'chosen' : '';
    if (glyph === ' ') button.setAttribute('aria-label', 'space');
    button.addEventListener('click', () => { chosenGlyph = glyph; showGlyphs(); showGlyphInText(); });
    charset.append(button);
  }
  showCells();
}

// The 64 cells as buttons: a click, Enter or Space paints one, and a drag
// with a button held paints every cell it crosses.
function showCells() {
  const cells = $('cells'), found = glyphRows(chosenGlyph);
  const hadFocus = cells.contains(document.activeElement);
  cells.replaceChildren();
  for (let y = 0; y < 8; ++y) {
    for (let x = 0; x < 8; ++x) {
      const cell = document.createElement('button');
      const ink = found ? found.rows[y][x] : null;
      cell.type = 'button';
      cell.style.background = ink ? Inks[ink] : '#000';
      cell.dataset.x = x;
      cell.dataset.y = y;
      cell.tabIndex = x === focusX && y === focusY ? 0 : -1;
      cell.setAttribute('aria-label', `row ${y + 1} column ${x + 1}: ${ink ? InkNames[ink] : 'no art'}`);
      cells.append(cell);
    }
  }
  if (hadFocus) cells.children[focusY * 8 + focusX].focus();
}

let painting = false;
const cellAt = (event) => event.target.closest?.('#cells button');
$('cells').addEventListener('pointerdown', (event) => {
  const cell = cellAt(event);
  if (!cell || event.button !== 0) return;
  event.preventDefault();  // no text selection or focus change while dragging
  painting = true;
  paint(Number(cell.dataset.x), Number(cell.dataset.y));
});
// Touch and pen capture the pointer on the pressed cell: the cell under it is
// found from its position, not from the event's target.
$('cells').addEventListener('pointermove', (event) => {
  if (!painting) return;
  const cell = document.elementFromPoint(event.clientX, event.clientY)?.closest?.('#cells button');
  if (cell) paint(Number(cell.dataset.x), Number(cell.dataset.y));
});
addEventListener('pointerup', () => { painting = false; });
addEventListener('pointercancel', () => { painting = false; });
$('cells').addEventListener('keydown', (event) => {
  const cell = cellAt(event);
  if (!cell) return;
  const moves = { ArrowLeft: [-1, 0], ArrowRight: [1, 0], ArrowUp: [0, -1], ArrowDown: [0, 1] };
  if (event.key === 'Enter' || event.key === ' ') {
    event.preventDefault();
    focusX = Number(cell.dataset.x);
    focusY = Number(cell.dataset.y);
    paint(focusX, focusY);
  } else if (moves[event.key]) {
    event.preventDefault();
    focusX = Math.min(7, Math.max(0, Number(cell.dataset.x) + moves[event.key][0]));
    focusY = Math.min(7, Math.max(0, Number(cell.dataset.y) + moves[event.key][1]));
    for (const other of $('cells').children) other.tabIndex = -1;
    const next = $('cells').children[focusY * 8 + focusX];
    next.tabIndex = 0;
    next.focus();
  }
});

// Scrolls font.txt to the chosen glyph: its "[c]" line and 8 rows, in the
// 11 lines the smallest editor shows.
function showGlyphInText() {
  const found = glyphRows(chosenGlyph);
  if (found) scrollToLine(editors['font.txt'], found.at + 1, 1);
}

function paint(x, y) {
  const found = glyphRows(chosenGlyph);
  if (!found || found.rows[y][x] === chosenInk) return;
  const row = found.rows[y];
  found.lines[found.at + 1 + y] = row.slice(0, x) + chosenInk + row.slice(x + 1);
  editors['font.txt'].text.value = found.lines.join('\n');
  focusX = x;
  focusY = y;
  showGlyphInText();
  showCells();
  edited();
}

for (const [ink, colour] of Object.entries(Inks)) {
  const button = document.createElement('button');
  button.type = 'button';
  button.textContent = ink;
  button.setAttribute('aria-label', `ink ${ink}: ${InkNames[ink]}`);
  button.style.borderColor = colour;
  button.className = ink === chosenInk ? 'chosen' : '';
  button.addEventListener('click', () => {
    chosenInk = ink;
    for (const other of $('inks').children) other.className = other === button ? 'chosen' : '';
  });
  $('inks').append(button);
}

// ---- downloads ----

function save(name, blob) {
  const link = document.createElement('a');
  link.href = URL.createObjectURL(blob);
  link.download = name;
  link.click();
  setTimeout(() => URL.revokeObjectURL(link.href), 1000);
}

// intro.exe from the prebuilt one this folder carries, as intro-pack --shell writes it.
async function introExe() {
  const shell = await fetchOnce('intro.exe');
  const answer = await runTools('exe', { ...sourceBytes(), shell });
  if (answer.exeFailed) throw new Error(answer.messages[0]);
  showAnswer(answer);
  if (!answer.ok) throw new Error('the content has problems');
  return answer.exe;
}

async function webFolderZip() {
  const pack = await build();
  if (!pack) throw new Error('the content has problems');
  const entries = [];
  for (const name of WebFiles) entries.push({ name: `intro/${name}`, bytes: await fetchOnce(`web/${name}`) });
  entries.push({ name: 'intro/content.intro', bytes: pack });
  entries.push({ name: 'intro/content.json', bytes: new TextEncoder().encode('{"pack": "content.intro"}\n') });
  return makeZip(entries);
}

function sourcesZip() {
  const { pages, font, song } = sourceBytes();
  return makeZip([{ name: 'intro/pages.txt', bytes: pages }, { name: 'intro/font.txt', bytes: font },
    { name: 'intro/song.fcs', bytes: song }]);
}

function action(id, run) {
  $(id).addEventListener('click', () => run().catch((error) => status(`${id}: ${error.message}`)));
}
action('get-exe', async () => save('intro.exe', new Blob([await introExe()])));
action('get-pack', async () => {
  const pack = await build();
  if (!pack) throw new Error('the content has problems');
  save('content.intro', new Blob([pack]));
});
action('get-web', async () => save('intro-web.zip', await webFolderZip()));
action('get-sources', async () => save('intro-sources.zip', sourcesZip()));
// song.wav and the video: export-ui.js, which loads the renders only when asked.
import('./export-ui.js').then(({ setUpExports }) => setUpExports({
  container: $('exports'), pack: build, status, instead: [$('get-exe'), $('get-pack'), $('get-web')],
})).catch((error) => status(`The song.wav and video downloads cannot load: ${error.message}`));
action('get-share', async () => {
  const link = await shareLink();
  $('share-out').value = link;
  status(`The share link is ${link.length} characters.`);
});

// ---- the share link: the three texts, deflated, base64url, in the fragment ----

async function streamBytes(bytes, transform) {
  const stream = new Blob([bytes]).stream().pipeThrough(transform);
  return new Uint8Array(await new Response(stream).arrayBuffer());
}

function toBase64Url(bytes) {
  let text = '';
  for (let i = 0; i < bytes.length; i += 0x8000) text += String.fromCharCode.apply(null, bytes.subarray(i, i + 0x8000));
  return btoa(text).replace(/\+/g, '-').replace(/\//g, '_').replace(/=+$/, '');
}

async function shareLink() {
  const texts = ['pages.txt', 'font.txt', 'song.fcs'].map((file) => editors[file].text.value);
  const packed = await streamBytes(new TextEncoder().encode(JSON.stringify(texts)), new CompressionStream('deflate-raw'));
  return `${location.origin}${location.pathname}#play=${toBase64Url(packed)}`;
}

// The fragment is untrusted: it is read only within the limits above, and
// anything else gives { error } saying what is wrong with it.
async function readShared(data) {
  const unreadable = (why) => ({ error: why });
  if (data.length > MaxFragmentChars) {
    return unreadable(`it is ${numberText(data.length)} characters, more than the ${numberText(MaxFragmentChars)} a share link holds`);
  }
  const stray = data.search(/[^A-Za-z0-9_-]/);
  if (stray >= 0) return unreadable(`character ${stray + 1} of its data is not base64url (was the link cut or changed?)`);
  let bytes;
  try {
    bytes = Uint8Array.from(atob(data.replace(/-/g, '+').replace(/_/g, '/')), (c) => c.charCodeAt(0));
  } catch {
    return unreadable('its data is cut short (was the link copied whole?)');
  }
  // Inflated a piece at a time, and given up as soon as it passes the limit.
  const reader = new Blob([bytes]).stream().pipeThrough(new DecompressionStream('deflate-raw')).getReader();
  const chunks = [];
  let total = 0;
  try {
    for (;;) {
      const { done, value } = await reader.read();
      if (done) break;
      total += value.length;
      if (total > MaxSharedBytes) {
        reader.cancel().catch(() => {});
        return unreadable(`it unpacks to more than ${numberText(MaxSharedBytes)} bytes, more than its three files may hold ` +
          `(pages.txt and font.txt ${Limits['pages.txt'].bytes / KiB} KiB each, song.fcs ${Limits['song.fcs'].bytes / MiB} MiB)`);
      }
      chunks.push(value);
    }
  } catch {
    return unreadable('its data is damaged (it does not unpack)');
  }
  let texts;
  try {
    texts = JSON.parse(new TextDecoder().decode(await new Blob(chunks).arrayBuffer()));
  } catch {
    texts = null;
  }
  if (!Array.isArray(texts) || texts.length !== 3 || !texts.every((t) => typeof t === 'string')) {
    return unreadable('it does not hold the maker\'s three files');
  }
  for (const [i, file] of ['pages.txt', 'font.txt', 'song.fcs'].entries()) {
    const problem = textProblem(file, texts[i], `its ${file}`);
    if (problem) return unreadable(problem);
  }
  return { texts };
}

// ---- files loaded or dropped from disk ----

// A song source or a module (into the song's editor), or a text for `target`;
// its size is checked before it is read, and a refused file leaves the editor as it was.
async function openFile(file, target) {
  const refused = `${file.name}: ${tooLarge(target, `it is ${numberText(file.size)} bytes`)}. Choose a smaller file.`;
  if (file.size > Math.max(MaxModuleBytes, Limits[target].bytes)) { status(refused); return; }
  const magic = String.fromCharCode(...new Uint8Array(await file.slice(0, 4).arrayBuffer()));
  if (magic === 'FC14' || magic === 'SMOD') return openModule(file);
  if (file.size > Limits[target].bytes) { status(refused); return; }
  const bytes = new Uint8Array(await file.arrayBuffer());
  const notText = notATextFile(bytes, target);
  if (notText) { status(`${file.name}: ${notText}; ${target} is unchanged.`); return; }
  const text = new TextDecoder().decode(bytes), problem = textProblem(target, text, 'it');
  if (problem) { status(`${file.name}: ${problem}. Choose a smaller file.`); return; }
  const editor = editors[target];
  editor.text.value = text;
  editor.text.scrollTop = 0;
  showGutter(editor);
  if (target === 'font.txt') showGlyphs();
  status(`${file.name}: loaded into ${target}.`);
  edited();
}

// Why `bytes` cannot go into `target` as text (a module of another kind,
// NUL bytes, invalid UTF-8), or '' when they can.
function notATextFile(bytes, target) {
  const modules = target === 'song.fcs' ? ' nor a module this maker reads (one starting "FC14" or "SMOD")' : '';
  const neither = `it is neither a text${modules}`;
  const tag = String.fromCharCode(...bytes.subarray(1080, 1084));
  if (/^(M\.K\.|M!K!|FLT[48]|[1-9]CHN|[1-3][0-9]CH)$/.test(tag)) {
    return `it is a ProTracker-style module ("${tag}" at byte 1080), ${neither}`;
  }
  const nul = bytes.indexOf(0);
  if (nul >= 0) return `it has a NUL byte at byte ${numberText(nul)}: ${neither}`;
  try {
    new TextDecoder('utf-8', { fatal: true }).decode(bytes);
  } catch {
    return `it is not UTF-8 text: ${neither}`;
  }
  return '';
}

// A module comes back as its song source, through modasm's disassembler.
async function openModule(file) {
  status(`${file.name}: reading the module...`);
  const module = new Uint8Array(await file.arrayBuffer());
  const answer = await runTools('disassemble', { module, maxSourceBytes: Limits['song.fcs'].bytes });
  if (!answer.ok) {
    showAnswer(answer);
    status(`${file.name}: the module cannot be read (see the message)`);
    return;
  }
  if (answer.source === undefined) {
    status(`${file.name}: ${tooLarge('song.fcs', `its song source would be ${numberText(answer.sourceBytes)} bytes`)}. ` +
      'Choose a smaller module.');
    return;
  }
  const problem = textProblem('song.fcs', answer.source, 'its song source');
  if (problem) { status(`${file.name}: ${problem}. Choose a smaller module.`); return; }
  const editor = editors['song.fcs'];
  editor.text.value = answer.source;
  editor.text.scrollTop = 0;
  showGutter(editor);
  status(`${file.name}: loaded into song.fcs.`);
  edited();
}

$('load-song').addEventListener('click', () => $('song-file').click());
$('song-file').addEventListener('change', (event) => {
  const file = event.target.files[0];
  event.target.value = '';  // the same file chosen again is a new change
  if (file) openFile(file, 'song.fcs').catch((error) => status(`${file.name}: ${error.message}`));
});

// A file dropped on an editor goes into it; dropped anywhere else, the page
// stays (a browser would otherwise open the file in place of the maker).
addEventListener('dragover', (event) => event.preventDefault());
addEventListener('drop', (event) => {
  event.preventDefault();
  const file = event.dataTransfer?.files[0];
  const target = event.target.closest?.('.editor')?.dataset.file;
  if (!file) return;
  if (!target) { status('Drop a file on one of the three editors to load it there.'); return; }
  openFile(file, target).catch((error) => status(`${file.name}: ${error.message}`));
});

// ---- start-up ----

async function loadContent(which) {
  const names = { 'pages.txt': 'pages.txt', 'font.txt': 'font.txt', 'song.fcs': 'song.fcs' };
  for (const [file, name] of Object.entries(names)) {
    editors[file].text.value = new TextDecoder().decode(await fetchOnce(`content/${which}/${name}`));
  }
}

function setTexts(texts) {
  ['pages.txt', 'font.txt', 'song.fcs'].forEach((file, i) => { editors[file].text.value = texts[i]; });
}

function showEditors() {
  for (const editor of Object.values(editors)) {
    editor.text.scrollTop = 0;
    showGutter(editor);
  }
  showGlyphs();
}

for (const editor of Object.values(editors)) {
  editor.text.addEventListener('input', edited);
  editor.text.addEventListener('scroll', () => showGutter(editor));
  editor.text.addEventListener('input', () => showGutter(editor));
}
editors['font.txt'].text.addEventListener('input', showGlyphs);
$('play').addEventListener('click', () => startSound().catch((error) => status(`sound: ${error.message}`)));
$('stop').addEventListener('click', stopSound);
$('start-from').addEventListener('change', async (event) => {
  const which = event.target.value;
  if (!which) return;
  const what = event.target.selectedOptions[0].textContent;
  if (!await isBuiltIn(currentTexts()) && !confirm(`Replace your three files with ${what}? Your work in them is discarded.`)) {
    event.target.value = '';
    return;
  }
  await loadContent(which);
  showEditors();
  rebuild();
  workChanged();
});

// ---- the saved work (maker-storage.js) ----

const currentTexts = () => WorkFiles.map((file) => editors[file].text.value);

// The note beside the status that stays while it holds, and its button.
function showWork(note, button = '') {
  $('work-note').textContent = note;
  $('keep-work').textContent = button;
  $('keep-work').hidden = !button;
  $('work').hidden = !note;
}

const notSaved = (why) => `Your work is not saved: ${why}. It stays in this page; the sources (.zip) keep a copy.`;
function workChanged() {
  workStore.changed(currentTexts, (failed) => {
    if (failed) showWork(notSaved(failed), 'Try saving again');
    else if (workStore.mode === 'saving') showWork('');
  });
}

// The saved work, if it is within the editors' limits.
function savedWork() {
  const saved = workStore.saved();
  return saved && WorkFiles.every((file, i) => !textProblem(file, saved.texts[i], file)) ? saved : null;
}

// True when `texts` are the intro's own or the example's, so replacing them loses nothing.
async function isBuiltIn(texts) {
  try {
    for (const which of ['intro', 'example']) {
      const builtIn = await Promise.all(WorkFiles.map((file) => fetchOnce(`content/${which}/${file}`)));
      if (builtIn.every((bytes, i) => new TextDecoder().decode(bytes) === texts[i])) return true;
    }
  } catch {
    // not fetched: the user is asked
  }
  return false;
}

// A share link's content is this tab's own, kept in memory until the user keeps it.
function openedLink() {
  workStore.mode = 'link';
  const saved = workStore.saved();
  showWork(saved ? `This tab's content is not saved; your saved work from ${workTime(saved.time)} is untouched.`
    : 'This tab\'s content is not saved in this browser.', 'Keep this as my saved work');
}

$('keep-work').addEventListener('click', () => {
  const saved = workStore.saved();
  if (workStore.mode !== 'saving' && saved && saved.tab !== workStore.tab &&
      !confirm(`Replace your saved work from ${workTime(saved.time)} with this tab's three files?`)) return;
  workStore.mode = 'saving';
  const failed = workStore.write(currentTexts());
  showWork(failed ? notSaved(failed) : '', failed ? 'Try saving again' : '');
  status(failed ? notSaved(failed) : 'This tab\'s work is saved, and its changes from now on.');
});

addEventListener('pagehide', () => workStore.flush(currentTexts));

// Another tab wrote the saved work: this one stops saving until its user chooses.
addEventListener('storage', (event) => {
  if ((event.key !== WorkKey && event.key !== null) || workStore.mode !== 'saving') return;
  if (workStore.saved()?.tab === workStore.tab) return;
  workStore.mode = 'paused';
  const note = 'Another tab changed your saved work: this tab no longer saves its changes. ' +
    'Keep this tab\'s work, or reload to open the other tab\'s.';
  showWork(note, 'Keep this tab\'s work');
  status(note);
});

// A share link opened in a page already running: the editors take its
// content, or keep theirs when it cannot be read.
addEventListener('hashchange', async () => {
  const shared = location.hash.match(/^#edit=(.*)$/);
  if (!shared || document.body.classList.contains('playing')) return;
  status('Reading the share link...');
  const { texts, error } = await readShared(shared[1]);
  if (error) { status(`This share link cannot be opened: ${error}. Your content is unchanged.`); return; }
  workStore.flush(currentTexts);
  setTexts(texts);
  openedLink();
  showEditors();
  rebuild();
});

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
  // Kept for later; a missing intro.exe only takes that download away.
  for (const which of ['intro', 'example']) for (const file of ['pages.txt', 'font.txt', 'song.fcs']) fetchOnce(`content/${which}/${file}`);
  for (const name of WebFiles) fetchOnce(`web/${name}`).catch(() => {});
  fetchOnce('maker-worklet.js');
  fetchOnce('intro.exe').catch(() => { $('get-exe').disabled = true; });
  const shared = location.hash.match(/^#(play|edit)=(.*)$/);
  if (shared) status('Reading the share link...');
  const { texts, error } = shared ? await readShared(shared[2]) : {};
  const saved = shared ? null : savedWork();
  if (texts) setTexts(texts);
  else if (saved) setTexts(saved.texts);
  else await loadContent('intro');
  if (shared) openedLink();
  if (saved) $('start-from').value = '';
  showEditors();
  if (texts && shared[1] === 'play') return player();
  await rebuild();
  const problems = maker.messages ? 'It has problems (see the messages).' : 'Edit any of the three files.';
  if (error) status(`This share link cannot be opened: ${error}. The intro's own content is loaded instead.`);
  else if (saved) status(`Your work from ${workTime(saved.time)} is restored. ${problems}`);
  else if (maker.messages) status('The content has problems (see the messages).');
  else if (shared) status(`Ready: the share link's content is open. ${$('work-note').textContent}`);
  else status('Ready: edit any of the three files.');
  requestAnimationFrame(frame);
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
  $('to-maker').addEventListener('click', (event) => {
    event.preventDefault();
    history.replaceState(null, '', $('to-maker').href);
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
