// The intro's sound on the audio rendering thread: its own instance of the
// sound path (intro-sound.wasm: audio control, replayer, mixer and the block
// ring), so the music never waits for the page's main thread. The page sends
// the content pack in use before the start; its song is what plays.
'use strict';

const ProgressFrames = 4096;

class IntroSound extends AudioWorkletProcessor {
  constructor(options) {
    super();
    const { wasm, recordFrames } = options.processorOptions;
    this.sound = new WebAssembly.Instance(new WebAssembly.Module(wasm), {}).exports;
    if (this.sound._initialize) this.sound._initialize();
    this.left = null;
    this.right = null;
    this.playing = false;
    this.framesPlayed = 0;
    this.reporting = recordFrames > 0;
    this.recording = recordFrames > 0 ? new Int16Array(2 * recordFrames) : null;
    this.recorded = 0;
    this.port.onmessage = (event) => {
      if (event.data.pack) {
        this.usePack(event.data.pack);
      } else if (event.data === 'start') {
        this.sound.SoundStart();
        this.playing = true;
      } else if (event.data === 'stop') {
        this.sound.SoundStop();
        this.playing = false;
        this.port.postMessage({ stopped: true, played: this.framesPlayed });
      }
    };
  }

  // The pack goes into the module's fixed store; one that does not fit, or
  // that the reader refuses, leaves the content as it was (no song at all
  // before the first), and the page is told.
  usePack(bytes) {
    const sound = this.sound;
    let status = -1;
    if (bytes.length <= sound.SoundPackCapacity()) {
      new Uint8Array(sound.memory.buffer, sound.SoundPackStore(), bytes.length).set(bytes);
      status = sound.SoundUsePack(bytes.length);
    }
    if (status !== 0) this.port.postMessage({ refused: status });
  }

  process(inputs, outputs) {
    const [left, right] = outputs[0];
    const count = left.length;
    const at = this.sound.SoundRender(count);
    // The module's memory never grows and the quantum stays where it is, so
    // the two views are made once: nothing is allocated per quantum.
    if (!this.left || this.left.byteOffset !== at || this.left.length !== count) {
      this.left = new Float32Array(this.sound.memory.buffer, at, count);
      this.right = new Float32Array(this.sound.memory.buffer, at + 4 * count, count);
    }
    left.set(this.left);
    right.set(this.right);
    if (this.playing) {
      if (this.recording) this.record(left, right);
      const before = this.framesPlayed;
      this.framesPlayed += count;
      if (this.reporting && Math.floor(before / ProgressFrames) !== Math.floor(this.framesPlayed / ProgressFrames))
        this.port.postMessage({ played: this.framesPlayed });
    }
    return true;
  }

  // What was played, back in 16 bits: every float here is an exact sample / 32768.
  record(left, right) {
    const samples = this.recording;
    for (let i = 0; i < left.length && this.recorded < samples.length; ++i) {
      samples[this.recorded++] = Math.round(left[i] * 32768);
      samples[this.recorded++] = Math.round(right[i] * 32768);
    }
    if (this.recorded === samples.length) {
      this.port.postMessage({ recording: samples }, [samples.buffer]);
      this.recording = null;
    }
  }
}

registerProcessor('intro-sound', IntroSound);
