#pragma once
// Built-in data: the character set, the text pages and the module image.
#include <cstdint>

extern const char IntroCharset[];      // 52 characters; position = glyph number
extern const char* const IntroPages[]; // page texts, ended by a null entry
extern const uint8_t ModuleImage[];    // the intro's song, an "FC14" module
extern const uint32_t ModuleImageSize;
