// @ts-check
// Files loaded or dropped from disk: a song source or a module (into the
// song's editor, a module through modasm's disassembler), or a text for the
// editor it is dropped on. Its size is checked before it is read, and a
// refused file leaves the editor as it was; a loaded one is a step of the history.
import { replaceText } from './editors.js';
import { Limits, MaxModuleBytes, numberText, textProblem, tooLarge } from './limits.js';
import { $, status } from './page-dom.js';
import { showAnswer } from './problems.js';
import { runTools } from './tools-client.js';

/** @param {File} file @param {string} target */
async function openFile(file, target) {
  const refused = `${file.name}: ${tooLarge(target, `it is ${numberText(file.size)} bytes`)}. Choose a smaller file.`;
  if (file.size > Math.max(MaxModuleBytes, Limits[target].bytes)) { status(refused); return; }
  const magic = String.fromCharCode(...new Uint8Array(await file.slice(0, 4).arrayBuffer()));
  if (magic === 'FC14' || magic === 'SMOD') return openModule(file);
  if (file.size > Limits[target].bytes) { status(refused); return; }
  const bytes = new Uint8Array(await file.arrayBuffer());
  const notText = notATextFile(bytes, target);
  if (notText) { status(`${file.name}: ${notText}; ${target} is unchanged.`); return; }
  const text = new TextDecoder().decode(bytes), problem = textProblem(target, text, 'it');
  if (problem) { status(`${file.name}: ${problem}. Choose a smaller file.`); return; }
  replaceText(target, text);
  status(`${file.name}: loaded into ${target}.`);
}

// Why `bytes` cannot go into `target` as text (a module of another kind,
// NUL bytes, invalid UTF-8), or '' when they can.
/** @param {Uint8Array} bytes @param {string} target */
function notATextFile(bytes, target) {
  const modules = target === 'song.fcs' ? ' nor a module this maker reads (one starting "FC14" or "SMOD")' : '';
  const neither = `it is neither a text${modules}`;
  const tag = String.fromCharCode(...bytes.subarray(1080, 1084));
  if (/^(M\.K\.|M!K!|FLT[48]|[1-9]CHN|[1-3][0-9]CH)$/.test(tag)) {
    return `it is a ProTracker-style module ("${tag}" at byte 1080), ${neither}`;
  }
  const nul = bytes.indexOf(0);
  if (nul >= 0) return `it has a NUL byte at byte ${numberText(nul)}: ${neither}`;
  try {
    new TextDecoder('utf-8', { fatal: true }).decode(bytes);
  } catch {
    return `it is not UTF-8 text: ${neither}`;
  }
  return '';
}

// A module comes back as its song source, through modasm's disassembler.
/** @param {File} file */
async function openModule(file) {
  status(`${file.name}: reading the module...`);
  const module = new Uint8Array(await file.arrayBuffer());
  const answer = await runTools('disassemble', { module, maxSourceBytes: Limits['song.fcs'].bytes });
  if (!answer.ok) {
    showAnswer(answer);
    status(`${file.name}: the module cannot be read (see the message)`);
    return;
  }
  if (answer.source === undefined) {
    status(`${file.name}: ${tooLarge('song.fcs', `its song source would be ${numberText(answer.sourceBytes)} bytes`)}. ` +
      'Choose a smaller module.');
    return;
  }
  const problem = textProblem('song.fcs', answer.source, 'its song source');
  if (problem) { status(`${file.name}: ${problem}. Choose a smaller module.`); return; }
  replaceText('song.fcs', answer.source);
  status(`${file.name}: loaded into song.fcs.`);
}

export function wireFiles() {
  $('load-song').addEventListener('click', () => $('song-file').click());
  $('song-file').addEventListener('change', (/** @type {Event} */ event) => {
    const input = /** @type {HTMLInputElement} */ (event.target);
    const file = input.files?.[0];
    input.value = '';  // the same file chosen again is a new change
    if (file) openFile(file, 'song.fcs').catch((error) => status(`${file.name}: ${error.message}`));
  });
  // A file dropped on an editor goes into it; dropped anywhere else, the page
  // stays (a browser would otherwise open the file in place of the maker).
  addEventListener('dragover', (event) => event.preventDefault());
  addEventListener('drop', (event) => {
    event.preventDefault();
    const file = event.dataTransfer?.files[0];
    const target = /** @type {HTMLElement} */ (event.target).closest?.('.editor')?.getAttribute('data-file');
    if (!file) return;
    if (!target) { status('Drop a file on one of the three editors to load it there.'); return; }
    openFile(file, target).catch((error) => status(`${file.name}: ${error.message}`));
  });
}
