// @ts-check
// The live intro: preview.wasm drawing the last valid pack on its canvas, and
// its music from preview-sound.wasm in the worklet (maker-worklet.js), with
// the time, the sequence entry playing and a mute box per voice.
/* global MakerPreview -- preview.js's, loaded by index.html before the page's code */
import { fetchOnce } from './fetch-once.js';
import { maker } from './maker-state.js';
import { $, status } from './page-dom.js';

export const SampleRate = 44100;
// Test-only switch: ?test-record makes the worklet send back the first 4 s it plays of each pack
// and each swap, and of each note sounded with the song stopped (until the note ends).
const recordFrames = new URLSearchParams(location.search).has('test-record') ? 4 * SampleRate : 0;

// A fresh instance of the intro for `pack`, on `canvas`; the old one ends.
/** @param {Uint8Array} pack @param {HTMLCanvasElement} canvas */
export async function restart(pack, canvas = maker.canvas) {
  maker.pack = pack;
  maker.canvas = canvas;
  const run = ++maker.restarts;
  if (maker.preview) maker.preview._PreviewEnd();
  maker.preview = null;
  const preview = await MakerPreview({
    canvasContext: canvas.getContext('2d'),
    /** @param {WebAssembly.Imports} imports @param {(instance: WebAssembly.Instance, module: WebAssembly.Module) => void} receive */
    instantiateWasm(imports, receive) {
      const module = /** @type {WebAssembly.Module} */ (maker.previewModule);
      WebAssembly.instantiate(module, imports).then((instance) => receive(instance, module));
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
  if (maker.soundOn) maker.node?.port.postMessage({ pack });
}

/** @param {number} now */
export function frame(now) {
  if (maker.preview) maker.preview._PreviewFrame(now);
  if (maker.soundOn) {
    const seconds = maker.framesPlayed / SampleRate;
    $('song-time').textContent = `${Math.floor(seconds / 60)}:${(seconds % 60).toFixed(1).padStart(4, '0')}`;
  }
  requestAnimationFrame(frame);
}

const muteMask = () => [...document.querySelectorAll('.mute')]
  .reduce((mask, box) => mask | (/** @type {HTMLInputElement} */ (box).checked ? 1 << Number(/** @type {HTMLInputElement} */ (box).value) : 0), 0);

// The audio context and the worklet, made on the first gesture that needs sound.
async function ensureAudio() {
  if (!maker.audio) {
    const audio = new AudioContext({ sampleRate: SampleRate });
    maker.audio = audio;
    const source = URL.createObjectURL(new Blob([await fetchOnce('maker-worklet.js')], { type: 'text/javascript' }));
    await audio.audioWorklet.addModule(source);
    URL.revokeObjectURL(source);
    const node = new AudioWorkletNode(audio, 'maker-sound', {
      numberOfInputs: 0, outputChannelCount: [2], processorOptions: { wasm: maker.soundWasm, recordFrames },
    });
    maker.node = node;
    node.port.onmessage = (event) => heard(event.data);
    node.port.postMessage({ mute: muteMask() });
    node.connect(audio.destination);
  }
  await maker.audio.resume();
  return /** @type {AudioWorkletNode} */ (maker.node);
}

/** @type {(entry: number, row: number) => void} */
let onPlace = () => {};
// Who hears of the place the music plays (the tracker marks its row).
/** @param {(entry: number, row: number) => void} listener */
export const onPlayingPlace = (listener) => { onPlace = listener; };

// What the worklet tells: the place heard, a swap done, a recording (test switch).
/** @param {any} data */
function heard(data) {
  const { played, entry, row, tick, entries, recording, from, swapped, before, noteRendered } = data;
  if (recording && from.kind === 'note') maker.noteRecording = recording;
  else if (recording) Object.assign(maker, { recording, recordedFrom: from });
  if (noteRendered !== undefined) {
    maker.noteDelays.push(performance.now() - noteRendered);
    maker.noteWorkletShares.push(data.inWorklet);
    if (maker.noteDelays.length > 200) { maker.noteDelays.shift(); maker.noteWorkletShares.shift(); }
  }
  if (swapped !== undefined) {
    // `at`: when the worklet took the new song, on the page's clock; `told`: when the page heard of it.
    const told = performance.now();
    maker.swaps.push({ swapped, entry, row, tick, before, at: told - Math.max(0, Date.now() - data.swappedAt), told });
    if (maker.swaps.length > 100) maker.swaps.shift();
  }
  if (played === undefined) return;
  maker.framesPlayed = played;
  maker.entry = entry;
  maker.row = row;
  maker.entries = entries;
  $('song-entry').textContent = `entry ${entry} of ${entries}, row ${row}`;
  onPlace(entry, row);
  maker.placeLags.push(Math.max(0, Date.now() - data.postedAt));
  if (maker.placeLags.length > 200) maker.placeLags.shift();
}

// Sound needs a gesture: the audio context is made on the first Play.
export async function startSound() {
  await ensureAudio();
  maker.soundOn = true;
  maker.framesPlayed = 0;
  maker.entry = maker.row = -1;
  if (maker.pack) restart(maker.pack);
}

// A new song (the pages and font unchanged): the music goes on from the
// place heard, the picture goes on as it is.
/** @param {Uint8Array} pack */
export function swapSong(pack) {
  maker.pack = pack;
  ++maker.songSwaps;
  maker.node?.port.postMessage({ swap: pack });
}

// The song from `entry` and `row`, without the intro's start-up.
/** @param {number} entry @param {number} row */
export async function playFrom(entry, row) {
  if (!maker.pack) return;
  const node = await ensureAudio();
  maker.soundOn = true;
  maker.framesPlayed = 0;
  maker.entry = maker.row = -1;
  node.port.postMessage({ playFrom: { pack: maker.pack, entry, row } });
}

// One note (C-1 = 0 .. B-4 = 47) of volume macro `instrument`, over the song
// if it plays, until noteOff or the instrument's end. Notes on and off go to
// the worklet in the order asked, even while the audio starts up.
let notes = Promise.resolve();
// `asked`: when the key was pressed; the worklet answers when it rendered the
// note's first quantum, and maker.noteDelays keeps the time between.
/** @param {number} note @param {number} instrument @param {number} asked */
export function noteOn(note, instrument, asked = performance.now()) {
  if (!maker.pack) return;
  const pack = maker.pack;
  notes = notes.then(ensureAudio).then((node) => {
    node.port.postMessage({ noteOn: { note, instrument, asked, pack: maker.soundOn ? null : pack } });
  }).catch((error) => status(`sound: ${error.message}`));
}
export function noteOff() {
  notes = notes.then(() => maker.node?.port.postMessage('noteOff')).catch(() => {});
}

// The entry played again and again (-1: the whole song).
/** @param {number} entry */
export const loopEntry = (entry) => maker.node?.port.postMessage({ loop: entry });

export function stopSound() {
  if (!maker.soundOn) return;
  maker.soundOn = false;
  maker.node?.port.postMessage('stop');
}

export function wireSoundControls() {
  for (const box of /** @type {NodeListOf<HTMLInputElement>} */ (document.querySelectorAll('.mute'))) {
    box.checked = false;  // every voice heard at the start (Firefox keeps boxes ticked over a reload)
    box.addEventListener('change', () => { maker.node?.port.postMessage({ mute: muteMask() }); });
  }
  $('play').addEventListener('click', () => startSound().catch((error) => status(`sound: ${error.message}`)));
  $('stop').addEventListener('click', stopSound);
}
