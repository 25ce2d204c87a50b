// The frame renderer: clocks the replayer, renders the four channels chunk by
// chunk and smooths each chunk. Runs on the streaming thread, so it allocates
// nothing, takes no lock and does no I/O.
#include <cstring>

#include "sound/block_stream.h"
#include "sound/mixer.h"

namespace {

// Compatibility: 16-bit wrap-around addition (no saturation), done in
// unsigned arithmetic so that it is defined behaviour; the conversion back to
// int16_t is modular in C++20.
inline int16_t AddWrapped(int16_t a, int16_t b) {
    return static_cast<int16_t>(static_cast<uint16_t>(static_cast<uint16_t>(a) +
                                                      static_cast<uint16_t>(b)));
}

inline void AccumulateOne(const int8_t* data, StereoFrame& frame, uint32_t position,
                          const int16_t* leftTable, const int16_t* rightTable) {
    const uint8_t b = static_cast<uint8_t>(data[position >> 12]);
    frame.left = AddWrapped(frame.left, leftTable[b]);
    frame.right = AddWrapped(frame.right, rightTable[b]);
}

int TableLevel(const MixChannel& c, uint8_t panLevel) {
    // Guard: fields written from outside the channel operations could exceed
    // 64; the level indexes the volume tables, so it is bounded here.
    const int level = c.masterLevel * panLevel * c.volume / 4096;
    return level > 64 ? 64 : level;
}

}  // namespace

uint32_t AccumulateSamples(const int8_t* data, StereoFrame* frames, uint32_t position,
                           uint32_t step, int count, const int16_t* leftTable,
                           const int16_t* rightTable) {
    if (!data || !frames || !leftTable || !rightTable) return position;
    int i = 0;
    for (; i + 4 <= count; i += 4) {
        AccumulateOne(data, frames[i], position, leftTable, rightTable);
        AccumulateOne(data, frames[i + 1], position + step, leftTable, rightTable);
        AccumulateOne(data, frames[i + 2], position + 2 * step, leftTable, rightTable);
        AccumulateOne(data, frames[i + 3], position + 3 * step, leftTable, rightTable);
        position += 4 * step;
    }
    for (; i < count; ++i) {
        AccumulateOne(data, frames[i], position, leftTable, rightTable);
        position += step;
    }
    return position;
}

void RenderChannel(MixChannel* channel, StereoFrame* frames, int count) {
    if (!channel || !frames || count <= 0 || mixer.outputRate <= 0) return;
    MixChannel& c = *channel;
    if (!c.active || c.segmentLength < 4 || c.rate < 16) return;

    const int leftLevel = TableLevel(c, c.leftLevel);
    const int rightLevel = TableLevel(c, c.rightLevel);
    const uint32_t step = static_cast<uint32_t>(c.rate) * 4096u /
                          static_cast<uint32_t>(mixer.outputRate);
    uint32_t end = c.segmentLength * 4096u;

    while (count > 0) {
        if (c.position >= end) {
            // Compatibility: the overshoot past the old end carries into the new
            // segment.
            c.position -= end;
            c.segmentData = c.nextData;
            c.segmentLength = c.nextLength;
            end = c.nextLength * 4096u;
            // Guard: checked before reducing the position, so that a latched length
            // of 0 cannot make the reduction divide by zero.
            if (c.segmentLength < 3) {
                c.active = 0;
                return;
            }
            c.position %= end;
        }
        uint32_t run = (end - c.position + step - 1) / step;
        if (run > static_cast<uint32_t>(count)) run = static_cast<uint32_t>(count);
        if (leftLevel == 0 && rightLevel == 0) {
            c.position += run * step;
        } else {
            c.position = AccumulateSamples(c.segmentData, frames, c.position, step,
                                           static_cast<int>(run), mixer.volumeTables[leftLevel],
                                           mixer.volumeTables[rightLevel]);
        }
        frames += run;
        count -= static_cast<int>(run);
    }
}

void SmoothChunk(StereoFrame* frames, int count) {
    if (!frames || count <= 2) return;
    for (int i = 1; i < count - 1; ++i) {
        const int32_t left = frames[i - 1].left / 4 + frames[i + 1].left / 4 + frames[i].left / 2;
        const int32_t right =
            frames[i - 1].right / 4 + frames[i + 1].right / 4 + frames[i].right / 2;
        frames[i].left = static_cast<int16_t>(left);
        frames[i].right = static_cast<int16_t>(right);
    }
}

void MixFrames(StereoFrame* frames, int count) {
    // Guard: an unconfigured mixer has no tick period; rendering would never
    // advance.
    if (!frames || count <= 0 || mixer.samplesPerTick < 1) return;
    std::memset(frames, 0, sizeof(StereoFrame) * static_cast<size_t>(count));
    while (count > 0) {
        if (mixer.tickCounter < 0 || mixer.tickCounter >= mixer.samplesPerTick) {
            mixer.tickCounter = 0;
        }
        int chunk = mixer.samplesPerTick - mixer.tickCounter;
        if (chunk > count) chunk = count;
        mixer.tickCounter += chunk;
        if (mixer.tickCounter >= mixer.samplesPerTick) {
            if (mixer.tickCallback) mixer.tickCallback();
            mixer.tickCounter -= mixer.samplesPerTick;
        }
        for (MixChannel& channel : mixer.channels) RenderChannel(&channel, frames, chunk);
        if (mixer.smoothing) SmoothChunk(frames, chunk);
        frames += chunk;
        count -= chunk;
    }
}

void FillBlock() {
    MixFrames(mixer.mixBuffer, mixer.framesPerBlock);
    WriteBlock(mixer.mixBuffer);
}
