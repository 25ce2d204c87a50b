#pragma once
// Bytes as C++ source, for generators that build data into the program.
#include <cstddef>
#include <cstdint>
#include <string>

// "<declarator> = {" then the values in decimal, 16 to a line, each followed
// by a comma, then "\n};\n". The declarator names the array and its element
// type, e.g. "const uint8_t FontBitmap[]".
std::string CppArrayDefinition(const std::string& declarator, const uint8_t* bytes, size_t count);
