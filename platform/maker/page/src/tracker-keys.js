// @ts-check
// The tracker's note keys, by physical key (KeyboardEvent.code), so every
// keyboard layout plays the same piano: the bottom letter row is one octave
// (Z = C) with its sharps on the row above (S = C#), the top letter row the
// next octave (Q = C) with its sharps on the digit row (2 = C#).
const PianoKeys = {
  KeyZ: 0, KeyS: 1, KeyX: 2, KeyD: 3, KeyC: 4, KeyV: 5, KeyG: 6, KeyB: 7, KeyH: 8, KeyN: 9,
  KeyJ: 10, KeyM: 11, Comma: 12, KeyL: 13, Period: 14, Semicolon: 15, Slash: 16,
  KeyQ: 12, Digit2: 13, KeyW: 14, Digit3: 15, KeyE: 16, KeyR: 17, Digit5: 18, KeyT: 19,
  Digit6: 20, KeyY: 21, Digit7: 22, KeyU: 23, KeyI: 24, Digit9: 25, KeyO: 26, Digit0: 27, KeyP: 28,
};

// The song source's notes: C-1 .. B-4 (C-1 itself means "no note" in a pattern).
export const LowestOctave = 1, HighestOctave = 4;
const NoteLetters = ['C-', 'C#', 'D-', 'D#', 'E-', 'F-', 'F#', 'G-', 'G#', 'A-', 'A#', 'B-'];

// The note name a key plays with the bottom row at `octave`, or null when the
// key is no note key or the note falls outside what a pattern can hold.
export function noteForKey(code, octave) {
  const offset = PianoKeys[code];
  if (offset === undefined) return null;
  const index = (octave - LowestOctave) * 12 + offset;
  if (index < 1 || index >= (HighestOctave - LowestOctave + 1) * 12) return null;
  return noteName(index);
}

// Index 0 = C-1 .. 47 = B-4, as the module stores notes.
export function noteName(index) {
  return NoteLetters[index % 12] + String(LowestOctave + Math.floor(index / 12));
}

// The index of a note name ('A-1', 'C#2', 'Db3'), or null.
export function noteIndex(name) {
  const match = /^([A-G])([-#b])([1-4])$/.exec(name);
  if (!match) return null;
  const base = { C: 0, D: 2, E: 4, F: 5, G: 7, A: 9, B: 11 }[match[1]];
  const shift = match[2] === '#' ? 1 : match[2] === 'b' ? -1 : 0;
  const index = (Number(match[3]) - LowestOctave) * 12 + base + shift;
  return index >= 0 && index < 48 ? index : null;
}
