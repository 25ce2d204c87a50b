#pragma once
// Output of the assembler: the module file and an optional C++ source that
// defines the module bytes as a constant array. Files are written under a
// temporary name and renamed, so a failure never leaves a partial file.
#include <cstdint>
#include <string>
#include <vector>

// The C++ text defining `symbol` (const uint8_t[]) and `symbol`Size.
std::string ModuleAsCpp(const std::vector<uint8_t>& image, const std::string& symbol,
                        const std::string& sourceName);

// Writes `bytes` to `path` atomically; on failure sets `error` and returns false.
bool WriteFileAtomically(const std::string& path, const std::string& bytes, std::string& error);
