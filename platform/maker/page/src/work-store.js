// Keeps the maker's three texts in this browser (localStorage), so a reload
// or a closed tab loses nothing. One saved work per browser, written by one
// tab at a time: each write names its tab, and a tab that sees another tab's
// write stops saving until its user chooses (keep this tab's work, or reload
// for the other's). A share link's content is kept in memory only until its
// user chooses to keep it, so it never replaces the saved work unasked.
// @ts-check

export const WorkKey = 'intro-maker.work';
export const WorkFiles = ['pages.txt', 'font.txt', 'song.fcs'];
const SaveDelayMs = 500;  // at most this long from a change to its save

export const workStore = {
  tab: `${Date.now().toString(36)}-${Math.random().toString(36).slice(2)}`,
  // 'saving': changes are saved; 'link': a share link's content, not saved;
  // 'paused': another tab wrote the saved work, this tab's changes are not saved.
  mode: 'saving',
  timer: 0,
  lastError: '',

  // The saved work, { texts: [pages, font, song], time, tab }, or null when
  // there is none or it cannot be read (storage off, damaged entry).
  saved() {
    let work;
    try {
      work = JSON.parse(localStorage.getItem(WorkKey));
    } catch {
      return null;
    }
    const valid = work && Array.isArray(work.texts) && work.texts.length === WorkFiles.length &&
      work.texts.every((text) => typeof text === 'string') && Number.isFinite(work.time);
    return valid ? work : null;
  },

  // Writes `texts` as the saved work: '' when kept, else why not (a full
  // storage quota, storage switched off); the texts in the page stay as they are.
  write(texts) {
    try {
      localStorage.setItem(WorkKey, JSON.stringify({ texts, time: Date.now(), tab: this.tab }));
      this.lastError = '';
      return '';
    } catch (error) {
      const full = error?.name === 'QuotaExceededError' || error?.name === 'NS_ERROR_DOM_QUOTA_REACHED';
      this.lastError = full ? 'this browser has no room left for it' : `this browser does not store it (${error?.name ?? error})`;
      return this.lastError;
    }
  },

  // A change was made: it is saved within SaveDelayMs, together with any made meanwhile.
  changed(readTexts, report) {
    if (this.mode !== 'saving' || this.timer) return;
    this.timer = setTimeout(() => {
      this.timer = 0;
      if (this.mode !== 'saving') return;
      const failed = this.write(readTexts());
      report(failed);
    }, SaveDelayMs);
  },

  // Saves at once a change still waiting (the tab closing, a link replacing the texts).
  flush(readTexts) {
    if (!this.timer) return;
    clearTimeout(this.timer);
    this.timer = 0;
    if (this.mode === 'saving') this.write(readTexts());
  },
};

/** @param {number} time */
export const workTime = (time) => new Date(time).toLocaleString('en-GB');
