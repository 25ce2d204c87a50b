// The typing on the reference timeline, whatever the screen's refresh rate:
// after the start gesture the 600 ms start-up wait, the first frame step at
// 600 ms and one every 21 ms, so at clock c ms after the gesture
//   steps(c) = c < 600 ? 0 : floor((c - 600) / 21) + 1
// and the canvas is intro-preview's screen after steps(c) acting steps.
// Module._WebClock() is the clock up to which the driver has advanced.
import assert from 'node:assert/strict';
import { test } from 'node:test';
import { firstDifference, previewScreens, readCanvas } from './harness.mjs';
import { openIntro } from './picture-and-sound.mjs';

const referenceSteps = (clock) => (clock < 600 ? 0 : Math.floor((clock - 600) / 21) + 1);
const Moments = [2000, 4000, 6000];  // ms after the gesture: page 0 typing, typing, held

// Runs before the page's scripts. Counts the animation frames the page asks
// for; with `hz`, replaces requestAnimationFrame by frames at that rate,
// each given its frame time, a multiple of the period, as the browser's are.
function frameRate(hz) {
  window.introFrameCount = 0;
  if (!hz) {
    const native = window.requestAnimationFrame.bind(window);
    window.requestAnimationFrame = (callback) => native((time) => { ++window.introFrameCount; callback(time); });
    return;
  }
  const period = 1000 / hz;
  let queue = [], timer = 0, frame = -1;  // frame: the index of the last frame run
  const run = () => {
    timer = 0;
    ++window.introFrameCount;
    // A late timer runs the frame that is due now; the ones it missed are lost.
    frame = Math.max(frame + 1, Math.floor(performance.now() / period));
    const due = queue;
    queue = [];
    for (const callback of due) callback(frame * period);
  };
  window.requestAnimationFrame = (callback) => {
    queue.push(callback);
    if (!timer) {
      // Never the same frame twice, even when the timer fired a little early.
      const now = performance.now(), next = Math.max(frame + 1, Math.floor(now / period) + 1);
      timer = setTimeout(run, Math.max(0, next * period - now));
    }
    return queue.length;
  };
}

export function timeline(env) {
  for (const hz of [0, 30, 144]) {
    const label = hz ? `requestAnimationFrame forced to ${hz} Hz` : 'the browser\'s own requestAnimationFrame';
    test(`with ${label}, the canvas follows the reference timeline`, async () => {
      const page = await openIntro(env, '', { beforeScripts: `(${frameRate})(${hz})` });
      await page.mouse.click(300, 300);
      const readings = [];
      for (const moment of Moments) {
        await page.waitForFunction((ms) => introState.started && introState.beginTime > 0 &&
          performance.now() - introState.beginTime >= ms, { polling: 10, timeout: moment + 20000 }, moment);
        // Canvas, clock and step count from one task: no frame falls between them.
        readings.push(await readCanvas(page, 'intro', `({ clock: Module._WebClock(),
          steps: Module._WebActingSteps(), elapsed: performance.now() - introState.beginTime,
          frames: introFrameCount })`));
      }
      await page.close();

      const first = readings[0], last = readings.at(-1);
      const seconds = (last.elapsed - first.elapsed) / 1000;
      console.log(`${env.browser.name}, ${label}: ${((last.frames - first.frames) / seconds).toFixed(1)} frames/s, ` +
        `${((last.steps - first.steps) / seconds).toFixed(1)} acting steps/s (the reference: ${(1000 / 21).toFixed(1)})`);
      for (const { clock, steps, elapsed, pixels } of readings) {
        // The driver may not run ahead of the page's own clock.
        assert.ok(clock <= elapsed + 1, `clock ${clock.toFixed(1)} ms is ahead of the ${elapsed.toFixed(1)} ms elapsed`);
        // Within one step: the clock is performance.now() in fractional
        // milliseconds, but the driver's gate counts whole milliseconds of the
        // frame's time (as GetTickCount does), so a step due at 600 + 21 k ms
        // may act up to a millisecond before or after the clock says it is
        // due; near such a moment the count may be one off either way.
        const reference = referenceSteps(clock);
        const candidates = [reference - 1, reference, reference + 1].filter((n) => n >= 0);
        const screens = previewScreens(candidates);
        const matched = candidates.filter((n, i) => firstDifference(pixels, screens[i]) === -1);
        assert.ok(matched.length > 0, `at clock ${clock.toFixed(1)} ms the canvas is none of intro-preview ` +
          `--steps ${candidates.join(', ')} (the reference is ${reference}; the driver acted ${steps} times)`);
      }
      // The clock itself keeps up with time: the driver catches up rather
      // than letting its clock fall behind (frames may come late, not lost).
      const kept = (last.clock - first.clock) / (last.elapsed - first.elapsed);
      assert.ok(kept > 0.9, `the clock advanced ${(100 * kept).toFixed(1)} % as fast as time`);
    });
  }
}
