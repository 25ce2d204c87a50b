// The live intro's music on the audio rendering thread: the web sound path
// (preview-sound.wasm) playing the pack the page sends. Each new pack gets a
// fresh instance of the module, made in the message handler; process() only
// copies the rendered quantum, so it allocates nothing.
'use strict';

class MakerSound extends AudioWorkletProcessor {
  constructor(options) {
    super();
    this.module = new WebAssembly.Module(options.processorOptions.wasm);
    this.sound = null;
    this.left = this.right = null;
    this.framesPlayed = 0;
    this.muted = 0;
    this.port.onmessage = (event) => this.onMessage(event.data);
  }

  onMessage(message) {
    if (message.pack instanceof Uint8Array) {
      if (this.sound) this.sound.SoundStop();
      const sound = new WebAssembly.Instance(this.module, {}).exports;
      if (sound._initialize) sound._initialize();
      const at = sound.SoundPackBuffer(message.pack.length);
      if (!at) return;
      new Uint8Array(sound.memory.buffer, at, message.pack.length).set(message.pack);
      if (sound.SoundUsePack(message.pack.length) !== 0) return;
      sound.SoundStart();
      sound.SoundMute(this.muted);
      this.sound = sound;
      this.views(128);  // a render quantum; made here so process() makes none
      this.framesPlayed = 0;
    } else if (typeof message.mute === 'number') {
      this.muted = message.mute & 15;
      if (this.sound) this.sound.SoundMute(this.muted);
    } else if (message === 'stop' && this.sound) {
      this.sound.SoundStop();
      this.sound = null;
    }
  }

  // Views of the module's quantum of `count` frames: all left, then all right.
  views(count) {
    const at = this.sound.SoundRender(0);
    this.left = new Float32Array(this.sound.memory.buffer, at, count);
    this.right = new Float32Array(this.sound.memory.buffer, at + 4 * count, count);
  }

  process(inputs, outputs) {
    const [left, right] = outputs[0];
    if (!this.sound) return true;  // outputs start out silent
    const count = left.length;
    this.sound.SoundRender(count);
    if (this.left.length !== count) this.views(count);
    left.set(this.left);
    right.set(this.right);
    const before = this.framesPlayed;
    this.framesPlayed += count;
    if ((before >> 12) !== (this.framesPlayed >> 12)) this.port.postMessage({
      played: this.framesPlayed, entry: this.sound.SoundEntry(), entries: this.sound.SoundEntries(),
    });
    return true;
  }
}

registerProcessor('maker-sound', MakerSound);
