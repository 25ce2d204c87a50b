// @ts-check
// intro.exe's size and what it holds (program code, pages, font, song, the
// rest) against the 64 KiB of a classic intro, shown beside its download in
// intro-pack's own words, and measured again each time the content changes.
import { $ } from './page-dom.js';
import { runTools } from './tools-client.js';

/** @typedef {{ file: number, code: number, pages: number, font: number, song: number, rest: number,
 *    limit: number, left: number, text: string }} ExeSizes */

let shell = /** @type {Uint8Array | null} */ (null);
let latest = 0;  // the last measure asked for; an older answer is not shown

// The lines intro-pack prints (ExeSizes.text) as a table: its first line the
// caption, each part a row; a bar shows the file against the limit.
/** @param {ExeSizes} sizes */
export function showExeSizes(sizes) {
  ++latest;
  const [heading, ...parts] = sizes.text.trimEnd().split('\n');
  const table = document.createElement('table');
  table.createCaption().textContent = heading;
  for (const line of parts) {
    const [, name, bytes] = /** @type {RegExpMatchArray} */ (line.trim().match(/^(.*?)\s+([\d,]+)$/));
    const row = table.insertRow();
    row.append(Object.assign(document.createElement('th'), { scope: 'row', textContent: name }));
    row.insertCell().textContent = bytes;
  }
  const bar = Object.assign(document.createElement('meter'), { min: 0, max: sizes.limit, value: sizes.file,
    optimum: 0, high: sizes.limit * 0.9 });
  bar.setAttribute('aria-label', 'intro.exe against 64 KiB');
  const box = $('exe-sizes');
  box.classList.toggle('over', sizes.left < 0);
  box.replaceChildren(table, bar);
}

// The sources' intro.exe measured (not downloaded) and shown; nothing before
// the prebuilt intro.exe is here, or when the sources have problems.
/** @param {{ pages: Uint8Array, font: Uint8Array, song: Uint8Array }} sources */
export async function measureExe(sources) {
  if (!shell) return;
  const ticket = ++latest;
  const answer = await runTools('sizes', { ...sources, shell }).catch(() => null);
  if (ticket === latest && answer?.sizes) showExeSizes(answer.sizes);
}

// The prebuilt intro.exe, fetched after the first load: the sizes from then on.
/** @param {Uint8Array} bytes @param {{ pages: Uint8Array, font: Uint8Array, song: Uint8Array }} sources */
export function useShell(bytes, sources) {
  shell = bytes;
  return measureExe(sources);
}
