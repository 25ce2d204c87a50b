// @ts-check
// The three files' syntax for the editors' colouring (StreamLanguage):
//   pages.txt  "page"/"end" lines, ';' comments, characters outside the font
//   font.txt   "[c]" headers and the four inks, coloured as they look
//   song.fcs   directives, names, notes (A-1, C#2, ---), numbers, ';' comments, labels
// Each comments with ';' (Ctrl+/ toggles a line's).
import { HighlightStyle, StreamLanguage, syntaxHighlighting } from '@codemirror/language';
import { Tag, tags } from '@lezer/highlight';

// The inks' own tags: their colours come from the page's CSS variables --ink-0 to --ink-3.
export const InkSymbols = ['.', '#', '+', 'o'];
const inkTags = InkSymbols.map(() => Tag.define());
const outsideFont = Tag.define();

/** @param {string} charset the font's characters */
export function pagesLanguage(charset) {
  return StreamLanguage.define({
    name: 'pages',
    startState: () => ({ inPage: false }),
    token(stream, state) {
      if (stream.sol()) {
        if (stream.peek() === ';') { stream.skipToEnd(); return 'comment'; }
        const marker = stream.string.trimEnd();
        if (marker === 'page' || marker === 'end') {
          state.inPage = marker === 'page';
          stream.skipToEnd();
          return 'keyword';
        }
        if (!state.inPage && marker) { stream.skipToEnd(); return 'outside'; }
      }
      const c = stream.next() ?? '';
      if (charset.includes(c)) {
        while (!stream.eol() && charset.includes(stream.peek() ?? '')) stream.next();
        return null;
      }
      return 'outside';
    },
    tokenTable: { outside: outsideFont },
    languageData: { commentTokens: { line: ';' } },
  });
}

export const fontLanguage = StreamLanguage.define({
  name: 'font',
  token(stream) {
    if (stream.sol() && stream.peek() === ';') { stream.skipToEnd(); return 'comment'; }
    if (stream.sol() && stream.match(/^\[.\]\s*$/)) return 'heading';
    if (stream.eatSpace()) return null;
    const c = stream.next() ?? '';
    const ink = InkSymbols.indexOf(c);
    if (ink < 0) return 'outside';
    while (stream.peek() === c) stream.next();
    return `ink${ink}`;
  },
  tokenTable: { ink0: inkTags[0], ink1: inkTags[1], ink2: inkTags[2], ink3: inkTags[3], outside: outsideFont },
  languageData: { commentTokens: { line: ';' } },
});

const SongDirectives = new Set(['format', 'sample', 'wave', 'freq', 'vol', 'pattern', 'sequence']);
export const songLanguage = StreamLanguage.define({
  name: 'song',
  token(stream) {
    if (stream.eatSpace()) return null;
    if (stream.peek() === ';') { stream.skipToEnd(); return 'comment'; }
    if (stream.sol() && stream.match(/^[A-Za-z_]\w*:/)) return 'labelName';
    if (stream.match(/^([A-G][-#][0-9]|---)(?![\w#-])/)) return 'atom';
    if (stream.match(/^[+-]?\d+(?![\w.])/)) return 'number';
    const word = stream.match(/^[A-Za-z_][\w]*/);
    if (word) {
      const name = /** @type {RegExpMatchArray} */ (word)[0];
      if (stream.column() === name.length && SongDirectives.has(name)) return 'keyword';
      if (stream.peek() === '=') return 'propertyName';
      return /^[A-Z]/.test(name) ? 'typeName' : 'variableName';
    }
    stream.next();
    return 'operator';
  },
  languageData: { commentTokens: { line: ';' } },
});

// The maker's colours on its dark background, each readable at 4.5:1 or more.
export const makerHighlight = syntaxHighlighting(HighlightStyle.define([
  { tag: tags.comment, color: '#9c8fd0', fontStyle: 'italic' },
  { tag: tags.keyword, color: '#ffd050', fontWeight: 'bold' },
  { tag: tags.heading, color: '#ffd050', fontWeight: 'bold' },
  { tag: tags.labelName, color: '#7fe0ff' },
  { tag: tags.atom, color: '#8fff9a' },
  { tag: tags.number, color: '#ffa070' },
  { tag: tags.typeName, color: '#d0a8ff' },
  { tag: tags.propertyName, color: '#aab0ff' },
  { tag: tags.operator, color: '#ccbbee' },
  { tag: outsideFont, color: '#ffffff', backgroundColor: '#a01030', textDecoration: 'underline wavy' },
  ...inkTags.map((tag, ink) => ({ tag, color: `var(--ink-${ink}-text)`, backgroundColor: `var(--ink-${ink})` })),
]));
