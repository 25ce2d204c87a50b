// libFuzzer target: any byte string as a module file, through the checked
// loader, then TickCount ticks of replay. Every tick is checked: it may do no
// more macro work than the per-step limit allows, and no channel may hold a
// segment that reaches past the sample memory. Rendering is what costs, so
// only a window of the ticks (MixedTicksPerWindow out of every TicksPerWindow)
// goes through the whole sound path: the native memory stream asks the mixer
// for a block of one tick's frames, the mixer clocks the replayer and renders
// the channels, and the block lands in the stream's ring.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "audio/audio_control.h"
#include "audio/sound_path.h"
#include "memory_stream.h"
#include "replayer/replayer.h"
#include "sound/mixer.h"

namespace {

// The intro's rate with a block of one tick's frames and the smallest ring, so
// every block mixed is one tick.
constexpr SoundSettings FuzzSound{IntroSound.rate, IntroFramesPerTick, MinRingBlocks};
constexpr int StreamBlocks = FuzzSound.blockCount;
constexpr int TickCount = 3000;
constexpr int TicksPerWindow = 256;
constexpr int MixedTicksPerWindow = 2;
constexpr uint32_t TickWorkLimit = 4u * 2u * MacroStepByteLimit;

// Back to program-start state, then armed as the intro arms it: the mixer
// open on the memory stream, the replayer's stores clear and ready to load.
void ResetAndArmSoundPath() {
    ResetSoundPath();
    InitAudio(FuzzSound.rate, FuzzSound.framesPerBlock, FuzzSound.blockCount);
}

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
    ResetAndArmSoundPath();

    char reason[256];
    std::memset(reason, 'x', sizeof reason);
    if (LoadModuleChecked(data, size, reason, sizeof reason) != 0) {
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
    StartAudio();  // pre-fills the ring, then starts the song
    if (!memoryStream.playing || memoryStream.blocksWritten != StreamBlocks)
        Fail("the memory stream did not start with its ring pre-filled");
    int64_t blocksMixed = 0;
    for (int tick = 0; tick < TickCount; ++tick) {
        const uint32_t before = replayer.macroBytesExecuted;
        if (tick % TicksPerWindow < MixedTicksPerWindow) {
            if (MemoryStreamRequestBlock() != 0) Fail("the playing stream refused a block");
            ++blocksMixed;
        } else if (ReplayerTick() != 0) {
            Fail("a loaded module refused to tick");
        }
        if (replayer.macroBytesExecuted - before > TickWorkLimit)
            Fail("one tick did unbounded macro work");
        CheckChannels();
    }
    if (memoryStream.blocksWritten != StreamBlocks + blocksMixed)
        Fail("a mixed block did not reach the stream");
    return 0;
}
