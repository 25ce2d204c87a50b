// Which WebCodecs encoders a video can use, asked with isConfigSupported:
// H.264 or VP9 pictures, AAC or Opus sound. Small, so the page can say at
// once why there is no video, before anything else of the video is loaded.
export const FrameRate = 50, SampleRate = 44100;

// The H.264 level for a picture of `width` x `height` at 50 frames a second:
// 4.0 up to 8192 macroblocks a frame, 4.2 to 8704, else 5.2.
function avcLevel(width, height) {
  const blocks = Math.ceil(width / 16) * Math.ceil(height / 16);
  if (blocks <= 8192 && blocks * FrameRate <= 245760) return '28';
  if (blocks <= 8704 && blocks * FrameRate <= 522240) return '2a';
  return '34';
}

// Bits a second: about 0.15 bit a pixel, plenty for a picture that changes
// one cell at a time.
const videoBitrate = (width, height) => Math.round(0.15 * width * height * FrameRate);

// The first video and sound encodings the browser accepts, H.264 and AAC
// first; null members when there is none.
export async function chooseEncoders(width, height) {
  // `quantizer`: the fixed quality asked for where the encoder takes one
  // (H.264's scale is 0 to 51, VP9's 0 to 63); else the bit rate is.
  const videos = [
    { codec: `avc1.6400${avcLevel(width, height)}`, kind: 'avc', name: 'H.264', avc: { format: 'avc' }, quantizer: 18 },
    { codec: width * height > 1920 * 1088 ? 'vp09.00.50.08' : 'vp09.00.40.08', kind: 'vp9', name: 'VP9', quantizer: 24 },
  ];
  const sounds = [
    { codec: 'mp4a.40.2', kind: 'aac', name: 'AAC' },
    { codec: 'opus', kind: 'opus', name: 'Opus' },
  ];
  let video = null, sound = null;
  if (typeof VideoEncoder !== 'undefined') {
    for (const candidate of videos) {
      const common = { codec: candidate.codec, width, height, framerate: FrameRate, latencyMode: 'quality',
        ...(candidate.avc ? { avc: candidate.avc } : {}) };
      for (const config of [{ ...common, bitrateMode: 'quantizer' }, { ...common, bitrate: videoBitrate(width, height) }]) {
        const answer = await VideoEncoder.isConfigSupported(config).catch(() => ({ supported: false }));
        if (!answer.supported) continue;
        const quantizer = config.bitrateMode === 'quantizer' ? candidate.quantizer : undefined;
        video = { ...candidate, quantizer, config: answer.config ?? config };
        break;
      }
      if (video) break;
    }
  }
  if (typeof AudioEncoder !== 'undefined') {
    for (const candidate of sounds) {
      const config = { codec: candidate.codec, sampleRate: SampleRate, numberOfChannels: 2, bitrate: 192000 };
      const answer = await AudioEncoder.isConfigSupported(config).catch(() => ({ supported: false }));
      if (answer.supported) { sound = { ...candidate, config: answer.config ?? config }; break; }
    }
  }
  return { video, sound };
}

// Why there is no video: the encoders the browser lacks.
export function noEncoderReason(video, sound) {
  const missing = [video ? '' : 'H.264 or VP9 video encoder', sound ? '' : 'AAC or Opus sound encoder'].filter(Boolean);
  return `this browser has no ${missing.join(' and no ')} (WebCodecs)`;
}
