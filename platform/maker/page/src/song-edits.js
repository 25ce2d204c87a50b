// @ts-check
// Edits of the song made in the tracker, as changes of song.fcs's text at the
// places the assembler's song view gives (spans are [line, column, end]:
// lines from 1, columns from 0). Only the rows touched change: comments,
// names and the layout of everything else stay as they were written.

/** @typedef {{from: number, to: number, insert: string}} TextChange */

// The offset where each line starts (index 1 = line 1).
export function lineStarts(text) {
  const starts = [0, 0];
  for (let i = text.indexOf('\n'); i >= 0; i = text.indexOf('\n', i + 1)) starts.push(i + 1);
  return starts;
}

const spanText = (text, starts, [line, column, end]) =>
  text.slice(starts[line] + column, starts[line] + end);
const indentOf = (text, starts, line) => /^[ \t]*/.exec(text.slice(starts[line]))[0];
const repeatText = (count) => (count > 1 ? ` *${count}` : '');

// A row as the source writes it; the instrument only where it differs from
// the pattern's own (inst=).
export function rowText(pattern, { note, instrument = '', porta = '', amount = 0 }) {
  let text = note;
  if (note !== '---' && note !== 'end' && instrument && instrument !== pattern.inst) text += ` ${instrument}`;
  if (porta === 'off') text += ' porta off';
  else if (porta === 'up' || porta === 'down') text += ` porta ${porta} ${amount}`;
  return text;
}

// The line of `pattern` that holds `row`, or null past its last line.
export const lineOfRow = (pattern, row) =>
  pattern.lines.find((line) => row >= line.row && row < line.row + line.count) ?? null;

// The row text of a line without its repeat.
function writtenRow(text, starts, line) {
  if (line.repeatAt[0] === 0) return spanText(text, starts, line.at);
  const [at, column] = [line.at, line.repeatAt[1]];
  return text.slice(starts[at[0]] + at[1], starts[at[0]] + column).trimEnd();
}

// Rewrites the rows `line` covers as `pieces` ({text, count}), one line each,
// in the line's indentation; the text after the row (a comment) stays.
function rewriteLine(text, starts, line, pieces) {
  const indent = indentOf(text, starts, line.at[0]);
  const insert = pieces.filter((piece) => piece.count > 0)
    .map((piece) => piece.text + repeatText(piece.count)).join(`\n${indent}`);
  return { from: starts[line.at[0]] + line.at[1], to: starts[line.at[0]] + line.at[2], insert };
}

// Sets one row of `pattern` to `cell` ({note, instrument, porta, amount}).
/** @returns {TextChange[]} */
export const setRow = (text, pattern, row, cell) => setRows(text, pattern, new Map([[row, cell]]));

// Sets rows of `pattern` (a Map from row to cell). A row written once with
// *COUNT is split around the rows set in it; rows past the pattern's last
// written line are reached by empty rows added after it.
/** @param {Map<number, any>} cells @returns {TextChange[]} */
export function setRows(text, pattern, cells) {
  const starts = lineStarts(text);
  const changes = [];
  for (const line of pattern.lines) {
    const set = [...cells.keys()].filter((row) => row >= line.row && row < line.row + line.count).sort((a, b) => a - b);
    if (!set.length) continue;
    const old = writtenRow(text, starts, line);
    const pieces = [];
    let next = line.row;
    for (const row of set) {
      pieces.push({ text: old, count: row - next }, { text: rowText(pattern, cells.get(row)), count: 1 });
      next = row + 1;
    }
    pieces.push({ text: old, count: line.row + line.count - next });
    changes.push(rewriteLine(text, starts, line, joinEmpty(pieces)));
  }
  const last = pattern.lines[pattern.lines.length - 1];
  const past = [...cells.keys()].filter((row) => row >= last.row + last.count && row < pattern.rows).sort((a, b) => a - b);
  if (past.length && last.note !== 'end') {
    const indent = indentOf(text, starts, last.at[0]);
    const end = starts[last.at[0] + 1] !== undefined ? starts[last.at[0] + 1] - 1 : text.length;
    const rows = [];
    let next = last.row + last.count;
    for (const row of past) {
      if (row > next) rows.push(`---${repeatText(row - next)}`);
      rows.push(rowText(pattern, cells.get(row)));
      next = row + 1;
    }
    changes.push({ from: end, to: end, insert: rows.map((r) => `\n${indent}${r}`).join('') });
  }
  return changes;
}

// Neighbouring pieces of the same text as one: "--- *3" rather than three lines.
function joinEmpty(pieces) {
  const joined = [];
  for (const piece of pieces.filter((p) => p.count > 0)) {
    const last = joined[joined.length - 1];
    if (last && last.text === piece.text && piece.text === '---') last.count += piece.count;
    else joined.push({ ...piece });
  }
  return joined;
}

