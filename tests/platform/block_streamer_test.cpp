// The block streamer's logic against the recording fake: open order and
// failure codes, ring geometry, the refill rule, lost buffers, start, pause
// and close with the real streaming thread.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <vector>

#include "fake_stream_platform.h"
#include "block_streamer_logic.h"
#include "sound/stereo_frame.h"

namespace {

constexpr int Frames = 4000;
constexpr int BlockBytes = Frames * 4;

BlockStreamer* filling = nullptr;
std::atomic<int> fillCount = 0;

// Writes block number n as frames whose left sample is n (1-based).
void FillWithCount() {
    std::vector<StereoFrame> frames(Frames);
    const int16_t mark = static_cast<int16_t>(++fillCount);
    for (auto& frame : frames) frame = {mark, static_cast<int16_t>(-mark)};
    filling->WriteBlock(frames.data());
}

int16_t RingBlockMark(int block) {
    int16_t mark = 0;
    std::memcpy(&mark, Fake().ring.data() + block * BlockBytes, sizeof mark);
    return mark;
}

bool Contains(const std::vector<std::string>& calls, const std::string& call) {
    return std::find(calls.begin(), calls.end(), call) != calls.end();
}

class BlockStreamerTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetFake();
        filling = &streamer;
        fillCount = 0;
    }
    void TearDown() override { ResetFake(); }

    int Open(int blockCount = 8) {
        return streamer.OpenStream(FakePlatform(), FillWithCount, 44100, Frames, blockCount,
                                   nullptr);
    }
    BlockStreamer streamer;
};

TEST_F(BlockStreamerTest, OpenMakesTheCallsInOrderWithTheIntroSettings) {
    ASSERT_EQ(Open(), 0);
    EXPECT_EQ(streamer.isOpen, 1);
    EXPECT_EQ(streamer.lastError, 0);
    EXPECT_EQ(CallsSnapshot(),
              (std::vector<std::string>{"DirectSoundCreate", "SetCooperativeLevel",
                                        "CreatePrimaryBuffer", "SetFormat", "CreateStreamBuffer",
                                        "CreateEvent", "QueryInterface",
                                        "SetNotificationPositions", "CreateThread",
                                        "SetThreadPriority", "InitializeCriticalSection"}));
    const auto& buffers = Fake().buffersCreated;
    ASSERT_EQ(buffers.size(), 2u);
    EXPECT_EQ(buffers[0].flags, 1u);
    EXPECT_EQ(buffers[0].bufferBytes, 0u);
    EXPECT_EQ(buffers[0].format, nullptr);
    EXPECT_EQ(buffers[1].flags, 0x18100u);
    EXPECT_EQ(buffers[1].bufferBytes, 128000u);
    for (const StreamFormat& format : {Fake().primaryFormat, Fake().streamFormat}) {
        EXPECT_EQ(format.formatTag, 1);
        EXPECT_EQ(format.channels, 2);
        EXPECT_EQ(format.samplesPerSec, 44100u);
        EXPECT_EQ(format.avgBytesPerSec, 176400u);
        EXPECT_EQ(format.blockAlign, 4);
        EXPECT_EQ(format.bitsPerSample, 16);
        EXPECT_EQ(format.extraSize, 0);
    }
    ASSERT_EQ(Fake().notifyPositions.size(), 8u);
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(Fake().notifyPositions[i].offset, uint32_t((i + 1) * 16000 - 1));
        EXPECT_EQ(Fake().notifyPositions[i].event, streamer.blockEvent);
    }
    EXPECT_EQ(Fake().notifyPositions.back().offset, 127999u);
}

TEST_F(BlockStreamerTest, BlockCountIsClampedAndTheRingFollows) {
    const struct { int given, used; } cases[] = {{0, 2}, {1, 2}, {2, 2}, {16, 16}, {40, 16}};
    for (const auto& c : cases) {
        ResetFake();
        ASSERT_EQ(Open(c.given), 0);
        EXPECT_EQ(streamer.ring.blockCount, c.used) << c.given;
        EXPECT_EQ(Fake().buffersCreated.at(1).bufferBytes, uint32_t(c.used * BlockBytes));
        ASSERT_EQ(Fake().notifyPositions.size(), size_t(c.used));
        EXPECT_EQ(Fake().notifyPositions.back().offset, uint32_t(c.used * BlockBytes - 1));
        streamer.CloseStream();
    }
}

