// @ts-check
// What the page and its tests can see: window.maker.
import { $ } from './page-dom.js';
import { Files, textOf } from './editors.js';

export const maker = {
  previewModule: /** @type {WebAssembly.Module | null} */ (null),
  soundWasm: /** @type {Uint8Array | null} */ (null),
  pack: /** @type {Uint8Array | null} */ (null),  // the last valid content's pack, playing
  restarts: 0,           // how many times the intro restarted from new content
  songSwaps: 0,          // how many times a new song alone was taken, the picture going on
  recording: null,       // with ?test-record: the first 4 s played of the last pack or swap,
  recordedFrom: null,    // what it followed: { kind: 'start' | 'swap', entry, row, tick }
  noteRecording: null,   // and of the last note sounded with the song stopped
  lastEditTime: 0, lastRestartDelay: /** @type {number | null} */ (null),  // ms from the last keystroke to the restart
  messages: '',          // the tools' last messages, at most 200 a file
  problems: [],          // the same as data: {file, line, column, reason, message}
  toolsBusy: 0,          // jobs sent to the tools and not yet answered
  toolsStarts: 0,        // workers started for them (a fresh one after a large job)
  downloadsFetched: false,  // the downloads' files (the web folder's, intro.exe) fetched or found missing
  canvas: $('intro'), preview: /** @type {any} */ (null), audio: /** @type {AudioContext | null} */ (null),
  node: /** @type {AudioWorkletNode | null} */ (null), soundOn: false, framesPlayed: 0,
  entry: -1, entries: 0,  // the sequence entry playing and the song's number of entries
  row: -1,               // the row playing
  // New songs taken, each with the place (entry, row, tick in the row) heard before and after, when
  // the worklet took it (at, on the page's clock) and when the page heard of it (told).
  swaps: /** @type {{ swapped: boolean, entry: number, row: number, tick: number, before: { entry: number, row: number, tick: number },
    at: number, told: number }[]} */ ([]),
  tracker: /** @type {any} */ (null),
  noteDelays: /** @type {number[]} */ ([]),
  noteWorkletShares: /** @type {number[]} */ ([]),  // of which ms in the worklet: its message to the quantum rendered
  placeLags: /** @type {number[]} */ ([]),  // ms from the worklet's new place to the page marking it
  toolTimes: /** @type {Record<string, number[]>} */ ({}),  // ms each tools job ran in the worker, by job  // ms from a note key to the worklet's answer that it rendered the note
  // The three current texts, by file name.
  get texts() {
    return Object.fromEntries(Files.map((file) => [file, textOf(file)]));
  },
};
