// export.wasm in a worker: a fresh instance on a content pack, and song.wav
// rendered through it as modrender writes it (the same header, the frames
// after the pre-filled ring's silence: the song's first pass, or `seconds`).
export const SampleRate = 44100;
const MaxReadFrames = 44100;  // ExportSound's most frames a call

// A new instance of the compiled export.wasm `module` playing `pack`.
export function openRender(module, pack) {
  const instance = new WebAssembly.Instance(module, {
    wasi_snapshot_preview1: { proc_exit: (code) => { throw new Error(`export.wasm ended (${code})`); } },
  });
  const render = instance.exports;
  render._initialize();
  if (pack.length > render.ExportPackCapacity()) throw new Error('the content pack is too large');
  new Uint8Array(render.memory.buffer, render.ExportPackStore(), pack.length).set(pack);
  const refused = render.ExportUsePack(pack.length);
  if (refused !== 0) throw new Error(`the content pack was refused (status ${refused})`);
  return render;
}

// The next `frames` frames heard, as bytes (a view into the module's memory).
export function heardBytes(render, frames) {
  return new Uint8Array(render.memory.buffer, render.ExportSound(frames), 4 * frames);
}

// Frames of `count` heard frames dropped.
export function skipFrames(render, count) {
  for (let left = count; left > 0; left -= MaxReadFrames) render.ExportSound(Math.min(left, MaxReadFrames));
}

// The 44-byte header of a 16-bit stereo PCM WAV file of `frames` frames.
export function wavHeader(frames) {
  const header = new Uint8Array(44), view = new DataView(header.buffer);
  const text = (at, word) => { for (let i = 0; i < 4; ++i) header[at + i] = word.charCodeAt(i); };
  text(0, 'RIFF');
  view.setUint32(4, 36 + 4 * frames, true);
  text(8, 'WAVE');
  text(12, 'fmt ');
  view.setUint32(16, 16, true);
  view.setUint16(20, 1, true);  // PCM
  view.setUint16(22, 2, true);
  view.setUint32(24, SampleRate, true);
  view.setUint32(28, 4 * SampleRate, true);
  view.setUint16(32, 4, true);
  view.setUint16(34, 16, true);
  text(36, 'data');
  view.setUint32(40, 4 * frames, true);
  return header;
}

// The most frames a WAV file's 32-bit sizes allow.
const MaxWavFrames = Math.floor((0xffffffff - 36) / 4);

// song.wav of `pack`: `seconds` after the pre-fill (rounded to whole frames),
// or the song's first pass when `seconds` is null.
export function renderWav(module, pack, seconds = null) {
  const render = openRender(module, pack);
  let frames;
  if (seconds === null) {
    const ticks = render.ExportSongTicks();
    if (ticks < 0) throw new Error('the song does not load');
    render.ExportSoundStart();
    frames = render.ExportSongFrames(ticks);
  } else {
    render.ExportSoundStart();
    frames = Math.floor(seconds * SampleRate + 0.5);
  }
  if (frames > MaxWavFrames) throw new Error('too long for a WAV file; choose a shorter length');
  skipFrames(render, render.ExportPrefillFrames());
  const wav = new Uint8Array(44 + 4 * frames);
  wav.set(wavHeader(frames));
  for (let done = 0; done < frames;) {
    const count = Math.min(MaxReadFrames, frames - done);
    wav.set(heardBytes(render, count), 44 + 4 * done);
    done += count;
  }
  render.ExportStop();
  return wav;
}
