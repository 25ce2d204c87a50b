// The live intro's sound in the maker's worklet: the web front end's sound
// path (platform/web/worklet_sound.cpp, linked beside this) playing the pack
// the page hands over. The worklet makes a new instance for every restart.
#include <emscripten.h>

#include <cstdint>
#include <cstdlib>

#include "app/intro_content.h"

namespace {
uint8_t* soundPack;  // the pack in use; it must outlive the music
}

extern "C" {

EMSCRIPTEN_KEEPALIVE uint8_t* SoundPackBuffer(int size) {
    if (size <= 0 || soundPack != nullptr) return nullptr;
    soundPack = static_cast<uint8_t*>(std::malloc(static_cast<size_t>(size)));
    return soundPack;
}

EMSCRIPTEN_KEEPALIVE int SoundUsePack(int size) {
    char reason[160];
    if (soundPack == nullptr || size <= 0) return PackTruncated;
    return UseContentPack(soundPack, static_cast<size_t>(size), FontInPack, reason, sizeof reason);
}
}
