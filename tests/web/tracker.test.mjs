// The maker's tracker, in each browser: notes typed by the keys' places (as a
// German and a French keyboard send them) write exactly the rows a person
// would type in song.fcs and undo back to the byte; a sequence edit and a
// note, played from the chosen entry, sound as modasm and modrender make the
// page's text sound from there; an edit while the song plays goes on from
// the place heard without restarting the picture.
import assert from 'node:assert/strict';
import { after, before, describe, test } from 'node:test';
import { browserNames, firstDifference, sleep } from './harness.mjs';
import { modrenderFrom, openTracker, Ready, song, songText, waitFor } from './tracker-page.mjs';

const median = (values) => [...values].sort((a, b) => a - b)[Math.floor(values.length / 2)];

// Keys as a layout sends them: the place (code) and what it prints (key).
// Returns the page's time of the first key's keydown.
async function pressKeys(page, keys) {
  let first;
  for (const [code, key] of keys) {
    const pressed = await page.evaluate((c, k) => {
      const now = performance.now();
      for (const type of ['keydown', 'keyup']) {
        document.activeElement.dispatchEvent(new KeyboardEvent(type, { code: c, key: k, bubbles: true, cancelable: true }));
      }
      return now;
    }, code, key);
    first ??= pressed;
    await page.evaluate(() => maker.tracker.queue);
    // The grid redrawn from the edited text (its view follows the build).
    await page.waitForFunction(() => maker.tracker.viewText === maker.texts['song.fcs'], { polling: 10 });
  }
  return first;
}

// The cell of `row`, `voice` and column (0 note, 1 instrument) of the entry shown, focused.
const focusCell = (page, row, voice, column = 0) => page.evaluate((r, v, c) => {
  maker.tracker.moveTo(r, v, c);
}, row, voice, column);


