// The in-memory block stream: open, pre-fill, block requests, pause and close.
#include <gtest/gtest.h>

#include <vector>

#include "memory_stream.h"

namespace {

int fills = 0;
StereoFrame block[16384];
void FillNumbered() {
    ++fills;
    for (int i = 0; i < memoryStream.blocks.ring.framesPerBlock; ++i) block[i] = {int16_t(fills), int16_t(i)};
    WriteBlock(block);
}

std::vector<int> sinkBlocks;
void Sink(void*, int slot, const StereoFrame* frames, int count) {
    sinkBlocks.push_back(slot);
    EXPECT_EQ(count, memoryStream.blocks.ring.framesPerBlock);
    EXPECT_EQ(frames[0].left, fills);
}

class MemoryStream : public ::testing::Test {
protected:
    void SetUp() override {
        ResetStream();
        fills = 0;
        sinkBlocks.clear();
    }
};

TEST_F(MemoryStream, StartBeforeOpenDoesNothing) {
    EXPECT_EQ(StartStream(), 1);
    EXPECT_EQ(MemoryStreamRequestBlock(), 1);
    PauseStream();
    CloseStream();
    EXPECT_EQ(fills, 0);
}

TEST_F(MemoryStream, ClampsBlockCountAndSize) {
    EXPECT_EQ(OpenStream(FillNumbered, 44100, 4000, 0), 0);
    EXPECT_EQ(memoryStream.blocks.ring.blockCount, 2);
    OpenStream(FillNumbered, 44100, 4000, 40);
    EXPECT_EQ(memoryStream.blocks.ring.blockCount, 16);
    OpenStream(FillNumbered, 44100, 100000, 8);
    EXPECT_EQ(memoryStream.blocks.ring.framesPerBlock, MaxFramesPerBlock);
    OpenStream(FillNumbered, 44100, -4, 8);
    EXPECT_EQ(memoryStream.blocks.ring.framesPerBlock, 1);
}

TEST_F(MemoryStream, PrefillsEveryBlockThenServesRequestsInRingOrder) {
    SetMemoryStreamSink(Sink, nullptr);
    ASSERT_EQ(OpenStream(FillNumbered, 44100, 100, 3), 0);
    EXPECT_EQ(StartStream(), 0);
    EXPECT_EQ(fills, 3);
    EXPECT_EQ(memoryStream.blocks.ring.nextBlock, 0);
    EXPECT_EQ(memoryStream.blocks.blocks[2][99].left, 3);
    EXPECT_EQ(memoryStream.blocks.blocks[2][99].right, 99);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(MemoryStreamRequestBlock(), 0);
    EXPECT_EQ(sinkBlocks, (std::vector<int>{0, 1, 2, 0, 1, 2, 0}));
    EXPECT_EQ(memoryStream.blocks.blocks[0][0].left, 7);
    EXPECT_EQ(memoryStream.blocksWritten, 7);
}

TEST_F(MemoryStream, PauseStopsRequestsAndRestartPrefillsAnew) {
    OpenStream(FillNumbered, 44100, 10, 2);
    StartStream();
    MemoryStreamRequestBlock();
    PauseStream();
    EXPECT_EQ(MemoryStreamRequestBlock(), 1);
    EXPECT_EQ(fills, 3);
    EXPECT_EQ(StartStream(), 0);
    EXPECT_EQ(fills, 5);
    EXPECT_EQ(memoryStream.blocks.ring.nextBlock, 0);
    CloseStream();
    EXPECT_EQ(MemoryStreamRequestBlock(), 1);
    EXPECT_EQ(StartStream(), 1) << "not to be used after close";
    EXPECT_EQ(memoryStream.closeCount, 1);
    CloseStream();
    EXPECT_EQ(memoryStream.closeCount, 2) << "a second close is counted";
}

TEST_F(MemoryStream, FailedOpenLeavesItClosed) {
    SetMemoryStreamOpenResult(100);
    EXPECT_EQ(OpenStream(FillNumbered, 44100, 10, 2), 100);
    EXPECT_EQ(StartStream(), 1);
    EXPECT_EQ(fills, 0);
}

}  // namespace
