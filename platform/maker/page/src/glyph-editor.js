// @ts-check
// The glyph editor: the font's characters, the chosen glyph's 8x8 cells in
// fontc's inks, painted by click, drag or keyboard straight into font.txt
// (each paint a change of that editor, so the one history undoes it).
import { editText, scrollToLine, textOf } from './editors.js';
import { $ } from './page-dom.js';
import { InkSymbols } from './languages.js';
import { toolsData } from './tools-client.js';

const InkNames = { '.': 'background', '#': 'body', '+': 'shading', 'o': 'outline' };
let chosenGlyph = 'A', chosenInk = '#';
// The cell that takes the Tab focus in the glyph's grid (one tab stop, arrow keys move).
let focusX = 0, focusY = 0;

/** @param {string} ink */
const inkColour = (ink) => toolsData.inks[InkSymbols.indexOf(ink)] ?? '#000';

// The 8 art rows of `glyph` in the font text: the lines after its "[c]"
// line; null when the text does not have them in that shape.
/** @param {string} glyph */
function glyphRows(glyph) {
  const lines = textOf('font.txt').split('\n');
  const at = lines.findIndex((line) => line.trimEnd() === `[${glyph}]`);
  if (at < 0 || at + 8 >= lines.length) return null;
  const rows = lines.slice(at + 1, at + 9).map((line) => line.trimEnd());
  return rows.every((row) => /^[.#+o]{8}$/.test(row)) ? { lines, at, rows } : null;
}

export function showGlyphs() {
  const charset = $('charset');
  charset.replaceChildren();
  for (const glyph of toolsData.charset) {
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
export function showCells() {
  const cells = $('cells'), found = glyphRows(chosenGlyph);
  const hadFocus = cells.contains(document.activeElement);
  cells.replaceChildren();
  for (let y = 0; y < 8; ++y) {
    for (let x = 0; x < 8; ++x) {
      const cell = document.createElement('button');
      const ink = found ? found.rows[y][x] : null;
      cell.type = 'button';
      cell.style.background = ink ? inkColour(ink) : '#000';
      cell.dataset.x = String(x);
      cell.dataset.y = String(y);
      cell.tabIndex = x === focusX && y === focusY ? 0 : -1;
      cell.setAttribute('aria-label', `row ${y + 1} column ${x + 1}: ${ink ? InkNames[/** @type {'.'} */ (ink)] : 'no art'}`);
      cells.append(cell);
    }
  }
  if (hadFocus) cells.children[focusY * 8 + focusX].focus();
}

// Scrolls font.txt to the chosen glyph: its "[c]" line and 8 rows in view.
function showGlyphInText() {
  const found = glyphRows(chosenGlyph);
  if (found) scrollToLine('font.txt', found.at + 1, 1);
}

/** @param {number} x @param {number} y */
function paint(x, y) {
  const found = glyphRows(chosenGlyph);
  if (!found || found.rows[y][x] === chosenInk) return;
  const row = found.rows[y];
  found.lines[found.at + 1 + y] = row.slice(0, x) + chosenInk + row.slice(x + 1);
  focusX = x;
  focusY = y;
  editText('font.txt', found.lines.join('\n'), 'input.paint');
  showGlyphInText();
}

export function wireGlyphEditor() {
  let painting = false;
  /** @param {Event} event */
  const cellAt = (event) => /** @type {HTMLElement | null} */ (/** @type {HTMLElement} */ (event.target).closest?.('#cells button'));
  /** @param {HTMLElement} cell */
  const paintCell = (cell) => paint(Number(cell.dataset.x), Number(cell.dataset.y));
  $('cells').addEventListener('pointerdown', (/** @type {PointerEvent} */ event) => {
    const cell = cellAt(event);
    if (!cell || event.button !== 0) return;
    event.preventDefault();  // no text selection or focus change while dragging
    painting = true;
    paintCell(cell);
  });
  // Touch and pen capture the pointer on the pressed cell: the cell under it is
  // found from its position, not from the event's target.
  $('cells').addEventListener('pointermove', (/** @type {PointerEvent} */ event) => {
    if (!painting) return;
    const cell = document.elementFromPoint(event.clientX, event.clientY)?.closest?.('#cells button');
    if (cell) paintCell(/** @type {HTMLElement} */ (cell));
  });
  addEventListener('pointerup', () => { painting = false; });
  addEventListener('pointercancel', () => { painting = false; });
  $('cells').addEventListener('keydown', (/** @type {KeyboardEvent} */ event) => {
    const cell = cellAt(event);
    if (!cell) return;
    /** @type {Record<string, number[]>} */
    const moves = { ArrowLeft: [-1, 0], ArrowRight: [1, 0], ArrowUp: [0, -1], ArrowDown: [0, 1] };
    if (event.key === 'Enter' || event.key === ' ') {
      event.preventDefault();
      focusX = Number(cell.dataset.x);
      focusY = Number(cell.dataset.y);
      paintCell(cell);
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
  for (const ink of InkSymbols) {
    const button = document.createElement('button');
    button.type = 'button';
    button.textContent = ink;
    button.setAttribute('aria-label', `ink ${ink}: ${InkNames[/** @type {'.'} */ (ink)]}`);
    button.style.borderColor = inkColour(ink);
    button.className = ink === chosenInk ? 'chosen' : '';
    button.addEventListener('click', () => {
      chosenInk = ink;
      for (const other of $('inks').children) other.className = other === button ? 'chosen' : '';
    });
    $('inks').append(button);
  }
}
