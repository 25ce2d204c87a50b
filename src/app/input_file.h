#pragma once
// Reading a whole input file, bounded so that a wrong path (a device, a huge
// file) gives a message instead of exhausting memory.
#include <cstdint>
#include <string>
#include <vector>

constexpr int64_t MaxInputFileBytes = 16 * 1024 * 1024;

// Reads `path` into `bytes`. On failure `error` says what went wrong; a file
// over MaxInputFileBytes is refused as "... is larger than 16 MiB; not
// <expected>".
bool ReadInputFile(const std::string& path, const char* expected, std::vector<uint8_t>& bytes,
                   std::string& error);
