// @ts-check
// The three sources checked and built by the tools after each change: the
// last valid content keeps playing while a file has a problem.
import { textOf } from './editors.js';
import { Limits, textProblem } from './limits.js';
import { maker } from './maker-state.js';
import { $, status } from './page-dom.js';
import { showAnswer } from './problems.js';
import { measureExe } from './exe-sizes.js';
import { restart, swapSong } from './live-intro.js';
import { workChanged } from './saved-work.js';
import { runTools } from './tools-client.js';

const RestartDelayMs = 300;
// intro.exe's sizes are measured again once the edits pause, not in the way of each build.
const MeasureDelayMs = 1000;

/** @type {() => void} */
let buildPosted = () => {};
// Who is told each time the sources go to be built (the tracker asks for its
// view right behind the build, so the new song is heard first).
/** @param {() => void} listener */
export const onBuildPosted = (listener) => { buildPosted = listener; };

export function sourceBytes() {
  /** @param {string} file */
  const encode = (file) => new TextEncoder().encode(textOf(file));
  return { pages: encode('pages.txt'), font: encode('font.txt'), song: encode('song.fcs') };
}

// What is wrong when a typed or pasted source is past its limits, else ''.
function oversized() {
  for (const file of Object.keys(Limits)) {
    const problem = textProblem(file, textOf(file), file);
    if (problem) return `${problem}: cut it down`;
  }
  return '';
}

// The pack of the three sources, or null with the tools' messages shown.
export async function build() {
  const tooBig = oversized();
  if (tooBig) throw new Error(tooBig);
  const answer = await runTools('build', sourceBytes());
  showAnswer(answer);
  return answer.ok ? answer.pack : null;
}

/** @param {Uint8Array | null} a @param {Uint8Array | null} b */
const sameBytes = (a, b) => Boolean(a && b && a.length === b.length && a.every((x, i) => x === b[i]));

let rebuildTimer = 0;
// The user's work changed (typed, painted, loaded, undone): saved and checked
// again shortly, or at once (`delay` 0) for an edit made in the tracker.
export function edited(delay = RestartDelayMs) {
  maker.lastEditTime = performance.now();
  $('start-from').value = '';
  workChanged();
  clearTimeout(rebuildTimer);
  if (delay === 0) queueMicrotask(rebuild);  // before any later event's own jobs reach the tools
  else rebuildTimer = setTimeout(rebuild, delay);
}

// The pages and font of the pack the picture shows: while they stay the
// same, a new song is swapped into the music without restarting the intro.
let pictureSource = { pages: new Uint8Array(0), font: new Uint8Array(0) };

// One check runs at a time; edits made meanwhile are checked right after it, once.
let checking = false, checkAgain = false, measureTimer = 0;
export async function rebuild() {
  if (checking) { checkAgain = true; return; }
  checking = true;
  status('Checking the content...');
  let answer, tooBig, sent;
  try {
    do {
      checkAgain = false;
      tooBig = oversized();
      sent = sourceBytes();
      const building = tooBig ? null : runTools('build', sent);
      buildPosted();
      answer = await building;
    } while (checkAgain);
  } catch (error) {
    status(`The content cannot be checked: ${/** @type {Error} */ (error).message}`);
    return;
  } finally {
    checking = false;
  }
  if (tooBig || !answer) {
    status(`${tooBig}; the last valid intro keeps playing.`);
    return;
  }
  showAnswer(answer);
  if (!answer.ok) {
    status('The content has problems (see the messages); the last valid intro keeps playing.');
    return;
  }
  const pack = answer.pack;
  status(`Valid: the pack is ${pack.length} bytes.`);
  if (sameBytes(pack, maker.pack)) return;
  if (maker.preview && sameBytes(sent.pages, pictureSource.pages) && sameBytes(sent.font, pictureSource.font)) {
    swapSong(pack);
  } else {
    pictureSource = { pages: sent.pages, font: sent.font };
    restart(pack);
  }
  clearTimeout(measureTimer);
  measureTimer = setTimeout(() => measureExe(sourceBytes()), MeasureDelayMs);
  if (maker.lastEditTime) {
    maker.lastRestartDelay = performance.now() - maker.lastEditTime;
    maker.lastEditTime = 0;
  }
}
