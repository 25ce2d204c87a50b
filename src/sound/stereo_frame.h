#pragma once
#include <cstdint>

// One output frame as the mixer renders it and the streamer copies it.
struct StereoFrame {
    int16_t left;
    int16_t right;
};
static_assert(sizeof(StereoFrame) == 4, "StereoFrame is 4 bytes");
