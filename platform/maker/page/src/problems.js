// @ts-check
// The tools' answer shown at the editors: each problem as a diagnostic at its
// line and as an item of the list under its editor (a button that goes to
// the line, by click or key), at most 200 a file, with a line for those left out.
import { editors, goToLine, showDiagnostics } from './editors.js';
import { numberText } from './limits.js';
import { maker } from './maker-state.js';

/** @typedef {{ file: string, line: number, column: number, reason: string, message: string }} Problem */

// The editor a problem belongs to: song.mod's is the song's, one of no file pages.txt's.
/** @param {Problem} problem */
const editorOf = (problem) => (problem.file === 'song.mod' ? 'song.fcs' : editors[problem.file] ? problem.file : 'pages.txt');

/** @param {{ messages: string[], problems: Problem[], hidden?: Record<string, number> }} answer */
export function showAnswer(answer) {
  maker.messages = answer.messages.map((message) => `${message}\n`).join('');
  maker.problems = /** @type {any} */ (answer.problems);
  /** @type {Record<string, Problem[]>} */
  const atLines = {};
  for (const [file, editor] of Object.entries(editors)) {
    editor.messages.replaceChildren();
    atLines[file] = [];
  }
  for (const problem of answer.problems) {
    const file = editorOf(problem);
    const line = (editors[problem.file] || problem.file === 'song.mod') ? problem.line : 0;
    if (line) atLines[file].push({ ...problem, line });
    const item = document.createElement('li');
    item.dataset.line = String(line);
    if (line) {
      const button = document.createElement('button');
      button.type = 'button';
      button.textContent = problem.message;
      item.append(button);
      item.addEventListener('click', () => goToLine(file, line));
    } else {
      item.textContent = problem.message;
    }
    editors[file].messages.append(item);
  }
  for (const [file, count] of Object.entries(answer.hidden ?? {})) {
    if (!count) continue;
    const item = document.createElement('li');
    item.className = 'more';
    item.textContent = `... and ${numberText(count)} more message${count === 1 ? '' : 's'} for ${file}: mend the ones above first.`;
    editors[file].messages.append(item);
  }
  for (const [file, problems] of Object.entries(atLines)) showDiagnostics(file, problems);
}
