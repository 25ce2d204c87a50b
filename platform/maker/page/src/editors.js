// @ts-check
// The three code editors (CodeMirror): line numbers, search and replace, the
// usual keys, each file's colouring, the tools' problems as diagnostics at
// their lines, and every change recorded in the page's one history.
import { defaultKeymap } from '@codemirror/commands';
import { setDiagnostics, lintGutter } from '@codemirror/lint';
import { search, searchKeymap, highlightSelectionMatches } from '@codemirror/search';
import { Annotation, EditorSelection } from '@codemirror/state';
import { EditorView, drawSelection, highlightActiveLine, highlightActiveLineGutter, highlightSpecialChars,
  keymap, lineNumbers } from '@codemirror/view';
import { OneHistory } from './history.js';
import { fontLanguage, makerHighlight, pagesLanguage, songLanguage } from './languages.js';
import { PageLines, pageLinesAt } from './page-lines.js';

export const Files = ['pages.txt', 'font.txt', 'song.fcs'];
// Marks the page's first load of the texts: not a change of the user's work, not undone.
const firstLoad = Annotation.define();

/** @type {Record<string, { view: EditorView, section: HTMLElement, messages: HTMLElement }>} */
export const editors = {};
export const undoHistory = new OneHistory(() => onHistory());
let onHistory = () => {};
/** @param {() => void} listener called when Undo or Redo become possible or not */
export const onHistoryChange = (listener) => { onHistory = listener; };

const theme = EditorView.theme({
  '&': { height: '100%', color: '#f7f7f7', backgroundColor: '#0a0028', fontSize: '14px' },
  '&.cm-focused': { outline: '2px solid #ffd050', outlineOffset: '1px' },
  '.cm-scroller': { fontFamily: 'monospace', lineHeight: '20px' },
  '.cm-content': { caretColor: '#ffd050' },
  '.cm-cursor': { borderLeftColor: '#ffd050', borderLeftWidth: '2px' },
  '.cm-gutters': { backgroundColor: '#0c0030', color: '#8877bb', borderRight: '1px solid #5a4a9c' },
  '.cm-activeLine': { backgroundColor: '#ffffff0d' },
  '.cm-activeLineGutter': { backgroundColor: '#2a1370', color: '#f7f7f7' },
  '&.cm-focused > .cm-scroller > .cm-selectionLayer .cm-selectionBackground, .cm-selectionBackground': { backgroundColor: '#4a3a9c' },
  '.cm-panels': { backgroundColor: '#0c0030', color: '#f7f7f7' },
  '.cm-panels input, .cm-panels button': { color: '#f7f7f7', backgroundColor: '#2a1370', border: '1px solid #7766cc' },
  '.cm-searchMatch': { backgroundColor: '#6a5a2088', outline: '1px solid #ffd050' },
  '.cm-tooltip': { backgroundColor: '#0c0030', color: '#f7f7f7', border: '1px solid #7766cc' },
}, { dark: true });

// pages.txt: a guide at the 32nd column, the edge of a page's line.
const pageEdge = EditorView.theme({
  '.cm-line': { backgroundImage: 'linear-gradient(to right, transparent calc(6px + 32ch), #7766cc calc(6px + 32ch), ' +
    '#7766cc calc(7px + 32ch), transparent calc(7px + 32ch))' },
});

/**
 * Makes the three editors in their sections; `changed(file, update)` hears
 * of every change of the user's work (typed, painted, loaded, undone).
 * @param {{ charset: string, undo: () => void, redo: () => void,
 *   changed: (file: string, update: import('@codemirror/view').ViewUpdate) => void }} setup
 */
export function makeEditors({ charset, undo, redo, changed }) {
  const languages = { 'pages.txt': [pagesLanguage(charset), pageEdge], 'font.txt': fontLanguage, 'song.fcs': songLanguage };
  for (const section of /** @type {NodeListOf<HTMLElement>} */ (document.querySelectorAll('.editor'))) {
    const file = section.dataset.file ?? '';
    const box = /** @type {HTMLElement} */ (section.querySelector('.box'));
    const view = new EditorView({
      parent: box,
      extensions: [
        lineNumbers(), highlightActiveLineGutter(), highlightSpecialChars(), drawSelection(), highlightActiveLine(),
        highlightSelectionMatches(), search({ top: true }), lintGutter(),
        keymap.of([
          { key: 'Mod-z', run: () => { undo(); return true; }, preventDefault: true },
          { key: 'Mod-Shift-z', run: () => { redo(); return true; }, preventDefault: true },
          { key: 'Mod-y', run: () => { redo(); return true; }, preventDefault: true },
          ...searchKeymap, ...defaultKeymap,
        ]),
        languages[file], makerHighlight, theme,
        // tabindex: the text is the editor's one tab stop, so its scrolled region is reached by keyboard.
        EditorView.contentAttributes.of({ 'aria-label': file, spellcheck: 'false', tabindex: '0' }),
        // A dropped file is the page's to check and load (files.js), not text to insert here.
        EditorView.domEventHandlers({ drop: (event) => Boolean(event.dataTransfer?.files.length) }),
        undoHistory.recorder((tr) => Boolean(tr.annotation(firstLoad))),
        EditorView.updateListener.of((update) => {
          if (update.docChanged && !update.transactions.some((tr) => tr.annotation(firstLoad))) changed(file, update);
          if (file === 'pages.txt' && (update.docChanged || update.selectionSet)) showPageLines(update.view);
        }),
      ],
    });
    editors[file] = { view, section, messages: /** @type {HTMLElement} */ (section.querySelector('.messages')) };
  }
}

