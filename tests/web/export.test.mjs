// The maker's song.wav and video downloads, in each browser: the WAV is
// modrender's file byte for byte; the video (the song's first pass at scale
// 2) decodes with ffmpeg to intro-capture's frame count and length, its
// frames match intro-preview's screens and intro-capture's frames scaled the
// same way, and its sound lines up with modrender's; Cancel saves nothing and
// leaves no worker.
import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import { cpSync, mkdtempSync, readFileSync, rmSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import path from 'node:path';
import { after, before, describe, test } from 'node:test';
import { fileURLToPath } from 'node:url';
import { browserNames, launchBrowser, nativeBin, previewScreens, serveFolder, sleep } from './harness.mjs';

const makerDir = process.env.INTRO_MAKER_SITE ?? fileURLToPath(new URL('../../build/maker', import.meta.url));
const Width = 528, Height = 384, Scale = 2, PrefillFrames = 32000;
// Pictures are compared by their luma (BT.709, studio range, as the video
// carries it), where the text and its timing are: the 4:2:0 chroma of the
// half-bright scan lines is filtered differently by each browser's encoder.
// The frames measure 48-50 dB (Chromium) and 43-48 (Firefox); a frame
// one typed character off, the smallest error, measures under 39 dB.
const MinPsnr = 40;

const work = mkdtempSync(path.join(tmpdir(), 'maker-export-'));
const file = (name) => path.join(work, name);
const run = (program, args) => execFileSync(program, args, { maxBuffer: 1 << 28, stdio: ['ignore', 'pipe', 'pipe'] });
const tool = (name, args) => run(path.join(nativeBin, name), args);
// intro-pack's pack of the maker's own content: what the maker builds and plays.
tool('intro-pack', [path.join(makerDir, 'content/intro'), '-o', file('content.intro')]);

const waitFor = async (page, condition, what, ms = 20000) => {
  for (const end = Date.now() + ms; Date.now() < end; await sleep(50)) if (await page.evaluate(condition)) return;
  throw new Error(`waited ${ms} ms for ${what}`);
};
// The bytes of the page's `index`-th saved file.
const savedBytes = async (page, index) => Buffer.from(await page.evaluate(async (i) => {
  const bytes = new Uint8Array(await makerExports.saved[i].blob.arrayBuffer());
  let text = '';
  for (let at = 0; at < bytes.length; at += 0x8000) text += String.fromCharCode.apply(null, bytes.subarray(at, at + 0x8000));
  return btoa(text);
}, index), 'base64');
async function exportFile(page, button, seconds, ms) {
  const count = await page.evaluate('makerExports.saved.length');
  await page.evaluate((s) => { document.getElementById('export-seconds').value = s; }, seconds);
  await page.click(button);
  await waitFor(page, `makerExports.saved.length > ${count} || /: .*(fail|problem|cannot|no )/.test(document.getElementById('status').textContent)`, button, ms);
  assert.equal(await page.evaluate('makerExports.saved.length'), count + 1, await page.$eval('#status', (e) => e.textContent));
  return { bytes: await savedBytes(page, count), last: await page.evaluate('makerExports.last') };
}

// PSNR in dB of two byte arrays.
function psnr(a, b) {
  let sum = 0;
  for (let i = 0; i < a.length; ++i) sum += (a[i] - b[i]) ** 2;
  return sum === 0 ? Infinity : 10 * Math.log10(255 * 255 / (sum / a.length));
}
const luma = (r, g, b) => Math.round(16 + (219 / 255) * (0.2126 * r + 0.7152 * g + 0.0722 * b));
// The luma of intro-preview's RGBA screen, `Scale` times as large with nearest neighbours.
function scaledLuma(rgba) {
  const out = Buffer.alloc(Width * Scale * Height * Scale);
  for (let y = 0; y < Height * Scale; ++y) {
    for (let x = 0; x < Width * Scale; ++x) {
      const from = 4 * (Math.floor(y / Scale) * Width + Math.floor(x / Scale));
      out[y * Width * Scale + x] = luma(rgba[from], rgba[from + 1], rgba[from + 2]);
    }
  }
  return out;
}
// The lag (in frames, -range..range) at which `b`'s left channel best matches
// `a`'s over `length` frames from `start`, and the normalised correlation there.
function bestLag(a, b, start, length, range) {
  let best = { lag: 0, correlation: -1 };
  for (let lag = -range; lag <= range; ++lag) {
    let ab = 0, aa = 0, bb = 0;
    for (let i = start; i < start + length; ++i) {
      const x = a[2 * i], y = b[2 * (i + lag)];
      ab += x * y; aa += x * x; bb += y * y;
    }
    const correlation = ab / Math.sqrt(aa * bb || 1);
    if (correlation > best.correlation) best = { lag, correlation };
  }
  return best;
}

after(() => rmSync(work, { recursive: true, force: true }));

for (const name of browserNames) {
  describe(`the maker's song.wav and video in ${name}`, () => {
    let browser, site, page;
    before(async () => {
      const copy = mkdtempSync(path.join(tmpdir(), 'maker-site-'));
      cpSync(makerDir, copy, { recursive: true });
      site = await serveFolder(copy);  // removed when stopped
      browser = await launchBrowser(name);
      page = await browser.open(site.url);
      await waitFor(page, 'window.maker?.preview !== null && maker.restarts >= 1 && !!window.makerExports', 'the maker');
    });
    after(async () => { await browser?.close(); site?.stop(); });

    test('song.wav is modrender\'s file of the same content, byte for byte', async () => {
      tool('modrender', [file('content.intro'), '-o', file('song.wav')]);
      const { bytes, last } = await exportFile(page, '#get-wav', '', 20000);
      assert.ok(bytes.equals(readFileSync(file('song.wav'))),
        `song.wav (${bytes.length} bytes) differs from modrender's (${readFileSync(file('song.wav')).length} bytes)`);
      console.log(`${name}: song.wav, ${last.seconds.toFixed(1)} s rendered at ${(last.seconds / (last.renderMs / 1000)).toFixed(0)}x real time`);
      const short = await exportFile(page, '#get-wav', '2.5', 20000);
      tool('modrender', [file('content.intro'), '--seconds', '2.5', '-o', file('short.wav')]);
      assert.ok(short.bytes.equals(readFileSync(file('short.wav'))), 'a chosen length differs from modrender --seconds');
    });

    test('the video of the first pass decodes to intro-capture\'s time line, pictures and sound', async () => {
      const noVideo = await page.evaluate(async () => {
        const { chooseEncoders, noEncoderReason } = await import('./export-codecs.js');
        const { video, sound } = await chooseEncoders(1056, 768);
        return video && sound ? '' : noEncoderReason(video, sound);
      });
      if (noVideo) {
        console.log(`${name}: no video: ${noVideo}`);
        return;
      }
      const { bytes, last } = await exportFile(page, '#get-video', '', 300000);
      const seconds = last.frames / 50;
      console.log(`${name}: video of the first pass (${seconds.toFixed(1)} s) at scale 2 rendered at ` +
        `${(seconds / (last.renderMs / 1000)).toFixed(2)}x real time with ${last.encoders}, ${bytes.length} bytes`);
      writeFileSync(file('intro.mp4'), bytes);

      // As many frames as intro-capture makes: to the 20 ms frame that holds the song's end.
      // modrender's song.wav (made above) holds the song's first pass after the pre-fill.
      const songFrames = (readFileSync(file('song.wav')).length - 44) / 4;
      const expectedFrames = Math.ceil((PrefillFrames + songFrames) / 882);
      const probe = String(run('ffprobe', ['-v', 'error', '-count_frames', '-select_streams', 'v:0', '-show_entries',
        'stream=nb_read_frames,width,height:format=duration', '-of', 'compact=p=0:nk=1', file('intro.mp4')]));
      const [[width, height, frames], [duration]] = probe.trim().split('\n').map((line) => line.split('|').map(Number));
      assert.deepEqual([width, height, frames], [Width * Scale, Height * Scale, expectedFrames]);
      assert.ok(Math.abs(duration - expectedFrames / 50) < 0.05, `the file lasts ${duration} s, not ${expectedFrames / 50} s`);

      // Frames at moments of the time line: before the first step, the first
      // steps, a step on a frame's millisecond, typing, page 0's hold, the end.
      const moments = [10, 30, 40, 51, 300, 1000, expectedFrames - 1];
      const stepsBy = (ms) => (ms < 600 ? 0 : Math.floor((ms - 600) / 21) + 1);
      run('ffmpeg', ['-y', '-v', 'error', '-i', file('intro.mp4'), '-vf',
        `select='${moments.map((n) => `eq(n\\,${n})`).join('+')}'`, '-fps_mode', 'passthrough', '-f', 'rawvideo',
        '-pix_fmt', 'yuv420p', file('frames.yuv')]);
      const decoded = readFileSync(file('frames.yuv')), lumaBytes = Width * Scale * Height * Scale;
      assert.equal(decoded.length, moments.length * lumaBytes * 1.5);
      const shown = (i) => decoded.subarray(i * lumaBytes * 1.5, i * lumaBytes * 1.5 + lumaBytes);
      const screens = previewScreens(moments.map((n) => stepsBy(20 * n)), file('content.intro'));
      const qualities = moments.map((n, i) => psnr(shown(i), scaledLuma(screens[i])));
      console.log(`${name}: PSNR (luma) of frames ${moments.join(', ')} against intro-preview: ` +
        `${qualities.map((q) => q.toFixed(1)).join(', ')} dB`);
      moments.forEach((n, i) => assert.ok(qualities[i] >= MinPsnr,
        `frame ${n} (${20 * n} ms, ${stepsBy(20 * n)} steps): PSNR ${qualities[i].toFixed(1)} dB`));

      // intro-capture's exact frame at the same moments (a step on the frame's
      // millisecond, the last frame of the pass) is the same picture.
      for (const n of [51, expectedFrames - 1]) {
        tool('intro-capture', ['--lossless', '--from', String(n / 50), '--seconds', '0.02', '-o', file('moment.mkv')]);
        const rgb = run('ffmpeg', ['-y', '-v', 'error', '-i', file('moment.mkv'), '-map', '0:v', '-f', 'rawvideo',
          '-pix_fmt', 'rgba', '-']);
        const quality = psnr(shown(moments.indexOf(n)), scaledLuma(rgb));
        assert.ok(quality >= MinPsnr, `frame ${n} differs from intro-capture's: PSNR ${quality.toFixed(1)} dB`);
      }

      // The sound from the start-up on, against modrender's with its pre-fill: no lag.
      const heard = run('ffmpeg', ['-y', '-v', 'error', '-i', file('intro.mp4'), '-map', '0:a', '-ar', '44100', '-ac', '2',
        '-f', 's16le', '-']);
      const rendered = tool('modrender', [file('content.intro'), '--raw', '--include-prefill', '--seconds', '6', '-o', '-']);
      const samples = (bytes) => new Int16Array(bytes.buffer, bytes.byteOffset, bytes.length >> 1);
      const { lag, correlation } = bestLag(samples(rendered), samples(heard), 3 * 44100, 22050, 2000);
      console.log(`${name}: the video's sound against modrender's: lag ${lag} frames, correlation ${correlation.toFixed(4)}`);
      // Within 48 frames (1.1 ms): the browser resamples for Opus, which lags a little.
      assert.ok(Math.abs(lag) <= 48, `the sound is ${lag} frames off`);
      assert.ok(correlation >= 0.95, `the sound correlates only ${correlation.toFixed(3)}`);
    });

    test('without the encoders the video button says why and offers the other downloads', async () => {
      const bare = await browser.open(site.url, {
        beforeScripts: 'delete window.VideoEncoder; delete window.AudioEncoder;' });
      await waitFor(bare, 'window.maker?.preview !== null && maker.restarts >= 1 && !!window.makerExports', 'the maker');
      await bare.click('#get-video');
      await waitFor(bare, `/^No video: /.test(document.getElementById('status').textContent)`, 'the reason');
      const shown = await bare.evaluate(() => ({ status: document.getElementById('status').textContent,
        button: document.getElementById('get-video').textContent, focused: document.activeElement.id,
        running: makerExports.running, saved: makerExports.saved.length }));
      assert.deepEqual(shown, { status: 'No video: this browser has no H.264 or VP9 video encoder and no AAC or Opus ' +
        'sound encoder (WebCodecs). Download intro.exe, content.intro or the web folder (.zip) instead.',
      button: 'video (not in this browser)', focused: shown.focused, running: null, saved: 0 });
      assert.match(shown.focused, /^get-(exe|pack|web)$/);
      await bare.close();
    });

    test('Cancel saves nothing and ends the worker; the next export works', async () => {
      const count = await page.evaluate('makerExports.saved.length');
      await page.evaluate(() => { document.getElementById('export-seconds').value = ''; });
      await page.click('#get-video');
      await waitFor(page, `makerExports.running !== null && document.getElementById('export-progress').value > 0`,
        'the first progress', 30000);
      await page.click('#export-cancel');
      assert.equal(await page.evaluate('makerExports.running'), null);
      await sleep(1000);
      // Chromium's protocol lists the page's workers.
      if (name === 'chromium') assert.deepEqual(page.workers().map((worker) => worker.url()).filter((url) => /export/.test(url)), []);
      assert.equal(await page.evaluate('makerExports.saved.length'), count, 'a cancelled export was saved');
      assert.match(await page.$eval('#status', (e) => e.textContent), /cancelled/);
      const { bytes, last } = await exportFile(page, '#get-video', '1', 60000);
      assert.equal(last.frames, 50);
      assert.ok(bytes.length > 1000);
    });
  });
}
