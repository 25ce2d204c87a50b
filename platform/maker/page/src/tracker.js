// @ts-check
// The tracker: a view of song.fcs as its sequence and, for the chosen entry,
// its four patterns side by side (an ARIA grid). Every edit made here is a
// text change of song.fcs at the place the assembler's song view gives, so
// the text stays the one truth and the page's one history undoes it.
import { applyChanges, copyPatternForEntry, deleteEntry, deleteRow, duplicateEntry, insertRow, lineOfRow, moveEntry, setRow,
  setRows } from './song-edits.js';
import { InstrumentView } from './instrument-view.js';
import { listenToMidi } from './midi-input.js';
import { HighestOctave, LowestOctave, noteForKey, noteIndex, noteName } from './tracker-keys.js';

const Voices = 4, PageRows = 8;
// The largest song source the tracker shows: its view (with every sample's
// values) stays a few MiB, read and drawn without stalling the page.
const MaxTrackerBytes = 512 * 1024;
const Columns = ['note', 'instrument'];

/**
 * @typedef {{ from: number, to: number, insert: string }} TextChange
 * @typedef {{
 *   root: HTMLElement,
 *   instruments?: HTMLElement,
 *   songText: () => string,
 *   songView: (text: string) => Promise<any | null>,
 *   songCheck: (text: string) => Promise<string>,
 *   change: (changes: TextChange[]) => void,
 *   sound?: (note: number, instrument: number, asked: number) => void,
 *   silence?: () => void,
 *   playSong?: () => void,
 *   playFrom?: (entry: number, row: number) => void,
 *   loop?: (entry: number) => void,
 *   stop?: () => void,
 *   solo?: (voice: number) => void,
 * }} TrackerSetup
 */

export class Tracker {
  /** @param {TrackerSetup} setup */
  constructor(setup) {
    this.setup = setup;
    this.view = null;          // the song view of `viewText`
    this.viewText = '';
    this.entry = 0;            // the sequence entry shown
    this.row = 0; this.voice = 0; this.column = 0;  // the cursor
    this.octave = 2; this.step = 1; this.instrument = '';
    this.playing = { entry: -1, row: -1 };
    this.follow = false;
    this.looping = false;
    this.anchor = null;        // the other corner of a block chosen with Shift+arrows: {row, voice}
    this.clipboard = null;     // rows of cells per voice, copied or cut
    this.typed = ''; this.typedAt = 0;  // the instrument number being typed
    this.queue = Promise.resolve();
    this.build();
    this.pictures = setup.instruments ? new InstrumentView(setup.instruments, (make) => this.edit(make)) : null;
  }

