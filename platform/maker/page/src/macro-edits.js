// @ts-check
// Edits of a volume or frequency macro made on its graph, as text changes of
// song.fcs at the places the song view gives for each step: a plain value set
// to another number, a Hold moved to another step, the macro's End or Loop
// moved earlier (the steps after it dropped), the loop's start label moved.
// Each returns [] when the edit cannot be written (the step is part of a ramp,
// the place is taken or the result would not assemble).
import { lineStarts } from './song-edits.js';

/** @typedef {{ from: number, to: number, insert: string }} TextChange */
/** @typedef {{ op: string, values: number[], at: number[], labelAt?: number[], fixed?: boolean }} Step */

/** @param {Step} a @param {Step} b */
const sameSpan = (a, b) => a.at[0] === b.at[0] && a.at[1] === b.at[1];

// A step written as its own token (a ramp's values share the ramp's span).
/** @param {Step[]} steps @param {number} index */
export const isOwnToken = (steps, index) => steps[index]?.at[0] > 0 &&
  !(index > 0 && sameSpan(steps[index - 1], steps[index])) && !(index + 1 < steps.length && sameSpan(steps[index + 1], steps[index]));

// A step whose text begins a token (not a ramp's second value or later): a place to write before.
/** @param {Step[]} steps @param {number} index */
const startsToken = (steps, index) => steps[index]?.at[0] > 0 && (index === 0 || !sameSpan(steps[index - 1], steps[index]));

// A value the graph draws over: a volume, or a note offset not fixed, written as its own number.
/** @param {Step[]} steps @param {number} index */
export const isDrawable = (steps, index) => isOwnToken(steps, index) &&
  (steps[index].op === 'volume' || (steps[index].op === 'note' && !steps[index].fixed));

// Where a step's text begins (its label first, if it has one).
/** @param {number[]} starts @param {Step} step */
const startOf = (starts, step) => (step.labelAt ? starts[step.labelAt[0]] + step.labelAt[1] : starts[step.at[0]] + step.at[1]);

// The step that ends the macro (End or Loop) and, for a Loop, the step it goes back to.
/** @param {Step[]} steps */
function ending(steps) {
  const last = steps.length - 1;
  return { last, loopsTo: steps[last]?.op === 'loop' ? steps[last].values[0] : -1 };
}

// The token from `from` to `to` with the blanks after it, or before it at a line's end.
/** @param {string} text @param {number} from @param {number} to */
function tokenWithBlanks(text, from, to) {
  const blank = (/** @type {string | undefined} */ c) => c === ' ' || c === '\t';
  let start = from, end = to;
  while (blank(text[end])) ++end;
  if (end === to) while (start > 0 && blank(text[start - 1])) --start;
  return { from: start, to: end };
}

/** @param {string} text @param {Step[]} steps @param {number} index @param {number} value @returns {TextChange[]} */
export function setStepValue(text, steps, index, value) {
  if (!isDrawable(steps, index)) return [];
  const starts = lineStarts(text), at = steps[index].at;
  const from = starts[at[0]] + at[1], to = starts[at[0]] + at[2];
  return text.slice(from, to) === String(value) ? [] : [{ from, to, insert: String(value) }];
}

// The Hold at `index` written before step `before` instead (steps.length - 1: before the End or Loop).
/** @param {string} text @param {Step[]} steps @param {number} index @param {number} before @returns {TextChange[]} */
export function moveHold(text, steps, index, before) {
  const hold = steps[index], target = steps[before];
  if (hold?.op !== 'hold' || !isOwnToken(steps, index) || before === index || before === index + 1 ||
      before > ending(steps).last || !startsToken(steps, before)) return [];
  const starts = lineStarts(text);
  const from = starts[hold.at[0]] + hold.at[1], to = starts[hold.at[0]] + hold.at[2];
  return [{ ...tokenWithBlanks(text, from, to), insert: '' },
    { from: startOf(starts, target), to: startOf(starts, target), insert: `${text.slice(from, to)} ` }];
}

// The End or Loop written at step `at` (earlier than it is): the steps from there to it are dropped.
/** @param {string} text @param {Step[]} steps @param {number} at @returns {TextChange[]} */
export function moveEnding(text, steps, at) {
  const { last, loopsTo } = ending(steps);
  const target = steps[at];
  if (at >= last || at <= loopsTo || !isOwnToken(steps, last) || !startsToken(steps, at)) return [];
  const starts = lineStarts(text), end = steps[last];
  return [{ from: startOf(starts, target), to: starts[end.at[0]] + end.at[1], insert: '' }];
}

// The loop's start (its label) moved to step `to`.
/** @param {string} text @param {Step[]} steps @param {number} to @returns {TextChange[]} */
export function moveLoopStart(text, steps, to) {
  const { last, loopsTo } = ending(steps);
  const label = steps[loopsTo]?.labelAt, target = steps[to];
  if (!label || !startsToken(steps, to) || to === loopsTo || to >= last || target.labelAt) return [];
  const starts = lineStarts(text);
  const from = starts[label[0]] + label[1], name = text.slice(from, starts[label[0]] + label[2]);
  const place = starts[target.at[0]] + target.at[1];
  return [{ ...tokenWithBlanks(text, from, starts[label[0]] + label[2]), insert: '' }, { from: place, to: place, insert: `${name} ` }];
}
