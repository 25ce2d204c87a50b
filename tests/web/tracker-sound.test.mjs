// The tracker's sound, sample for sample, in each browser: an edit while the
// song plays (a note in a later entry, then a drawn volume of the bass that
// plays throughout) goes on from the entry, row and tick heard and plays what
// modrender renders of the page's new text from there; a note key with the
// song stopped sounds the instrument's note as the song's voice 0 plays it
// alone. The worklet records with ?test-record.
import assert from 'node:assert/strict';
import { after, before, describe, test } from 'node:test';
import { browserNames, firstDifference } from './harness.mjs';
import { modrenderFrom, openTracker, songText, waitFor } from './tracker-page.mjs';

const TickFrames = 44100 / 50;

// A key as the grid gets it: `types` of its events, in order.
async function pressKey(page, code, key, types = ['keydown', 'keyup']) {
  await page.evaluate((c, k, ts) => {
    for (const type of ts) {
      document.activeElement.dispatchEvent(new KeyboardEvent(type, { code: c, key: k, bubbles: true, cancelable: true }));
    }
  }, code, key, types);
  await page.evaluate(() => maker.tracker.queue);
}


// The first line of `after` that differs from `before`.
const changedLine = (before, after) => {
  const old = before.split('\n');
  return after.split('\n').find((line, i) => line !== old[i]);
};

