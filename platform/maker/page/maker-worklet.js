// The live intro's music on the audio rendering thread: the web front end's
// sound path (preview-sound.wasm, its worklet module with mute per voice)
// playing the pack the page sends. A new pack stops the song, goes into the
// module's fixed pack store and starts it again; a swapped pack goes on from
// the place being heard; the tracker plays from a place, loops an entry and
// sounds single notes (the audition voice). process() only copies the
// rendered quantum out, so it allocates nothing (the test switch's messages aside).
'use strict';

class MakerSound extends AudioWorkletProcessor {
  constructor(options) {
    super();
    this.sound = new WebAssembly.Instance(new WebAssembly.Module(options.processorOptions.wasm), {}).exports;
    if (this.sound._initialize) this.sound._initialize();
    this.playing = false;
    this.auditioning = false;  // the audition voice sounds a note
    this.noteAsked = undefined;  // when the note just asked for was pressed, until its first quantum
    this.noteReceived = 0;       // when its message came (Date.now)
    this.loopEntry = -1;       // the entry played again and again, or -1
    this.place = -1;           // entry * 32 + row last reported
    this.framesPlayed = 0;
    this.muted = 0;
    // Test-only: the first recordFrames played after each new pack, swap and
    // note with the song stopped, sent back as 16-bit samples with what they follow.
    this.recordFrames = options.processorOptions.recordFrames | 0;
    this.recording = null;
    this.recorded = 0;
    this.recordingOf = null;  // { kind: 'start' | 'swap' | 'note', entry, row, tick } where it began
    this.views(128);  // a render quantum; made here so process() makes none
    this.port.onmessage = (event) => this.onMessage(event.data);
  }

  onMessage(message) {
    const sound = this.sound;
    if (message.pack instanceof Uint8Array) {
      if (this.playing) sound.SoundStop();
      this.playing = false;
      if (!this.store(message.pack)) return;
      sound.SoundStart();
      this.started(true, 'start');
    } else if (message.swap instanceof Uint8Array) {
      // While the song plays it goes on from the place heard; else the pack waits for Play.
      const playing = this.playing;
      if (playing) this.playing = false;
      const before = this.placeHeard();
      const stored = message.swap.length <= sound.SoundPackCapacity();
      if (stored) new Uint8Array(sound.memory.buffer, sound.SoundPackStore(), message.swap.length).set(message.swap);
      const status = stored ? (playing ? sound.SoundSwapPack(message.swap.length) : sound.SoundUsePack(message.swap.length)) : 1;
      if (playing && status === 0) this.started(false, 'swap');
      else this.playing = playing && status !== 0;
      // Date.now(): the one clock the page and this scope share (ms), for when the new song took over.
      this.port.postMessage({ swapped: status === 0, ...this.placeHeard(), before, swappedAt: Date.now() });
    } else if (message.playFrom) {
      const { pack, entry, row } = message.playFrom;
      if (this.playing) sound.SoundStop();
      this.playing = false;
      if (!this.store(pack)) return;
      if (sound.SoundPlayFrom(entry, row) === 0) this.started(true, 'start');
    } else if (message.noteOn) {
      if (!this.playing && message.noteOn.pack && !this.store(message.noteOn.pack)) return;
      sound.SoundNoteOn(message.noteOn.note, message.noteOn.instrument);
      this.auditioning = true;
      this.noteAsked = message.noteOn.asked;
      this.noteReceived = Date.now();
      if (!this.playing) this.recordFrom('note');
    } else if (message === 'noteOff') {
      sound.SoundNoteOff();
    } else if (typeof message.loop === 'number') {
      this.loopEntry = message.loop;
    } else if (typeof message.mute === 'number') {
      this.muted = message.mute & 15;
      if (this.playing) sound.SoundMute(this.muted);
    } else if (message === 'stop' && this.playing) {
      sound.SoundStop();
      this.playing = false;
    }
  }

