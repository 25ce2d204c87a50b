#pragma once
// What ffmpeg is told for each kind of capture: raw bgr0 frames at 50 per
// second on pipe:3 (0x00RRGGBB pixels, little-endian), s16le stereo at 44100 Hz
// on pipe:4, and how to encode and contain them.
#include <string>
#include <vector>

#include "capture_options.h"

bool KindHasAudio(CaptureKind kind);

// `outputPath` goes to ffmpeg as a file: URL, so any name is a file's.
std::vector<std::string> FfmpegArguments(CaptureKind kind, int scale, int width, int height,
                                         const std::string& outputPath);