for (const name of browserNames) {
  describe(`the tracker's sound in ${name}`, () => {
    let browser, site, page;
    before(async () => { ({ browser, site, page } = await openTracker(name)); });
    after(async () => { await browser?.close(); site?.stop(); });

    // The edit `make` while the song plays: the swap keeps the entry, row and
    // tick heard, and its first 4 s (the recording's length) are modrender's
    // render of the new text from there. Returns that text and place.
    async function swapIn(make, what) {
      const textBefore = await songText(page);
      const swaps = await page.evaluate(() => { maker.recording = null; return maker.swaps.length; });
      await make();
      await waitFor(page, 'maker.recording !== null && maker.recordedFrom.kind === "swap"', `4 s recorded after the ${what}`);
      const { swap, from, played, swapCount } = await page.evaluate(() => ({
        swap: maker.swaps.at(-1), from: maker.recordedFrom, played: Array.from(maker.recording), swapCount: maker.swaps.length,
      }));
      const text = await songText(page);
      assert.notEqual(text, textBefore, `the ${what} changed no text`);
      assert.equal(swapCount, swaps + 1, `one swap for the ${what}`);
      assert.equal(swap.swapped, true);
      const place = `${swap.entry}:${swap.row}:${swap.tick}`;
      assert.equal(place, `${swap.before.entry}:${swap.before.row}:${swap.before.tick}`, 'the place heard before the swap');
      assert.equal(`${from.entry}:${from.row}:${from.tick}`, place, 'where the recording began');
      const expected = modrenderFrom(text, place, played.length / 2);
      const differs = firstDifference(Int16Array.from(played), expected);
      assert.equal(differs, -1, `after the ${what}, the worklet's samples differ from modrender --from ${place} at ${differs}`);
      assert.ok(expected.some((sample) => sample !== 0), 'modrender rendered silence');
      return { text, textBefore, place, played };
    }

    test('an edit while the song plays goes on from the entry, row and tick heard, as modrender renders the new text from there', async () => {
      // From entry 4 on, the bass (voice 0) plays with the instrument "bass" in every entry.
      await page.click('.sequence [data-entry="4"]');
      await page.evaluate(() => { maker.recording = null; });
      await page.click('[data-play="entry"]');
      await waitFor(page, 'maker.recording !== null && maker.recordedFrom.kind === "start"', 'the first 4 s played');
      // A note two entries ahead, past the recording's 4 s. Its audition's note
      // on and off reach the worklet before the song the tools build from it.
      const later = await page.evaluate(() => maker.entry + 2);
      const note = await swapIn(async () => {
        await page.click(`.sequence [data-entry="${later}"]`);
        await page.evaluate(() => maker.tracker.moveTo(5, 3, 0));
        await pressKey(page, 'KeyE', 'e');
      }, 'note in a later entry');
      // The bass's first volume step (64) drawn at half height: heard at
      // once, so the old song from the same place sounds otherwise.
      const drawn = await swapIn(async () => {
        await page.select('.tracker-bar .instrument', 'bass');
        await page.$eval('.volume-graph', (graph) => graph.scrollIntoView());  // the mouse reaches the view only
        const bars = await (await page.$('.volume-graph')).boundingBox();
        await page.mouse.move(bars.x + 2, bars.y + bars.height / 2);
        await page.mouse.down();
        await page.mouse.up();
      }, 'drawn bass volume');
      assert.match(changedLine(drawn.textBefore, drawn.text), /^ {2}\d+ /, 'the bass volume line redrawn');
      const old = modrenderFrom(drawn.textBefore, drawn.place, drawn.played.length / 2);
      assert.notEqual(firstDifference(Int16Array.from(drawn.played), old), -1, 'the old song was heard after the swap');
      console.log(`${name}: swaps went on at ${note.place} and ${drawn.place} (entry:row:tick), ` +
        `${note.played.length / 2} and ${drawn.played.length / 2} frames each equal to modrender's`);
      await page.click('[data-play="stop"]');
    });

    // The audition renders its note from its first frame as a stream started
    // with it renders a song, which is what `modrender --from 0` writes: tick 1
    // on frame 0, 4000-frame blocks from there (without --from the ticks fall
    // where the 32000-frame pre-fill leaves them). It is centred, both sides at
    // voice 0's left level; the song's voice 0 has a quarter of it on the right.
    // The recording is sent in the render quantum (128 frames) in which the note
    // ended, so all but that quantum sounded the note.
    test('a note key with the song stopped sounds the instrument\'s note as the song\'s voice 0 plays it alone', async () => {
      await page.click('[data-play="stop"]');
      await page.select('.tracker-bar .instrument', 'lead');
      await page.click('.sequence [data-entry="4"]');
      await page.evaluate(() => { maker.tracker.moveTo(0, 0, 0); maker.noteRecording = null; });
      const textBefore = await songText(page);
      await pressKey(page, 'KeyQ', 'q', ['keydown']);  // held until the lead's volume macro ends
      await waitFor(page, 'maker.noteRecording !== null', 'the note recorded');
      await pressKey(page, 'KeyQ', 'q', ['keyup']);
      const recorded = await page.evaluate(() => Array.from(maker.noteRecording));
      const note = changedLine(textBefore, await songText(page)).trim().split(/\s+/)[0];
      assert.match(note, /^[A-G][-#][1-4]$/, 'the note typed');
      const frames = recorded.length / 2 - 128;
      assert.ok(frames >= 40 * TickFrames, `the lead's note lasted ${recorded.length / 2} frames`);

      const solo = `${textBefore.slice(0, textBefore.indexOf('\nsequence') + 1)}pattern solo\n  ${note} lead\n  --- *31\n` +
        'pattern rest\n  --- *32\nsequence\n  solo rest rest rest speed=6\n';
      const alone = modrenderFrom(solo, '0', frames);
      let left = -1, centred = -1, sounding = 0, panned = 0;
      for (let i = 0; i < frames; ++i) {
        if (left < 0 && recorded[2 * i] !== alone[2 * i]) left = i;
        if (centred < 0 && recorded[2 * i + 1] !== recorded[2 * i]) centred = i;
        sounding += alone[2 * i] !== 0;
        panned += alone[2 * i + 1] !== alone[2 * i];
      }
      assert.equal(left, -1, `the note's left side differs from voice 0 alone (${note} lead, modrender --from 0) at frame ${left}`);
      assert.equal(centred, -1, `the note is not centred at frame ${centred}`);
      assert.ok(sounding > frames / 2, 'voice 0 alone rendered silence');
      assert.ok(panned > 0, 'voice 0 alone sounds alike on both sides: its right side would be compared too');
      console.log(`${name}: the note ${note} lead sounded ${recorded.length / 2} frames, ${frames} compared`);
    });
  });
}
