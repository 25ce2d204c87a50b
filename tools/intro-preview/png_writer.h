#pragma once
// Writes a 0x00RRGGBB image as an 8-bit RGB PNG, through a temporary file that
// is renamed into place only when complete.
#include <cstdint>
#include <string>

bool WritePng(const std::string& path, const uint32_t* pixels, int width, int height,
              std::string* error);