  build() {
    const { root } = this.setup;
    root.innerHTML = `
      <div class="tracker-bar">
        <label>Octave <input type="number" class="octave" min="${LowestOctave}" max="${HighestOctave}" value="${this.octave}"></label>
        <label>Step <input type="number" class="step" min="0" max="16" value="${this.step}"></label>
        <label>Instrument <select class="instrument"></select></label>
        <label>Porta <input type="number" class="porta" min="1" max="31" value="2"></label>
        <button type="button" data-play="song" title="Play the intro's music from the start">Play song</button>
        <button type="button" data-play="entry" title="Play from the chosen entry's first row">Play entry</button>
        <button type="button" data-play="cursor" title="Play from the cursor's row">Play from cursor</button>
        <button type="button" data-play="stop">Stop</button>
        <label><input type="checkbox" class="loop"> Loop entry</label>
        <span role="group" aria-label="Solo a voice">Solo ${[0, 1, 2, 3].map((v) =>
          `<button type="button" data-solo="${v}" title="Hear voice ${v + 1} alone (again: all voices)" aria-label="Solo voice ${v + 1}">${v + 1}</button>`).join('')}</span>
        <label><input type="checkbox" class="follow"> Follow</label>
        <button type="button" class="midi" title="Take notes from MIDI keyboards">MIDI</button>
        <span class="tracker-state" role="status"></span>
      </div>
      <div class="tracker-body">
        <div class="sequence-box">
          <ol class="sequence" aria-label="Sequence entries"></ol>
          <div class="sequence-buttons">
            <button type="button" data-do="duplicate" title="Duplicate the chosen entry after it">Duplicate</button>
            <button type="button" data-do="delete" title="Delete the chosen entry">Delete</button>
            <button type="button" data-do="up" title="Move the chosen entry up">Up</button>
            <button type="button" data-do="down" title="Move the chosen entry down">Down</button>
          </div>
        </div>
        <div class="pattern-grid" role="grid" aria-label="Patterns" aria-rowcount="33" aria-colcount="9"></div>
      </div>
      <details class="tracker-keys"><summary>Keys</summary>${KeyList}</details>`;
    this.grid = /** @type {HTMLElement} */ (root.querySelector('.pattern-grid'));
    this.sequence = /** @type {HTMLElement} */ (root.querySelector('.sequence'));
    this.state = /** @type {HTMLElement} */ (root.querySelector('.tracker-state'));
    const input = (selector, set) => root.querySelector(selector)?.addEventListener('change', (event) => set(event.target));
    input('.octave', (el) => { this.octave = clamp(Number(el.value) || 2, LowestOctave, HighestOctave); el.value = this.octave; });
    input('.step', (el) => { this.step = clamp(Number(el.value) || 0, 0, 16); el.value = this.step; });
    input('.instrument', (el) => { this.instrument = el.value; this.pictures?.show(this.view, this.instrument); });
    input('.follow', (el) => { this.follow = el.checked; });
    input('.loop', (el) => { this.looping = el.checked; this.setup.loop?.(el.checked ? this.entry : -1); });
    root.querySelector('.tracker-bar')?.addEventListener('click', (event) => {
      const play = /** @type {HTMLElement} */ (event.target).dataset?.play;
      if (play === 'song') this.setup.playSong?.();
      else if (play === 'entry') this.setup.playFrom?.(this.entry, 0);
      else if (play === 'cursor') this.setup.playFrom?.(this.entry, this.row);
      else if (play === 'stop') this.setup.stop?.();
      const solo = /** @type {HTMLElement} */ (event.target).dataset?.solo;
      if (solo !== undefined) this.setup.solo?.(Number(solo));
    });
    root.querySelector('.midi')?.addEventListener('click', async () => {
      this.state.textContent = 'asking the browser for MIDI...';
      this.state.textContent = await listenToMidi((note) => this.enterNote(note), () => this.setup.silence?.());
    });
    root.querySelector('.sequence-buttons')?.addEventListener('click', (event) => {
      const what = /** @type {HTMLElement} */ (event.target).dataset?.do;
      if (what) this.sequenceEdit(what);
    });
    this.sequence.addEventListener('click', (event) => {
      const item = /** @type {HTMLElement} */ (event.target).closest?.('[data-entry]');
      if (item) this.choose(Number(item.dataset.entry));
    });
    this.grid.addEventListener('keydown', (event) => {
      if (event.key === '?' && this.column !== 0) {
        const help = /** @type {HTMLDetailsElement} */ (root.querySelector('.tracker-keys'));
        help.open = !help.open;
        return;
      }
      this.key(event);
    });
    this.grid.addEventListener('keyup', (event) => { if (noteForKey(event.code, this.octave)) this.setup.silence?.(); });
    // A click drops the block (the next block key must not reach back to it); Shift+click stretches it.
    this.grid.addEventListener('pointerdown', (event) => {
      const cell = /** @type {HTMLElement} */ (event.target).closest?.('[data-row]');
      if (!cell) return;
      const had = this.anchor;
      this.anchor = event.shiftKey ? had ?? { row: this.row, voice: this.voice } : null;
      this.moveTo(Number(cell.dataset.row), Number(cell.dataset.voice), Number(cell.dataset.column));
      if (had || this.anchor) this.markBlock();
    });
  }

  // A new song view, after song.fcs assembled (null: it has problems).
  /** @param {any | null} view @param {string} text @param {string} [why] why there is no view */
  show(view, text, why = 'song.fcs has problems: the tracker shows the song again once they are mended') {
    this.view = view;
    this.viewText = text;
    if (!view) {
      this.state.textContent = why;
      this.grid.setAttribute('aria-disabled', 'true');
      return;
    }
    this.grid.removeAttribute('aria-disabled');
    this.state.textContent = '';
    this.entry = clamp(this.entry, 0, view.sequence.length - 1);
    const select = /** @type {HTMLSelectElement} */ (this.setup.root.querySelector('.instrument'));
    const names = view.vol.map((vol) => vol.name);
    if (!names.includes(this.instrument)) this.instrument = names[0] ?? '';
    select.innerHTML = names.map((name, i) => `<option value="${escape(name)}">${i} ${escape(name)}</option>`).join('');
    select.value = this.instrument;
    this.pictures?.show(view, this.instrument);
    this.drawSequence();
    this.drawGrid();
  }

