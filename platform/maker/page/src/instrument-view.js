// @ts-check
// The chosen instrument as pictures: its volume steps as bars (0..64), its
// frequency macro's steps (note offset per step, the waves it sets) and the
// waves and samples it plays, drawn from the song view. On both graphs a
// value written as a plain number is drawn over with the mouse, a Hold, End
// or Loop marker is dragged to another step, and the loop's start (the
// triangle) too; each is a text edit of the macro (macro-edits.js). From the
// keyboard, a graph is a slider over its steps: Left/Right choose a step,
// Up/Down change its value, Ctrl+Left/Right move a marker, L puts the loop's
// start there. What the graph cannot say (ramps, slides, labels' names) is
// shown and stays as written.
import { isDrawable, moveEnding, moveHold, moveLoopStart, setStepValue } from './macro-edits.js';

const Bar = 6, Height = 96, MaxVolume = 64, NoteScale = 2, Handle = 12;
const MaxNoteDrawn = (Height - 4) / NoteScale;
const Colours = { plain: '#ffd050', written: '#b0a0ff', marker: '#ff8899', wave: '#f7f7f7', grid: '#2a1370', drop: '#66ffcc' };
const Markers = ['hold', 'end', 'loop'];

/** @typedef {{ from: number, to: number, insert: string }} TextChange */
/** @typedef {{ op: string, values: number[], at: number[], labelAt?: number[], fixed?: boolean, target?: string }} Step */
/** @typedef {{ canvas: HTMLCanvasElement, kind: 'vol' | 'freq' }} Graph */

export class InstrumentView {
  /**
   * @param {HTMLElement} root
   * @param {(make: (text: string, view: any) => TextChange[]) => void} edit a text edit of song.fcs
   */
  constructor(root, edit) {
    this.root = root;
    this.edit = edit;
    this.view = null;
    this.name = '';
    const tip = 'drag over a plain number to set it; drag a Hold, End or Loop marker, or the loop\'s start (the triangle), to another step. ' +
      'Keys: Left/Right a step, Up/Down its value (Shift: more), Ctrl+Left/Right move a marker, L the loop\'s start here';
    root.innerHTML = `
      <h3 class="instrument-title">Instrument</h3>
      <figure><canvas class="volume-graph" height="${Height}" role="slider" tabindex="0" aria-label="Volume steps" title="${tip}"></canvas>
        <figcaption>Volume per step (0..64)</figcaption></figure>
      <figure><canvas class="frequency-graph" height="${Height}" role="slider" tabindex="0" aria-label="Frequency steps" title="${tip}"></canvas>
        <figcaption>Note offset per frequency step (0..${MaxNoteDrawn} drawn), the waves set in lilac</figcaption></figure>
      <figure><canvas class="wave-graph" height="${Height}" role="img" aria-label="Waves"></canvas>
        <figcaption>The waves and samples it plays</figcaption></figure>`;
    this.volume = /** @type {HTMLCanvasElement} */ (root.querySelector('.volume-graph'));
    this.frequency = /** @type {HTMLCanvasElement} */ (root.querySelector('.frequency-graph'));
    this.waves = /** @type {HTMLCanvasElement} */ (root.querySelector('.wave-graph'));
    /** @type {{ graph: Graph, mode: string, index: number } | null} */
    this.drag = null;
    this.chosen = { vol: 0, freq: 0 };  // the step the keys act on, per graph
    for (const graph of /** @type {Graph[]} */ ([{ canvas: this.volume, kind: 'vol' }, { canvas: this.frequency, kind: 'freq' }])) {
      graph.canvas.addEventListener('keydown', (event) => this.key(graph, event));
      graph.canvas.addEventListener('pointerdown', (event) => this.press(graph, event));
      graph.canvas.addEventListener('pointermove', (event) => this.moved(event));
      graph.canvas.addEventListener('pointerup', (event) => this.released(event));
    }
  }

  /** @param {any} view @param {string} name */
  show(view, name) {
    this.view = view;
    this.name = name;
    const vol = this.macro('vol', view);
    /** @type {HTMLElement} */ (this.root.querySelector('.instrument-title')).textContent =
      vol ? `Instrument ${name} (frequency macro ${vol.freq || 'none'})` : 'Instrument';
    if (!vol) return;
    this.drawVolume();
    this.drawFrequency();
    this.drawWaves(this.macro('freq', view));
  }

