#pragma once
// Command line of intro-capture.
#include <cstdint>
#include <string>

enum class CaptureKind {
    Video,     // .mp4: H.264 in yuv420p with AAC
    Lossless,  // .mkv with --lossless: FFV1 (rgb) with FLAC
    WebP,      // .webp: animated, lossless, silent
};

constexpr int FramesPerSecond = 50;
constexpr int MaxScale = 8;
constexpr double MaxCaptureSeconds = 3600;

struct CaptureOptions {
    std::string outputPath;
    CaptureKind kind = CaptureKind::Video;
    int64_t firstFrame = 0;   // --from, in 20 ms frames from the start-up
    int64_t frameCount = -1;  // --seconds in frames; -1: to the end of the song's first pass
    int scale = 0;            // 0: the kind's own (2 for MP4, 1 otherwise)
    std::string contentPath;  // --content: a content pack; empty: the built-in one
};

// True when the arguments are usable; otherwise `error` says what is wrong.
// --help and --version are answered before this runs.
bool ParseCaptureOptions(int argc, const char* const* argv, CaptureOptions& options,
                         std::string& error);

extern const char* const CaptureUsage;
