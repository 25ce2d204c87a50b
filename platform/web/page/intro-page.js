// The page around the intro: the content pack it plays, the canvas at a
// whole-number scale, the start gesture, the animation-frame loop, Escape, fullscreen, the page's
// visibility, the sound worklet that plays the music, the words for screen
// readers (what the screen says and the text as it is typed), and a line in
// the intro's font when a part of the page cannot be loaded.
'use strict';

const canvas = document.getElementById('intro');
const lineCanvas = document.getElementById('intro-line');
const statusText = document.getElementById('intro-status');
const typedText = document.getElementById('intro-text');
const startButton = document.getElementById('intro-start');
const Width = 528, Height = 384, SampleRate = 44100;
// The line about a missing part of the sound sits on cell row 22 of the
// screen, which no page reaches (pagec allows 20 lines, from row 2).
const LineRow = 22;
// Test-only switch: ?test-record makes the worklet report its progress and
// send back the first 8 seconds it played, as 16-bit samples.
const recordFrames = new URLSearchParams(location.search).has('test-record') ? 8 * SampleRate : 0;

// The page as one file (intro-pack's NAME.html) carries the files it loads
// as base64 blocks, <script type="application/octet-stream" data-file=NAME>,
// and reads them from there: a page opened from disk may fetch nothing.
const singleFile = document.querySelector('script[data-file]') !== null;
function inlineBytes(file) {
  const block = document.querySelector(`script[data-file="${file}"]`);
  if (!block) return null;
  const text = atob(block.textContent);
  const bytes = new Uint8Array(text.length);
  for (let i = 0; i < text.length; ++i) bytes[i] = text.charCodeAt(i);
  return bytes.buffer;
}

// A fetch that fails on any HTTP error, with the file's name in its message;
// an inline file comes from its block.
function fetchBytes(file) {
  if (singleFile) {
    const bytes = inlineBytes(file);
    return bytes ? Promise.resolve(bytes) : Promise.reject(new Error('not in this page'));
  }
  return fetch(file).then((response) => {
    if (!response.ok) throw new Error('HTTP ' + response.status);
    return response.arrayBuffer();
  });
}

// What the page and its tests can see of the sound.
const introSound = {
  wasm: fetchBytes('intro-sound.wasm'),
  context: null,
  node: null,
  pending: [],
  framesPlayed: 0,
  stopped: false,
  recording: null,
  missing: null,  // what keeps the music from playing, once known
};
introSound.wasm.catch((error) => soundMissing('intro-sound.wasm', error.message));

// The content: the built-in pack, replaced by the pack that content.json
// beside the page names, and by a pack dropped onto the page before the
// start gesture. content.json is always there: the built page's names none
// and intro-pack's web folder names its content.intro, so no request is
// made for a file that is not there (a file:// page asks for nothing and
// keeps the built-in content, unless it is a single file carrying both). A
// pack the reader refuses is said on the page; the content stays.
let moduleRuns;
const PackName = /^[\w-]+\.intro$/;
const introContent = {
  name: 'its built-in content',
  refused: null,  // what was refused, why, and what plays instead
  // Content changes, in the order they come, each once the module runs.
  turn: Promise.all([
    new Promise((resolve) => { moduleRuns = resolve; }),
    location.protocol === 'file:' && !singleFile ? null : fetchBytes('content.json')
      .then((bytes) => JSON.parse(new TextDecoder().decode(bytes)).pack)
      .catch((error) => { refuseContent('content.json', error.message); return null; })
      .then((pack) => {
        if (pack === null || pack === undefined) return null;
        if (typeof pack !== 'string' || !PackName.test(pack)) return refuseContent('content.json', 'it names no pack beside the page');
        return fetchBytes(pack).then((bytes) => [bytes, pack]).catch((error) => refuseContent(pack, error.message));
      }),
  ]).then(([, found]) => found && useContent(found[0], found[1])),
};

// ready: the intro's module runs (its start prompt is on the canvas) and the
// content is settled.
// missing: the part without which the intro cannot run. shownLine: the line
// the page drew itself in the intro's font.
const introState = {
  ready: false, started: false, ended: false, beginTime: 0, missing: null, shownLine: null,
};