  // `pack` in the module's pack store and taken; false when it is refused.
  store(pack) {
    const sound = this.sound;
    if (!(pack instanceof Uint8Array) || pack.length > sound.SoundPackCapacity()) return false;
    new Uint8Array(sound.memory.buffer, sound.SoundPackStore(), pack.length).set(pack);
    return sound.SoundUsePack(pack.length) === 0;
  }

  // The song plays from here: muted voices kept, the place reported afresh,
  // and (test switch) the first frames recorded again as `recordAs`.
  started(fromTheTop, recordAs = '') {
    this.sound.SoundMute(this.muted);
    this.playing = true;
    if (fromTheTop) this.framesPlayed = 0;
    this.place = -1;
    if (recordAs) this.recordFrom(recordAs);
  }

  // The entry, row and tick within the row being heard.
  placeHeard() {
    const sound = this.sound;
    return { entry: sound.SoundEntry(), row: sound.SoundRow(), tick: sound.SoundTickInRow() };
  }

  // Test switch: what plays from the next quantum on is recorded as `kind`
  // (its buffer made here, on a message, never in process()).
  recordFrom(kind) {
    if (this.recordFrames <= 0) return;
    this.recording = new Int16Array(2 * this.recordFrames);
    this.recorded = 0;
    this.recordingOf = { kind, ...this.placeHeard() };
  }

  // Views of the module's quantum of `count` frames: all left, then all right.
  views(count) {
    const at = this.sound.SoundRenderPreview(0);
    this.left = new Float32Array(this.sound.memory.buffer, at, count);
    this.right = new Float32Array(this.sound.memory.buffer, at + 4 * count, count);
  }

  // Every float played is an exact sample / 32768. Sent when full or, for a
  // note, when it ends (then as far as it was played).
  record(left, right, ended = false) {
    const samples = this.recording;
    for (let i = 0; i < left.length && this.recorded < samples.length; ++i) {
      samples[this.recorded++] = Math.round(left[i] * 32768);
      samples[this.recorded++] = Math.round(right[i] * 32768);
    }
    if (this.recorded === samples.length || ended) {
      this.port.postMessage({ recording: samples.subarray(0, this.recorded), from: this.recordingOf }, [samples.buffer]);
      this.recording = null;
    }
  }

  process(inputs, outputs) {
    const [left, right] = outputs[0];
    if (!this.playing && !this.auditioning) return true;  // outputs start out silent
    const sound = this.sound;
    const count = left.length;
    sound.SoundRenderPreview(count);
    if (this.left.length !== count) this.views(count);
    left.set(this.left);
    right.set(this.right);
    if (this.noteAsked !== undefined) {  // the note's first quantum is rendered: say so
      // inWorklet: the worklet's own share, from the message to this quantum rendered (ms).
      this.port.postMessage({ noteRendered: this.noteAsked, inWorklet: Date.now() - this.noteReceived });
      this.noteAsked = undefined;
    }
    const noteEnded = this.auditioning && !sound.SoundNoteSounding();
    if (noteEnded) this.auditioning = false;
    if (!this.playing) {
      if (this.recording && this.recordingOf.kind === 'note') this.record(left, right, noteEnded);
      return true;
    }
    if (this.recording && this.recordingOf.kind !== 'note') this.record(left, right);
    const entry = sound.SoundEntry(), row = sound.SoundRow();
    if (this.loopEntry >= 0 && entry !== this.loopEntry && sound.SoundPlayFrom(this.loopEntry, 0) === 0) this.started(false);
    const before = this.framesPlayed;
    this.framesPlayed += count;
    // The place heard as it changes (a row lasts a few ticks), and the time now and then.
    if (entry * 32 + row !== this.place || (before >> 12) !== (this.framesPlayed >> 12)) {
      this.place = entry * 32 + row;
      this.port.postMessage({ played: this.framesPlayed, entry, row, entries: sound.SoundEntries(), postedAt: Date.now() });
    }
    return true;
  }
}

registerProcessor('maker-sound', MakerSound);
