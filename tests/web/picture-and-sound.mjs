// The picture against intro-preview, the worklet's samples against
// modrender, a stalled main thread, a hidden page and Escape.
import assert from 'node:assert/strict';
import { after, before, describe, test } from 'node:test';
import { firstDifference, modrenderSamples, pixelAt, previewScreen, readCanvas, sleep } from './harness.mjs';

const Rate = 44100;
const RecordFrames = 8 * Rate;
const Background = [19, 0, 71], HalfBackground = [9, 0, 35];

export async function openIntro(env, query = '', options = {}) {
  const page = await env.browser.open(env.site().url + query, options);
  await page.waitForFunction(() => introState.ready);
  return page;
}
const actingSteps = (page) => page.evaluate(() => Module._WebActingSteps());
const framesPlayed = (page) => page.evaluate(() => introSound.framesPlayed);

export function pictureAndSound(env) {
  test('after the gesture, page 0 held on the canvas is intro-preview\'s screen', async () => {
    const page = await openIntro(env);
    await page.mouse.click(300, 300);
    // The main thread's share while typing, for the report (no pass mark
    // here). Only Chromium tells it (its task duration metric).
    if (env.browser.name === 'chromium') {
      const before = (await page.metrics()).TaskDuration, wallBefore = Date.now();
      await sleep(10000);
      const share = ((await page.metrics()).TaskDuration - before) / ((Date.now() - wallBefore) / 1000);
      console.log(`chromium: main-thread busy while typing: ${(100 * share).toFixed(2)} % of one core over 10 s`);
    }
    // Canvas and step count read in one task, so no frame falls in between.
    await page.waitForFunction(() => Module._WebHeldPage() === 0, { timeout: 30000, polling: 50 });
    const shown = await readCanvas(page, 'intro', '({ steps: Module._WebActingSteps(), held: Module._WebHeldPage() })');
    assert.equal(shown.held, 0);
    const at = firstDifference(shown.pixels, previewScreen(shown.steps));
    assert.equal(at, -1, `canvas differs from intro-preview --steps ${shown.steps} at pixel ${pixelAt(at)}`);
    await page.close();
  });

  describe('with the test-only recording switch', () => {
    let page;
    before(async () => { page = await openIntro(env, '?test-record'); });
    after(async () => { await page?.close(); });

    test('the first 8 s played equal modrender --builtin, through a 300 ms main-thread block', async () => {
      await page.mouse.click(300, 300);
      await page.waitForFunction(() => introSound.framesPlayed >= 2 * 44100, { polling: 50 });
      const blockedAt = await framesPlayed(page);
      await page.evaluate(() => { const end = performance.now() + 300; while (performance.now() < end); });
      assert.ok(blockedAt < RecordFrames - Rate, `the block came too late to be recorded (${blockedAt} frames)`);
      await page.waitForFunction(() => introSound.recording !== null, { timeout: 20000, polling: 100 });
      const recording = await page.evaluate(() => Array.from(introSound.recording));
      const expected = Array.from(modrenderSamples(RecordFrames));
      const at = firstDifference(recording, expected);
      assert.equal(at, -1, `played sample ${at} (frame ${at >> 1}) is ${recording[at]}, modrender has ${expected[at]}`);
    });

    test('a hidden page freezes the typing while the music plays on; shown again it types on', async () => {
      // Headless Chromium keeps reporting the page visible when its window is
      // minimized (it only slows animation frames to about one a second), so
      // the test also tells the page it is hidden, as a hidden tab would;
      // in Firefox the test can only do the latter.
      const cdp = env.browser.name === 'chromium' ? await page.createCDPSession() : null;
      const windowId = cdp && (await cdp.send('Browser.getWindowForTarget')).windowId;
      const setHidden = async (hidden) => {
        if (cdp) {
          await cdp.send('Browser.setWindowBounds',
            { windowId, bounds: { windowState: hidden ? 'minimized' : 'normal' } });
        }
        await page.evaluate((value) => {
          Object.defineProperty(document, 'hidden', { configurable: true, get: () => value });
          document.dispatchEvent(new Event('visibilitychange'));
        }, hidden);
      };
      await setHidden(true);
      const [steps, played] = [await actingSteps(page), await framesPlayed(page)];
      await sleep(2000);
      assert.equal(await actingSteps(page), steps, 'typing went on while hidden');
      assert.ok(await framesPlayed(page) > played + Rate, 'the music stopped while hidden');

      await setHidden(false);
      await sleep(1000);
      assert.ok(await actingSteps(page) > steps + 5, 'typing did not resume when shown');
      await cdp?.detach();
    });

    test('Escape stops the music and the typing and shows the end', async () => {
      await page.keyboard.press('Escape');
      await page.waitForFunction(() => introSound.stopped && introSound.context.state === 'closed', { polling: 50 });
      const steps = await actingSteps(page);
      await sleep(500);
      assert.equal(await actingSteps(page), steps, 'typing went on after Escape');
      // The closing line on cell row 12; the rest is the doubled background.
      const { pixels } = await readCanvas(page);
      let textPixels = 0;
      for (let y = 0; y < 384; ++y) {
        for (let x = 0; x < 528; ++x) {
          const rgb = pixels.subarray(4 * (y * 528 + x), 4 * (y * 528 + x) + 3);
          const background = y % 2 ? HalfBackground : Background;
          const isBackground = rgb.every((v, i) => v === background[i]);
          if (y >= 192 && y < 208) textPixels += isBackground ? 0 : 1;
          else assert.ok(isBackground, `pixel (${x}, ${y}) outside the closing line is not background`);
        }
      }
      assert.ok(textPixels > 500, `the closing line is missing (${textPixels} text pixels)`);
      assert.equal(await page.$eval('#intro-status', (e) => e.textContent),
        'The end. Reload the page to start again.');
    });
  });
}
