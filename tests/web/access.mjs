// The page for everyone: words for what the screen shows, the typed text for
// screen readers, axe-core's rules, and a page that says in the intro's font
// which part of it could not be loaded.
import assert from 'node:assert/strict';
import { createRequire } from 'node:module';
import { test } from 'node:test';
import { firstDifference, pixelAt, readCanvas, screenWithLine, ScreenWidth, typedLines } from './harness.mjs';
import { openIntro } from './picture-and-sound.mjs';

const axeSource = createRequire(import.meta.url)('axe-core').source;

// axe-core's findings on the page as it is now, one line per violation.
export async function axeViolations(page) {
  if (!(await page.evaluate(() => typeof axe === 'object'))) await page.evaluate(axeSource);
  return page.evaluate(() => axe.run(document).then((result) => result.violations.map((v) =>
    `${v.id}: ${v.help} (${v.nodes.map((n) => n.target.join(' ')).join(', ')})`)));
}
const status = (page) => page.$eval('#intro-status', (e) => e.textContent);

// A page's problems may only be the missing file's and the page's own report.
function onlyTheMissingFile(problems, file) {
  assert.ok(problems.some((p) => p.startsWith('console: intro: ')), `the page did not report it: ${problems}`);
  for (const problem of problems) {
    assert.ok(problem.includes(file) || /404/.test(problem) || problem.startsWith('console: intro: '),
      `unexpected: ${problem}`);
  }
}

export function access(env) {
  test('words for the prompt, the typed text and the end, and no axe violation on any of them', async () => {
    const page = await openIntro(env);
    const head = await page.evaluate(() => ({
      description: document.querySelector('meta[name="description"]')?.content ?? '',
      noscript: document.querySelector('noscript')?.textContent ?? '',
    }));
    assert.match(head.description, /intro.*typed/i);
    assert.match(head.noscript, /needs JavaScript/);
    assert.equal(await status(page), 'Click or press a key to start the intro and its music.');
    assert.deepEqual(await axeViolations(page), [], 'at the start prompt');

    await page.mouse.click(300, 300);
    await page.waitForFunction(() => Module._WebActingSteps() > 120, { polling: 50, timeout: 20000 });
    // The log and the step count from one task: the complete lines of page 0
    // so far, as pages.txt has them.
    const shown = await page.evaluate(() => ({
      steps: Module._WebActingSteps(),
      lines: [...document.querySelectorAll('#intro-text p')].map((p) => p.textContent),
    }));
    assert.deepEqual(shown.lines, typedLines(shown.steps), `after ${shown.steps} steps`);
    assert.ok(shown.lines.length >= 3);
    assert.match(await status(page), /^The intro is running/);
    if (env.browser.name === 'chromium') {
      // What a screen reader gets: Chromium's accessibility tree.
      const found = [];
      const walk = (node) => { found.push(`${node.role}: ${node.name}`); node.children?.forEach(walk); };
      walk(await page.accessibility.snapshot({ interestingOnly: false }));
      for (const expected of ['heading: INTRO', 'image: The intro\'s screen', `StaticText: ${shown.lines[2]}`])
        assert.ok(found.some((f) => f.startsWith(expected)), `no "${expected}" in ${found.join('; ')}`);
    }
    assert.deepEqual(await axeViolations(page), [], 'while typing');

    await page.keyboard.press('Escape');
    assert.equal(await status(page), 'The end. Reload the page to start again.');
    assert.deepEqual(await axeViolations(page), [], 'at the end');
    await page.close();
  });

  test('without intro.wasm the screen says so in the intro\'s font, with nothing thrown', async () => {
    const problems = [];
    const page = await env.browser.open(env.site().url + 'without/intro.wasm/', { problems });
    await page.waitForFunction(() => introState.shownLine !== null, { polling: 50 });
    await page.mouse.click(300, 300);
    const shown = await readCanvas(page);
    const at = firstDifference(shown.pixels, screenWithLine('CANNOT LOAD INTRO.WASM', 12));
    assert.equal(at, -1, `the canvas differs from the expected line at pixel ${pixelAt(at)}`);
    assert.equal(await status(page), 'The intro cannot run: intro.wasm could not be loaded.');
    assert.deepEqual(await axeViolations(page), []);
    onlyTheMissingFile(problems, 'intro.wasm');
    await page.close();
  });

  test('without intro-sound.wasm a line under the text says so, and the intro types on silent', async () => {
    const problems = [];
    const page = await openIntro(env, 'without/intro-sound.wasm/', { problems });
    await page.waitForFunction(() => introState.shownLine !== null, { polling: 50 });
    const line = await readCanvas(page, 'intro-line');
    const expected = screenWithLine('CANNOT LOAD INTRO-SOUND.WASM', 22).subarray(4 * ScreenWidth * 352, 4 * ScreenWidth * 368);
    const at = firstDifference(line.pixels, expected);
    assert.equal(at, -1, `the line differs from the expected one at pixel ${pixelAt(at)}`);
    assert.match(await status(page), /^There is no music: intro-sound.wasm: HTTP 404\. Click or press a key/);

    await page.mouse.click(300, 300);
    await page.waitForFunction(() => Module._WebActingSteps() > 20, { polling: 50, timeout: 10000 });
    assert.equal(await page.evaluate(() => introSound.context), null, 'an audio context was made for nothing');
    onlyTheMissingFile(problems, 'intro-sound.wasm');
    await page.close();
  });
}
