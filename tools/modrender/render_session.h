#pragma once
// modrender's use of the sound path: the intro's own start-up (InitAudio with
// the intro's settings, the checked load, StartAudio with its pre-fill) and
// then block after block as the streaming thread would ask for them.
#include <cstdint>
#include <string>
#include <vector>

#include "audio/sound_path.h"
#include "safe_output.h"
#include "sound/stereo_frame.h"

bool ReadModuleFile(const std::string& path, std::vector<uint8_t>& bytes, std::string& error);

// Checks that the image loads; `error` gets the loader's reason otherwise.
bool CheckModule(const std::vector<uint8_t>& image, std::string& error);

// ScanSong on a module file's bytes: `ticks` until the sequence has come back
// to entry 0 `loops` times; a refused module counts as capped at 0 ticks.
SongScan MeasureSong(const std::vector<uint8_t>& image, int64_t loops, int64_t capTicks);

struct AudioRequest {
    int64_t frames = 0;       // after the pre-fill, or -1 with songTicks set
    int64_t songTicks = -1;   // render exactly these song ticks instead
    bool includePrefill = false;
    bool raw = false;
    bool progress = false;
    int fromEntry = -1;       // start at this entry's row fromRow, without the pre-fill
    int fromRow = 0;
    int fromTick = 0;         // and this tick of the row (0 = its first)
};

// Frames from the end of the pre-fill to the end of `songTicks` song ticks;
// valid after StartAudio, while the session runs.
int64_t SongFrames(int64_t songTicks);

bool RenderAudio(const std::vector<uint8_t>& image, const AudioRequest& request, SafeOutput& out,
                 std::string& error);

// One line per channel operation of the first `ticks` song ticks.
bool RenderTrace(const std::vector<uint8_t>& image, int64_t ticks, SafeOutput& out,
                 std::string& error);

bool PrintInfo(const std::vector<uint8_t>& image, FILE* out, std::string& error);

// The sound as the intro's listener hears it from the moment playback starts:
// the pre-fill's silent ring first, then block after block as the streaming
// thread renders them, taken in pieces of any size. For tools that line the
// sound up with the picture.
class PlaybackRender {
public:
    PlaybackRender() = default;
    PlaybackRender(const PlaybackRender&) = delete;
    PlaybackRender& operator=(const PlaybackRender&) = delete;
    ~PlaybackRender();

    // The intro's music start-up, as RenderAudio runs it.
    bool Start(const std::vector<uint8_t>& image, std::string& error);
    // Silent frames heard before the first rendered block.
    int64_t PrefillFrames() const { return prefillFrames_; }
    // The next `count` heard frames into `frames` (or dropped when it is null).
    bool Read(StereoFrame* frames, int64_t count);
    void Stop();

private:
    static void TakeBlock(void* context, int block, const StereoFrame* frames, int count);

    std::vector<StereoFrame> heard_;
    size_t readFrom_ = 0;
    int64_t prefillFrames_ = 0;
    bool running_ = false;
};