  drawSequence() {
    const view = this.view;
    replaceHtml(this.sequence, view.sequence.map((entry, i) => {
      const voices = entry.voices.map((voice) => voice.pattern + transposeText(voice)).join(' ');
      return `<li><button type="button" data-entry="${i}" aria-pressed="false">` +
        `${String(i).padStart(2, '0')} ${escape(voices)}${entry.speed ? ` speed ${entry.speed}` : ''}</button></li>`;
    }).join(''));
    // The chosen entry marked in place: following the music never replaces the buttons.
    for (const button of this.sequence.querySelectorAll('[aria-pressed="true"]')) button.setAttribute('aria-pressed', 'false');
    this.sequence.querySelector(`[data-entry="${this.entry}"]`)?.setAttribute('aria-pressed', 'true');
  }

  // The chosen entry's four patterns, 32 rows; the cursor's cell takes the Tab focus.
  drawGrid() {
    if (!this.view) return;  // song.fcs has problems: the last grid stays, marked disabled
    const entry = this.view.sequence[this.entry];
    const patterns = entry.voices.map((voice) => this.view.patterns.find((p) => p.name === voice.pattern));
    const uses = (name) => this.view.sequence.filter((e) => e.voices.some((v) => v.pattern === name)).length;
    const head = patterns.map((pattern, voice) => {
      const shared = pattern && uses(pattern.name) > 1 ? ` (shared by ${uses(pattern.name)} entries)` : '';
      return `<div role="columnheader" aria-colspan="2" class="voice-head" title="Voice ${voice + 1}: pattern ` +
        `${escape(pattern?.name ?? '')}${shared}">${voice + 1} ${escape(pattern?.name ?? '')}${shared ? ' *' : ''}</div>`;
    }).join('');
    const rows = [];
    for (let row = 0; row < 32; ++row) {
      const cells = patterns.map((pattern, voice) => {
        const line = pattern ? lineOfRow(pattern, row) : null;
        const note = line ? line.note : '';
        const instrument = line && line.note !== '---' && line.note !== 'end'
          ? line.instrument + (line.porta ? ` porta ${line.porta}${line.amount ? ` ${line.amount}` : ''}` : '') : '';
        return [note, instrument].map((text, column) => this.cellHtml(row, voice, column, text, line?.written === false && column === 1)).join('');
      }).join('');
      const playing = this.playing.entry === this.entry && this.playing.row === row;
      rows.push(`<div role="row" aria-rowindex="${row + 2}" class="${playing ? 'playing' : ''}${row % 8 === 0 ? ' bar' : ''}">` +
        `<div role="rowheader">${String(row).padStart(2, '0')}</div>${cells}</div>`);
    }
    const focused = this.grid.contains(document.activeElement);
    this.grid.setAttribute('aria-label', `Entry ${this.entry}: the four voices' patterns`);
    replaceHtml(this.grid, `<div role="row" aria-rowindex="1"><div role="columnheader">Row</div>${head}</div>${rows.join('')}`);
    this.moveTo(this.row, this.voice, this.column, focused);
  }

  // The block's cells marked in place: a redraw would replace the cell being clicked.
  markBlock() {
    for (const cell of /** @type {NodeListOf<HTMLElement>} */ (this.grid.querySelectorAll('[role=gridcell]'))) {
      cell.setAttribute('aria-selected', String(this.inBlock(Number(cell.dataset.row), Number(cell.dataset.voice))));
    }
    drawn.delete(this.grid);  // the grid is no longer as its html drew it
  }