var Module = {
  canvasContext: canvas.getContext('2d'),
  // The song goes with the start: the content cannot change after it.
  introMusic(message) {
    if (message === 'start') {
      const at = Module._WebContentBytes();
      toWorklet({ pack: Module.HEAPU8.slice(at, at + Module._WebContentSize()) });
    }
    toWorklet(message);
  },
  introTyped: showTypedText,
  // The page fetches intro.wasm itself, so a missing or broken one is said
  // on the page instead of ending in the module's abort.
  instantiateWasm(imports, receiveInstance) {
    fetchBytes('intro.wasm')
      .then((bytes) => WebAssembly.instantiate(bytes, imports))
      .then((result) => receiveInstance(result.instance, result.module))
      .catch((error) => introPartMissing('intro.wasm', error.message));
    return {};
  },
  // After main(), which sets up the driver and draws the prompt.
  postRun: [() => {
    moduleRuns();
    introContent.turn.then(() => {
      introState.ready = true;
      sayStatus();
      if (introState.started) runIntro();
    });
  }],
};

function toWorklet(message) {
  if (introSound.node) introSound.node.port.postMessage(message);
  else introSound.pending.push(message);
}

// `buffer` into a block of the module's memory that _WebUseContent takes.
function useContent(buffer, name) {
  const bytes = new Uint8Array(buffer);
  const at = Module._malloc(Math.max(1, bytes.length));
  if (!at) return refuseContent(name, `its ${bytes.length} bytes do not fit in the page's memory`);
  Module.HEAPU8.set(bytes, at);
  if (Module._WebUseContent(at, bytes.length) !== 0) {
    const reason = Module.HEAPU8.subarray(Module._WebContentReason());
    return refuseContent(name, String.fromCharCode(...reason.subarray(0, reason.indexOf(0))));
  }
  introContent.name = `the content of ${name}`;
  introContent.refused = null;
  if (!introSound.missing) lineCanvas.hidden = true;
  sayStatus();
}

function refuseContent(name, reason) {
  introContent.refused = `${name} was refused (${reason}); the intro plays ${introContent.name}.`;
  console.warn(`intro: ${introContent.refused}`);
  sayStatus();
  lineCanvas.hidden = false;
  showLine(lineCanvas, `${name.toUpperCase()} REFUSED`, 0, 1);
  return null;
}

// A pack dropped onto the page (never opened by the browser in its place):
// before the start gesture it becomes the content; after it, it is refused,
// as the start-up has taken the pages, the font and the song.
document.addEventListener('dragover', (event) => event.preventDefault());
document.addEventListener('drop', (event) => {
  event.preventDefault();
  const file = event.dataTransfer.files[0];
  if (!file) return;
  if (introState.started) refuseContent(file.name, 'the intro has started; reload the page first');
  else introContent.turn = introContent.turn.then(() => file.arrayBuffer())
    .then((bytes) => useContent(bytes, file.name), (error) => refuseContent(file.name, error.message));
});

document.addEventListener('click', begin);
document.addEventListener('keydown', onKey);
document.addEventListener('dblclick', toggleFullscreen);
document.addEventListener('visibilitychange', () => {
  if (introState.ready) Module._WebSetActive(document.hidden ? 0 : 1);
});

// Whole-number scaling in device pixels, so every intro pixel stays a sharp square.
function fit() {
  const ratio = window.devicePixelRatio || 1;
  const scale = Math.max(1, Math.floor(Math.min(innerWidth * ratio / Width, innerHeight * ratio / Height)));
  const px = (pixels) => (pixels * scale) / ratio + 'px';
  canvas.style.width = px(Width);
  canvas.style.height = px(Height);
  lineCanvas.style.width = px(Width);
  lineCanvas.style.height = px(lineCanvas.height);
  lineCanvas.style.top = px(16 * LineRow);
}
addEventListener('resize', fit);
fit();

function toggleFullscreen() {
  if (document.fullscreenElement) document.exitFullscreen();
  else document.documentElement.requestFullscreen().catch(() => {});
}

function onKey(event) {
  if (event.key === 'F11') {
    event.preventDefault();
    toggleFullscreen();
  } else if (event.key === 'Escape') {
    end();
  } else {
    begin();
  }
}

