#pragma once
// Built-in data: the character set. The intro's pages, font and song come
// from a content pack (the built-in one: data/builtin_pack.h).
extern const char IntroCharset[];  // 52 characters; position = glyph number
