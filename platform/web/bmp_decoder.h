#pragma once
// Decodes the palette BMPs the build makes (fontc's 4-bit font bitmap) into
// top-down 0x00RRGGBB pixels, without a library: the browser build has no SDL.
#include <cstdint>

#include "display/memory_backing.h"

// Uncompressed 1-, 4- and 8-bit palette BMPs, rows stored either way up.
// Returns false, leaving the outputs alone, for anything else, for a file too
// short for what its header claims, and for sides above MaxBitmapSide. On
// success *pixels is a new[] block of width x height pixels.
bool DecodePaletteBmp(const uint8_t* bytes, uint32_t size, int* width, int* height,
                      uint32_t** pixels);
