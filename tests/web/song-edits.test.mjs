// The tracker's text edits, checked by assembling the edited text with the
// native modasm: the edited row reads as asked, every other row and the rest
// of the text are as they were.
import { test } from 'node:test';
import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import { mkdtempSync, readFileSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { setRow, insertRow, deleteRow, duplicateEntry, deleteEntry, moveEntry, applyChanges, lineOfRow,
  copyPatternForEntry }
  from '../../platform/maker/page/src/song-edits.js';
import { noteForKey, noteIndex, noteName } from '../../platform/maker/page/src/tracker-keys.js';

const bin = process.env.INTRO_NATIVE_BIN ?? new URL('../../build/native/bin', import.meta.url).pathname;
const song = readFileSync(new URL('../../src/data/song/intro-song.fcs', import.meta.url), 'utf8');
const source = join(mkdtempSync(join(tmpdir(), 'song-edits-')), 'song.fcs');
const view = (text) => {
  writeFileSync(source, text);
  return JSON.parse(execFileSync(join(bin, 'modasm'), ['--view', source]).toString());
};
// Each pattern's 32 rows as [note, instrument, porta].
const grid = (v) => Object.fromEntries(v.patterns.map((p) => [p.name, Array.from({ length: p.rows }, (_, r) => {
  const line = lineOfRow(p, r);
  return line ? `${line.note} ${line.instrument} ${line.porta}${line.amount}` : '';
})]));
const lines = (text) => text.split('\n');

test('a row set inside a repeated row splits it, and nothing else changes', () => {
  const before = view(song);
  const pattern = before.patterns.find((p) => p.name === 'bass_long_am_f');  // A-1, --- *15, F-1, --- *15
  const text = applyChanges(song, setRow(song, pattern, 5, { note: 'C#2', instrument: 'bass' }));
  const after = view(text);
  const expected = grid(before);
  expected.bass_long_am_f[5] = 'C#2 bass 0';
  assert.deepEqual(grid(after), expected);
  const edited = lines(text);
  assert.deepEqual(edited.slice(126, 129), ['  --- *4', '  C#2 bass', '  --- *10']);
  assert.deepEqual([...edited.slice(0, 126), ...edited.slice(129)], [...lines(song).slice(0, 126), ...lines(song).slice(127)]);
});

test('rows inserted and deleted shift the pattern and keep it 32 rows long', () => {
  const before = view(song);
  const pattern = before.patterns.find((p) => p.name === 'bass_am_f');
  const rows = grid(before).bass_am_f;
  const inserted = grid(view(applyChanges(song, insertRow(song, pattern, 2)))).bass_am_f;
  assert.deepEqual(inserted, [...rows.slice(0, 2), '---  0', ...rows.slice(2, 31)]);
  const deleted = grid(view(applyChanges(song, deleteRow(song, pattern, 2)))).bass_am_f;
  assert.deepEqual(deleted, [...rows.slice(0, 2), ...rows.slice(3), '---  0']);
});

test('sequence entries duplicate, move and delete as whole lines', () => {
  const v = view(song);
  const names = (w) => w.sequence.map((e) => e.voices.map((voice) => voice.pattern).join(' '));
  const order = names(v);
  assert.deepEqual(names(view(applyChanges(song, duplicateEntry(song, v, 4)))), [...order.slice(0, 5), order[4], ...order.slice(5)]);
  assert.deepEqual(names(view(applyChanges(song, moveEntry(song, v, 4, 1)))), [...order.slice(0, 4), order[5], order[4], ...order.slice(6)]);
  assert.deepEqual(names(view(applyChanges(song, deleteEntry(song, v, 0)))), order.slice(1));
});

test('note keys follow the physical key whatever the layout', () => {
  assert.equal(noteForKey('KeyZ', 2), 'C-2');   // Z on QWERTY, Y on QWERTZ, W on AZERTY
  assert.equal(noteForKey('KeyS', 2), 'C#2');
  assert.equal(noteForKey('KeyQ', 2), 'C-3');   // A on AZERTY
  assert.equal(noteForKey('Digit7', 3), 'A#4');
  assert.equal(noteForKey('KeyZ', 1), null);    // C-1 is "no note" in a pattern
  assert.equal(noteForKey('KeyI', 4), null);    // past B-4
  for (let index = 1; index < 48; ++index) assert.equal(noteIndex(noteName(index)), index);
});

test('a shared pattern made a copy for one entry leaves the others on the original', () => {
  const v = view(song);
  const { changes, name } = copyPatternForEntry(song, v, 5, 0);
  const after = view(applyChanges(song, changes));
  assert.equal(after.sequence[5].voices[0].pattern, name);
  assert.equal(after.sequence[7].voices[0].pattern, v.sequence[7].voices[0].pattern);
  const rows = grid(after);
  assert.deepEqual(rows[name], rows[v.sequence[5].voices[0].pattern]);
});
