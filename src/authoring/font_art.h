#pragma once
// The font's text form and its conversion into the 4-bit BMP of resource 103.
//
// Art: one block per glyph, in character-set order. A block is a header line
// "[c]" naming its character, then 8 rows of 8 symbols:
//   '.' background (palette 0)  '#' body (1)  '+' shading (2)  'o' outline (3)
// Lines starting with ';' and empty lines are ignored between blocks.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "authoring/problem.h"

constexpr int GlyphSide = 8;
constexpr int FontImageWidth = 256;
constexpr int FontImageHeight = 16;
constexpr int FontImageColumns = FontImageWidth / GlyphSide;  // 32 glyphs per row

// Palette indices, top row first: FontImage[y][x] for the 256 x 16 image.
using FontImage = std::array<std::array<uint8_t, FontImageWidth>, FontImageHeight>;

// Parses `text` (read from `fileName`) against `charset`: no problem on
// success, else every one found (capped as ProblemLog caps them); after a
// wrong line the reading goes on where the art most likely continues.
std::vector<Problem> ParseFontArt(const std::string& text, const std::string& fileName,
                                  const char* charset, FontImage* image);

// The complete BMP file: 118-byte header (file header, BITMAPINFOHEADER,
// 16-entry palette), then 4-bit rows bottom-up.
std::vector<uint8_t> BuildFontBmp(const FontImage& image);

// A C++ source defining FontBitmap[] and FontBitmapSize with `bmp`'s bytes.
std::string EmitFontSource(const std::vector<uint8_t>& bmp);