TEST_F(BlockStreamerTest, EachFailingStepGivesItsCodeAndReleasesTheDevice) {
    const struct { const char* step; int code; } cases[] = {
        {"SetCooperativeLevel", 101}, {"CreatePrimaryBuffer", 110}, {"SetFormat", 111},
        {"CreateStreamBuffer", 120},  {"QueryInterface", 122},      {"SetNotificationPositions", 123}};
    for (const auto& c : cases) {
        ResetFake();
        Fake().results[c.step] = -2147024809;  // E_INVALIDARG
        EXPECT_EQ(Open(), c.code) << c.step;
        EXPECT_EQ(streamer.lastError, c.code);
        EXPECT_EQ(streamer.isOpen, 0);
        const auto calls = CallsSnapshot();
        EXPECT_EQ(calls.back(), "ReleaseDevice") << c.step;
        // The notification interface is released only once it was obtained.
        EXPECT_EQ(Contains(calls, "ReleaseNotify"), c.code == 123) << c.step;
        // The event, made before the notification steps, does not leak.
        EXPECT_EQ(Contains(calls, "CloseEvent"), c.code >= 122) << c.step;
        EXPECT_EQ(streamer.StartStream(), 1);
    }
}

TEST_F(BlockStreamerTest, EventAndThreadFailuresAndTheSoftPriorityFailure) {
    Fake().failEvent = true;
    EXPECT_EQ(Open(), 121);
    EXPECT_FALSE(Contains(CallsSnapshot(), "QueryInterface"));

    ResetFake();
    Fake().failThread = true;
    EXPECT_EQ(Open(), 130);
    EXPECT_EQ(CallsSnapshot().back(), "ReleaseDevice");
    EXPECT_TRUE(Contains(CallsSnapshot(), "CloseEvent"));

    ResetFake();
    Fake().failPriority = true;
    EXPECT_EQ(Open(), 0);
    EXPECT_EQ(streamer.lastError, 131);
    EXPECT_EQ(streamer.isOpen, 1);
    streamer.CloseStream();
}

TEST_F(BlockStreamerTest, NoDeviceReturns100AndLeavesEverythingAlone) {
    Fake().results["DirectSoundCreate"] = static_cast<int32_t>(0x80070057);
    EXPECT_EQ(Open(), 100);
    EXPECT_EQ(streamer.lastError, 0);
    EXPECT_EQ(CallsSnapshot(), std::vector<std::string>{"DirectSoundCreate"});
    Fake().calls.clear();
    EXPECT_EQ(streamer.StartStream(), 1);
    streamer.PauseStream();
    streamer.CloseStream();
    EXPECT_TRUE(CallsSnapshot().empty());
    EXPECT_EQ(fillCount, 0);
}

TEST_F(BlockStreamerTest, StartBeforeAnyOpenReturns1AndCallsNothing) {
    EXPECT_EQ(streamer.StartStream(), 1);
    EXPECT_TRUE(CallsSnapshot().empty());
    EXPECT_EQ(fillCount, 0);
}

TEST_F(BlockStreamerTest, FinishedBlockIsTheBlockBehindTheWriteCursor) {
    ASSERT_EQ(Open(), 0);
    for (int count = 2; count <= 16; ++count) {
        streamer.ring.blockCount = count;
        for (uint32_t cursor : {0u, 1u, 8000u, 15999u}) {
            SetWriteCursor(cursor);
            EXPECT_EQ(streamer.FinishedBlock(), count - 1) << count << " " << cursor;
        }
        if (count > 3) {
            for (uint32_t cursor : {48000u, 55555u, 63999u}) {
                SetWriteCursor(cursor);
                EXPECT_EQ(streamer.FinishedBlock(), 2) << count << " " << cursor;
            }
        }
    }
}

