// The intro's song as a listener meets it: the embedded image is the
// assembled source, it loads through the checked loader, every voice sounds
// within the first seconds and none falls silent for long, and the song's
// length is the one modrender reports. The SMOD test song loads on the
// built-in waveforms and plays too.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <sstream>
#include <vector>

#include "memory_stream.h"
#include "modasm_test_support.h"
#include "render_session.h"
#include "replayer/replayer.h"
#include "audio/audio_control.h"
#include "audio/sound_path.h"
#include "sound/mixer.h"

namespace {

constexpr int TicksPerSecond = 50;
constexpr int FramesPerTick = 44100 / TicksPerSecond;

std::string ReadText(const char* path) {
    std::ifstream file(path, std::ios::binary);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

std::vector<uint8_t> EmbeddedImage() { return BuiltInModule(); }

struct VoiceActivity {
    int firstSound[4] = {-1, -1, -1, -1};  // tick of the first audible tick
    int longestSilence[4] = {0, 0, 0, 0};  // ticks in a row without sound
    int starts[4] = {0, 0, 0, 0};          // channel starts
};

void CountStarts(void* context, int channel, const char* operation, bool, long, const int8_t*) {
    if (channel >= 0 && channel < 4 && std::strcmp(operation, "StartChannel") == 0)
        ++static_cast<VoiceActivity*>(context)->starts[channel];
}

// Starts the music the way the intro does, then renders tick by tick and
// watches which channels are heard (active with a volume above 0).
VoiceActivity PlayAndWatch(const std::vector<uint8_t>& image, int ticks) {
    VoiceActivity activity;
    ResetSoundPath();
    InitAudio(44100, 4000, 8);
    char reason[256];
    EXPECT_EQ(LoadModuleChecked(image.data(), image.size(), reason, sizeof reason), 0) << reason;
    StartAudio();
    SetChannelObserver(CountStarts, &activity);
    static StereoFrame frames[FramesPerTick];
    int silence[4] = {0, 0, 0, 0};
    for (int tick = 0; tick < ticks; ++tick) {
        MixFrames(frames, FramesPerTick);
        for (int v = 0; v < 4; ++v) {
            const bool heard = mixer.channels[v].active && mixer.channels[v].volume > 0;
            if (heard && activity.firstSound[v] < 0) activity.firstSound[v] = tick;
            silence[v] = heard ? 0 : silence[v] + 1;
            if (activity.firstSound[v] >= 0 && silence[v] > activity.longestSilence[v])
                activity.longestSilence[v] = silence[v];
        }
    }
    SetChannelObserver(nullptr, nullptr);
    ShutdownAudio();
    ResetSoundPath();
    return activity;
}

TEST(IntroSong, EmbeddedImageIsTheAssembledSource) {
    AssemblyResult assembled = AssembleText(ReadText(INTRO_SONG_SOURCE), INTRO_SONG_SOURCE);
    ASSERT_TRUE(assembled.ok) << assembled.errors[0];
    EXPECT_EQ(assembled.image, EmbeddedImage());
    EXPECT_EQ(std::string(assembled.image.begin(), assembled.image.begin() + 4), "FC14");
}

TEST(IntroSong, LoadsThroughTheCheckedLoaderWithTheAssembledLayout) {
    AssemblyResult assembled = AssembleText(ReadText(INTRO_SONG_SOURCE), INTRO_SONG_SOURCE);
    ASSERT_TRUE(assembled.ok);
    const AssembledModule& m = assembled.module;
    ResetReplayerState();
    char reason[256];
    static const std::vector<uint8_t> image = EmbeddedImage();  // the replayer reads it while it plays
    ASSERT_EQ(LoadModuleChecked(image.data(), image.size(), reason, sizeof reason), 0) << reason;
    EXPECT_EQ(replayer.song.sequenceCount, static_cast<int>(m.sequence.size()));
    EXPECT_EQ(replayer.song.patternCount, static_cast<int>(m.patterns.size()));
    EXPECT_EQ(replayer.song.frequencyMacroCount, static_cast<int>(m.freqMacros.size()));
    EXPECT_EQ(replayer.song.volumeMacroCount, static_cast<int>(m.volMacros.size()));
    // The loader's running offset (+2 per sample) must find every sample and
    // waveform where modasm put it.
    for (size_t s = 0; s < m.samples.size(); ++s) {
        const SampleEntry& entry = replayer.song.sampleTable[s];
        ASSERT_EQ(entry.length * 2u, m.samples[s].bytes.size());
        EXPECT_EQ(0, std::memcmp(replayer.song.sampleMemory + entry.start, m.samples[s].bytes.data(),
                                 m.samples[s].bytes.size()))
            << "sample " << s;
    }
    for (size_t w = 0; w < m.waves.size(); ++w) {
        const SampleEntry& entry = replayer.song.sampleTable[10 + w];
        ASSERT_EQ(entry.repeatLength * 2u, m.waves[w].bytes.size());
        EXPECT_EQ(0, std::memcmp(replayer.song.sampleMemory + entry.start, m.waves[w].bytes.data(),
                                 m.waves[w].bytes.size()))
            << "wave " << w;
    }
    ResetReplayerState();
}

TEST(IntroSong, LastsOverAMinuteAsModrenderMeasuresIt) {
    AssemblyResult assembled = AssembleText(ReadText(INTRO_SONG_SOURCE), INTRO_SONG_SOURCE);
    ASSERT_TRUE(assembled.ok);
    const long expected = SongTicks(assembled.module.sequence, assembled.module.patterns);
    const SongScan measured = MeasureSong(EmbeddedImage(), 1, SongScanCapTicks);
    EXPECT_FALSE(measured.capped);
    EXPECT_EQ(measured.ticks, expected);
    EXPECT_GE(measured.ticks, 60 * TicksPerSecond);
}

TEST(IntroSong, EveryVoiceSoundsEarlyAndNeverFallsSilentForLong) {
    const SongScan length = MeasureSong(EmbeddedImage(), 1, SongScanCapTicks);
    // One pass and the way back into the intro.
    const VoiceActivity activity = PlayAndWatch(EmbeddedImage(), static_cast<int>(length.ticks) + 400);
    for (int v = 0; v < 4; ++v) {
        EXPECT_GE(activity.firstSound[v], 0) << "voice " << v << " never sounds";
        EXPECT_LE(activity.firstSound[v], 2 * TicksPerSecond) << "voice " << v;
        EXPECT_LE(activity.longestSilence[v], 2 * TicksPerSecond) << "voice " << v;
        EXPECT_GE(activity.starts[v], 32) << "voice " << v << " plays too few notes";
    }
}

TEST(SmodTestSong, LoadsOnTheBuiltinWaveformsAndPlays) {
    std::ifstream file(INTRO_SMOD_TEST_MODULE, std::ios::binary);
    const std::vector<uint8_t> image{std::istreambuf_iterator<char>(file), {}};
    ASSERT_GE(image.size(), 100u);
    EXPECT_EQ(std::string(image.begin(), image.begin() + 4), "SMOD");
    ResetReplayerState();
    char reason[256];
    ASSERT_EQ(LoadModuleChecked(image.data(), image.size(), reason, sizeof reason), 0) << reason;
    // One 256-word sample and its 2 spare bytes, then the built-in waveforms.
    EXPECT_EQ(replayer.song.sampleTable[0].length, 256);
    EXPECT_EQ(replayer.song.sampleTable[10].start, 514u);
    EXPECT_EQ(0, std::memcmp(replayer.song.sampleMemory + 514, BuiltinWaveforms, sizeof BuiltinWaveforms));
    EXPECT_EQ(replayer.song.sequenceCount, 4);
    ResetReplayerState();

    const VoiceActivity activity = PlayAndWatch(image, 300);
    for (int v = 0; v < 4; ++v) {
        EXPECT_EQ(activity.firstSound[v], 0) << "voice " << v;
        EXPECT_GE(activity.starts[v], 4) << "voice " << v;
    }
}

}  // namespace
