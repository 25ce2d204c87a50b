// The page around the intro: the canvas at a whole-number scale, the start
// gesture, the animation-frame loop, Escape, fullscreen, the page's
// visibility, and the sound worklet that plays the music.
'use strict';

const canvas = document.getElementById('intro');
const Width = 528, Height = 384, SampleRate = 44100;
// Test-only switch: ?test-record makes the worklet report its progress and
// send back the first 8 seconds it played, as 16-bit samples.
const recordFrames = new URLSearchParams(location.search).has('test-record') ? 8 * SampleRate : 0;

// What the page and its tests can see of the sound.
const introSound = {
  wasm: fetch('intro-sound.wasm').then((response) => {
    if (!response.ok) throw new Error('intro-sound.wasm: HTTP ' + response.status);
    return response.arrayBuffer();
  }),
  context: null,
  node: null,
  pending: [],
  framesPlayed: 0,
  stopped: false,
  recording: null,
};

// ready: the intro's module runs (its start prompt is on the canvas).
const introState = { ready: false, started: false, ended: false };

var Module = {
  canvasContext: canvas.getContext('2d'),
  introMusic(message) {
    if (introSound.node) introSound.node.port.postMessage(message);
    else introSound.pending.push(message);
  },
  // After main(), which sets up the driver and draws the prompt.
  postRun: [() => {
    introState.ready = true;
    if (introState.started) runIntro();
  }],
};

document.addEventListener('click', begin);
document.addEventListener('keydown', onKey);
document.addEventListener('dblclick', toggleFullscreen);
document.addEventListener('visibilitychange', () => {
  if (introState.ready) Module._WebSetActive(document.hidden ? 0 : 1);
});

// Whole-number scaling in device pixels, so every intro pixel stays a sharp square.
function fit() {
  const ratio = window.devicePixelRatio || 1;
  const scale = Math.max(1, Math.floor(Math.min(innerWidth * ratio / Width, innerHeight * ratio / Height)));
  canvas.style.width = (Width * scale) / ratio + 'px';
  canvas.style.height = (Height * scale) / ratio + 'px';
}
addEventListener('resize', fit);
fit();

function toggleFullscreen() {
  if (document.fullscreenElement) document.exitFullscreen();
  else document.documentElement.requestFullscreen().catch(() => {});
}

function onKey(event) {
  if (event.key === 'F11') {
    event.preventDefault();
    toggleFullscreen();
  } else if (event.key === 'Escape') {
    end();
  } else {
    begin();
  }
}

// Browsers let sound start only from a gesture: the audio context is made
// here, and the intro's start-up runs, now or as soon as its module runs
// (its music start reaches the worklet as soon as the worklet exists).
function begin() {
  if (introState.started) return;
  introState.started = true;
  startSound();
  if (introState.ready) runIntro();
}

function runIntro() {
  Module._WebBegin(performance.now());
  requestAnimationFrame(frame);
}

function frame(now) {
  if (introState.ended) return;
  Module._WebFrame(now);
  requestAnimationFrame(frame);
}

function end() {
  if (!introState.ready || !introState.started || introState.ended) return;
  introState.ended = true;
  Module._WebEnd();
}

function startSound() {
  const context = new AudioContext({ sampleRate: SampleRate });
  introSound.context = context;
  Promise.all([introSound.wasm, context.audioWorklet.addModule('intro-worklet.js')])
    .then(([wasm]) => {
      const node = new AudioWorkletNode(context, 'intro-sound', {
        numberOfInputs: 0,
        outputChannelCount: [2],
        processorOptions: { wasm, recordFrames },
      });
      node.port.onmessage = onWorkletMessage;
      node.connect(context.destination);
      introSound.node = node;
      for (const message of introSound.pending) node.port.postMessage(message);
      introSound.pending = [];
    })
    .catch((error) => console.error('intro: no sound:', error));
}

function onWorkletMessage(event) {
  const message = event.data;
  if (message.played !== undefined) introSound.framesPlayed = message.played;
  if (message.recording) introSound.recording = message.recording;
  if (message.stopped) {
    introSound.stopped = true;
    introSound.context.close();
  }
}