  /** @param {number} row @param {number} voice @param {number} column @param {string} text @param {boolean} inherited */
  cellHtml(row, voice, column, text, inherited) {
    const at = row === this.row && voice === this.voice && column === this.column;
    const chosen = this.inBlock(row, voice);
    const label = `voice ${voice + 1} row ${row} ${Columns[column]}${inherited ? ' (the pattern\'s)' : ''}`;
    return `<div role="gridcell" tabindex="${at ? 0 : -1}" data-row="${row}" data-voice="${voice}" data-column="${column}" ` +
      `aria-selected="${chosen}" class="${Columns[column]}${inherited ? ' inherited' : ''}" title="${label}" aria-label="${escape(text || 'empty')}, ${label}">${escape(text)}</div>`;
  }

  /** @param {number} row @param {number} voice @param {number} column */
  moveTo(row, voice, column, focus = true) {
    this.row = clamp(row, 0, 31);
    this.voice = clamp(voice, 0, Voices - 1);
    this.column = clamp(column, 0, Columns.length - 1);
    for (const cell of this.grid.querySelectorAll('[tabindex="0"]')) cell.setAttribute('tabindex', '-1');
    const cell = /** @type {HTMLElement | null} */ (this.grid.querySelector(
      `[data-row="${this.row}"][data-voice="${this.voice}"][data-column="${this.column}"]`));
    cell?.setAttribute('tabindex', '0');
    if (focus) cell?.focus();
  }

  /** @param {number} entry */
  choose(entry) {
    if (!this.view) return;
    this.entry = clamp(entry, 0, this.view.sequence.length - 1);
    if (this.looping) this.setup.loop?.(this.entry);
    this.drawSequence();
    this.drawGrid();
  }

  // The row the worklet plays now; with Follow on, the grid shows its entry.
  /** @param {number} entry @param {number} row */
  markPlaying(entry, row) {
    if (entry === this.playing.entry && row === this.playing.row) return;
    this.playing = { entry, row };
    if (this.follow && this.view && entry !== this.entry && entry >= 0) this.choose(entry);
    for (const marked of this.grid.querySelectorAll('.playing')) marked.classList.remove('playing');
    if (entry === this.entry) this.grid.querySelector(`[aria-rowindex="${row + 2}"]`)?.classList.add('playing');
  }

  /** @param {KeyboardEvent} event */
  key(event) {
    const { row, voice, column } = this;
    const moves = {
      ArrowUp: [row - 1, voice, column], ArrowDown: [row + 1, voice, column],
      ArrowLeft: column > 0 ? [row, voice, column - 1] : [row, voice - 1, Columns.length - 1],
      ArrowRight: column < Columns.length - 1 ? [row, voice, column + 1] : [row, voice + 1, 0],
      PageUp: [row - PageRows, voice, column], PageDown: [row + PageRows, voice, column],
      Home: [0, voice, column], End: [31, voice, column],
    };
    const mod = event.ctrlKey || event.metaKey;
    if (moves[event.key] && !event.altKey && !mod) {
      event.preventDefault();
      const [r, v, c] = moves[event.key];
      const anchor = event.shiftKey ? this.anchor ?? { row, voice } : null;
      const redraw = anchor || this.anchor;
      this.anchor = anchor;
      this.moveTo(r, v, c);
      if (redraw) this.drawGrid();
    } else if (mod && !event.altKey && (event.code === 'KeyC' || event.code === 'KeyX')) {
      event.preventDefault();
      this.copyBlock(event.code === 'KeyX');
    } else if (mod && !event.altKey && event.code === 'KeyV') {
      event.preventDefault();
      this.paste();
    } else if (mod && (event.key === 'ArrowUp' || event.key === 'ArrowDown')) {
      event.preventDefault();
      this.transpose((event.key === 'ArrowUp' ? 1 : -1) * (event.shiftKey ? 12 : 1));
    } else if (event.key === 'Tab' && !event.ctrlKey && (event.shiftKey ? voice > 0 : voice < Voices - 1)) {
      event.preventDefault();
      this.moveTo(row, voice + (event.shiftKey ? -1 : 1), column);
    } else if (event.code === 'BracketLeft' || event.code === 'BracketRight') {
      event.preventDefault();
      const by = event.code === 'BracketLeft' ? -1 : 1;
      if (event.shiftKey) this.step = clamp(this.step + by, 0, 16);
      else this.octave = clamp(this.octave + by, LowestOctave, HighestOctave);
      this.showSettings();
    } else if (event.key === 'Delete') {
      event.preventDefault();
      this.editRow((text, pattern) => setRow(text, pattern, row, { note: '---' }), this.step);
    } else if (event.key === 'Insert') {
      event.preventDefault();
      this.editRow((text, pattern) => insertRow(text, pattern, row), 0);
    } else if (event.key === 'Backspace') {
      event.preventDefault();
      this.editRow((text, pattern) => deleteRow(text, pattern, row), 0);
    } else if (event.altKey && event.code === 'KeyC') {
      event.preventDefault();
      this.edit((text, view) => copyPatternForEntry(text, view, this.entry, voice).changes);
    } else if (!mod && !event.altKey && column === 1) {
      this.instrumentKey(event);
    } else if (!event.ctrlKey && !event.metaKey && !event.altKey && !event.repeat && column === 0) {
      const note = noteForKey(event.code, this.octave);
      if (!note) return;
      event.preventDefault();
      this.enterNote(note, event.timeStamp);
    }
  }