/** @param {string} file */
export const textOf = (file) => editors[file].view.state.doc.toString();

// Replaces FILE's whole text: a step of the history unless it is the page's first load.
/** @param {string} file @param {string} text @param {{ first?: boolean }} [how] */
export function replaceText(file, text, { first = false } = {}) {
  const { view } = editors[file];
  view.dispatch({ changes: { from: 0, to: view.state.doc.length, insert: text }, selection: { anchor: 0 },
    userEvent: 'load', annotations: first ? firstLoad.of(true) : [] });
  view.scrollDOM.scrollTop = 0;
}

// Changes FILE's text to `text` as an edit of only what differs (typing, a paint).
/** @param {string} file @param {string} text @param {string} userEvent */
export function editText(file, text, userEvent = 'input') {
  const { view } = editors[file], old = view.state.doc.toString();
  let start = 0;
  while (start < old.length && start < text.length && old[start] === text[start]) ++start;
  let oldEnd = old.length, newEnd = text.length;
  while (oldEnd > start && newEnd > start && old[oldEnd - 1] === text[newEnd - 1]) { --oldEnd; --newEnd; }
  if (start === oldEnd && start === newEnd) return;
  view.dispatch({ changes: { from: start, to: oldEnd, insert: text.slice(start, newEnd) }, userEvent });
}

// Selects LINE (1-based) of FILE, focuses the editor and scrolls the line
// into view, three lines below the top, at once (not on the editor's next frame).
/** @param {string} file @param {number} line */
export function goToLine(file, line) {
  const { view } = editors[file], doc = view.state.doc;
  const at = doc.line(Math.min(Math.max(1, line), doc.lines));
  view.dispatch({ selection: EditorSelection.range(at.from, at.to) });
  scrollToLine(file, line, 3);
  view.focus();
}

// Puts LINE of FILE `linesAbove` lines below the top of its editor's view.
// Only the editor scrolls, not the page: the glyph editor's cells stay under the pointer.
/** @param {string} file @param {number} line @param {number} linesAbove */
export function scrollToLine(file, line, linesAbove) {
  const { view } = editors[file], doc = view.state.doc;
  const at = doc.line(Math.min(Math.max(1, line), doc.lines));
  view.scrollDOM.scrollTop = Math.max(0, view.lineBlockAt(at.from).top - linesAbove * view.defaultLineHeight);
}

// The tools' problems of FILE as its diagnostics: the character a problem
// names (its column), else its whole line.
/** @param {string} file @param {{ line: number, column: number, message: string }[]} problems */
export function showDiagnostics(file, problems) {
  const { view } = editors[file], doc = view.state.doc;
  const diagnostics = problems.filter((p) => p.line >= 1 && p.line <= doc.lines).map((problem) => {
    const line = doc.line(problem.line);
    const from = problem.column > 0 ? Math.min(line.from + problem.column - 1, line.to) : line.from;
    const to = problem.column > 0 ? Math.min(from + 1, line.to) : line.to;
    return { from, to: Math.max(from, to), severity: /** @type {const} */ ('error'), message: problem.message };
  });
  view.dispatch(setDiagnostics(view.state, diagnostics));
}

/** @param {EditorView} view */
function showPageLines(view) {
  const state = view.state, out = document.getElementById('page-lines');
  if (!out) return;
  const cursorLine = state.doc.lineAt(state.selection.main.head).number;
  const page = pageLinesAt((n) => state.doc.line(n).text, state.doc.lines, cursorLine);
  out.textContent = page ? `page ${page.number}: ${page.used} of ${PageLines} lines${page.used > PageLines ? ', too many' : ''}`
    : 'the cursor is outside a page';
}
