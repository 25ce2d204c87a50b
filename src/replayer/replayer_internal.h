#pragma once
// Bounded reads of the replayer's stores, shared by the row step and the voice
// update. Module data are not trusted to keep references inside their slots,
// so every read goes through one of these and reads past a store as a neutral
// byte instead of leaving it.
#include <cstdint>
#include "replayer/module_format.h"
#include "replayer/replayer.h"

// Byte `offset` of pattern slot `slot`. Compatibility: it reads on into the
// following slots as one store does. Guard: no pattern and anything past the
// store read as 0 (no note, no instrument, no portamento).
inline uint8_t PatternByte(int32_t slot, uint32_t offset) {
    if (slot < 0 || slot >= MacroSlotCount) return 0;
    uint32_t index = static_cast<uint32_t>(slot) * MacroSlotBytes + offset;
    if (offset >= MacroStoreBytes || index >= MacroStoreBytes) return 0;
    return replayer.song.patterns[index / MacroSlotBytes][index % MacroSlotBytes];
}

// Compatibility: a frequency macro that runs past its slot reads on into the
// next slot, as the store is laid out. Guard: past the end of the store it
// meets End.
inline uint8_t FrequencyMacroByte(int32_t slot, uint32_t position) {
    if (slot < 0 || slot >= MacroSlotCount) return CodeEnd;
    uint32_t index = static_cast<uint32_t>(slot) * MacroSlotBytes + position;
    if (position >= MacroStoreBytes || index >= MacroStoreBytes) return CodeEnd;
    return replayer.song.frequencyMacros[index / MacroSlotBytes][index % MacroSlotBytes];
}

// `bodyOffset` is a voice's `volumeMacro`; `position` may be negative down to
// -5 after a loop into the header. Guard: outside the store, End.
inline uint8_t VolumeMacroByte(int32_t bodyOffset, int32_t position) {
    int64_t index = static_cast<int64_t>(bodyOffset) + position;
    if (index < 0 || index >= MacroStoreBytes) return CodeEnd;
    return replayer.song.volumeMacros[index / MacroSlotBytes][index % MacroSlotBytes];
}
