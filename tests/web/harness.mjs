// What the browser tests stand on: the built page served from 127.0.0.1 by
// Python's http.server, Debian's Chromium driven by playwright-core, the
// native reference tools, and a reader for intro-preview's PNG files.
import { spawn, execFileSync } from 'node:child_process';
import { mkdtempSync, readFileSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import path from 'node:path';
import { fileURLToPath } from 'node:url';
import { inflateSync } from 'node:zlib';
import { chromium } from 'playwright-core';

const root = fileURLToPath(new URL('../..', import.meta.url));
export const siteDir = process.env.INTRO_WEB_SITE ?? path.join(root, 'build/web');
export const nativeBin = process.env.INTRO_NATIVE_BIN ?? path.join(root, 'build/native/bin');
const chromiumPath = process.env.INTRO_CHROMIUM ?? '/usr/bin/chromium';

// Flags that keep Chromium off the network at start-up (the machine's network
// is closed) and let it run as root without a display.
const chromiumFlags = ['--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
  '--disable-background-networking', '--disable-component-update', '--disable-sync'];

// Serves the site on a free port; resolves to { url, stop }.
export function serveSite() {
  return new Promise((resolve, reject) => {
    const server = spawn('python3', ['-u', '-m', 'http.server', '0', '--bind', '127.0.0.1',
      '--directory', siteDir], { stdio: ['ignore', 'pipe', 'pipe'] });
    let said = '';
    server.stdout.on('data', (chunk) => {
      said += chunk;
      const port = said.match(/port (\d+)/);
      if (port) resolve({ url: `http://127.0.0.1:${port[1]}/`, stop: () => server.kill() });
    });
    server.on('exit', (code) => reject(new Error(`http.server ended (${code}) before serving: ${said}`)));
  });
}

// One Chromium with its own throw-away profile; every page it opens records
// console errors, page errors and failed or refused requests in `problems`.
export async function launchChromium() {
  const profile = mkdtempSync(path.join(tmpdir(), 'intro-chromium-'));
  const context = await chromium.launchPersistentContext(profile, {
    executablePath: chromiumPath, headless: true, args: chromiumFlags,
    viewport: { width: 1100, height: 800 },
  });
  const problems = [];
  const watch = (page) => {
    page.on('console', (m) => { if (m.type() === 'error') problems.push(`console: ${m.text()}`); });
    page.on('pageerror', (e) => problems.push(`page error: ${e.message}`));
    page.on('requestfailed', (r) => problems.push(`request failed: ${r.url()} ${r.failure()?.errorText}`));
    page.on('response', (r) => { if (r.status() >= 400) problems.push(`HTTP ${r.status()}: ${r.url()}`); });
  };
  context.on('page', watch);
  context.pages().forEach(watch);
  return {
    context, problems,
    close: async () => { await context.close(); rmSync(profile, { recursive: true, force: true }); },
  };
}

// The screen intro-preview shows after `steps` acting frame steps, as RGBA bytes.
export function previewScreen(steps) {
  const dir = mkdtempSync(path.join(tmpdir(), 'intro-preview-'));
  try {
    const file = path.join(dir, 'screen.png');
    execFileSync(path.join(nativeBin, 'intro-preview'), ['--steps', String(steps), '-o', file]);
    return readRgbPng(readFileSync(file));
  } finally {
    rmSync(dir, { recursive: true, force: true });
  }
}

// modrender's rendering of the built-in song from the first pre-fill frame on:
// `frames` stereo frames as interleaved 16-bit samples.
export function modrenderSamples(frames) {
  const seconds = String(frames / 44100);
  const raw = execFileSync(path.join(nativeBin, 'modrender'),
    ['--builtin', '--raw', '--include-prefill', '--seconds', seconds, '-o', '-'], { maxBuffer: 1 << 26 });
  return new Int16Array(raw.buffer, raw.byteOffset, 2 * frames);
}

// An 8-bit RGB, non-interlaced PNG (what intro-preview writes) as RGBA bytes.
export function readRgbPng(bytes) {
  const width = bytes.readUInt32BE(16), height = bytes.readUInt32BE(20);
  if (bytes[24] !== 8 || bytes[25] !== 2 || bytes[28] !== 0) throw new Error('not an 8-bit RGB PNG');
  const chunks = [];
  for (let at = 8; at < bytes.length;) {
    const length = bytes.readUInt32BE(at);
    if (bytes.toString('latin1', at + 4, at + 8) === 'IDAT') chunks.push(bytes.subarray(at + 8, at + 8 + length));
    at += 12 + length;
  }
  const data = inflateSync(Buffer.concat(chunks));
  const stride = 3 * width, rgb = Buffer.alloc(stride * height), rgba = new Uint8Array(4 * width * height);
  for (let y = 0; y < height; ++y) {
    const filter = data[y * (stride + 1)], line = data.subarray(y * (stride + 1) + 1, (y + 1) * (stride + 1));
    for (let i = 0; i < stride; ++i) {
      const a = i >= 3 ? rgb[y * stride + i - 3] : 0, b = y > 0 ? rgb[(y - 1) * stride + i] : 0;
      const c = i >= 3 && y > 0 ? rgb[(y - 1) * stride + i - 3] : 0;
      const p = a + b - c, pa = Math.abs(p - a), pb = Math.abs(p - b), pc = Math.abs(p - c);
      const predictor = [0, a, b, (a + b) >> 1, pa <= pb && pa <= pc ? a : pb <= pc ? b : c][filter];
      rgb[y * stride + i] = (line[i] + predictor) & 255;
    }
  }
  for (let i = 0; i < width * height; ++i) {
    rgba.set([rgb[3 * i], rgb[3 * i + 1], rgb[3 * i + 2], 255], 4 * i);
  }
  return { width, height, rgba };
}