  // The chosen instrument's volume macro, or its frequency macro, in `view`.
  /** @param {'vol' | 'freq'} kind @param {any} view @returns {any} */
  macro(kind, view = this.view) {
    const vol = view?.vol.find((/** @type {any} */ v) => v.name === this.name);
    return kind === 'vol' ? vol : view?.freq.find((/** @type {any} */ f) => f.name === vol?.freq);
  }

  drawVolume(drop = -1) {
    const vol = this.macro('vol');
    const steps = /** @type {Step[]} */ (vol.steps);
    const g = prepare(this.volume, steps.length);
    this.volume.setAttribute('aria-label', `Volume steps of ${vol.name}: ` +
      steps.map((s) => (s.op === 'volume' ? s.values[0] : s.op)).join(' '));
    steps.forEach((step, i) => {
      if (step.op !== 'volume') { marker(g, i, step.op); return; }
      const h = (step.values[0] / MaxVolume) * (Height - 4);
      g.fillStyle = isDrawable(steps, i) ? Colours.plain : Colours.written;
      g.fillRect(i * Bar, Height - h, Bar - 1, h);
    });
    loopStart(g, steps);
    dropLine(g, drop);
    this.describe({ canvas: this.volume, kind: 'vol' }, g, steps);
  }

  drawFrequency(drop = -1) {
    const freq = this.macro('freq');
    const steps = /** @type {Step[]} */ (freq?.steps ?? []);
    const g = prepare(this.frequency, steps.length);
    this.frequency.setAttribute('aria-label', `Frequency steps of ${freq?.name ?? 'no macro'}: ` +
      steps.map((s) => `${s.op}${s.target ? ` ${s.target}` : ''}${s.values.length ? ` ${s.values.join(',')}` : ''}`).join('; '));
    g.fillStyle = Colours.grid;
    for (let octave = 0; octave * 12 <= MaxNoteDrawn; ++octave) g.fillRect(0, noteY(octave * 12), steps.length * Bar, 1);
    steps.forEach((step, i) => {
      const note = noteOf(step);
      if (note === null) { marker(g, i, step.op); return; }
      g.fillStyle = isDrawable(steps, i) ? Colours.plain : Colours.written;
      g.fillRect(i * Bar, step.fixed ? 2 : noteY(note) - 2, Bar - 1, 4);
    });
    loopStart(g, steps);
    dropLine(g, drop);
    this.describe({ canvas: this.frequency, kind: 'freq' }, g, steps);
  }

  // The chosen step outlined, and named with its value for the slider's readers.
  /** @param {Graph} graph @param {CanvasRenderingContext2D} g @param {Step[]} steps */
  describe(graph, g, steps) {
    const index = this.chosen[graph.kind] = clamp(this.chosen[graph.kind], 0, Math.max(0, steps.length - 1));
    const step = steps[index];
    g.strokeStyle = Colours.drop;
    g.strokeRect(index * Bar + 0.5, 0.5, Bar - 1, Height - 1);
    const canvas = graph.canvas;
    canvas.setAttribute('aria-valuemin', '0');
    canvas.setAttribute('aria-valuemax', String(graph.kind === 'vol' ? MaxVolume : MaxNoteDrawn));
    canvas.setAttribute('aria-valuenow', String(step && isDrawable(steps, index) ? step.values[0] : 0));
    canvas.setAttribute('aria-valuetext', step ? `step ${index + 1} of ${steps.length}: ${step.op} ${step.values.join(' ')}`.trim() : 'no steps');
  }