// Inserts an empty row at `row`; the rows below move down and the last row
// of the pattern (row `rows - 1`) falls off.
/** @returns {TextChange[]} */
export function insertRow(text, pattern, row) {
  const starts = lineStarts(text);
  const changes = [];
  const line = lineOfRow(pattern, row);
  if (!line) return [];
  const old = writtenRow(text, starts, line);
  const before = row - line.row;
  const endRow = pattern.rows - 1;
  const last = lineOfRow(pattern, endRow);
  // The line losing the pattern's last row: one repeat fewer, or gone.
  if (last && last !== line) {
    changes.push(last.count > 1
      ? rewriteLine(text, starts, last, [{ text: writtenRow(text, starts, last), count: last.count - 1 }])
      : removeLine(text, starts, last.at[0]));
  }
  const keep = last === line ? line.count - 1 : line.count;
  const pieces = old === '---' && before === 0
    ? [{ text: '---', count: keep + 1 }]
    : [{ text: old, count: before }, { text: '---', count: 1 }, { text: old, count: keep - before }];
  changes.unshift(rewriteLine(text, starts, line, pieces));
  return changes;
}

// Removes the row at `row`; the rows below move up and an empty row is added at the end.
/** @returns {TextChange[]} */
export function deleteRow(text, pattern, row) {
  const starts = lineStarts(text);
  const line = lineOfRow(pattern, row);
  if (!line) return [];
  const old = writtenRow(text, starts, line);
  const changes = [line.count > 1
    ? rewriteLine(text, starts, line, [{ text: old, count: line.count - 1 }])
    : removeLine(text, starts, line.at[0])];
  const last = pattern.lines[pattern.lines.length - 1];
  if (last.note === 'end') return changes;
  if (last !== line && writtenRow(text, starts, last) === '---') {
    changes.push(rewriteLine(text, starts, last, [{ text: '---', count: last.count + 1 }]));
  } else {
    const end = starts[last.at[0] + 1] !== undefined ? starts[last.at[0] + 1] - 1 : text.length;
    changes.push({ from: end, to: end, insert: `\n${indentOf(text, starts, last.at[0])}---` });
  }
  return changes;
}

// A whole line out, its line break with it.
function removeLine(text, starts, line) {
  const next = starts[line + 1];
  return next !== undefined ? { from: starts[line], to: next, insert: '' }
    : { from: Math.max(0, starts[line] - 1), to: text.length, insert: '' };
}

// Applies changes made against one text (in any order, not overlapping).
export function applyChanges(text, changes) {
  return [...changes].sort((a, b) => b.from - a.from)
    .reduce((result, { from, to, insert }) => result.slice(0, from) + insert + result.slice(to), text);
}

// ---- the sequence: one line per entry ----

const entryLine = (entry) => (entry.repeatAt?.[0] ? null : entry.line);

// A copy of entry `index`'s line right after it.
/** @returns {TextChange[]} */
export function duplicateEntry(text, view, index) {
  const line = entryLine(view.sequence[index] ?? {});
  if (!line) return [];
  const starts = lineStarts(text);
  const end = starts[line + 1] ?? text.length;
  const body = text.slice(starts[line], end).replace(/\n?$/, '\n');
  return [{ from: end, to: end, insert: starts[line + 1] === undefined ? `\n${body.trimEnd()}` : body }];
}

/** @returns {TextChange[]} */
export function deleteEntry(text, view, index) {
  const line = entryLine(view.sequence[index] ?? {});
  return line && view.sequence.length > 1 ? [removeLine(text, lineStarts(text), line)] : [];
}

// Swaps entry `index` with its neighbour `by` (-1 up, +1 down).
/** @returns {TextChange[]} */
export function moveEntry(text, view, index, by) {
  const a = entryLine(view.sequence[index] ?? {}), b = entryLine(view.sequence[index + by] ?? {});
  if (!a || !b) return [];
  const starts = lineStarts(text);
  const lineText = (line) => text.slice(starts[line], (starts[line + 1] ?? text.length + 1) - 1);
  return [{ from: starts[a], to: starts[a] + lineText(a).length, insert: lineText(b) },
    { from: starts[b], to: starts[b] + lineText(b).length, insert: lineText(a) }];
}

// ---- a shared pattern made a copy for one entry ----

// A name not yet taken by a pattern: NAME_2, NAME_3, ...
function freeName(view, name) {
  const taken = new Set(view.patterns.map((p) => p.name));
  let n = 2;
  while (taken.has(`${name}_${n}`)) ++n;
  return `${name}_${n}`;
}

// Writes a copy of the pattern voice `voice` of entry `index` plays, right
// after the original's block, and points that entry's voice at it.
/** @returns {{ changes: TextChange[], name: string }} */
export function copyPatternForEntry(text, view, index, voice) {
  const use = view.sequence[index]?.voices[voice];
  const pattern = view.patterns.find((p) => p.name === use?.pattern);
  if (!use || !pattern || use.at[0] === 0) return { changes: [], name: '' };
  const block = view.blocks[pattern.block];
  const starts = lineStarts(text);
  const blockEnd = starts[block.lines[1] + 1] ?? text.length;
  const body = text.slice(starts[block.lines[0]], blockEnd);
  const name = freeName(view, pattern.name);
  const header = block.header;
  const copy = body.slice(0, header[1]) + body.slice(header[1]).replace(pattern.name, name);
  const nameAt = starts[use.at[0]] + use.at[1];
  return {
    name,
    changes: [
      { from: blockEnd, to: blockEnd, insert: `\n${copy.trimEnd()}\n` },
      { from: nameAt, to: nameAt + pattern.name.length, insert: name },
    ],
  };
}