TEST_F(BlockStreamerTest, StartPrefillsEveryBlockThenPlaysFromZero) {
    ASSERT_EQ(Open(), 0);
    Fake().calls.clear();
    ASSERT_EQ(streamer.StartStream(), 0);
    EXPECT_EQ(fillCount, 8);
    for (int block = 0; block < 8; ++block) EXPECT_EQ(RingBlockMark(block), block + 1);
    EXPECT_EQ(streamer.ring.nextBlock, 0);
    EXPECT_EQ(streamer.suspended, 0);
    auto calls = CallsSnapshot();
    // The pre-fill runs on the caller's thread, before the thread is resumed.
    calls.erase(std::remove_if(calls.begin(), calls.end(),
                               [](const std::string& c) { return c.rfind("WaitEvent", 0) == 0; }),
                calls.end());
    ASSERT_EQ(calls.size(), 8u * 2 + 3);
    EXPECT_EQ(calls[0], "Lock 0 16000");
    EXPECT_EQ(calls[1], "Unlock 0 16000");
    EXPECT_EQ(calls[14], "Lock 112000 16000");
    EXPECT_EQ(calls[16], "SetCurrentPosition 0");
    EXPECT_EQ(calls[17], "ResumeThread");
    EXPECT_EQ(calls[18], "Play");
    streamer.CloseStream();
}

TEST_F(BlockStreamerTest, TheThreadRefillsOnlyTheExpectedBlock) {
    ASSERT_EQ(Open(), 0);
    ASSERT_EQ(streamer.StartStream(), 0);
    ASSERT_TRUE(WaitForWaitsEntered(1));

    // Playback passed block 0: the write cursor is in block 1, block 0 is refilled.
    SetWriteCursor(16000 + 1764);
    ASSERT_TRUE(SignalAndSettle());
    EXPECT_EQ(fillCount, 9);
    EXPECT_EQ(RingBlockMark(0), 9);
    EXPECT_EQ(streamer.ring.nextBlock, 1);

    // A signal missed: the cursor is two blocks on, nothing is written.
    SetWriteCursor(3 * 16000 + 1764);
    ASSERT_TRUE(SignalAndSettle());
    EXPECT_EQ(fillCount, 9);
    EXPECT_EQ(RingBlockMark(1), 2);

    // One ring later the cursor is back behind block 1, which is refilled.
    SetWriteCursor(2 * 16000 + 1764);
    ASSERT_TRUE(SignalAndSettle());
    EXPECT_EQ(fillCount, 10);
    EXPECT_EQ(RingBlockMark(1), 10);

    // The last block wraps nextBlock to 0.
    streamer.ring.nextBlock = 7;
    SetWriteCursor(100);
    ASSERT_TRUE(SignalAndSettle());
    EXPECT_EQ(RingBlockMark(7), 11);
    EXPECT_EQ(streamer.ring.nextBlock, 0);
    streamer.CloseStream();
}

TEST_F(BlockStreamerTest, ALostBufferIsRestoredOnceAndLockedOnceMore) {
    ASSERT_EQ(Open(), 0);
    std::vector<StereoFrame> frames(Frames, StereoFrame{7, 7});
    streamer.ring.nextBlock = 2;

    Fake().calls.clear();
    Fake().bufferLostLocks = 1;
    EXPECT_EQ(streamer.WriteBlock(frames.data()), StreamOk);
    EXPECT_EQ(CallsSnapshot(), (std::vector<std::string>{"Lock 32000 16000", "Restore",
                                                         "Lock 32000 16000", "Unlock 32000 16000"}));
    EXPECT_EQ(RingBlockMark(2), 7);

    // Lost twice: the block keeps its old contents and nothing is unlocked.
    frames.assign(Frames, StereoFrame{9, 9});
    Fake().calls.clear();
    Fake().bufferLostLocks = 2;
    EXPECT_EQ(streamer.WriteBlock(frames.data()), StreamBufferLost);
    EXPECT_EQ(CallsSnapshot(),
              (std::vector<std::string>{"Lock 32000 16000", "Restore", "Lock 32000 16000"}));
    EXPECT_EQ(RingBlockMark(2), 7);
    streamer.CloseStream();
}

