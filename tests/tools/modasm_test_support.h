#pragma once
// Helpers for the assembler tests: assemble a source held in a string and
// read big-endian fields of the result.
#include <cstdint>
#include <string>
#include <vector>

#include "authoring/song/assembler.h"
#include "builtin_module.h"

struct AssemblyResult {
    bool ok = false;
    std::vector<std::string> errors;
    AssembledModule module;
    std::vector<uint8_t> image;  // empty unless ok
};

AssemblyResult AssembleText(const std::string& source, const std::string& fileName = "test.fcs");

uint32_t U32At(const std::vector<uint8_t>& image, size_t at);
uint16_t U16At(const std::vector<uint8_t>& image, size_t at);

// True when one of the errors contains `fragment`.
bool HasError(const AssemblyResult& result, const std::string& fragment);

// A small well-formed song (one pattern, one instrument) that tests extend.
std::string MinimalSong(const std::string& extra = "");
