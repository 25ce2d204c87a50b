// @ts-check
// What each editor takes, from what a content pack holds (at most 64 pages
// of 4096 bytes, 8 MiB in all) and what an editor shows without stalling. A
// file, a dropped file or a share link past these is refused before the
// tools see it.
export const KiB = 1024, MiB = 1024 * KiB;
/** @type {Record<string, { bytes: number, why: string, lines: number, whyLines: string }>} */
export const Limits = {
  'pages.txt': { bytes: 256 * KiB, why: "what a pack's 64 pages of 4096 bytes hold",
    lines: 16384, whyLines: '64 pages of 20 lines take some 1,400' },
  'font.txt': { bytes: 256 * KiB, why: 'as pages.txt; a whole font\'s art is some 4 KiB',
    lines: 16384, whyLines: 'a whole font\'s art takes some 470' },
  'song.fcs': { bytes: 8 * MiB, why: 'what a content pack holds',
    lines: 131072, whyLines: 'ten samples of 128 KiB take some 90,000' },
};
export const MaxModuleBytes = 8 * MiB;     // a module past this never fits a pack
export const MaxFragmentChars = 4 * MiB;   // the share link's data, base64url, before it is read
// The link's JSON: each text escaped (a newline takes two characters).
export const MaxSharedBytes = 2 * Object.values(Limits).reduce((sum, limit) => sum + limit.bytes, 0) + 64;

/** @param {number} count */
export const numberText = (count) => count.toLocaleString('en');
// "<what>, more than the N bytes FILE may hold (why)".
/** @param {string} file @param {string} what */
export const tooLarge = (file, what) =>
  `${what}, more than the ${numberText(Limits[file].bytes)} bytes ${file} may hold (${Limits[file].why})`;

/** @param {string} text */
export function lineCount(text) {
  let count = 1;
  for (let at = text.indexOf('\n'); at >= 0; at = text.indexOf('\n', at + 1)) ++count;
  return count;
}

// '' when `text` is within FILE's limits, else what is wrong, `what` naming it.
/** @param {string} file @param {string} text @param {string} what */
export function textProblem(file, text, what) {
  const bytes = new TextEncoder().encode(text).length, lines = lineCount(text), limit = Limits[file];
  if (bytes > limit.bytes) return tooLarge(file, `${what} is ${numberText(bytes)} bytes`);
  if (lines <= limit.lines) return '';
  return `${what} has ${numberText(lines)} lines, more than the ${numberText(limit.lines)} ${file} may have (${limit.whyLines})`;
}
