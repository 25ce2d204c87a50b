// @ts-check
// The chosen instrument as pictures: its volume steps as bars (0..64), its
// frequency macro's steps (wave and note offset per step) and the waves and
// samples it plays, drawn from the song view. A volume written as a plain
// number is drawn over with the mouse, as a text edit of its step; what the
// graph cannot say (ramps, slides, labels) is shown and stays as written.
import { lineStarts } from './song-edits.js';

const Bar = 6, Height = 96, MaxVolume = 64;
const Colours = { plain: '#ffd050', written: '#b0a0ff', marker: '#ff8899', wave: '#f7f7f7', grid: '#2a1370' };

/** @typedef {{ from: number, to: number, insert: string }} TextChange */

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
    root.innerHTML = `
      <h3 class="instrument-title">Instrument</h3>
      <figure><canvas class="volume-graph" height="${Height}" role="img" aria-label="Volume steps"></canvas>
        <figcaption>Volume per step (drag over a plain number to change it)</figcaption></figure>
      <figure><canvas class="frequency-graph" height="${Height}" role="img" aria-label="Frequency steps"></canvas>
        <figcaption>Note offset per frequency step, each step's wave above it</figcaption></figure>
      <figure><canvas class="wave-graph" height="${Height}" role="img" aria-label="Waves"></canvas>
        <figcaption>The waves and samples it plays</figcaption></figure>`;
    this.volume = /** @type {HTMLCanvasElement} */ (root.querySelector('.volume-graph'));
    this.frequency = /** @type {HTMLCanvasElement} */ (root.querySelector('.frequency-graph'));
    this.waves = /** @type {HTMLCanvasElement} */ (root.querySelector('.wave-graph'));
    this.drawing = false;
    this.volume.addEventListener('pointerdown', (event) => { this.drawing = true; this.volume.setPointerCapture(event.pointerId); this.drawAt(event); });
    this.volume.addEventListener('pointermove', (event) => { if (this.drawing) this.drawAt(event); });
    this.volume.addEventListener('pointerup', () => { this.drawing = false; });
  }

  /** @param {any} view @param {string} name */
  show(view, name) {
    this.view = view;
    this.name = name;
    const vol = view?.vol.find((v) => v.name === name);
    /** @type {HTMLElement} */ (this.root.querySelector('.instrument-title')).textContent =
      vol ? `Instrument ${name} (frequency macro ${vol.freq || 'none'})` : 'Instrument';
    if (!vol) return;
    const freq = view.freq.find((f) => f.name === vol.freq);
    this.drawVolume(vol);
    this.drawFrequency(freq);
    this.drawWaves(freq);
  }

  /** @param {any} vol */
  drawVolume(vol) {
    const steps = vol.steps;
    const g = prepare(this.volume, steps.length);
    this.volume.setAttribute('aria-label', `Volume steps of ${vol.name}: ` +
      steps.map((s) => (s.op === 'volume' ? s.values[0] : s.op)).join(' '));
    steps.forEach((step, i) => {
      if (step.op === 'volume') {
        const h = (step.values[0] / MaxVolume) * (Height - 4);
        g.fillStyle = isPlain(step, steps) ? Colours.plain : Colours.written;
        g.fillRect(i * Bar, Height - h, Bar - 1, h);
      } else {
        marker(g, i, step.op);
      }
    });
  }

  /** @param {any} freq */
  drawFrequency(freq) {
    const steps = freq?.steps ?? [];
    const g = prepare(this.frequency, steps.length);
    this.frequency.setAttribute('aria-label', `Frequency steps of ${freq?.name ?? 'no macro'}: ` +
      steps.map((s) => `${s.op}${s.target ? ` ${s.target}` : ''}${s.values.length ? ` ${s.values.join(',')}` : ''}`).join('; '));
    const mid = Height / 2;
    g.fillStyle = Colours.grid;
    g.fillRect(0, mid, steps.length * Bar, 1);
    steps.forEach((step, i) => {
      const note = noteOf(step);
      if (note === null) { marker(g, i, step.op); return; }
      const y = step.fixed ? 4 : mid - Math.max(-mid + 2, Math.min(mid - 2, note * 2));
      g.fillStyle = step.op === 'setwave' || step.op === 'changewave' ? Colours.written : Colours.plain;
      g.fillRect(i * Bar, y - 2, Bar - 1, 4);
    });
  }

  /** @param {any} freq */
  drawWaves(freq) {
    const names = [...new Set((freq?.steps ?? []).map((s) => s.target).filter(Boolean))];
    const sounds = names.map((name) => this.view.sounds.find((s) => s.name === name)).filter(Boolean);
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
      values.forEach((value, i) => {
        const x = n * 128 + (i / Math.max(1, values.length - 1)) * 124 + 2;
        const y = Height / 2 - (value / 128) * (Height / 2 - 2);
        if (i) g.lineTo(x, y); else g.moveTo(x, y);
      });
      g.stroke();
    });
  }

  // A drag over the volume bars: the plain step under the pointer takes its height.
  /** @param {PointerEvent} event */
  drawAt(event) {
    const vol = this.view?.vol.find((v) => v.name === this.name);
    if (!vol) return;
    const box = this.volume.getBoundingClientRect();
    const index = Math.floor(((event.clientX - box.left) * (this.volume.width / box.width)) / Bar);
    const step = vol.steps[index];
    if (!step || step.op !== 'volume' || !isPlain(step, vol.steps)) return;
    const y = (event.clientY - box.top) * (Height / box.height);
    const value = Math.round(Math.max(0, Math.min(MaxVolume, ((Height - y) / (Height - 4)) * MaxVolume)));
    if (value === step.values[0]) return;
    step.values[0] = value;  // drawn at once; the text follows
    this.drawVolume(vol);
    this.edit((text, view) => {
      const now = view.vol.find((v) => v.name === this.name)?.steps[index];
      if (!now || now.op !== 'volume' || !isPlain(now, view.vol.find((v) => v.name === this.name).steps)) return [];
      const starts = lineStarts(text);
      const from = starts[now.at[0]] + now.at[1];
      return [{ from, to: starts[now.at[0]] + now.at[2], insert: String(value) }];
    });
  }
}

// A step written as its own number (a ramp's steps share the ramp's span).
const isPlain = (step, steps) => steps.filter((s) => s.at[0] === step.at[0] && s.at[1] === step.at[1]).length === 1 &&
  step.at[0] > 0;

/** @param {any} step */
function noteOf(step) {
  if (step.op === 'note') return step.values[0];
  if (step.op === 'setwave' || step.op === 'changewave') return step.values[1];
  return null;
}

/** @param {HTMLCanvasElement} canvas @param {number} steps */
function prepare(canvas, steps) {
  canvas.width = Math.max(1, steps) * Bar;
  const g = /** @type {CanvasRenderingContext2D} */ (canvas.getContext('2d'));
  g.clearRect(0, 0, canvas.width, Height);
  return g;
}

/** @param {CanvasRenderingContext2D} g @param {number} i @param {string} op */
function marker(g, i, op) {
  g.fillStyle = Colours.marker;
  g.fillRect(i * Bar, 0, op === 'end' ? Bar - 1 : 2, Height);
}
