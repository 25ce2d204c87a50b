// @ts-check
// The saved work (work-store.js) as the page shows it: saved after each
// change, a note beside the status while it is not, a share link's content
// kept apart until its user keeps it, and another tab's writes noticed.
import { Files, textOf } from './editors.js';
import { fetchOnce } from './fetch-once.js';
import { textProblem } from './limits.js';
import { $, status } from './page-dom.js';
import { WorkKey, workStore, workTime } from './work-store.js';

export const currentTexts = () => Files.map(textOf);

// The note beside the status that stays while it holds, and its button.
/** @param {string} note @param {string} button */
export function showWork(note, button = '') {
  $('work-note').textContent = note;
  $('keep-work').textContent = button;
  $('keep-work').hidden = !button;
  $('work').hidden = !note;
}

/** @param {string} why */
const notSaved = (why) => `Your work is not saved: ${why}. It stays in this page; the sources (.zip) keep a copy.`;
export function workChanged() {
  workStore.changed(currentTexts, (/** @type {string} */ failed) => {
    if (failed) showWork(notSaved(failed), 'Try saving again');
    else if (workStore.mode === 'saving') showWork('');
  });
}

// The saved work, if it is within the editors' limits.
export function savedWork() {
  const saved = workStore.saved();
  return saved && Files.every((file, i) => !textProblem(file, saved.texts[i], file)) ? saved : null;
}

// True when `texts` are the intro's own or the example's, so replacing them loses nothing.
/** @param {string[]} texts */
export async function isBuiltIn(texts) {
  try {
    for (const which of ['intro', 'example']) {
      const builtIn = await Promise.all(Files.map((file) => fetchOnce(`content/${which}/${file}`)));
      if (builtIn.every((bytes, i) => new TextDecoder().decode(bytes) === texts[i])) return true;
    }
  } catch {
    // not fetched: the user is asked
  }
  return false;
}

// A share link's content is this tab's own, kept in memory until the user keeps it.
export function openedLink() {
  workStore.mode = 'link';
  const saved = workStore.saved();
  showWork(saved ? `This tab's content is not saved; your saved work from ${workTime(saved.time)} is untouched.`
    : 'This tab\'s content is not saved in this browser.', 'Keep this as my saved work');
}

export function wireSavedWork() {
  $('keep-work').addEventListener('click', () => {
    const saved = workStore.saved();
    if (workStore.mode !== 'saving' && saved && saved.tab !== workStore.tab &&
        !confirm(`Replace your saved work from ${workTime(saved.time)} with this tab's three files?`)) return;
    workStore.mode = 'saving';
    const failed = workStore.write(currentTexts());
    showWork(failed ? notSaved(failed) : '', failed ? 'Try saving again' : '');
    status(failed ? notSaved(failed) : 'This tab\'s work is saved, and its changes from now on.');
  });

  addEventListener('pagehide', () => workStore.flush(currentTexts));

  // Another tab wrote the saved work: this one stops saving until its user chooses.
  addEventListener('storage', (event) => {
    if ((event.key !== WorkKey && event.key !== null) || workStore.mode !== 'saving') return;
    if (workStore.saved()?.tab === workStore.tab) return;
    workStore.mode = 'paused';
    const note = 'Another tab changed your saved work: this tab no longer saves its changes. ' +
      'Keep this tab\'s work, or reload to open the other tab\'s.';
    showWork(note, 'Keep this tab\'s work');
    status(note);
  });
}
