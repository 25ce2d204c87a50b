#pragma once
// The assembler's C++ output: the module bytes as a constant array.
#include <cstdint>
#include <string>
#include <vector>

// The C++ text defining `symbol` (const uint8_t[]) and `symbol`Size.
std::string ModuleAsCpp(const std::vector<uint8_t>& image, const std::string& symbol,
                        const std::string& sourceName);
