// @ts-check
// How many of a page's 20 screen lines its text takes, as pagec counts them:
// each line of text one screen line, and one more for every 32 characters it
// has (a line of exactly 32 leaves the line after it empty).
export const PageColumns = 32;
export const PageLines = 20;

/**
 * The page holding line `at` (1-based) of a pages.txt with `count` lines,
 * `lineText(n)` giving line n: { number, used } (its number from 1 and the
 * screen lines it takes), or null when the line is outside any page.
 * @param {(n: number) => string} lineText @param {number} count @param {number} at
 */
export function pageLinesAt(lineText, count, at) {
  let number = 0, inside = false, used = 0, holdsAt = false;
  for (let n = 1; n <= count; ++n) {
    const line = lineText(n), marker = line.trimEnd();
    if (line.startsWith(';')) {
      if (n === at && inside) holdsAt = true;
      continue;
    }
    if (marker === 'page') {
      ++number;
      inside = true;
      used = 0;
      holdsAt = n === at;
    } else if (inside && marker === 'end') {
      if (holdsAt || n === at) return { number, used };
      inside = false;
    } else if (inside) {
      used += Math.floor(line.replace(/\r$/, '').length / PageColumns) + 1;
      if (n === at) holdsAt = true;
    }
    if (!inside && n >= at) return null;
  }
  return inside && holdsAt ? { number, used } : null;
}