  // The keys on a graph (see the file's head); each change is one text edit.
  /** @param {Graph} graph @param {KeyboardEvent} event */
  key(graph, event) {
    const steps = /** @type {Step[] | undefined} */ (this.macro(graph.kind)?.steps);
    if (!steps?.length) return;
    const index = this.chosen[graph.kind], step = steps[index];
    const by = event.key === 'ArrowLeft' ? -1 : event.key === 'ArrowRight' ? 1 : 0;
    const last = steps.length - 1;
    /** @type {((text: string, steps: Step[]) => TextChange[]) | null} */
    let edit = null;
    if (by && (event.ctrlKey || event.metaKey)) {
      if (step.op === 'hold') {
        edit = (text, now) => moveHold(text, now, index, by < 0 ? index - 1 : index + 2);
        this.chosen[graph.kind] = index + by;
      } else if (index === last && by < 0) {
        edit = (text, now) => moveEnding(text, now, last - 1);
        this.chosen[graph.kind] = last - 1;
      }
    } else if (by) {
      this.chosen[graph.kind] = clamp(index + by, 0, last);
      this.redraw(graph);
    } else if (event.key === 'ArrowUp' || event.key === 'ArrowDown') {
      const amount = (event.shiftKey ? (graph.kind === 'vol' ? 8 : 12) : 1) * (event.key === 'ArrowUp' ? 1 : -1);
      if (isDrawable(steps, index)) this.setValue(graph, index, steps[index].values[0] + amount);
    } else if (event.key === 'l' || event.key === 'L') {
      edit = (text, now) => moveLoopStart(text, now, index);
    } else {
      return;
    }
    event.preventDefault();
    if (edit) this.edit((text, view) => { const now = this.macro(graph.kind, view)?.steps; return now ? /** @type {any} */ (edit)(text, now) : []; });
  }

  /** @param {any} freq */
  drawWaves(freq) {
    const names = [...new Set((freq?.steps ?? []).map((/** @type {Step} */ s) => s.target).filter(Boolean))];
    const sounds = names.map((name) => this.view.sounds.find((/** @type {any} */ s) => s.name === name)).filter(Boolean);
    const width = Math.max(1, sounds.length) * 128;
    this.waves.width = width;
    const g = /** @type {CanvasRenderingContext2D} */ (this.waves.getContext('2d'));
    g.clearRect(0, 0, width, Height);
    this.waves.setAttribute('aria-label', sounds.length ? `Waves: ${sounds.map((s) => `${s.name} (${s.kind}, ${s.words} words)`).join(', ')}`
      : 'No waves');
    sounds.forEach((sound, n) => {
      const values = sound.values ?? [];
      g.strokeStyle = Colours.wave;
      g.beginPath();
      values.forEach((/** @type {number} */ value, /** @type {number} */ i) => {
        const x = n * 128 + (i / Math.max(1, values.length - 1)) * 124 + 2;
        const y = Height / 2 - (value / 128) * (Height / 2 - 2);
        if (i) g.lineTo(x, y); else g.moveTo(x, y);
      });
      g.stroke();
    });
  }

  // The step under the pointer and the height it points at, in the graph's own pixels.
  /** @param {Graph} graph @param {PointerEvent} event */
  pointAt(graph, event) {
    const box = graph.canvas.getBoundingClientRect();
    return { index: Math.floor(((event.clientX - box.left) * (graph.canvas.width / box.width)) / Bar),
      y: (event.clientY - box.top) * (Height / box.height) };
  }

  /** @param {Graph} graph @param {PointerEvent} event */
  press(graph, event) {
    const steps = /** @type {Step[] | undefined} */ (this.macro(graph.kind)?.steps);
    if (!steps) return;
    const { index, y } = this.pointAt(graph, event);
    const last = steps.length - 1, loopsTo = steps[last]?.op === 'loop' ? steps[last].values[0] : -1;
    let mode = 'draw';
    if (y < Handle && index === loopsTo) mode = 'loopStart';
    else if (steps[index]?.op === 'hold') mode = 'hold';
    else if (index === last && Markers.includes(steps[index].op)) mode = 'ending';
    this.drag = { graph, mode, index };
    graph.canvas.setPointerCapture(event.pointerId);
    if (mode === 'draw') this.drawValue(graph, index, y);
  }

  /** @param {PointerEvent} event */
  moved(event) {
    if (!this.drag) return;
    const { index, y } = this.pointAt(this.drag.graph, event);
    if (this.drag.mode === 'draw') this.drawValue(this.drag.graph, index, y);
    else this.redraw(this.drag.graph, index);
  }