for (const name of browserNames) {
  describe(`the tracker in ${name}`, () => {
    let browser, site, page;
    before(async () => { ({ browser, site, page } = await openTracker(name)); });
    after(async () => { await browser?.close(); site?.stop(); });

    test('notes typed by the keys\' places write the rows a person would type, and undo gives the text back', async () => {
      const before = await page.evaluate(() => maker.texts);
      await page.click('.sequence [data-entry="4"]');
      await focusCell(page, 0, 0);
      // QWERTZ: Y is where QWERTY's Z is; AZERTY: A, Z and W where QWERTY's Q, W and Z are.
      const german = [['KeyZ', 'y'], ['KeyS', 's'], ['KeyQ', 'q'], ['KeyY', 'z']];
      const french = [['KeyQ', 'a'], ['KeyW', 'z'], ['KeyZ', 'w'], ['Digit2', 'é']];
      await pressKeys(page, [...german, ...french]);
      const lines = song.split('\n');
      const at = lines.indexOf('pattern bass_am_f inst=bass') + 1;
      lines.splice(at, 8, ...['C-2', 'C#2', 'C-3', 'A-3', 'C-3', 'D-3', 'C-2', 'C#3'].map((note) => `  ${note}`));
      assert.equal(await songText(page), lines.join('\n'));
      for (let step = 0; step < 8; ++step) await page.click('#undo');
      assert.deepEqual(await page.evaluate(() => maker.texts), before);
    });

    test('a sequence edit, a note and a drawn volume, played from the chosen entry, sound as modrender plays the page\'s text from there', async () => {
      await page.click('.sequence [data-entry="6"]');
      await page.click('.sequence-buttons [data-do="duplicate"]');
      await page.evaluate(() => maker.tracker.queue);
      await focusCell(page, 4, 3);
      await pressKeys(page, [['KeyE', 'e']]);
      // The lead's first volume step, drawn higher on its graph.
      await page.select('.tracker-bar .instrument', 'lead');
      const bars = await (await page.$('.volume-graph')).boundingBox();
      await page.mouse.move(bars.x + 2, bars.y + 8);
      await page.mouse.down();
      await page.mouse.up();
      await page.evaluate(() => maker.tracker.queue);
      // Its first Hold (the third step) dragged before the slide (the second).
      const scale = bars.width / await page.$eval('.volume-graph', (canvas) => canvas.width);
      const slot = (step) => bars.x + (step * 6 + 3) * scale;
      await page.mouse.move(slot(2), bars.y + bars.height / 2);
      await page.mouse.down();
      await page.mouse.move(slot(1), bars.y + bars.height / 2, { steps: 3 });
      await page.mouse.up();
      await page.evaluate(() => maker.tracker.queue);
      const leadLine = (text) => text.split('\n')[text.split('\n').indexOf(song.split('\n').find((l) => l.startsWith('vol lead '))) + 1];
      const drawn = leadLine(await songText(page)).match(/^ {2}(6[0-4]|5\d) Hold 10 VolumeSlide 4 6 Ramp 58 46 6 /);
      assert.ok(drawn, 'the drawn volume step and the moved Hold');
      // From the keyboard: the step drawn (the one chosen) two lower.
      await page.focus('.volume-graph');
      for (const key of ['ArrowDown', 'ArrowDown']) {
        await page.keyboard.press(key);
        await page.evaluate(() => maker.tracker.queue);
      }
      const text = await songText(page);
      assert.equal(leadLine(text), `  ${Number(drawn[1]) - 2}${leadLine(song).slice(4).replace(' VolumeSlide 4 6 Hold 10', ' Hold 10 VolumeSlide 4 6')}`);
      assert.notEqual(text, song);
      await page.evaluate(() => { maker.recording = null; });
      const entry = await page.evaluate(() => maker.tracker.entry);
      assert.equal(entry, 7);
      // The pack of this text, then the song from the entry's first row.
      await waitFor(page, 'maker.lastEditTime === 0', 'the edited song built');
      await page.click('[data-play="entry"]');
      await waitFor(page, 'maker.recording !== null', 'the first 4 s played');
      const played = await page.evaluate(() => Array.from(maker.recording));
      const expected = modrenderFrom(text, entry, played.length / 2);
      const differs = firstDifference(Int16Array.from(played), expected);
      assert.equal(differs, -1, `the worklet's samples differ from modrender --from ${entry} at ${differs}`);
      assert.ok(expected.some((sample) => sample !== 0), 'modrender rendered silence');
      // With Follow on, the grid shows the entry heard and marks the row heard.
      await page.click('.tracker-bar .follow');
      await waitFor(page, 'document.querySelector(".pattern-grid .playing") !== null', 'a marked row');
      await page.evaluate(() => { maker.placeLags.length = 0; });
      for (let look = 0; look < 20; ++look) {
        // In one page task: the entry and row the grid marks, and those the worklet last told.
        const seen = await page.evaluate(() => [maker.tracker.entry,
          Number(document.querySelector('.pattern-grid .playing')?.getAttribute('aria-rowindex')) - 2, maker.entry, maker.row]);
        assert.deepEqual(seen.slice(0, 2), seen.slice(2), 'the grid marks another place than the worklet plays');
        await sleep(50);
      }
      const lags = await page.evaluate(() => maker.placeLags);
      console.log(`${name}: the worklet's new row to the grid marking it: median ${median(lags)} ms, worst ` +
        `${Math.max(...lags)} ms over ${lags.length} rows (a tick is 20 ms)`);
      await page.click('[data-play="stop"]');
    });

    test('a note key sounds at once: from the key to the worklet\'s first quantum of the note', async () => {
      await page.click('[data-play="stop"]');
      await page.click('.sequence [data-entry="4"]');
      await focusCell(page, 0, 3);
      await page.evaluate(() => { maker.noteDelays.length = 0; maker.noteWorkletShares.length = 0; });
      for (let press = 0; press < 50; ++press) {
        // The same key each time on the same row: a step of 0 keeps the cursor there.
        await page.evaluate(() => { maker.tracker.step = 0; });
        await pressKeys(page, [['KeyQ', 'q']]);
        await waitFor(page, `maker.noteDelays.length > ${press}`, 'the note rendered');
      }
      const [delays, shares] = await page.evaluate(() => [maker.noteDelays, maker.noteWorkletShares]);
      const latency = await page.evaluate(() => ({ output: maker.audio.outputLatency, base: maker.audio.baseLatency }));
      console.log(`${name}: note key to its first quantum rendered (answer back included): median ` +
        `${median(delays).toFixed(1)} ms, worst ${Math.max(...delays).toFixed(1)} ms over ${delays.length} presses (in the worklet, ` +
        `from the message to that quantum rendered: median ${median(shares)} ms, worst ${Math.max(...shares)} ms); ` +
        `outputLatency ${((latency.output ?? 0) * 1000).toFixed(1)} ms, baseLatency ${((latency.base ?? 0) * 1000).toFixed(1)} ms`);
      assert.equal(delays.length, 50);
      await page.evaluate(() => { maker.tracker.step = 1; });
    });

    test('the grid shows the song when its text arrives after the tools are ready (it stayed empty)', async () => {
      const slow = await browser.open(`${site.url}?test-record`, { beforeScripts: () => {
        const fetchNow = window.fetch;
        window.fetch = (url, ...rest) => (/content\/intro\/song\.fcs$/.test(String(url))
          ? new Promise((resolve) => setTimeout(resolve, 800)).then(() => fetchNow(url, ...rest)) : fetchNow(url, ...rest));
      } });
      try {
        await waitFor(slow, Ready, 'tracker');
        const names = await slow.evaluate(() => maker.tracker.view.sequence.length);
        assert.ok(names > 0, 'the sequence list is empty');
      } finally {
        await slow.close();
      }
    });

    test('a MIDI note-on enters its note at the cursor and sounds it', async () => {
      // A MIDI keyboard as the page sees one: one input whose messages the test sends.
      const midi = await browser.open(`${site.url}?test-record`, { beforeScripts: () => {
        const input = { onmidimessage: null };
        navigator.requestMIDIAccess = async () => ({ inputs: new Map([['keyboard', input]]), onstatechange: null });
        window.sendMidi = (...bytes) => input.onmidimessage?.({ data: Uint8Array.from(bytes) });
      } });
      try {
        await waitFor(midi, Ready, 'tracker');
        const before = await songText(midi);  // this browser's saved work, as the earlier tests left it
        await midi.click('.tracker-bar .midi');
        await waitFor(midi, `document.querySelector('.tracker-state').textContent === 'MIDI: 1 input'`, 'the MIDI input');
        await midi.click('.sequence [data-entry="4"]');
        await focusCell(midi, 0, 0);
        await midi.evaluate(() => { window.sendMidi(0x90, 60, 100); return maker.tracker.queue; });  // middle C: C-4 here
        await waitFor(midi, 'maker.noteDelays.length === 1', 'the note sounded');
        await midi.evaluate(() => window.sendMidi(0x80, 60, 0));
        const lines = before.split('\n');
        lines[lines.indexOf('pattern bass_am_f inst=bass') + 1] = '  C-4';
        assert.equal(await songText(midi), lines.join('\n'));
      } finally {
        await midi.close();
      }
    });

    test('an edit that would not assemble is refused and says why (the tracker went inert); a click drops the block ' +
      '(the next Ctrl+Up reached back to it); Shift+arrows on a song with problems throw nothing', async () => {
      const second = await browser.open(`${site.url}?test-record`);
      const viewed = `maker.tracker.view !== null && maker.tracker.viewText === maker.texts['song.fcs']`;
      const changedLines = (a, b) => a.split('\n').filter((line, i) => line !== b.split('\n')[i]).length;
      try {
        await waitFor(second, Ready, 'tracker');
        const start = await songText(second);
        // 255 entries, the most a song holds: a duplicate is refused, and the tracker goes on working.
        const lines = start.split('\n'), first = lines.findIndex((line) => /^\s*sequence\s*$/.test(line));
        const entryAt = lines.findIndex((line, i) => i > first && /^\s+bass_am_f\s/.test(line));
        const count = await second.evaluate(() => maker.tracker.view.sequence.length);
        lines.splice(entryAt + 1, 0, ...Array(255 - count).fill(lines[entryAt]));
        await second.evaluate((text) => maker.edit('song.fcs', text), lines.join('\n'));
        await waitFor(second, viewed, 'the long song\'s view');
        await second.evaluate(() => maker.tracker.choose(254));
        await second.click('[data-do="duplicate"]');
        await second.evaluate(() => maker.tracker.queue);
        assert.match(await second.$eval('.tracker-state', (e) => e.textContent), /^not written, the song would not assemble: .*at most 255/);
        assert.equal(await songText(second), lines.join('\n'));
        await second.evaluate((text) => maker.edit('song.fcs', text), start);
        await waitFor(second, viewed, 'the song\'s view');
        // A block chosen, then a click on a note elsewhere: Ctrl+Up transposes that note alone.
        await second.evaluate(() => maker.tracker.choose(4));
        await focusCell(second, 0, 0);
        await second.keyboard.down('Shift');
        for (let i = 0; i < 2; ++i) await second.keyboard.press('ArrowDown');
        await second.keyboard.up('Shift');
        const row = await second.evaluate(() => [...document.querySelectorAll('[data-voice="3"][data-column="0"]')]
          .find((cell) => Number(cell.dataset.row) >= 8 && /^[A-G][-#][1-4]$/.test(cell.textContent) && cell.textContent !== 'B-4').dataset.row);
        await second.click(`[data-row="${row}"][data-voice="3"][data-column="0"]`);
        await second.keyboard.down('Control');
        await second.keyboard.press('ArrowUp');
        await second.keyboard.up('Control');
        await second.evaluate(() => maker.tracker.queue);
        await waitFor(second, viewed, 'the transposed song\'s view');
        assert.equal(changedLines(start, await songText(second)), 1);
        // With a line the assembler refuses, the grid is disabled and the keys throw nothing.
        const problems = browser.problems.length;
        await second.evaluate((text) => maker.edit('song.fcs', `${text}\nbogus line here\n`), start);
        await waitFor(second, 'maker.tracker.view === null', 'the tracker to see the problem');
        await focusCell(second, 2, 0);
        await second.keyboard.down('Shift');
        await second.keyboard.press('ArrowDown');
        await second.keyboard.up('Shift');
        await sleep(200);
        assert.deepEqual(browser.problems.slice(problems), []);
        await second.evaluate((text) => maker.edit('song.fcs', text), start);
        await waitFor(second, viewed, 'the mended song\'s view');
      } finally {
        await second.close();
      }
    });

    test('an edit while the song plays is heard from the place heard, without restarting the picture', async () => {
      await page.click('[data-play="song"]');
      await waitFor(page, 'maker.soundOn && maker.entry >= 1', 'the song to reach entry 1', 30000);
      const delays = [], told = [];
      await page.evaluate(() => { maker.toolTimes = {}; });
      for (let edit = 0; edit < 20; ++edit) {
        const before = await page.evaluate(() => ({ entry: maker.entry, restarts: maker.restarts, swaps: maker.swaps.length }));
        await page.click(`.sequence [data-entry="${before.entry}"]`);
        await focusCell(page, (2 * edit + 1) % 32, 2);
        // The second time round the rows take another note, so each edit changes the song.
        const pressed = await pressKeys(page, [edit < 16 ? ['KeyX', 'x'] : ['KeyC', 'c']]);
        await waitFor(page, `maker.swaps.length > ${before.swaps}`, 'the new song in the worklet');
        const swap = await page.evaluate(() => ({ ...maker.swaps.at(-1), restarts: maker.restarts }));
        assert.equal(swap.swapped, true);
        assert.equal(swap.restarts, before.restarts, 'the picture restarted for a song edit');
        assert.ok(swap.entry === before.entry || swap.entry === before.entry + 1,
          `the song went on at entry ${swap.entry}, not near entry ${before.entry}`);
        delays.push(swap.at - pressed);
        told.push(swap.told - pressed);
      }
      const tools = await page.evaluate(() => maker.toolTimes);
      console.log(`${name}: tracker edit to the new song playing from the place heard: median ${median(delays).toFixed(1)} ms,` +
        ` worst ${Math.max(...delays).toFixed(1)} ms over ${delays.length} edits (the page told of it: median ` +
        `${median(told).toFixed(1)} ms); in maker.wasm, the content rebuilt: median ` +
        `${median(tools.build).toFixed(1)} ms, the song view: median ${median(tools.songView).toFixed(1)} ms, the edit's check: median ` +
        `${median(tools.songCheck).toFixed(1)} ms`);
      await page.click('[data-play="stop"]');
    });
  });
}
