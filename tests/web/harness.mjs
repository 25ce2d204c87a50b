// What the browser tests stand on: the built page served from 127.0.0.1 by
// Python's http.server, Debian's Chromium and Firefox ESR driven by
// puppeteer-core (CDP for Chromium, WebDriver BiDi for Firefox), the native
// reference tools, and a reader for intro-preview's PNG files.
import { spawn, execFileSync } from 'node:child_process';
import { cpSync, mkdtempSync, readFileSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import path from 'node:path';
import { fileURLToPath } from 'node:url';
import { inflateSync } from 'node:zlib';
import puppeteer from 'puppeteer-core';

export const root = fileURLToPath(new URL('../..', import.meta.url));
export const siteDir = process.env.INTRO_WEB_SITE ?? path.join(root, 'build/web');
export const nativeBin = process.env.INTRO_NATIVE_BIN ?? path.join(root, 'build/native/bin');
export const pagesText = process.env.INTRO_PAGES_TEXT ?? path.join(root, 'src/data/text/pages.txt');
export const browserNames = (process.env.INTRO_BROWSERS ?? 'chromium,firefox').split(',').filter(Boolean);
const executables = {
  chromium: process.env.INTRO_CHROMIUM ?? '/usr/bin/chromium',
  firefox: process.env.INTRO_FIREFOX ?? '/usr/bin/firefox-esr',
};
export const ScreenWidth = 528, ScreenHeight = 384;

// Flags that keep Chromium off the network at start-up (the machine's network
// is closed) and let it run as root without a display.
const chromiumFlags = ['--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
  '--disable-background-networking', '--disable-component-update', '--disable-sync'];
// Firefox's services that would reach for the network; puppeteer turns off most others.
const firefoxPrefs = {
  'network.captive-portal-service.enabled': false,
  'network.connectivity-service.enabled': false,
  'browser.safebrowsing.update.enabled': false,
  'extensions.getAddons.cache.enabled': false,
};

// Serves, on a free port, the site and copies of it that each lack one file:
// `${url}` is the whole page, `${url}without/${file}/` the page without it.
export function serveSite(withoutFiles = []) {
  const dir = mkdtempSync(path.join(tmpdir(), 'intro-site-'));
  cpSync(siteDir, dir, { recursive: true });
  for (const file of withoutFiles) {
    const copy = path.join(dir, 'without', file);
    cpSync(siteDir, copy, { recursive: true });
    rmSync(path.join(copy, file));
  }
  return serveFolder(dir);
}

// Serves `dir` on a free port; stop() also removes it.
export function serveFolder(dir) {
  return new Promise((resolve, reject) => {
    const server = spawn('python3', ['-u', '-m', 'http.server', '0', '--bind', '127.0.0.1',
      '--directory', dir], { stdio: ['ignore', 'pipe', 'pipe'] });
    let said = '';
    server.stdout.on('data', (chunk) => {
      said += chunk;
      const port = said.match(/port (\d+)/);
      if (port) {
        resolve({
          url: `http://127.0.0.1:${port[1]}/`,
          stop: () => { server.kill(); rmSync(dir, { recursive: true, force: true }); },
        });
      }
    });
    server.on('exit', (code) => reject(new Error(`http.server ended (${code}) before serving: ${said}`)));
  });
}

// Records console errors, page errors and failed or refused requests of a
// page: a normal run has none (the page asks only for files that are there).
function watch(page, problems) {
  page.on('console', (m) => {
    if (m.type() === 'error') problems.push(`console: ${m.text()}`);
  });
  page.on('pageerror', (e) => problems.push(`page error: ${e.message}`));
  page.on('requestfailed', (r) => problems.push(`request failed: ${r.url()} ${r.failure()?.errorText}`));
  page.on('response', (r) => {
    if (r.status() >= 400) problems.push(`HTTP ${r.status()}: ${r.url()}`);
  });
}

// One browser (`chromium` or `firefox`) with its own throw-away profile.
// Pages opened with `open` record their problems in `problems`, or in the
// list given (for pages whose faults are the test).
export async function launchBrowser(name) {
  const profile = mkdtempSync(path.join(tmpdir(), `intro-${name}-`));
  const common = { executablePath: executables[name], headless: true, userDataDir: profile,
    defaultViewport: { width: 1100, height: 800 } };
  const browser = await puppeteer.launch(name === 'firefox'
    ? { ...common, browser: 'firefox', extraPrefsFirefox: firefoxPrefs }
    : { ...common, browser: 'chrome', args: chromiumFlags });
  const problems = [];
  return {
    name, browser, problems,
    async open(url, { problems: list = problems, beforeScripts } = {}) {
      const page = await browser.newPage();
      watch(page, list);
      if (beforeScripts) await page.evaluateOnNewDocument(beforeScripts);
      await page.goto(url);
      return page;
    },
    close: async () => { await browser.close(); rmSync(profile, { recursive: true, force: true }); },
  };
}

export const sleep = (ms) => new Promise((resolve) => setTimeout(resolve, ms));

// The canvas `id` as RGBA bytes, read in one page task (base64 keeps the
// transfer small), with whatever else `alsoRead` returns from that same task.
export async function readCanvas(page, id = 'intro', alsoRead = '({})') {
  const shown = await page.evaluate((canvasId, extra) => {
    const canvas = document.getElementById(canvasId);
    const data = canvas.getContext('2d').getImageData(0, 0, canvas.width, canvas.height).data;
    const result = (0, eval)(extra);
    let text = '';
    for (let i = 0; i < data.length; i += 0x8000) text += String.fromCharCode.apply(null, data.subarray(i, i + 0x8000));
    return { ...result, width: canvas.width, height: canvas.height, pixels: btoa(text) };
  }, id, alsoRead);
  return { ...shown, pixels: new Uint8Array(Buffer.from(shown.pixels, 'base64')) };
}

// The screens intro-preview shows after each of `steps` acting frame steps,
// as RGBA bytes, from one run of its --sheet.
export function previewScreens(steps, pack) {
  const moments = [...new Set(steps)].sort((a, b) => a - b);
  const dir = mkdtempSync(path.join(tmpdir(), 'intro-preview-'));
  try {
    const file = path.join(dir, 'sheet.png');
    execFileSync(path.join(nativeBin, 'intro-preview'),
      ['--sheet', moments.join(','), '-o', file, ...(pack ? ['--content', pack] : [])]);
    const sheet = readRgbPng(readFileSync(file));
    const screens = new Map();
    moments.forEach((moment, i) => {
      const at = 4 * ScreenWidth * i * (ScreenHeight + 8);
      screens.set(moment, sheet.rgba.subarray(at, at + 4 * ScreenWidth * ScreenHeight));
    });
    return steps.map((n) => screens.get(n));
  } finally {
    rmSync(dir, { recursive: true, force: true });
  }
}
export const previewScreen = (steps, pack) => previewScreens([steps], pack)[0];

// The text pages of pages.txt, each as its list of lines.
export function sourcePages() {
  const pages = [];
  let page = null;
  for (const line of readFileSync(pagesText, 'latin1').split('\n').map((l) => l.replace(/\r$/, ''))) {
    if (line.startsWith(';')) continue;
    if (page === null && line === 'page') page = [];
    else if (page !== null && line === 'end') { pages.push(page); page = null; }
    else if (page !== null) page.push(line);
  }
  return pages;
}

// Acting steps until page `index` (0 or 1) is typed whole and held: one
// that starts the page, then one per character, its line breaks ']' and its
// final '|' included; each page is held for 250 steps.
export function pageSteps(index) {
  const length = (page) => page.join(']').length + 1;
  const pages = sourcePages();
  return index === 0 ? 1 + length(pages[0]) : 1 + length(pages[0]) + 250 + length(pages[1]);
}

// The lines of page 0 complete after `steps` acting steps (to the end of its
// hold), the empty ones left out: what the page's text log should hold.
export function typedLines(steps) {
  const text = sourcePages()[0].join(']') + '|';
  if (steps > pageSteps(0) + 249) throw new Error(`step ${steps} is past page 0`);
  const lines = text.slice(0, Math.max(0, steps - 1)).split(/[\]|]/);
  lines.pop();
  return lines.map((line) => line.trim()).filter((line) => line !== '');
}

