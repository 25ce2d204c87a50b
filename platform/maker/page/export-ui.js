// The maker's song.wav and video downloads: their controls, one export at a
// time in a worker of its own (export-worker.js), a progress bar with the
// time left and a Cancel that ends the worker. Nothing of the renders is
// loaded before one is asked for: export.wasm on the first, the check of the
// browser's encoders (export-codecs.js) and the video's renderer and muxer
// (export-video.js) on the first video.
//   setUpExports({ container, pack, status, instead })
//     container  the element the controls go into
//     pack       async () => the current content's pack, or null when it has problems
//     status     (words) => shows a line in the page's status
//     instead    the buttons offered when this browser cannot make a video
const MaxSeconds = 3600;
const ScreenWidth = 528, ScreenHeight = 384;

// What the tests can see: the worker running (null when none), the files
// saved, and the last export's figures.
const exportState = { running: null, saved: [], last: null, noVideo: '' };
window.makerExports = exportState;

let wasm = null;  // export.wasm compiled, once
const compiled = () => (wasm ??= fetch('export.wasm').then((response) => {
  if (!response.ok) throw new Error(`export.wasm: HTTP ${response.status}`);
  return response.arrayBuffer();
}).then((bytes) => WebAssembly.compile(bytes)).catch((error) => { wasm = null; throw error; }));

function element(tag, properties = {}, children = []) {
  const made = Object.assign(document.createElement(tag), properties);
  made.append(...children);
  return made;
}

const clock = (seconds) => `${Math.floor(seconds / 60)}:${String(Math.floor(seconds % 60)).padStart(2, '0')}`;

export function setUpExports({ container, pack, status, instead = [] }) {
  const wavButton = element('button', { type: 'button', id: 'get-wav', textContent: 'song.wav' });
  const videoButton = element('button', { type: 'button', id: 'get-video', textContent: 'video' });
  const seconds = element('input', { id: 'export-seconds', type: 'text', inputMode: 'decimal', size: 6,
    placeholder: 'one pass' });
  const scale = element('select', { id: 'export-scale' },
    [1, 2, 3, 4].map((n) => element('option', { value: String(n), textContent: `${n}x`, selected: n === 2 })));
  const bar = element('progress', { id: 'export-progress', max: 1, value: 0 });
  const left = element('span', { id: 'export-left' });
  const cancel = element('button', { type: 'button', id: 'export-cancel', textContent: 'Cancel' });
  const running = element('span', { id: 'export-running', hidden: true }, [bar, ' ', left, ' ', cancel]);
  bar.setAttribute('aria-label', 'export progress');
  container.append(wavButton, videoButton,
    element('label', {}, ['length ', seconds, ' s']), element('label', {}, ['scale ', scale]), running);

  // The length asked for: null for the song's first pass.
  const length = () => {
    const text = seconds.value.trim();
    if (text === '') return null;
    const value = Number(text);
    if (!(value > 0 && value <= MaxSeconds)) {
      throw new Error(`the length must be a number of seconds above 0 and at most ${MaxSeconds}, not '${text}'; ` +
        'leave it empty for the song\'s first pass');
    }
    return value;
  };

  const offerInstead = (why) => {
    exportState.noVideo = why;
    videoButton.textContent = 'video (not in this browser)';
    videoButton.title = why;
    status(`No video: ${why}. Download intro.exe, content.intro or the web folder (.zip) instead.`);
    instead.find((button) => !button.disabled)?.focus();
  };

  const finish = () => {
    exportState.running?.terminate();
    exportState.running = null;
    running.hidden = true;
    bar.value = 0;
    left.textContent = '';
    wavButton.disabled = videoButton.disabled = false;
  };

  cancel.addEventListener('click', () => {
    if (!exportState.running) return;
    finish();
    status('Export cancelled: nothing was saved.');
  });

  async function start(job) {
    if (exportState.running) return;
    const request = { job, seconds: length(), scale: Number(scale.value) };
    if (job === 'video') {
      const { chooseEncoders, noEncoderReason } = await import('./export-codecs.js');
      const { video, sound } = await chooseEncoders(ScreenWidth * request.scale, ScreenHeight * request.scale);
      if (!video || !sound) { offerInstead(noEncoderReason(video, sound)); return; }
    }
    const content = await pack();
    if (!content) throw new Error('the content has problems (see the messages)');
    const module = await compiled();
    const worker = new Worker(new URL('export-worker.js', import.meta.url), { type: 'module' });
    exportState.running = worker;
    wavButton.disabled = videoButton.disabled = true;
    running.hidden = job !== 'video';
    status(job === 'video' ? 'Rendering the video...' : 'Rendering song.wav...');
    const began = performance.now();
    worker.onmessage = ({ data }) => {
      if (exportState.running !== worker) return;
      if (data.progress) {
        const [done, total] = data.progress, elapsed = (performance.now() - began) / 1000;
        bar.value = done / total;
        left.textContent = `${(done / 50).toFixed(1)} of ${(total / 50).toFixed(1)} s, ${clock(elapsed * (total - done) / done)} left`;
        return;
      }
      finish();
      if (data.failed) { status(`${job}: ${data.failed}`); return; }
      const { bytes, type, extension } = data.done;
      const name = job === 'wav' ? 'song.wav' : `intro.${extension}`;
      exportState.last = { ...data.done, bytes: undefined, name, bytesLength: bytes.length };
      save(name, new Blob([bytes], { type }));
      const speed = data.done.frames ? data.done.frames / 50 / (data.done.renderMs / 1000)
        : data.done.seconds / (data.done.renderMs / 1000);
      status(`${name}: ${bytes.length.toLocaleString('en')} bytes, rendered at ${speed.toFixed(1)}x real time` +
        `${data.done.encoders ? ` with ${data.done.encoders}` : ''}.`);
    };
    worker.onerror = (event) => {
      if (exportState.running !== worker) return;
      finish();
      status(`${job}: the export worker failed (${event.message ?? 'it did not start'})`);
    };
    worker.postMessage({ ...request, module, pack: content });
  }

  const action = (button, job) => button.addEventListener('click', () => start(job).catch((error) => {
    finish();
    status(`${job === 'wav' ? 'song.wav' : 'video'}: ${error.message}`);
  }));
  action(wavButton, 'wav');
  action(videoButton, 'video');
}

function save(name, blob) {
  exportState.saved.push({ name, blob });
  const link = element('a', { href: URL.createObjectURL(blob), download: name });
  link.click();
  setTimeout(() => URL.revokeObjectURL(link.href), 1000);
}