  // A note at the cursor with the chosen instrument, heard at once; the cursor moves on by the step.
  /** @param {string} note @param {number} [asked] when the key or MIDI note came (performance.now's clock) */
  enterNote(note, asked = performance.now()) {
    const row = this.row, instrument = this.instrument;
    const slot = this.view?.vol.findIndex((vol) => vol.name === instrument) ?? -1;
    const index = noteIndex(note);
    if (slot >= 0 && index !== null) this.setup.sound?.(index, slot, asked);
    this.editRow((text, pattern) => setRow(text, pattern, row, { note, instrument }), this.step);
  }

  // The block: the rows and voices between the cursor and the anchor, else the cursor's cell.
  block() {
    const a = this.anchor ?? { row: this.row, voice: this.voice };
    return { top: Math.min(a.row, this.row), bottom: Math.max(a.row, this.row),
      left: Math.min(a.voice, this.voice), right: Math.max(a.voice, this.voice) };
  }

  /** @param {number} row @param {number} voice */
  inBlock(row, voice) {
    if (!this.anchor) return false;
    const b = this.block();
    return row >= b.top && row <= b.bottom && voice >= b.left && voice <= b.right;
  }

  // The cell a pattern has at `row`, as setRows takes it.
  /** @param {any} pattern @param {number} row */
  static cellOf(pattern, row) {
    const line = pattern && lineOfRow(pattern, row);
    if (!line || line.note === 'end') return { note: '---' };
    return { note: line.note, instrument: line.instrument, porta: line.porta, amount: line.amount };
  }

  patternOf(view, voice) {
    const name = view.sequence[this.entry]?.voices[voice]?.pattern;
    return view.patterns.find((p) => p.name === name) ?? null;
  }

  // Sets cells of the entry's patterns: `cells(voice)` gives a Map row -> cell.
  /** @param {(view: any, voice: number) => Map<number, any> | null} cells @param {number[]} voices */
  editCells(cells, voices) {
    return this.edit((text, view) => {
      const byPattern = new Map();
      for (const voice of voices) {
        const pattern = this.patternOf(view, voice), set = cells(view, voice);
        if (!pattern || !set) continue;
        const merged = byPattern.get(pattern.name) ?? { pattern, set: new Map() };
        for (const [row, cell] of set) if (row < pattern.rows) merged.set.set(row, cell);
        byPattern.set(pattern.name, merged);
      }
      return [...byPattern.values()].flatMap(({ pattern, set }) => setRows(text, pattern, set));
    });
  }

  /** @param {boolean} cut */
  copyBlock(cut) {
    if (!this.view) return;
    const b = this.block(), voices = range(b.left, b.right);
    this.clipboard = voices.map((voice) => range(b.top, b.bottom).map((row) => Tracker.cellOf(this.patternOf(this.view, voice), row)));
    this.state.textContent = `${cut ? 'cut' : 'copied'} ${b.bottom - b.top + 1} rows of ${voices.length} voices`;
    if (cut) this.editCells(() => new Map(range(b.top, b.bottom).map((row) => [row, { note: '---' }])), voices);
  }

  paste() {
    const clip = this.clipboard;
    if (!clip) return;
    const voices = range(this.voice, Math.min(Voices - 1, this.voice + clip.length - 1));
    this.editCells((view, voice) => new Map(clip[voice - this.voice].map((cell, i) => [this.row + i, cell])), voices);
  }

