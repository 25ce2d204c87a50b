// The video download, in the export worker: export.wasm runs the intro on
// intro-capture's time line (frame f shows the screen after every frame step
// due by 20f ms and carries the 882 sound frames heard from then on, the
// pre-filled ring's silence first), WebCodecs encodes the pictures and the
// sound, and mediabunny puts them in an MP4 file. Bundled with mediabunny by
// esbuild into the site's export-video.js, loaded only when a video is asked for.
import {
  BufferTarget, EncodedAudioPacketSource, EncodedPacket, EncodedVideoPacketSource, Mp4OutputFormat, Output,
} from 'mediabunny';
import { FrameRate, chooseEncoders, noEncoderReason } from './export-codecs.js';
import { SampleRate, heardBytes, openRender } from './export-wav.js';

const FrameMs = 1000 / FrameRate, SoundPerFrame = SampleRate / FrameRate;  // 882
const KeyFrameEvery = 2 * FrameRate;
const MaxQueued = 6;  // frames waiting in an encoder before the render waits for it
const colorSpace = { primaries: 'bt709', transfer: 'bt709', matrix: 'bt709', fullRange: false };

// A WebCodecs encoder whose output goes to a mediabunny source in order;
// `settled()` waits for every packet handed on, `failure` holds its error.
function encoderInto(Encoder, source, config) {
  const state = { failure: null, chain: Promise.resolve() };
  state.encoder = new Encoder({
    output: (chunk, meta) => {
      const packet = EncodedPacket.fromEncodedChunk(chunk);
      state.chain = state.chain.then(() => source.add(packet, meta)).catch((error) => { state.failure ??= error; });
    },
    error: (error) => { state.failure ??= error; },
  });
  state.encoder.configure(config);
  state.room = () => new Promise((resolve) => {
    if (state.encoder.encodeQueueSize <= MaxQueued) { resolve(); return; }
    state.encoder.addEventListener('dequeue', function check() {
      if (state.encoder.encodeQueueSize > MaxQueued) return;
      state.encoder.removeEventListener('dequeue', check);
      resolve();
    });
  });
  state.settled = async () => { await state.encoder.flush(); await state.chain; };
  return state;
}

// The video of `pack`: `seconds` of the time line (whole frames), or to the
// end of the song's first pass when null; `scale` 1 to 4. `progress(done,
// total)` is called every few frames. Returns { bytes, type, extension,
// encoders, frames, renderMs }.
export async function renderVideo(module, pack, { seconds = null, scale = 2, progress = () => {} } = {}) {
  const started = performance.now();
  const render = openRender(module, pack);
  const ticks = render.ExportSongTicks();
  if (ticks < 0) throw new Error('the song does not load');
  if (!render.ExportPictureStart()) throw new Error('the picture could not be set up');
  const songEnd = render.ExportPrefillFrames() + render.ExportSongFrames(ticks);
  const frames = seconds === null ? Math.ceil(songEnd / SoundPerFrame) : Math.max(1, Math.round(seconds * FrameRate));
  const width = render.ExportWidth() * scale, height = render.ExportHeight() * scale;

  const { video, sound } = await chooseEncoders(width, height);
  if (!video || !sound) throw new Error(noEncoderReason(video, sound));
  // MP4 holds each of the four encodings; the index goes first, so it plays while it loads.
  const output = new Output({ format: new Mp4OutputFormat({ fastStart: 'in-memory' }), target: new BufferTarget() });
  const pictures = new EncodedVideoPacketSource(video.kind), sounds = new EncodedAudioPacketSource(sound.kind);
  output.addVideoTrack(pictures, { frameRate: FrameRate });
  output.addAudioTrack(sounds);
  await output.start();
  const videoOut = encoderInto(VideoEncoder, pictures, video.config);
  const quality = video.quantizer === undefined ? {} : { [video.kind]: { quantizer: video.quantizer } };
  const soundOut = encoderInto(AudioEncoder, sounds, sound.config);

  // The sound goes to its encoder a second at a time.
  const soundChunk = new Uint8Array(4 * SoundPerFrame * FrameRate);
  let chunkFrames = 0, soundFrames = 0;
  const sendSound = () => {
    if (chunkFrames === 0) return;
    const data = new AudioData({ format: 's16', sampleRate: SampleRate, numberOfChannels: 2, numberOfFrames: chunkFrames,
      timestamp: Math.round(soundFrames * 1e6 / SampleRate), data: soundChunk.subarray(0, 4 * chunkFrames) });
    soundOut.encoder.encode(data);
    data.close();
    soundFrames += chunkFrames;
    chunkFrames = 0;
  };
  for (let frame = 0; frame < frames; ++frame) {
    const failure = videoOut.failure ?? soundOut.failure;
    if (failure) throw failure;
    const at = render.ExportPicture(frame * FrameMs, scale);
    const picture = new VideoFrame(new Uint8Array(render.memory.buffer, at, width * height * 3 / 2), {
      format: 'I420', codedWidth: width, codedHeight: height, timestamp: frame * FrameMs * 1000,
      duration: FrameMs * 1000, colorSpace });
    videoOut.encoder.encode(picture, { keyFrame: frame % KeyFrameEvery === 0, ...quality });
    picture.close();
    soundChunk.set(heardBytes(render, SoundPerFrame), 4 * chunkFrames);
    chunkFrames += SoundPerFrame;
    if (chunkFrames * 4 === soundChunk.length) sendSound();
    if (frame % 10 === 9) progress(frame + 1, frames);
    await videoOut.room();
  }
  sendSound();
  render.ExportStop();
  await Promise.all([videoOut.settled(), soundOut.settled()]);
  const failure = videoOut.failure ?? soundOut.failure;
  if (failure) throw failure;
  await output.finalize();
  progress(frames, frames);
  return {
    bytes: new Uint8Array(output.target.buffer), type: 'video/mp4', extension: 'mp4',
    encoders: `${video.name} (${video.config.codec}, ${video.quantizer === undefined ? `${video.config.bitrate} bit/s`
      : `quantizer ${video.quantizer}`}) and ${sound.name} (${sound.config.codec})`, frames, width, height,
    renderMs: performance.now() - started,
  };
}
