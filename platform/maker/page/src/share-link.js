// @ts-check
// The share link: the three texts as JSON, deflated, base64url, in the
// address's fragment (#play= opens the player, #edit= the maker).
import { Files, textOf } from './editors.js';
import { KiB, Limits, MaxFragmentChars, MaxSharedBytes, MiB, numberText, textProblem } from './limits.js';

/** @param {Uint8Array} bytes @param {TransformStream} transform */
async function streamBytes(bytes, transform) {
  const stream = new Blob([bytes]).stream().pipeThrough(transform);
  return new Uint8Array(await new Response(stream).arrayBuffer());
}

/** @param {Uint8Array} bytes */
function toBase64Url(bytes) {
  let text = '';
  for (let i = 0; i < bytes.length; i += 0x8000) text += String.fromCharCode.apply(null, Array.from(bytes.subarray(i, i + 0x8000)));
  return btoa(text).replace(/\+/g, '-').replace(/\//g, '_').replace(/=+$/, '');
}

export async function shareLink() {
  const texts = Files.map(textOf);
  const packed = await streamBytes(new TextEncoder().encode(JSON.stringify(texts)), new CompressionStream('deflate-raw'));
  return `${location.origin}${location.pathname}#play=${toBase64Url(packed)}`;
}

// The fragment is untrusted: it is read only within the limits, and anything
// else gives { error } saying what is wrong with it.
/** @param {string} data @returns {Promise<{ texts?: string[], error?: string }>} */
export async function readShared(data) {
  /** @param {string} why */
  const unreadable = (why) => ({ error: why });
  if (data.length > MaxFragmentChars) {
    return unreadable(`it is ${numberText(data.length)} characters, more than the ${numberText(MaxFragmentChars)} a share link holds`);
  }
  const stray = data.search(/[^A-Za-z0-9_-]/);
  if (stray >= 0) return unreadable(`character ${stray + 1} of its data is not base64url (was the link cut or changed?)`);
  let bytes;
  try {
    bytes = Uint8Array.from(atob(data.replace(/-/g, '+').replace(/_/g, '/')), (c) => c.charCodeAt(0));
  } catch {
    return unreadable('its data is cut short (was the link copied whole?)');
  }
  // Inflated a piece at a time, and given up as soon as it passes the limit.
  const reader = new Blob([bytes]).stream().pipeThrough(new DecompressionStream('deflate-raw')).getReader();
  const chunks = [];
  let total = 0;
  try {
    for (;;) {
      const { done, value } = await reader.read();
      if (done) break;
      total += value.length;
      if (total > MaxSharedBytes) {
        reader.cancel().catch(() => {});
        return unreadable(`it unpacks to more than ${numberText(MaxSharedBytes)} bytes, more than its three files may hold ` +
          `(pages.txt and font.txt ${Limits['pages.txt'].bytes / KiB} KiB each, song.fcs ${Limits['song.fcs'].bytes / MiB} MiB)`);
      }
      chunks.push(value);
    }
  } catch {
    return unreadable('its data is damaged (it does not unpack)');
  }
  let texts;
  try {
    texts = JSON.parse(new TextDecoder().decode(await new Blob(chunks).arrayBuffer()));
  } catch {
    texts = null;
  }
  if (!Array.isArray(texts) || texts.length !== 3 || !texts.every((t) => typeof t === 'string')) {
    return unreadable('it does not hold the maker\'s three files');
  }
  for (const [i, file] of Files.entries()) {
    const problem = textProblem(file, texts[i], `its ${file}`);
    if (problem) return unreadable(problem);
  }
  return { texts };
}
