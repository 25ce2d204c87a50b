// The live intro's music on the audio rendering thread: the web front end's
// sound path (preview-sound.wasm, its worklet module with mute per voice)
// playing the pack the page sends. A new pack stops the song, goes into the
// module's fixed pack store and starts it again; process() only copies the
// rendered quantum out, so it allocates nothing.
'use strict';

class MakerSound extends AudioWorkletProcessor {
  constructor(options) {
    super();
    this.sound = new WebAssembly.Instance(new WebAssembly.Module(options.processorOptions.wasm), {}).exports;
    if (this.sound._initialize) this.sound._initialize();
    this.playing = false;
    this.framesPlayed = 0;
    this.muted = 0;
    // Test-only: the first recordFrames played after each new pack, sent back as 16-bit samples.
    this.recordFrames = options.processorOptions.recordFrames | 0;
    this.recording = null;
    this.recorded = 0;
    this.views(128);  // a render quantum; made here so process() makes none
    this.port.onmessage = (event) => this.onMessage(event.data);
  }

  onMessage(message) {
    const sound = this.sound;
    if (message.pack instanceof Uint8Array) {
      if (this.playing) sound.SoundStop();
      this.playing = false;
      if (message.pack.length > sound.SoundPackCapacity()) return;
      new Uint8Array(sound.memory.buffer, sound.SoundPackStore(), message.pack.length).set(message.pack);
      if (sound.SoundUsePack(message.pack.length) !== 0) return;
      sound.SoundStart();
      sound.SoundMute(this.muted);
      this.playing = true;
      this.framesPlayed = 0;
      if (this.recordFrames > 0) {
        this.recording = new Int16Array(2 * this.recordFrames);
        this.recorded = 0;
      }
    } else if (typeof message.mute === 'number') {
      this.muted = message.mute & 15;
      if (this.playing) sound.SoundMute(this.muted);
    } else if (message === 'stop' && this.playing) {
      sound.SoundStop();
      this.playing = false;
    }
  }

  // Views of the module's quantum of `count` frames: all left, then all right.
  views(count) {
    const at = this.sound.SoundRender(0);
    this.left = new Float32Array(this.sound.memory.buffer, at, count);
    this.right = new Float32Array(this.sound.memory.buffer, at + 4 * count, count);
  }

  // Every float played is an exact sample / 32768.
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

  process(inputs, outputs) {
    const [left, right] = outputs[0];
    if (!this.playing) return true;  // outputs start out silent
    const count = left.length;
    this.sound.SoundRender(count);
    if (this.left.length !== count) this.views(count);
    left.set(this.left);
    right.set(this.right);
    if (this.recording) this.record(left, right);
    const before = this.framesPlayed;
    this.framesPlayed += count;
    if ((before >> 12) !== (this.framesPlayed >> 12)) {
      this.port.postMessage({
        played: this.framesPlayed, entry: this.sound.SoundEntry(), entries: this.sound.SoundEntries(),
      });
    }
    return true;
  }
}

registerProcessor('maker-sound', MakerSound);
