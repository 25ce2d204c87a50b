#pragma once
// Finds the generator behind a sample's or wave's bytes, so a disassembled
// sound reads `wave bass saw words=32 amp=112` rather than 64 numbers. Only
// shapes that GenerateWave reproduces exactly are returned.
#include <optional>
#include <string>
#include <vector>

#include "sound_data.h"

std::optional<WaveShape> RecognizeShape(const std::vector<int8_t>& data);

// The generator and its parameters as a directive writes them (defaults left out).
std::string ShapeParameters(const WaveShape& shape);
