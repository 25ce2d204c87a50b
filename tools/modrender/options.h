#pragma once
// Command line of modrender.
#include <cstdint>
#include <string>

enum class RenderMode { Audio, Trace, Info };
enum class LengthKind { SongLoops, Seconds, Frames };

struct RenderOptions {
    std::string modulePath;  // empty when the module is built in
    bool builtin = false;
    std::string outputPath;  // "-" is standard output
    RenderMode mode = RenderMode::Audio;
    LengthKind length = LengthKind::SongLoops;
    int64_t loops = 1;
    double seconds = 0;
    int64_t frames = 0;
    int64_t ticks = 0;  // trace bound; 0 = the song once
    bool raw = false;
    bool includePrefill = false;
    int fromEntry = -1;  // --from: the sequence entry to start at, -1 = the start
    int fromRow = 0;
    int fromTick = 0;  // the tick within that row, 0 = its first
};

constexpr int64_t MaxLoops = 100;
constexpr double MaxSeconds = 3600;
constexpr int64_t MaxTicks = 50 * 3600;

// True when the arguments are usable; otherwise `error` says what is wrong.
// --help and --version are answered before (app/program_info.h).
bool ParseRenderOptions(int argc, const char* const* argv, RenderOptions& options,
                       std::string& error);

extern const char* const RenderUsage;
