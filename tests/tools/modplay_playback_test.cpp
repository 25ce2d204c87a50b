// modplay's playback on the in-memory stream: whatever is sought, resumed or
// reloaded, the blocks that follow are those of an uninterrupted run.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "builtin_module.h"
#include "demo_song.h"
#include "memory_stream.h"
#include "playback.h"

namespace {

using Frames = std::vector<StereoFrame>;

void Collect(void* context, int, const StereoFrame* frames, int count) {
    auto* out = static_cast<Frames*>(context);
    out->insert(out->end(), frames, frames + count);
}

class Playback : public ::testing::Test {
protected:
    void SetUp() override { SetMemoryStreamSink(Collect, &written); }
    void TearDown() override {
        StopPlayback();
        SetMemoryStreamSink(nullptr, nullptr);
    }

    void Start(const std::vector<uint8_t>& image) {
        std::string error;
        ASSERT_TRUE(StartPlayback(image, error)) << error;
    }
    void Drain(int blocks) {
        for (int i = 0; i < blocks; ++i) ASSERT_EQ(MemoryStreamRequestBlock(), 0);
    }
    // The song blocks of an uninterrupted run, the ring of silence left out.
    Frames Uninterrupted(const std::vector<uint8_t>& image, int blocks) {
        Start(image);
        Drain(blocks);
        StopPlayback();
        Frames song(written.begin() + IntroRingFrames, written.end());
        written.clear();
        return song;
    }
    // True when what was written since `mark` is the run's song from `block`.
    static bool Continues(const Frames& written, size_t mark, const Frames& run, int64_t block) {
        const size_t from = static_cast<size_t>(block) * IntroSound.framesPerBlock;
        const size_t count = written.size() - mark;
        return count > 0 && from + count <= run.size() &&
               std::memcmp(written.data() + mark, run.data() + from, count * sizeof(StereoFrame)) == 0;
    }

    Frames written;
};

const std::vector<uint8_t> Builtin = BuiltInModule();

TEST_F(Playback, SeekAndResumeGoOnWithTheBlocksOfAnUninterruptedRun) {
    const Frames run = Uninterrupted(Builtin, 400);
    Start(Builtin);
    Drain(10);
    ASSERT_GE(CurrentLayout().entryCount, 4);

    size_t mark = written.size();
    SeekToEntry(2);
    EXPECT_EQ(HeardPosition().entry, 2);
    Drain(12);
    EXPECT_TRUE(Continues(written, mark, run, EntryBlock(2)));

    PausePlayback();
    const int64_t heardBlock = HeardSongFrames() / IntroSound.framesPerBlock;
    EXPECT_EQ(MemoryStreamRequestBlock(), 1);  // nothing plays while paused
    mark = written.size();
    ResumePlayback();
    Drain(5);
    EXPECT_TRUE(Continues(written, mark, run, heardBlock));
    EXPECT_GT(heardBlock, EntryBlock(2));
}

TEST_F(Playback, ReloadPlaysTheNewSongFromTheSameEntryAndARefusedOneChangesNothing) {
    const std::vector<uint8_t> first = BuildModule(DemoSong(true, 4));
    const std::vector<uint8_t> second = BuildModule(DemoSong(false, 4));
    const Frames secondRun = Uninterrupted(second, 60);
    Start(first);
    SeekToEntry(1);
    Drain(4);

    std::string error;
    size_t mark = written.size();
    ASSERT_TRUE(ReplaceSong(second, error)) << error;
    EXPECT_EQ(HeardPosition().entry, 1);
    Drain(3);
    EXPECT_TRUE(Continues(written, mark, secondRun, EntryBlock(1)));

    const int64_t heardBlock = HeardSongFrames() / IntroSound.framesPerBlock;
    mark = written.size();
    EXPECT_FALSE(ReplaceSong(std::vector<uint8_t>{'F', 'C', '1', '4', 0, 0}, error));
    EXPECT_NE(error.find("bytes"), std::string::npos) << error;
    Drain(3);
    EXPECT_TRUE(Continues(written, mark, secondRun, heardBlock));
}

TEST_F(Playback, MutedVoicesAreSilentWhileTheSongGoesOn) {
    Start(Builtin);
    for (int v = 0; v < 4; ++v) SetVoiceMuted(v, true);
    Drain(30);
    const int64_t songTick = HeardPosition().songTick;
    EXPECT_GT(songTick, 0);
    const Frames silence(written.size() - IntroRingFrames, StereoFrame{});
    EXPECT_EQ(std::memcmp(written.data() + IntroRingFrames, silence.data(),
                          silence.size() * sizeof(StereoFrame)),
              0);
    for (int v = 0; v < 4; ++v) SetVoiceMuted(v, false);
    Drain(10);
    EXPECT_GT(HeardPosition().songTick, songTick);
    EXPECT_NE(std::memcmp(written.data() + written.size() - IntroSound.framesPerBlock, silence.data(),
                          IntroSound.framesPerBlock * sizeof(StereoFrame)),
              0);
}

}  // namespace
