// Audio control over the real mixer, replayer and in-memory stream.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "app/intro_driver.h"
#include "app/intro_loop.h"
#include "app/intro_music.h"
#include "audio/audio_control.h"
#include "audio/sound_path.h"
#include "demo_song.h"
#include "memory_stream.h"
#include "replayer/replayer.h"
#include "sound/mixer.h"

namespace {

struct TickLog {
    int idle = 0;       // ticks that returned 1 (replayer not running)
    int ran = 0;        // ticks that ran
    int64_t firstRunBlocksWritten = -1;
    int firstRunCounter = -1;
} tickLog;

int LoggedTick() {
    const int result = ReplayerTick();
    if (result != 0) {
        ++tickLog.idle;
    } else if (++tickLog.ran == 1) {
        tickLog.firstRunBlocksWritten = memoryStream.blocksWritten;
        tickLog.firstRunCounter = mixer.tickCounter;
    }
    return result;
}

std::vector<StereoFrame> heard;
void Capture(void*, int, const StereoFrame* frames, int count) {
    heard.insert(heard.end(), frames, frames + count);
}

class AudioControl : public ::testing::Test {
protected:
    void SetUp() override {
        ResetSoundPath();
        tickLog = TickLog{};
        heard.clear();
        SetMemoryStreamSink(Capture, nullptr);
    }
    static void LoadDemo() {
        const std::vector<uint8_t> image = BuildModule(DemoSong(true, 4));
        ASSERT_EQ(LoadModuleChecked(image.data(), image.size(), nullptr, 0), 0);
    }
};

TEST_F(AudioControl, StartAndPauseBeforeInitChangeNothing) {
    StartAudio();
    EXPECT_EQ(replayer.playing, 0);
    PauseAudio();
    EXPECT_EQ(replayer.playing, 0);
    EXPECT_EQ(memoryStream.isOpen, 0);
    EXPECT_TRUE(heard.empty());
}

TEST_F(AudioControl, RateZeroPlaysSilentlyWithoutOutput) {
    InitAudio(0, 4000, 8);
    EXPECT_EQ(replayer.soundEnabled, 0);
    EXPECT_EQ(replayer.replayerReady, 1);
    StartAudio();
    EXPECT_EQ(replayer.playing, 1);
    EXPECT_EQ(memoryStream.isOpen, 0);
    EXPECT_EQ(MemoryStreamRequestBlock(), 1);
    EXPECT_TRUE(heard.empty());
    EXPECT_EQ(mixer.samplesPerTick, 0) << "the mixer was never opened";
}

TEST_F(AudioControl, MissingDeviceStillRunsThroughTheSteps) {
    SetMemoryStreamOpenResult(105);
    InitAudio(44100, 4000, 8);
    EXPECT_EQ(replayer.soundEnabled, 1);
    EXPECT_EQ(replayer.replayerReady, 1);
    LoadDemo();
    StartAudio();
    EXPECT_EQ(replayer.playing, 1);
    EXPECT_EQ(mixer.smoothing, 0);
    EXPECT_TRUE(heard.empty());
    PauseAudio();
    ShutdownAudio();
    EXPECT_EQ(replayer.replayerReady, 0);
}

TEST_F(AudioControl, PrefillIsSilentAndTheSongStartsWithTheFirstRefill) {
    InitAudio(44100, 4000, 8);
    mixer.tickCallback = LoggedTick;
    LoadDemo();
    StartAudio();
    EXPECT_EQ(replayer.playing, 1);
    ASSERT_EQ(heard.size(), 32000u);
    for (const StereoFrame& f : heard) ASSERT_EQ(f.left | f.right, 0);
    EXPECT_EQ(tickLog.idle, 36);
    EXPECT_EQ(tickLog.ran, 0);
    EXPECT_EQ(mixer.tickCounter, 248);

    ASSERT_EQ(MemoryStreamRequestBlock(), 0);
    ASSERT_EQ(heard.size(), 36000u);
    // The first song tick came while block 9 was rendered, before its opening
    // 634-frame chunk (248 + 634 = 882).
    EXPECT_EQ(tickLog.firstRunBlocksWritten, 8);
    EXPECT_EQ(tickLog.firstRunCounter, 882);
    EXPECT_EQ(tickLog.ran, 4);  // before frames 0, 634, 1516 and 2398
    bool sounding = false;
    for (int i = 32000; i < 32000 + 634; ++i) sounding |= heard[i].left != 0 || heard[i].right != 0;
    EXPECT_TRUE(sounding);
}

TEST_F(AudioControl, PauseStopsPlaybackAndShutdownEndsIt) {
    InitAudio(44100, 4000, 8);
    LoadDemo();
    StartAudio();
    PauseAudio();
    EXPECT_EQ(replayer.playing, 0);
    EXPECT_EQ(replayer.replayerReady, 1);
    EXPECT_EQ(MemoryStreamRequestBlock(), 1);
    ShutdownAudio();
    EXPECT_EQ(replayer.replayerReady, 0);
    EXPECT_EQ(memoryStream.isOpen, 0);
    EXPECT_EQ(memoryStream.closeCount, 1);
    const size_t before = heard.size();
    StartAudio();
    EXPECT_EQ(replayer.playing, 0);
    EXPECT_EQ(heard.size(), before);
}

TEST_F(AudioControl, InitClearsTheTablesButNotTheSampleMemory) {
    std::memset(replayer.song.sequence, 0xAA, sizeof replayer.song.sequence);
    std::memset(replayer.song.patterns, 0xAA, sizeof replayer.song.patterns);
    std::memset(replayer.song.volumeMacros, 0xAA, sizeof replayer.song.volumeMacros);
    std::memset(replayer.song.frequencyMacros, 0xAA, sizeof replayer.song.frequencyMacros);
    std::memset(replayer.song.sampleTable, 0xAA, sizeof replayer.song.sampleTable);
    std::memset(replayer.song.sampleMemory, 0x55, sizeof replayer.song.sampleMemory);
    replayer.song.speed = 9;
    InitAudio(44100, 4000, 8);
    auto allZero = [](const void* p, size_t n) {
        const auto* b = static_cast<const uint8_t*>(p);
        for (size_t i = 0; i < n; ++i) if (b[i]) return false;
        return true;
    };
    EXPECT_TRUE(allZero(replayer.song.sequence, sizeof replayer.song.sequence));
    EXPECT_TRUE(allZero(replayer.song.patterns, sizeof replayer.song.patterns));
    EXPECT_TRUE(allZero(replayer.song.volumeMacros, sizeof replayer.song.volumeMacros));
    EXPECT_TRUE(allZero(replayer.song.frequencyMacros, sizeof replayer.song.frequencyMacros));
    EXPECT_TRUE(allZero(replayer.song.sampleTable, sizeof replayer.song.sampleTable));
    EXPECT_EQ(replayer.song.sampleMemory[0], 0x55);
    EXPECT_EQ(replayer.song.sampleMemory[SampleMemoryBytes - 1], 0x55);
    EXPECT_EQ(replayer.song.speed, 9);
}

// Teardown may run more than once: the music stops once, and its stream is
// closed exactly once.
TEST_F(AudioControl, IntroTeardownClosesTheStreamOnceHoweverOftenItRuns) {
    ResetIntro();
    introDriver.platform.musicStop = IntroMusicStop;
    IntroMusicStart();
    EXPECT_EQ(replayer.playing, 1);
    ShutdownIntro();
    ShutdownIntro();
    EXPECT_EQ(memoryStream.closeCount, 1);
    EXPECT_EQ(replayer.replayerReady, 0);
    ResetIntro();
}

TEST_F(AudioControl, PauseAndShutdownBeforeAnyStartCloseOnce) {
    InitAudio(44100, 4000, 8);
    PauseAudio();
    PauseAudio();
    ShutdownAudio();
    ShutdownAudio();
    EXPECT_EQ(memoryStream.closeCount, 1);
    EXPECT_TRUE(heard.empty());
}

}  // namespace
