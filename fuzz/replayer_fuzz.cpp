// libFuzzer target: any byte string as a module file, through the checked
// loader, then a few thousand ticks of replay driving the real mixer. Aborts
// when a tick does more macro work than the per-step limit allows or when a
// channel holds a segment that reaches past the sample memory.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include "audio/sound_path.h"
#include "replayer/replayer.h"
#include "sound/block_stream.h"
#include "sound/mixer.h"

// The output side is not under test: the mixer renders into our buffer.
int OpenStream(FillCallback, int, int, int, void*) { return 0; }
int StartStream() { return 0; }
void PauseStream() {}
void CloseStream() {}
int WriteBlock(const StereoFrame*) { return 0; }
void* ForegroundWindow() { return nullptr; }
void ResetStream() {}

namespace {

constexpr int TickCount = 3000;
constexpr int RenderEvery = 8;  // render one tick's frames out of every 8 ticks
constexpr int FramesPerTick = 882;
constexpr uint32_t TickWorkLimit = 4u * 2u * MacroStepByteLimit;

void Fail(const char* what) {
    std::fprintf(stderr, "replayer_fuzz: %s\n", what);
    std::abort();
}

bool InsideSampleMemory(const int8_t* data, uint32_t bytes) {
    const int8_t* begin = replayer.song.sampleMemory;
    const int8_t* end = replayer.song.sampleMemory + SampleMemoryBytes;
    return data >= begin && data <= end && bytes <= static_cast<uint32_t>(end - data);
}

void CheckChannels() {
    for (const MixChannel& channel : mixer.channels) {
        if (channel.active && !InsideSampleMemory(channel.segmentData, channel.segmentLength))
            Fail("an active channel plays a segment outside sample memory");
        if (channel.nextLength > 0 && channel.nextData != nullptr &&
            channel.nextData >= replayer.song.sampleMemory &&
            !InsideSampleMemory(channel.nextData, channel.nextLength))
            Fail("a channel has a latched segment reaching past sample memory");
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    char reason[256];
    std::memset(reason, 'x', sizeof reason);
    if (ArmReplayer(data, size, 44100, reason, sizeof reason) != 0) {
        if (std::memchr(reason, '\0', sizeof reason) == nullptr || reason[0] == '\0')
            Fail("a refusal without a reason");
        if (replayer.moduleLoaded) Fail("a refused module counts as loaded");
        // Seeds are well-formed: the script replays them with this set.
        if (std::getenv("REPLAYER_FUZZ_EXPECT_LOAD")) {
            std::fprintf(stderr, "refused: %s\n", reason);
            Fail("a seed module was refused");
        }
        return 0;
    }
    static StereoFrame frames[FramesPerTick];
    for (int tick = 0; tick < TickCount; ++tick) {
        uint32_t before = replayer.macroBytesExecuted;
        if (tick % RenderEvery == 0)
            MixFrames(frames, FramesPerTick);  // renders and ticks once
        else if (ReplayerTick() != 0)
            Fail("a loaded module refused to tick");
        if (replayer.macroBytesExecuted - before > TickWorkLimit) Fail("one tick did unbounded macro work");
        CheckChannels();
    }
    return 0;
}
