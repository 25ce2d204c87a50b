// What the tracker's browser tests share: the maker they serve, a page of it
// with the tracker ready, waiting with a named failure, the page's song text,
// and modrender of a song source from a place.
import { execFileSync } from 'node:child_process';
import { cpSync, mkdtempSync, readFileSync, rmSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import path from 'node:path';
import { fileURLToPath } from 'node:url';
import { launchBrowser, nativeBin, serveFolder } from './harness.mjs';

export const makerDir = process.env.INTRO_MAKER_SITE ?? fileURLToPath(new URL('../../build/maker', import.meta.url));
export const song = readFileSync(path.join(makerDir, 'content/intro/song.fcs'), 'utf8');
export const Ready = 'window.maker?.preview !== null && maker.restarts >= 1 && document.querySelector(".pattern-grid [role=gridcell]") !== null';

export const waitFor = async (page, condition, what, ms = 20000) => {
  try { await page.waitForFunction(condition, { timeout: ms, polling: 50 }); } catch { throw new Error(`no ${what} within ${ms} ms`); }
};
export const songText = (page) => page.evaluate(() => maker.texts['song.fcs']);

// A copy of the maker served (serveFolder removes it at the end), browser
// `name` launched and the maker opened with ?test-record, its tracker ready.
export async function openTracker(name) {
  const copy = mkdtempSync(path.join(tmpdir(), 'tracker-maker-'));
  cpSync(makerDir, copy, { recursive: true });
  const site = await serveFolder(copy);
  const browser = await launchBrowser(name);
  const page = await browser.open(`${site.url}?test-record`);
  await waitFor(page, Ready, 'tracker');
  return { browser, site, page };
}

// `frames` frames of modrender of the song source `text` from `from` (E, E:R or E:R:T).
export function modrenderFrom(text, from, frames) {
  const dir = mkdtempSync(path.join(tmpdir(), 'tracker-render-'));
  try {
    writeFileSync(path.join(dir, 'song.fcs'), text);
    execFileSync(path.join(nativeBin, 'modasm'), [path.join(dir, 'song.fcs'), '-o', path.join(dir, 'song.mod')]);
    const raw = execFileSync(path.join(nativeBin, 'modrender'), [path.join(dir, 'song.mod'), '--raw', '--from', String(from),
      '--frames', String(frames), '-o', '-'], { maxBuffer: 1 << 26 });
    return new Int16Array(raw.buffer, raw.byteOffset, 2 * frames);
  } finally {
    rmSync(dir, { recursive: true, force: true });
  }
}