// Browsers let sound start only from a gesture: the audio context is made
// here, and the intro's start-up runs, now or as soon as its module runs
// (its music start reaches the worklet as soon as the worklet exists).
function begin() {
  if (introState.started || introState.missing) return;
  introState.started = true;
  startButton.hidden = true;
  startSound();
  if (introState.ready) runIntro();
  sayStatus();
}

function runIntro() {
  introState.beginTime = performance.now();
  Module._WebBegin(introState.beginTime);
  requestAnimationFrame(frame);
}

function frame(now) {
  if (introState.ended) return;
  Module._WebFrame(now);
  Module._WebReportTyped();
  requestAnimationFrame(frame);
}

function end() {
  if (!introState.ready || !introState.started || introState.ended) return;
  introState.ended = true;
  Module._WebEnd();
  sayStatus();
}

function startSound() {
  if (introSound.missing) return;
  if (typeof AudioWorkletNode !== 'function') {
    soundMissing('AudioWorklet', 'this browser, or a page not served over http(s), has none');
    return;
  }
  const context = new AudioContext({ sampleRate: SampleRate });
  introSound.context = context;
  // A page opened from disk has an opaque origin, whose blob: URLs a worklet
  // may not load; a data: URL it may.
  const workletUrl = singleFile
    ? `data:text/javascript;base64,${document.querySelector('script[data-file="intro-worklet.js"]').textContent}`
    : 'intro-worklet.js';
  const worklet = context.audioWorklet.addModule(workletUrl).catch((error) => {
    throw new Error('intro-worklet.js: ' + (error.message || error.name));
  });
  Promise.all([introSound.wasm, worklet])
    .then(([wasm]) => {
      const node = new AudioWorkletNode(context, 'intro-sound', {
        numberOfInputs: 0,
        outputChannelCount: [2],
        processorOptions: { wasm, recordFrames },
      });
      node.port.onmessage = onWorkletMessage;
      node.connect(context.destination);
      introSound.node = node;
      for (const message of introSound.pending) node.port.postMessage(message);
      introSound.pending = [];
    })
    .catch((error) => {
      const [part, reason] = error.message.startsWith('intro-worklet.js: ')
        ? ['intro-worklet.js', error.message.slice(18)] : ['intro-sound.wasm', error.message];
      soundMissing(part, reason);
    });
}

function onWorkletMessage(event) {
  const message = event.data;
  if (message.played !== undefined) introSound.framesPlayed = message.played;
  if (message.recording) introSound.recording = message.recording;
  if (message.refused !== undefined) soundMissing('the song', `the sound worklet refused the pack (${message.refused})`);
  if (message.stopped) {
    introSound.stopped = true;
    introSound.context.close();
  }
}

// What the screen shows, in words, in the page's status line.
function sayStatus() {
  let words;
  if (introState.missing) words = `The intro cannot run: ${introState.missing} could not be loaded.`;
  else if (introState.ended) words = 'The end. Reload the page to start again.';
  else if (introState.started) words = 'The intro is running; its text follows, line by line as it is typed. Escape ends it.';
  else if (introState.ready) words = 'Click or press a key to start the intro and its music.';
  else words = 'Loading the intro.';
  if (introContent.refused && !introState.missing) words = `${introContent.refused} ${words}`;
  if (introSound.missing && !introState.missing) words = `There is no music: ${introSound.missing}. ${words}`;
  statusText.textContent = words;
}

// The typed text for screen readers: `text` is the current page typed so far,
// ']' ending a line and '|' the page. Each line goes into the log once it is
// complete, so it is read once, whole, rather than letter by letter; a new
// page starts the log over.
let typedLines = 0;
function showTypedText(text, newPage) {
  if (newPage) {
    typedText.replaceChildren();
    typedLines = 0;
  }
  const lines = text.split(/[\]|]/);
  lines.pop();  // the line being typed
  for (; typedLines < lines.length; ++typedLines) {
    const line = lines[typedLines].trim();
    if (line === '') continue;
    const paragraph = document.createElement('p');
    paragraph.textContent = line;
    typedText.append(paragraph);
  }
}

