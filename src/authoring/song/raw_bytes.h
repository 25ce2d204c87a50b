#pragma once
// Raw bytes: what the structured blocks cannot say about an image. `raw
// length=N` makes the image N bytes long (cut or filled with zeros), then each
// `raw at=OFFSET` block puts its bytes (two hex digits each) at OFFSET, the
// image growing with zeros to reach it. They keep a disassembled module's
// every byte.
#include <cstdint>
#include <vector>

#include "authoring/problem.h"
#include "source_blocks.h"

struct RawBytes {
    size_t at = 0;
    std::vector<uint8_t> bytes;
};

struct RawImage {
    long length = -1;  // -1: as the blocks lay it out
    std::vector<RawBytes> patches;
};

// Largest image the raw blocks may make.
constexpr size_t RawImageLimit = size_t{1} << 24;

void ReadRaw(const SourceBlock& block, ProblemLog& problems, RawImage& raw);
void ApplyRaw(const RawImage& raw, std::vector<uint8_t>& image);
