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
import { moveEnding, moveHold, moveLoopStart, setStepValue } from '../../platform/maker/page/src/macro-edits.js';

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

test('graph edits of the macros write what modasm reads back as drawn, and refuse what they cannot write', () => {
  const v = view(song);
  const macro = (w, kind, name) => w[kind].find((m) => m.name === name).steps;
  const ops = (steps) => steps.map((s) => (s.values.length && s.op !== 'loop' ? `${s.op} ${s.values.join(',')}` : s.op));
  const line = (text, at) => lines(text)[at - 1];
  // bass: 64 58 52 48 Hold 4 Ramp 46 34 8 End
  const bass = macro(v, 'vol', 'bass');
  let text = applyChanges(song, [...setStepValue(song, bass, 1, 40), ...moveHold(song, bass, 4, 1)]);
  assert.equal(line(text, 94), '  64 Hold 4 40 52 48 Ramp 46 34 8 End');
  assert.deepEqual(ops(macro(view(text), 'vol', 'bass')), ['volume 64', 'hold 4', 'volume 40', ...ops(bass).slice(2, 4), ...ops(bass).slice(5)]);
  // snare: twelve steps, then End; the End moved before the seventh drops the rest.
  const snare = macro(v, 'vol', 'snare');
  text = applyChanges(song, moveEnding(song, snare, 6));
  assert.deepEqual(ops(macro(view(text), 'vol', 'snare')), [...ops(snare).slice(0, 6), 'end']);
  // arp_min: SetWave chord_sq 0 Hold 1, m: 3 Hold 1 7 Hold 1 12 Hold 1 0 Hold 1, Loop m
  const arp = macro(v, 'freq', 'arp_min');
  text = applyChanges(song, [...moveLoopStart(song, arp, 4), ...setStepValue(song, arp, 6, 19)]);
  assert.equal(line(text, 42), '3 Hold 1  m: 7 Hold 1  19 Hold 1  0 Hold 1');
  const arpAfter = macro(view(text), 'freq', 'arp_min');
  assert.deepEqual([arpAfter.at(-1).values[0], arpAfter[6].values[0]], [4, 19]);
  assert.deepEqual(ops(macro(view(applyChanges(song, moveEnding(song, arp, 4))), 'freq', 'arp_min')), [...ops(arp).slice(0, 4), 'loop']);
  // Not writable: a ramp's inner value, a place inside a ramp, an ending before the loop's start, a fixed note.
  assert.deepEqual(setStepValue(song, bass, 6, 10), []);
  assert.deepEqual(moveHold(song, bass, 4, 7), []);
  assert.deepEqual(moveEnding(song, arp, 2), []);
  assert.deepEqual(setStepValue(song, macro(v, 'freq', 'kick_f'), 1, 3), []);
  // Everything else of the text is as it was.
  const other = lines(applyChanges(song, moveHold(song, bass, 4, 1)));
  assert.deepEqual([...other.slice(0, 93), ...other.slice(94)], [...lines(song).slice(0, 93), ...lines(song).slice(94)]);
});
