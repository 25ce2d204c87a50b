// The intro's web page in headless Chromium, end to end: the picture against
// intro-preview, the worklet's samples against modrender, a stalled main
// thread, a hidden page, Escape, and a clean console throughout.
import assert from 'node:assert/strict';
import { after, before, describe, test } from 'node:test';
import { launchChromium, modrenderSamples, previewScreen, serveSite } from './harness.mjs';

const Rate = 44100;
const RecordFrames = 8 * Rate;
const Background = [19, 0, 71], HalfBackground = [9, 0, 35];

let site, browser;
before(async () => {
  site = await serveSite();
  browser = await launchChromium();
});
after(async () => {
  await browser?.close();
  site?.stop();
});

async function openIntro(query = '') {
  const page = await browser.context.newPage();
  await page.goto(site.url + query);
  await page.waitForFunction(() => introState.ready);
  return page;
}

const canvasPixels = (page) => page.evaluate(() => {
  const canvas = document.getElementById('intro');
  return Array.from(canvas.getContext('2d').getImageData(0, 0, canvas.width, canvas.height).data);
});
const actingSteps = (page) => page.evaluate(() => Module._WebActingSteps());
const framesPlayed = (page) => page.evaluate(() => introSound.framesPlayed);

// Index of the first difference of two sample or pixel arrays, -1 when equal.
function firstDifference(a, b) {
  if (a.length !== b.length) return Math.min(a.length, b.length);
  for (let i = 0; i < a.length; ++i) if (a[i] !== b[i]) return i;
  return -1;
}

describe('the intro page in Chromium', () => {
  test('after the gesture, page 0 held on the canvas is intro-preview\'s screen', async () => {
    const page = await openIntro();
    const cdp = await browser.context.newCDPSession(page);
    await cdp.send('Performance.enable');
    await page.mouse.click(300, 300);
    // The main thread's share while typing, for the report (no pass mark here).
    const busy = async () => (await cdp.send('Performance.getMetrics')).metrics
      .find((m) => m.name === 'TaskDuration').value;
    const busyBefore = await busy(), wallBefore = Date.now();
    await page.waitForTimeout(10000);
    const share = (await busy() - busyBefore) / ((Date.now() - wallBefore) / 1000);
    console.log(`main-thread busy while typing: ${(100 * share).toFixed(2)} % of one core over 10 s`);

    // Canvas and step count read in one turn, so no frame falls in between.
    await page.waitForFunction(() => Module._WebHeldPage() === 0, null, { timeout: 30000 });
    const shown = await page.evaluate(() => {
      const canvas = document.getElementById('intro');
      const data = canvas.getContext('2d').getImageData(0, 0, canvas.width, canvas.height).data;
      return { steps: Module._WebActingSteps(), held: Module._WebHeldPage(), pixels: Array.from(data) };
    });
    assert.equal(shown.held, 0);
    const expected = previewScreen(shown.steps);
    assert.deepEqual([expected.width, expected.height], [528, 384]);
    const at = firstDifference(shown.pixels, Array.from(expected.rgba));
    assert.equal(at, -1, `canvas differs from intro-preview --steps ${shown.steps} at pixel ` +
      `(${(at / 4) % 528}, ${Math.floor(at / 4 / 528)})`);
    await page.close();
  });

  describe('with the test-only recording switch', () => {
    let page;
    before(async () => { page = await openIntro('?test-record'); });
    after(async () => { await page?.close(); });

    test('the first 8 s played equal modrender --builtin, through a 300 ms main-thread block', async () => {
      await page.mouse.click(300, 300);
      await page.waitForFunction(() => introSound.framesPlayed >= 2 * 44100);
      const blockedAt = await framesPlayed(page);
      await page.evaluate(() => { const end = performance.now() + 300; while (performance.now() < end); });
      assert.ok(blockedAt < RecordFrames - Rate, `the block came too late to be recorded (${blockedAt} frames)`);
      const recording = await page.waitForFunction(() => introSound.recording && Array.from(introSound.recording),
        null, { timeout: 20000 }).then((handle) => handle.jsonValue());
      const expected = Array.from(modrenderSamples(RecordFrames));
      const at = firstDifference(recording, expected);
      assert.equal(at, -1, `played sample ${at} (frame ${at >> 1}) is ${recording[at]}, modrender has ${expected[at]}`);
    });

    test('a hidden page freezes the typing while the music plays on; shown again it types on', async () => {
      // Headless Chromium keeps reporting the page visible when its window is
      // minimized (it only slows animation frames to about one a second), so
      // the test also tells the page it is hidden, as a hidden tab would.
      const cdp = await browser.context.newCDPSession(page);
      const { windowId } = await cdp.send('Browser.getWindowForTarget');
      const setHidden = (hidden) => page.evaluate((value) => {
        Object.defineProperty(document, 'hidden', { configurable: true, get: () => value });
        document.dispatchEvent(new Event('visibilitychange'));
      }, hidden);
      await cdp.send('Browser.setWindowBounds', { windowId, bounds: { windowState: 'minimized' } });
      await setHidden(true);
      const [steps, played] = [await actingSteps(page), await framesPlayed(page)];
      await page.waitForTimeout(2000);
      assert.equal(await actingSteps(page), steps, 'typing went on while hidden');
      assert.ok(await framesPlayed(page) > played + Rate, 'the music stopped while hidden');

      await cdp.send('Browser.setWindowBounds', { windowId, bounds: { windowState: 'normal' } });
      await setHidden(false);
      await page.waitForTimeout(1000);
      assert.ok(await actingSteps(page) > steps + 5, 'typing did not resume when shown');
    });

    test('Escape stops the music and the typing and shows the end', async () => {
      await page.keyboard.press('Escape');
      await page.waitForFunction(() => introSound.stopped && introSound.context.state === 'closed');
      const steps = await actingSteps(page);
      await page.waitForTimeout(500);
      assert.equal(await actingSteps(page), steps, 'typing went on after Escape');
      // The closing line on cell row 12; the rest is the doubled background.
      const pixels = await canvasPixels(page);
      let textPixels = 0;
      for (let y = 0; y < 384; ++y) {
        for (let x = 0; x < 528; ++x) {
          const rgb = pixels.slice(4 * (y * 528 + x), 4 * (y * 528 + x) + 3);
          const background = y % 2 ? HalfBackground : Background;
          const isBackground = rgb.every((v, i) => v === background[i]);
          if (y >= 192 && y < 208) textPixels += isBackground ? 0 : 1;
          else assert.ok(isBackground, `pixel (${x}, ${y}) outside the closing line is not background`);
        }
      }
      assert.ok(textPixels > 500, `the closing line is missing (${textPixels} text pixels)`);
    });
  });

  test('no console error, page error or failed request on any page', () => {
    assert.deepEqual(browser.problems, []);
  });
});
