#pragma once
// The font bitmap's file bytes (a 4-bit BMP made by fontc from font.txt), for
// builds that carry resources in a table instead of a resource section.
#include <cstdint>

extern const uint8_t FontBitmap[];
extern const uint32_t FontBitmapSize;
