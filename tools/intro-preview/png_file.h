#pragma once
// PNG files of 0x00RRGGBB images.
#include <cstdint>
#include <string>
#include <vector>

// Writes an 8-bit RGB PNG; the file appears only when complete (SafeOutput).
bool WritePng(const std::string& path, const uint32_t* pixels, int width, int height,
              std::string* error);

// Reads any PNG libpng understands into 0x00RRGGBB pixels (alpha dropped).
bool ReadPng(const std::string& path, std::vector<uint32_t>* pixels, int* width, int* height,
             std::string* error);
