// @ts-check
// One undo history for every editor of the page: each change to a document
// is recorded from its editor's update listener as { view, changes, inverse,
// selection }, in the order made, so one Undo walks back through typing,
// painted glyphs and button loads alike, whichever editor they changed.
// Typing in one editor within GroupMs of the last keystroke joins its step,
// as CodeMirror's own history groups it; changes made inside together() are
// one step, even across editors.
import { Annotation } from '@codemirror/state';
import { EditorView } from '@codemirror/view';

const GroupMs = 500;
const MaxSteps = 10000;
// Marks the history's own undo and redo, so they are not recorded again.
const replaying = Annotation.define();

/**
 * @typedef {{ view: EditorView, changes: import('@codemirror/state').ChangeSet,
 *   inverse: import('@codemirror/state').ChangeSet, before: import('@codemirror/state').EditorSelection,
 *   after: import('@codemirror/state').EditorSelection }} Change
 * @typedef {{ changes: Change[], time: number, typing: boolean }} Step   time: of its last change
 */

export class OneHistory {
  /** @param {() => void} [changed] called when what can be undone or redone changes */
  constructor(changed = () => {}) {
    /** @type {Step[]} */ this.done = [];
    /** @type {Step[]} */ this.undone = [];
    this.changed = changed;
    /** @type {Step | null} */ this.open = null;  // the step together() fills
    /** @type {Step | null} */ this.typed = null;  // the last step typing may join, none after an undo or redo
  }

  // The extension an editor takes so its changes are recorded; `skip` tells
  // which transactions are not the user's work (the page's first load).
  /** @param {(tr: import('@codemirror/state').Transaction) => boolean} skip */
  recorder(skip) {
    return EditorView.updateListener.of((update) => {
      for (const tr of update.transactions) {
        if (tr.docChanged && !tr.annotation(replaying) && !skip(tr)) this.record(update.view, tr);
      }
    });
  }

  /** @param {EditorView} view @param {import('@codemirror/state').Transaction} tr */
  record(view, tr) {
    const change = { view, changes: tr.changes, inverse: tr.changes.invert(tr.startState.doc),
      before: tr.startState.selection, after: tr.state.selection };
    const typing = tr.isUserEvent('input') || tr.isUserEvent('delete');
    const now = Date.now();
    const last = this.done[this.done.length - 1];
    if (this.open) {
      this.open.changes.push(change);
    } else if (typing && last && last === this.typed && now - last.time < GroupMs && last.changes[0].view === view) {
      const joined = last.changes[0];
      joined.changes = joined.changes.compose(change.changes);
      joined.inverse = change.inverse.compose(joined.inverse);
      joined.after = change.after;
      last.time = now;
    } else {
      const step = { changes: [change], time: now, typing };
      this.done.push(step);
      if (this.done.length > MaxSteps) this.done.shift();
      this.typed = typing ? step : null;
    }
    this.undone = [];
    this.changed();
  }

  // Runs `change`; every document change it makes is one step.
  /** @param {() => void} change */
  together(change) {
    const step = { changes: [], time: Date.now(), typing: false };
    const outer = this.open;
    this.open = outer ?? step;
    try {
      change();
    } finally {
      this.open = outer;
    }
    if (!outer && step.changes.length) {
      this.typed = null;
      this.done.push(step);
      if (this.done.length > MaxSteps) this.done.shift();
      this.changed();
    }
  }

  get canUndo() { return this.done.length > 0; }
  get canRedo() { return this.undone.length > 0; }

  undo() {
    const step = this.done.pop();
    if (!step) return false;
    this.typed = null;
    for (const change of [...step.changes].reverse()) apply(change.view, change.inverse, change.before);
    this.undone.push(step);
    this.changed();
    return true;
  }

  redo() {
    const step = this.undone.pop();
    if (!step) return false;
    this.typed = null;
    for (const change of step.changes) apply(change.view, change.changes, change.after);
    this.done.push(step);
    this.changed();
    return true;
  }
}

/** @param {EditorView} view @param {import('@codemirror/state').ChangeSet} changes
 *  @param {import('@codemirror/state').EditorSelection} selection */
function apply(view, changes, selection) {
  view.dispatch({ changes, selection, scrollIntoView: true, annotations: replaying.of(true), userEvent: 'undo' });
}