TEST_F(BlockStreamerTest, CloseRightAfterOpenEndsTheThreadWithoutAWait) {
    ASSERT_EQ(Open(), 0);
    Fake().calls.clear();
    streamer.CloseStream();
    EXPECT_TRUE(Fake().threadEnded);
    EXPECT_EQ(Fake().waitsEntered, 0);
    EXPECT_EQ(CallsSnapshot(),
              (std::vector<std::string>{"Stop", "ResumeThread", "WaitForThread", "CloseEvent",
                                        "DeleteCriticalSection", "ReleaseNotify",
                                        "ReleaseDevice"}));
    EXPECT_EQ(fillCount, 0);
}

TEST_F(BlockStreamerTest, PauseThenCloseResumesTheThreadWhichEndsAfterItsWait) {
    Fake().realWaitCapMs = 300;  // long enough that only the wait after the pause times out
    ASSERT_EQ(Open(), 0);
    ASSERT_EQ(streamer.StartStream(), 0);
    ASSERT_TRUE(WaitForWaitsEntered(1));
    Fake().calls.clear();
    streamer.PauseStream();
    EXPECT_EQ(streamer.suspended, 1);
    streamer.CloseStream();
    EXPECT_TRUE(Fake().threadEnded);
    EXPECT_EQ(CallsSnapshot().front(), "Stop");
    auto calls = CallsSnapshot();
    calls.erase(std::remove_if(calls.begin(), calls.end(),
                               [](const std::string& c) { return c.rfind("WaitEvent", 0) == 0; }),
                calls.end());
    EXPECT_EQ(calls, (std::vector<std::string>{"Stop", "SuspendThread", "Stop", "ResumeThread",
                                               "WaitForThread", "CloseEvent",
                                               "DeleteCriticalSection", "ReleaseNotify",
                                               "ReleaseDevice"}));
    EXPECT_EQ(Fake().waitsTimedOut, 1);
}

// A thread suspended twice would be resumed only once by the close, which
// would then wait for it forever; and a closed stream's device is gone.
TEST_F(BlockStreamerTest, PausingASuspendedThreadOrClosingTwiceDoesNothing) {
    ASSERT_EQ(Open(), 0);
    streamer.PauseStream();  // never started: the thread is still suspended
    ASSERT_EQ(streamer.StartStream(), 0);
    ASSERT_TRUE(WaitForWaitsEntered(1));
    streamer.PauseStream();
    streamer.PauseStream();
    const auto calls = CallsSnapshot();
    EXPECT_EQ(std::count(calls.begin(), calls.end(), "SuspendThread"), 1);
    ASSERT_EQ(Fake().suspendCount, 1);
    streamer.CloseStream();
    EXPECT_TRUE(Fake().threadEnded);
    Fake().calls.clear();
    streamer.CloseStream();
    streamer.PauseStream();
    EXPECT_EQ(streamer.StartStream(), 1);
    EXPECT_TRUE(CallsSnapshot().empty());
}

TEST_F(BlockStreamerTest, RestartAfterPauseDoesNotRefillOnAStaleSignal) {
    ASSERT_EQ(Open(), 0);
    ASSERT_EQ(streamer.StartStream(), 0);
    ASSERT_TRUE(WaitForWaitsEntered(1));
    // A signal for block 0 arrives and the pause takes the thread in its wait.
    SetWriteCursor(16000 + 1764);
    streamer.PauseStream();
    SignalBlockEvent();
    ASSERT_EQ(streamer.StartStream(), 0);  // rewinds: the write cursor is back in block 0
    ASSERT_TRUE(WaitForSignalHandled(1));
    // Only the 16 pre-fills: the stale signal found no block to refill.
    EXPECT_EQ(fillCount, 16);
    EXPECT_EQ(streamer.ring.nextBlock, 0);
    streamer.CloseStream();
}

}  // namespace