  /** @param {PointerEvent} event */
  released(event) {
    const drag = this.drag;
    this.drag = null;
    if (!drag || drag.mode === 'draw') return;
    const { index } = this.pointAt(drag.graph, event);
    this.redraw(drag.graph);
    /** @type {(text: string, steps: Step[]) => TextChange[]} */
    const edits = {
      hold: (text, steps) => moveHold(text, steps, drag.index, index),
      ending: (text, steps) => moveEnding(text, steps, index),
      loopStart: (text, steps) => moveLoopStart(text, steps, index),
    }[drag.mode];
    if (index === drag.index || !edits) return;
    this.edit((text, view) => {
      const steps = this.macro(drag.graph.kind, view)?.steps;
      return steps ? edits(text, steps) : [];
    });
  }

  /** @param {Graph} graph */
  redraw(graph, drop = -1) {
    if (graph.kind === 'vol') this.drawVolume(drop); else this.drawFrequency(drop);
  }

  // A drag over a plain value: the step under the pointer takes the height pointed at.
  /** @param {Graph} graph @param {number} index @param {number} y */
  drawValue(graph, index, y) {
    const steps = /** @type {Step[]} */ (this.macro(graph.kind)?.steps ?? []);
    if (!isDrawable(steps, index)) return;
    this.chosen[graph.kind] = index;
    this.setValue(graph, index, graph.kind === 'vol' ? ((Height - y) / (Height - 4)) * MaxVolume : (Height - 2 - y) / NoteScale);
  }

  // Step `index` (a plain value) set to `wanted`, within what the graph draws.
  /** @param {Graph} graph @param {number} index @param {number} wanted */
  setValue(graph, index, wanted) {
    const steps = /** @type {Step[]} */ (this.macro(graph.kind)?.steps ?? []);
    const value = Math.round(clamp(wanted, 0, graph.kind === 'vol' ? MaxVolume : MaxNoteDrawn));
    if (value === steps[index].values[0]) return;
    steps[index].values[0] = value;  // drawn at once; the text follows
    this.redraw(graph);
    this.edit((text, view) => {
      const now = this.macro(graph.kind, view)?.steps;
      return now ? setStepValue(text, now, index, value) : [];
    });
  }
}

/** @param {Step} step */
function noteOf(step) {
  if (step.op === 'note') return step.values[0];
  if (step.op === 'setwave' || step.op === 'changewave') return step.values[1];
  return null;
}

const clamp = (/** @type {number} */ value, /** @type {number} */ low, /** @type {number} */ high) => Math.min(Math.max(value, low), high);
const noteY = (/** @type {number} */ note) => Height - 2 - Math.min(note, MaxNoteDrawn) * NoteScale;

/** @param {HTMLCanvasElement} canvas @param {number} steps */
function prepare(canvas, steps) {
  canvas.width = Math.max(1, steps + 1) * Bar;  // one slot more: a place to drop after the last step
  const g = /** @type {CanvasRenderingContext2D} */ (canvas.getContext('2d'));
  g.clearRect(0, 0, canvas.width, Height);
  return g;
}

/** @param {CanvasRenderingContext2D} g @param {number} i @param {string} op */
function marker(g, i, op) {
  g.fillStyle = Colours.marker;
  g.fillRect(i * Bar, Handle, op === 'hold' ? 2 : Bar - 1, Height - Handle);
}

// The loop's start: a triangle above the step the Loop goes back to.
/** @param {CanvasRenderingContext2D} g @param {Step[]} steps */
function loopStart(g, steps) {
  const loop = steps.at(-1);
  if (loop?.op !== 'loop') return;
  const x = loop.values[0] * Bar;
  g.fillStyle = Colours.marker;
  g.beginPath();
  g.moveTo(x, 0);
  g.lineTo(x + Bar, 0);
  g.lineTo(x + Bar / 2, Handle - 2);
  g.fill();
}

/** @param {CanvasRenderingContext2D} g @param {number} i */
function dropLine(g, i) {
  if (i < 0) return;
  g.fillStyle = Colours.drop;
  g.fillRect(i * Bar - 1, 0, 2, Height);
}
