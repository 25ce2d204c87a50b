#include <cstring>
#include "replayer/loader_internal.h"
#include "replayer/replayer.h"

uint16_t ReadU16BE(const uint8_t* p) { return static_cast<uint16_t>(p[0] << 8 | p[1]); }

uint32_t ReadU32BE(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) << 24 | static_cast<uint32_t>(p[1]) << 16 |
           static_cast<uint32_t>(p[2]) << 8 | p[3];
}

namespace module_loading {

using namespace module_format;

namespace {

void CopyIntoSlots(uint8_t (*store)[MacroSlotBytes], const uint8_t* image, int offsetField,
                   uint32_t count) {
    if (count > 0) std::memcpy(store, image + ReadU32BE(image + offsetField), count * MacroSlotBytes);
}

}  // namespace

int CopyModuleIntoSong(const uint8_t* image, Format format) {
    uint32_t sequenceCount = CountField(image, SequenceLengthField, SequenceEntryBytes);
    uint32_t patternCount = CountField(image, PatternLengthField, PatternBytes);
    uint32_t frequencyMacroCount = CountField(image, FrequencyMacroLengthField, MacroBytes);
    uint32_t volumeMacroCount = CountField(image, VolumeMacroLengthField, MacroBytes);
    replayer.song.sequenceCount = static_cast<int32_t>(sequenceCount);
    replayer.song.patternCount = static_cast<int32_t>(patternCount);
    replayer.song.frequencyMacroCount = static_cast<int32_t>(frequencyMacroCount);
    replayer.song.volumeMacroCount = static_cast<int32_t>(volumeMacroCount);
    replayer.song.sequenceEnd = replayer.song.sequenceCount * 16;

    replayer.song.volumeMacros[SilentMacroSlot][0] = CodeEnd;
    replayer.song.frequencyMacros[SilentMacroSlot][0] = CodeEnd;

    const uint8_t* sequence = image + FixedPartBytes(format);
    for (uint32_t i = 0; i < sequenceCount; ++i)
        std::memcpy(replayer.song.sequence[i], sequence + i * SequenceEntryBytes, SequenceEntryBytes);

    CopyIntoSlots(replayer.song.patterns, image, PatternOffsetField, patternCount);
    CopyIntoSlots(replayer.song.frequencyMacros, image, FrequencyMacroOffsetField, frequencyMacroCount);
    CopyIntoSlots(replayer.song.volumeMacros, image, VolumeMacroOffsetField, volumeMacroCount);

    SampleLayout layout = LayOutSamples(image, format, replayer.song.sampleTable);
    uint32_t copied = CopiedSampleBytes(layout, format);
    if (copied > 0)
        std::memcpy(replayer.song.sampleMemory, image + ReadU32BE(image + SampleDataOffsetField), copied);
    if (format == Format::Smod && layout.sampleBytes < SampleMemoryBytes) {
        uint32_t room = SampleMemoryBytes - layout.sampleBytes;
        uint32_t waveformBytes = room < BuiltinWaveformBytes ? room : BuiltinWaveformBytes;
        std::memcpy(replayer.song.sampleMemory + layout.sampleBytes, BuiltinWaveforms, waveformBytes);
    }

    replayer.song.speed = 3;
    replayer.song.speedCounter = 1;
    if (replayer.song.sequence[0][SequenceSpeedByte] != 0)
        replayer.song.speed = replayer.song.sequence[0][SequenceSpeedByte];
    replayer.song.songPosition = replayer.song.sequenceEnd;

    std::memset(replayer.voices, 0, sizeof replayer.voices);
    replayer.song.positionAdvanced = 0;
    for (VoiceState& voice : replayer.voices) {
        voice.pattern = NoPattern;
        voice.rowOffset = 64;
        voice.volumeSpeed = 1;
        voice.volumeCounter = 1;
        voice.volumeMacro = SilentVolumeMacro;
        voice.frequencyMacro = SilentMacroSlot;
    }
    replayer.moduleLoaded = 1;
    return 0;
}

bool FormatOf(const uint8_t* image, Format* format) {
    if (std::memcmp(image, "FC14", MagicBytes) == 0) {
        *format = Format::Fc14;
        return true;
    }
    if (std::memcmp(image, "SMOD", MagicBytes) == 0) {
        *format = Format::Smod;
        return true;
    }
    return false;
}

}  // namespace module_loading

using module_loading::CopyModuleIntoSong;
using module_format::Format;

int LoadFc14(const uint8_t* image) { return CopyModuleIntoSong(image, Format::Fc14); }
int LoadSmod(const uint8_t* image) { return CopyModuleIntoSong(image, Format::Smod); }

int LoadModule(const uint8_t* image) {
    Format format;
    if (!module_loading::FormatOf(image, &format)) return 1;
    return format == Format::Fc14 ? LoadFc14(image) : LoadSmod(image);
}
