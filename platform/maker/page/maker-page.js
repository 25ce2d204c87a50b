// The intro maker's page: three editors (pages, font art, song source) checked
// and built by maker.wasm (intro-pack's own code), the intro running live from
// the last valid content (preview.wasm, preview-sound.wasm in the worklet),
// a glyph editor, downloads and the share link.
'use strict';

const SampleRate = 44100, RestartDelayMs = 300;
const Charset = " ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789><*/\\,.'&-:+@!%";
const Inks = { '.': '#130047', '#': '#f7f7f7', '+': '#8f8fb0', 'o': '#4a2a9a' };
const WebFiles = ['index.html', 'intro-page.js', 'intro.js', 'intro.wasm', 'intro-sound.wasm',
  'intro-worklet.js', 'font.bmp'];
const MaxFragmentChars = 4 << 20;  // the share link's data, base64url, before it is read
const MaxSourceBytes = 16 << 20;   // as the tools' own input files
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
  messages: '',          // the tools' last messages
  canvas: $('intro'), preview: null, audio: null, node: null, soundOn: false, framesPlayed: 0,
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

function showGutter(editor) {
  const count = editor.text.value.split('\n').length;
  const lines = [];
  for (let n = 1; n <= count; ++n) {
    const problem = editor.problems.get(n);
    lines.push(problem ? `<span class="bad" data-line="${n}" title="${escapeHtml(problem)}">${n}</span>` : String(n));
  }
  editor.gutter.innerHTML = lines.join('\n') + '\n';
  editor.gutter.scrollTop = editor.text.scrollTop;
}
const escapeHtml = (text) => text.replace(/[&<>"]/g, (c) => `&#${c.charCodeAt(0)};`);

// The tools' problems as MakerProblems gives them ({file, line, column,
// reason, message}: the message worded as the tools print it), each under its editor.
const readProblems = () => JSON.parse(maker.tools.UTF8ToString(maker.tools._MakerProblems()));

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
}

// ---- building with the tools ----

function withBytes(bytes, use) {
  const tools = maker.tools;
  const at = tools._MakerAlloc(bytes.length);
  tools.HEAPU8.set(bytes, at);
  try { return use(at, bytes.length); } finally { tools._MakerFree(at); }
}

function sourceBytes() {
  const encode = (text) => new TextEncoder().encode(text);
  return {
    pages: encode(editors['pages.txt'].text.value),
    font: encode(editors['font.txt'].text.value),
    song: encode(editors['song.fcs'].text.value),
  };
}

// The pack of the three sources, or null with the tools' messages shown.
function build() {
  const tools = maker.tools, { pages, font, song } = sourceBytes();
  const ok = withBytes(pages, (p, pn) => withBytes(font, (f, fn) => withBytes(song, (s, sn) =>
    tools._MakerBuild(p, pn, f, fn, s, sn, 0))));
  const problems = readProblems();
  maker.messages = problems.map((problem) => problem.message).join('\n');
  showProblems(problems);
  if (!ok) return null;
  const at = tools._MakerPack();
  return tools.HEAPU8.slice(at, at + tools._MakerPackSize());
}

const sameBytes = (a, b) => a && b && a.length === b.length && a.every((x, i) => x === b[i]);

let rebuildTimer = 0;
function edited() {
  maker.lastEditTime = performance.now();
  clearTimeout(rebuildTimer);
  rebuildTimer = setTimeout(rebuild, RestartDelayMs);
}

// The last valid content keeps playing while a file has a problem.
function rebuild() {
  const pack = build();
  if (!pack) {
    status('The content has problems (see the messages); the last valid intro keeps playing.');
    return;
  }
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

function showGlyphs() {
  const charset = $('charset');
  charset.replaceChildren();
  for (const glyph of Charset) {
    const button = document.createElement('button');
    button.type = 'button';
    button.textContent = glyph === ' ' ? '␣' : glyph;
    button.className = glyph === chosenGlyph ? 'chosen' : '';
    button.addEventListener('click', () => { chosenGlyph = glyph; showGlyphs(); });
    charset.append(button);
  }
  const cells = $('cells'), found = glyphRows(chosenGlyph);
  cells.replaceChildren();
  for (let y = 0; y < 8; ++y) {
    for (let x = 0; x < 8; ++x) {
      const cell = document.createElement('div');
      cell.style.background = found ? Inks[found.rows[y][x]] : '#000';
      cell.dataset.x = x;
      cell.dataset.y = y;
      cell.addEventListener('click', () => paint(x, y));
      cells.append(cell);
    }
  }
}

function paint(x, y) {
  const found = glyphRows(chosenGlyph);
  if (!found) return;
  const row = found.rows[y];
  found.lines[found.at + 1 + y] = row.slice(0, x) + chosenInk + row.slice(x + 1);
  editors['font.txt'].text.value = found.lines.join('\n');
  showGutter(editors['font.txt']);
  showGlyphs();
  edited();
}

for (const [ink, colour] of Object.entries(Inks)) {
  const button = document.createElement('button');
  button.type = 'button';
  button.textContent = ink;
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
  const pack = build();
  if (!pack) throw new Error('the content has problems');
  const tools = maker.tools;
  const size = withBytes(shell, (at, length) => tools._MakerBuildExe(at, length));
  if (!size) throw new Error(tools.UTF8ToString(tools._MakerMessages()));
  const at = tools._MakerExe();
  return tools.HEAPU8.slice(at, at + size);
}

async function webFolderZip() {
  const pack = build();
  if (!pack) throw new Error('the content has problems');
  const entries = [];
  for (const name of WebFiles) entries.push({ name: `intro/${name}`, bytes: await fetchOnce(`web/${name}`) });
  entries.push({ name: 'intro/content.intro', bytes: pack });
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
  const pack = build();
  if (!pack) throw new Error('the content has problems');
  save('content.intro', new Blob([pack]));
});
action('get-web', async () => save('intro-web.zip', await webFolderZip()));
action('get-sources', async () => save('intro-sources.zip', sourcesZip()));
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

// The fragment is untrusted: any failure to read it gives null, and the
// inflated text is cut off at MaxSourceBytes * 3.
async function readShared(data) {
  try {
    if (data.length > MaxFragmentChars || !/^[A-Za-z0-9_-]*$/.test(data)) return null;
    const text = atob(data.replace(/-/g, '+').replace(/_/g, '/'));
    const bytes = Uint8Array.from(text, (c) => c.charCodeAt(0));
    const reader = new Blob([bytes]).stream().pipeThrough(new DecompressionStream('deflate-raw')).getReader();
    const chunks = [];
    let total = 0;
    for (;;) {
      const { done, value } = await reader.read();
      if (done) break;
      total += value.length;
      if (total > 3 * MaxSourceBytes) { reader.cancel(); return null; }
      chunks.push(value);
    }
    const texts = JSON.parse(new TextDecoder().decode(await new Blob(chunks).arrayBuffer()));
    if (!Array.isArray(texts) || texts.length !== 3 || !texts.every((t) => typeof t === 'string')) return null;
    return texts;
  } catch {
    return null;
  }
}

// ---- loading a song from disk ----

$('song-file').addEventListener('change', async (event) => {
  const file = event.target.files[0];
  if (!file) return;
  if (file.size > MaxSourceBytes) { status(`${file.name}: larger than 16 MiB`); return; }
  const bytes = new Uint8Array(await file.arrayBuffer());
  const magic = String.fromCharCode(...bytes.subarray(0, 4));
  const editor = editors['song.fcs'];
  if (magic === 'FC14' || magic === 'SMOD') {
    // A module comes back as its song source, through modasm's disassembler.
    const tools = maker.tools;
    if (!withBytes(bytes, (at, length) => tools._MakerDisassemble(at, length))) {
      showProblems(readProblems());
      status(`${file.name}: the module cannot be read (see the message)`);
      return;
    }
    editor.text.value = tools.UTF8ToString(tools._MakerSource());
  } else {
    editor.text.value = new TextDecoder().decode(bytes);
  }
  showGutter(editor);
  edited();
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

for (const editor of Object.values(editors)) {
  editor.text.addEventListener('input', edited);
  editor.text.addEventListener('scroll', () => { editor.gutter.scrollTop = editor.text.scrollTop; });
  editor.text.addEventListener('input', () => showGutter(editor));
}
editors['font.txt'].text.addEventListener('input', showGlyphs);
$('play').addEventListener('click', () => startSound().catch((error) => status(`sound: ${error.message}`)));
$('stop').addEventListener('click', stopSound);
$('start-from').addEventListener('change', async (event) => {
  await loadContent(event.target.value);
  for (const editor of Object.values(editors)) showGutter(editor);
  showGlyphs();
  rebuild();
});

async function main() {
  const [tools, previewBytes, soundWasm] = await Promise.all([
    MakerTools(), fetchBytes('preview.wasm'), fetchBytes('preview-sound.wasm')]);
  maker.tools = tools;
  maker.previewModule = await WebAssembly.compile(previewBytes);
  maker.soundWasm = soundWasm;
  // Kept for later; a missing intro.exe only takes that download away.
  for (const which of ['intro', 'example']) for (const file of ['pages.txt', 'font.txt', 'song.fcs']) fetchOnce(`content/${which}/${file}`);
  for (const name of WebFiles) fetchOnce(`web/${name}`).catch(() => {});
  fetchOnce('maker-worklet.js');
  fetchOnce('intro.exe').catch(() => { $('get-exe').disabled = true; });
  const shared = location.hash.match(/^#(play|edit)=(.*)$/);
  const texts = shared ? await readShared(shared[2]) : null;
  if (texts) setTexts(texts);
  else await loadContent('intro');
  for (const editor of Object.values(editors)) showGutter(editor);
  showGlyphs();
  if (texts && shared[1] === 'play') return player();
  rebuild();
  status(maker.messages ? 'The content has problems (see the messages).' : 'Ready: edit any of the three files.');
  requestAnimationFrame(frame);
}

// A shared intro full-window: it starts, with its music, on a gesture.
function player() {
  document.body.classList.add('playing');
  const screen = $('player-screen');
  const fit = () => {
    const scale = Math.max(1, Math.floor(Math.min(innerWidth / 528, (innerHeight - 60) / 384)));
    screen.style.width = `${528 * scale}px`;
    screen.style.height = `${384 * scale}px`;
  };
  addEventListener('resize', fit);
  fit();
  $('to-maker').href = location.hash.replace(/^#play=/, '#edit=');
  $('to-maker').addEventListener('click', () => setTimeout(() => location.reload(), 0));
  const pack = build();
  if (!pack) {
    $('player-prompt').textContent = 'This link\'s content has problems: open it in the maker to see them.';
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