// intro.js or intro.wasm missing: nothing of the intro runs, and the screen
// says which part is missing, as the start prompt would.
function introPartMissing(part, reason) {
  if (introState.missing) return;
  introState.missing = part;
  console.error(`intro: ${part} could not be loaded (${reason})`);
  startButton.hidden = true;
  sayStatus();
  showLine(canvas, `CANNOT LOAD ${part.toUpperCase()}`, 12, 24);
}

// No music: the intro runs without it, and the line under the text says why.
function soundMissing(part, reason) {
  if (introSound.missing) return;
  introSound.missing = `${part}: ${reason}`;
  console.error(`intro: no sound, ${part}: ${reason}`);
  if (introSound.context) introSound.context.close();
  sayStatus();
  lineCanvas.hidden = false;
  showLine(lineCanvas, part === 'AudioWorklet' ? 'NO SOUND IN THIS BROWSER' : `CANNOT LOAD ${part.toUpperCase()}`, 0, 1);
}

// The intro's font for the page's own lines: font.pixels, the font bitmap
// the build makes from the font art, decoded at build time by the intro's own
// decoder (font-pixels): width, height and the number of colours N, the N
// colours as 0x00RRGGBB (all 32-bit little-endian), then each pixel top-down
// as one byte, its colour's index. The glyphs are in the order of Charset,
// as in src/data/charset.cpp.
const Charset = " ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789><*/\\,.'&-:+@!%";
const Background = 0x130047;
let fontPixels = null;

function readFontPixels(buffer) {
  const view = new DataView(buffer);
  const word = (at) => (buffer.byteLength >= at + 4 ? view.getUint32(at, true) : 0);
  const width = word(0), height = word(4), colourCount = word(8);
  const first = 12 + 4 * colourCount;
  if (width < 8 || height < 8 || colourCount < 1 || colourCount > 256 ||
      buffer.byteLength !== first + width * height)
    throw new Error(`font.pixels: ${buffer.byteLength} bytes do not hold a font's pixels`);
  const colours = Array.from({ length: colourCount }, (_, i) => word(12 + 4 * i));
  const indices = new Uint8Array(buffer, first);
  const pixels = Uint32Array.from(indices, (index) => colours[index] ?? Background);
  return { width, pixels };
}

// Draws `text` centred on cell row `row` of a band `rows` cells high, in the
// look of the intro's screen: the 264-pixel-wide canvas doubled, every
// second line at half brightness. Without the font the status line shows.
function showLine(target, text, row, rows) {
  fontPixels ??= fetchBytes('font.pixels').then(readFontPixels);
  fontPixels.then((font) => {
    const columns = 33, smallWidth = 8 * columns;
    const small = new Uint32Array(smallWidth * 8 * rows).fill(Background);
    const shown = text.slice(0, columns), first = (columns - shown.length) >> 1;
    const fontColumns = font.width / 8;
    for (let i = 0; i < shown.length; ++i) {
      const glyph = Math.max(0, Charset.indexOf(shown[i]));
      const fromX = glyph % fontColumns * 8, fromY = Math.floor(glyph / fontColumns) * 8;
      for (let y = 0; y < 8; ++y) {
        for (let x = 0; x < 8; ++x) {
          small[(8 * row + y) * smallWidth + 8 * (first + i) + x] = font.pixels[(fromY + y) * font.width + fromX + x];
        }
      }
    }
    const image = new ImageData(2 * smallWidth, 16 * rows);
    const out = new Uint32Array(image.data.buffer);  // little-endian: 0xAABBGGRR
    for (let y = 0; y < 8 * rows; ++y) {
      for (let x = 0; x < smallWidth; ++x) {
        const p = small[y * smallWidth + x];
        const half = (p & 0xfefefe) >> 1;
        const full = 0xff000000 | (p & 0xff) << 16 | p & 0xff00 | p >> 16;
        const dim = 0xff000000 | (half & 0xff) << 16 | half & 0xff00 | half >> 16;
        for (const dx of [0, 1]) {
          out[2 * y * 2 * smallWidth + 2 * x + dx] = full >>> 0;
          out[(2 * y + 1) * 2 * smallWidth + 2 * x + dx] = dim >>> 0;
        }
      }
    }
    target.getContext('2d').putImageData(image, 0, 0);
    introState.shownLine = text;
  }).catch((error) => {
    console.error('intro: no font for the line, ' + error.message);
    statusText.classList.remove('unseen');
  });
}
