#pragma once
// modrender's use of the sound path: the intro's own start-up (InitAudio with
// the intro's settings, the checked load, StartAudio with its pre-fill) and
// then block after block as the streaming thread would ask for them.
#include <cstdint>
#include <string>
#include <vector>

#include "safe_output.h"

constexpr int RenderRate = 44100;
constexpr int RenderBlockFrames = 4000;
constexpr int RenderBlockCount = 8;
constexpr int64_t SongLengthCapTicks = 50 * 60 * 10;  // ten minutes

bool ReadModuleFile(const std::string& path, std::vector<uint8_t>& bytes, std::string& error);

// Checks that the image loads; `error` gets the loader's reason otherwise.
bool CheckModule(const std::vector<uint8_t>& image, std::string& error);

struct SongLength {
    int64_t ticks;  // ticks until the sequence has come back to entry 0 `loops` times
    bool capped;    // the cap was reached first
};

// Runs the replayer alone, without sound, to find where the song repeats.
SongLength MeasureSong(const std::vector<uint8_t>& image, int64_t loops, int64_t capTicks);

struct AudioRequest {
    int64_t frames = 0;       // after the pre-fill, or -1 with songTicks set
    int64_t songTicks = -1;   // render exactly these song ticks instead
    bool includePrefill = false;
    bool raw = false;
    bool progress = false;
};

bool RenderAudio(const std::vector<uint8_t>& image, const AudioRequest& request, SafeOutput& out,
                 std::string& error);

// One line per channel operation of the first `ticks` song ticks.
bool RenderTrace(const std::vector<uint8_t>& image, int64_t ticks, SafeOutput& out,
                 std::string& error);

bool PrintInfo(const std::vector<uint8_t>& image, FILE* out, std::string& error);