  // Every note of the block (or the cursor's row) up or down by `semitones`;
  // a note that would leave C#1..B-4 stays as it is.
  /** @param {number} semitones */
  transpose(semitones) {
    const b = this.block();
    this.editCells((view, voice) => {
      const pattern = this.patternOf(view, voice), set = new Map();
      for (const row of range(b.top, b.bottom)) {
        const cell = Tracker.cellOf(pattern, row), index = noteIndex(cell.note);
        if (index !== null && index + semitones >= 1 && index + semitones < 48) set.set(row, { ...cell, note: noteName(index + semitones) });
      }
      return set;
    }, range(b.left, b.right));
  }

  // The instrument column: digits choose an instrument by number (two within
  // a second make one number) and put it on the row's note; Enter puts the
  // chosen one there; U, D and O write porta up, down (by the Porta amount) and off.
  /** @param {KeyboardEvent} event */
  instrumentKey(event) {
    const digit = /^Digit([0-9])$/.exec(event.code)?.[1] ?? /^Numpad([0-9])$/.exec(event.code)?.[1];
    const porta = { KeyU: 'up', KeyD: 'down', KeyO: 'off' }[event.code];
    if (digit === undefined && !porta && event.key !== 'Enter') return;
    event.preventDefault();
    const row = this.row;
    if (digit !== undefined) {
      const now = Date.now();
      const typed = now - (this.typedAt ?? 0) < 1000 ? `${this.typed}${digit}` : digit;
      this.typed = typed.slice(-2);
      this.typedAt = now;
      const vol = this.view?.vol[Number(this.typed)] ?? this.view?.vol[Number(digit)];
      if (!vol) return;
      this.instrument = vol.name;
      /** @type {HTMLSelectElement} */ (this.setup.root.querySelector('.instrument')).value = vol.name;
      this.pictures?.show(this.view, vol.name);
    }
    const amount = Number(/** @type {HTMLInputElement} */ (this.setup.root.querySelector('.porta')).value) || 1;
    this.editRow((text, pattern) => {
      const cell = Tracker.cellOf(pattern, row);
      if (porta) return setRow(text, pattern, row, { ...cell, porta, amount: porta === 'off' ? 0 : amount });
      return cell.note === '---' ? [] : setRow(text, pattern, row, { ...cell, instrument: this.instrument });
    }, 0);
  }

  showSettings() {
    const root = this.setup.root;
    /** @type {HTMLInputElement} */ (root.querySelector('.octave')).value = String(this.octave);
    /** @type {HTMLInputElement} */ (root.querySelector('.step')).value = String(this.step);
  }

  // An edit of the cursor voice's pattern, then the cursor `advance` rows down.
  /** @param {(text: string, pattern: any) => TextChange[]} make @param {number} advance */
  editRow(make, advance) {
    const voice = this.voice, entry = this.entry;
    this.edit((text, view) => {
      const name = view.sequence[entry]?.voices[voice]?.pattern;
      const pattern = view.patterns.find((p) => p.name === name);
      return pattern ? make(text, pattern) : [];
    });
    this.moveTo(this.row + advance, this.voice, this.column);
  }

  /** @param {string} what */
  sequenceEdit(what) {
    const index = this.entry;
    const edits = {
      duplicate: [(text, view) => duplicateEntry(text, view, index), index + 1],
      delete: [(text, view) => deleteEntry(text, view, index), index],
      up: [(text, view) => moveEntry(text, view, index, -1), index - 1],
      down: [(text, view) => moveEntry(text, view, index, 1), index + 1],
    };
    if (what === 'delete' && this.view?.sequence.length === 1) {
      this.state.textContent = 'the only entry stays: a song needs one';
      return;
    }
    const [make, next] = edits[what];
    // Chosen once the edited song's view is drawn (it is queued behind the edit).
    this.edit(make).then((written) => { if (written) this.queue = this.queue.then(() => this.choose(next)); });
  }

