#include <cstdio>
#include <cstdlib>
#include "fake_channels.h"
#include "module_builder.h"
#include "replayer/replayer.h"

void LoadAndPlay(const std::vector<uint8_t>& image) {
    char reason[256];
    if (LoadModuleChecked(image.data(), image.size(), reason, sizeof reason) != 0) {
        std::fprintf(stderr, "test module refused: %s\n", reason);
        std::abort();
    }
    replayer.soundEnabled = 1;
    replayer.replayerReady = 1;
    replayer.playing = 1;
    channelCalls.clear();
}

void Ticks(int count) {
    for (int i = 0; i < count; ++i) ReplayerTick();
}
