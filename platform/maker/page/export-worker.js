// The maker's export worker: one job, then the page ends it. It posts
//   { progress: [done, total] }                        while a video renders
//   { done: { bytes, type, extension, ... } }         the file, bytes transferred
//   { failed: 'why' }
// for the job { job: 'wav' | 'video', module: export.wasm compiled, pack,
// seconds (null: the song's first pass), scale }.
import { renderWav } from './export-wav.js';

async function run({ job, module, pack, seconds, scale }) {
  if (job === 'wav') {
    const started = performance.now();
    const bytes = renderWav(module, pack, seconds);
    return { bytes, type: 'audio/wav', extension: 'wav', renderMs: performance.now() - started, seconds: (bytes.length - 44) / 4 / 44100 };
  }
  const { renderVideo } = await import('./export-video.js');
  const progress = (done, total) => self.postMessage({ progress: [done, total] });
  return renderVideo(module, pack, { seconds, scale, progress });
}

self.onmessage = (event) => {
  run(event.data).then((done) => self.postMessage({ done }, [done.bytes.buffer]),
    (error) => self.postMessage({ failed: String(error?.message ?? error) }));
};