// A screen as the page's own message lines look, built from nothing but
// intro-preview's picture of page 0 held: every glyph cell is copied from
// where page 0 typed that character, every other cell from the always-empty
// top-left cell. `text` is centred on cell row `row` of 33 columns.
export function screenWithLine(text, row) {
  const shown = previewScreen(pageSteps(0) + 10);
  const where = new Map();
  sourcePages()[0].forEach((line, y) => {
    [...line].forEach((c, x) => { if (x < 32 && !where.has(c)) where.set(c, [1 + x, 2 + y]); });
  });
  const out = new Uint8Array(4 * ScreenWidth * ScreenHeight);
  const first = (33 - text.length) >> 1;
  for (let cy = 0; cy < 24; ++cy) {
    for (let cx = 0; cx < 33; ++cx) {
      const c = cy === row && cx >= first && cx < first + text.length ? text[cx - first] : ' ';
      if (c !== ' ' && !where.has(c)) throw new Error(`page 0 has no '${c}' to copy`);
      const [fx, fy] = c === ' ' ? [0, 0] : where.get(c);
      for (let y = 0; y < 16; ++y) {
        const from = 4 * ((16 * fy + y) * ScreenWidth + 16 * fx);
        out.set(shown.subarray(from, from + 64), 4 * ((16 * cy + y) * ScreenWidth + 16 * cx));
      }
    }
  }
  return out;
}

// modrender's rendering of the built-in song (or the song of the content
// pack `pack`) from the first pre-fill frame on: `frames` stereo frames as
// interleaved 16-bit samples.
export function modrenderSamples(frames, pack) {
  const seconds = String(frames / 44100);
  const raw = execFileSync(path.join(nativeBin, 'modrender'),
    [pack ?? '--builtin', '--raw', '--include-prefill', '--seconds', seconds, '-o', '-'], { maxBuffer: 1 << 26 });
  return new Int16Array(raw.buffer, raw.byteOffset, 2 * frames);
}

// Index of the first difference of two sample or pixel arrays, -1 when equal.
export function firstDifference(a, b) {
  if (a.length !== b.length) return Math.min(a.length, b.length);
  for (let i = 0; i < a.length; ++i) if (a[i] !== b[i]) return i;
  return -1;
}

// "(x, y)" of a byte index into 528-pixel-wide RGBA.
export const pixelAt = (index) => `(${(index >> 2) % ScreenWidth}, ${Math.floor((index >> 2) / ScreenWidth)})`;

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
