// @ts-check
// Web MIDI, where the browser offers it: a note-on from any input is a note
// typed at the tracker's cursor (MIDI note 24, C1, is the song's C-1).
import { noteName } from './tracker-keys.js';

const MidiLowest = 24;

/**
 * Asks for the MIDI inputs (the browser may ask the user) and passes each
 * note-on to `noteOn(name)` and note-off to `noteOff()`; resolves to what to
 * show: how many inputs there are, or why there is none.
 * @param {(name: string) => void} noteOn @param {() => void} noteOff
 */
export async function listenToMidi(noteOn, noteOff) {
  const nav = /** @type {any} */ (navigator);
  if (!nav.requestMIDIAccess) return 'this browser offers no MIDI';
  let access;
  try {
    access = await nav.requestMIDIAccess();
  } catch (error) {
    return `MIDI was not allowed (${error.message ?? error})`;
  }
  const listen = () => {
    for (const input of access.inputs.values()) {
      input.onmidimessage = (/** @type {{ data: Uint8Array }} */ { data }) => {
        const [status, note, velocity] = data;
        const kind = status & 0xf0;
        const index = note - MidiLowest;
        if (kind === 0x90 && velocity > 0 && index >= 1 && index < 48) noteOn(noteName(index));
        else if (kind === 0x80 || (kind === 0x90 && velocity === 0)) noteOff();
      };
    }
  };
  listen();
  access.onstatechange = listen;
  return `MIDI: ${access.inputs.size} input${access.inputs.size === 1 ? '' : 's'}`;
}
