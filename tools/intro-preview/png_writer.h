#pragma once
// Writes a 0x00RRGGBB image as an 8-bit RGB PNG; the file appears only when
// complete (SafeOutput).
#include <cstdint>
#include <string>

bool WritePng(const std::string& path, const uint32_t* pixels, int width, int height,
              std::string* error);