  // Edits run one after another, each on a view of the text as it is then:
  // a key pressed before the last edit was assembled waits for it. An edit
  // whose text would not assemble is refused and says why, so the song stays
  // playable and the tracker usable. Resolves to whether the edit was written.
  /** @param {(text: string, view: any) => TextChange[]} make */
  edit(make) {
    const done = this.queue.then(async () => {
      // The text may change elsewhere (typed) while the edit is checked: then it is made again on the new text.
      for (let attempt = 0; attempt < 3; ++attempt) {
        const view = await this.freshView();
        if (!view) return false;
        const text = this.viewText, changes = make(text, view);
        if (!changes.length) return false;
        const problem = await this.setup.songCheck(applyChanges(text, changes));
        if (this.setup.songText() !== text) continue;
        if (problem) {
          this.state.textContent = `not written, the song would not assemble: ${problem}`;
          return false;
        }
        this.setup.change(changes);  // the new view follows the build it starts
        return true;
      }
      return false;
    }).catch((error) => { this.state.textContent = `the tracker could not make that edit: ${error.message ?? error}`; return false; });
    this.queue = done;
    return done;
  }

  // The view again after song.fcs changed (typed, undone, loaded, edited here).
  refresh() {
    this.queue = this.queue.then(() => this.freshView()).catch(() => {});
    return this.queue;
  }

  async freshView() {
    const text = this.setup.songText();
    if (text.length > MaxTrackerBytes) {
      this.show(null, text, `song.fcs is ${text.length.toLocaleString('en')} characters; the tracker shows songs of up to ` +
        `${MaxTrackerBytes.toLocaleString('en')}: edit this one as text`);
    } else if (text !== this.viewText || !this.view) {
      this.show(await this.setup.songView(text), text);
    }
    return this.view;
  }
}

// The key list shown in the page (by the keys' places: Z is the key left of X whatever it prints).
const KeyList = `<dl>
  <dt>Z S X D C V G B H N J M (, L . ; /)</dt><dd>notes of the octave (the row below the letters, sharps above it)</dd>
  <dt>Q 2 W 3 E R 5 T 6 Y 7 U (I 9 O 0 P)</dt><dd>notes of the octave above</dd>
  <dt>[ and ]</dt><dd>octave down and up; with Shift, the step down and up</dd>
  <dt>arrows, Page Up/Down, Home/End</dt><dd>move; Tab and Shift+Tab go to the next and previous voice</dd>
  <dt>Delete, Insert, Backspace</dt><dd>clear the row; insert an empty row; remove the row (the rows below move)</dd>
  <dt>0-9, Enter (instrument column)</dt><dd>an instrument by number; the chosen instrument on the row</dd>
  <dt>U, D, O (instrument column)</dt><dd>porta up or down by the Porta amount, porta off</dd>
  <dt>Shift+arrows, Ctrl+C, Ctrl+X, Ctrl+V</dt><dd>choose a block, copy, cut, paste</dd>
  <dt>Ctrl+Up/Down, with Shift</dt><dd>transpose by a semitone, by an octave</dd>
  <dt>Alt+C</dt><dd>make the voice's shared pattern a copy for this entry</dd>
  <dt>On a graph: Left/Right, Up/Down (Shift: more)</dt><dd>choose a step; change its value</dd>
  <dt>On a graph: Ctrl+Left/Right, L</dt><dd>move the chosen Hold (or the End earlier); the loop's start to the chosen step</dd>
  <dt>Ctrl+Z, Ctrl+Shift+Z</dt><dd>undo and redo, with the text editors</dd>
  <dt>? (instrument column)</dt><dd>open or close this list</dd>
</dl>`;
// The element's content made from `html`, unless it was made from the same
// (a redraw after every edit must not replace the button being clicked).
/** @type {WeakMap<HTMLElement, string>} */
const drawn = new WeakMap();
/** @param {HTMLElement} element @param {string} html */
function replaceHtml(element, html) {
  if (drawn.get(element) === html) return;
  drawn.set(element, html);
  element.innerHTML = html;
}
const range = (first, last) => Array.from({ length: last - first + 1 }, (_, i) => first + i);
const clamp = (value, low, high) => Math.min(Math.max(value, low), high);
const escape = (text) => String(text).replace(/[&<>"]/g, (c) => `&#${c.charCodeAt(0)};`);
const transposeText = (voice) => (voice.transpose ? (voice.transpose > 0 ? `+${voice.transpose}` : `${voice.transpose}`) : '') +
  (voice.soundTranspose ? `/${voice.soundTranspose}` : '');
