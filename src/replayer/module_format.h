#pragma once
// The "FC14" and "SMOD" module formats, described once for everything that
// reads or writes them: the loaders, the module writer, the assembler and the
// test builders. Numbers in a module are big-endian and unsigned; offsets
// count from the image's first byte.
#include <cstdint>

namespace module_format {

enum class Format { Fc14, Smod };

// Header fields: 32-bit offsets and byte lengths of the parts.
constexpr int MagicBytes = 4;
constexpr int SequenceLengthField = 4;
constexpr int PatternOffsetField = 8;
constexpr int PatternLengthField = 12;
constexpr int FrequencyMacroOffsetField = 16;
constexpr int FrequencyMacroLengthField = 20;
constexpr int VolumeMacroOffsetField = 24;
constexpr int VolumeMacroLengthField = 28;
constexpr int SampleDataOffsetField = 32;
constexpr int WaveformDataOffsetField = 36;  // "FC14": where the samples end; the loader does not read it

// Ten sample descriptors of three 16-bit values: length (words), repeat start
// (bytes), repeat length (words).
constexpr int SampleDescriptorOffset = 40;
constexpr int SampleDescriptorBytes = 6;
constexpr int SampleCount = 10;

// "FC14" only: one length byte (words) per waveform.
constexpr int WaveformLengthOffset = 100;
constexpr int Fc14WaveformCount = 80;
constexpr uint32_t WaveformMaxWords = 128;  // longer lengths are cut to this

// The sequence begins directly behind the fixed part.
constexpr int Fc14FixedPartBytes = 180;
constexpr int SmodFixedPartBytes = 100;
inline int FixedPartBytes(Format format) {
    return format == Format::Fc14 ? Fc14FixedPartBytes : SmodFixedPartBytes;
}

// Record sizes.
constexpr int SequenceEntryBytes = 13;  // (pattern, note transpose, sound transpose) x 4, speed
constexpr int SequenceSpeedByte = 12;
constexpr int PatternRows = 32;
constexpr int PatternRowBytes = 2;      // note byte, info byte
constexpr int PatternBytes = PatternRows * PatternRowBytes;
constexpr int MacroBytes = 64;          // frequency and volume macros alike

// Room a sample or waveform takes in the sample data. A length of 0 or 1
// words is empty; a sample keeps 2 spare bytes behind its data.
constexpr uint32_t SampleSpareBytes = 2;
inline uint32_t SampleRoomBytes(uint32_t lengthWords) {
    return lengthWords > 1 ? lengthWords * 2 + SampleSpareBytes : 0;
}
inline uint32_t WaveformRoomBytes(uint32_t lengthWords) {
    const uint32_t words = lengthWords < WaveformMaxWords ? lengthWords : WaveformMaxWords;
    return words > 1 ? words * 2 : 0;
}

}  // namespace module_format

// The command bytes of the frequency and volume macros. Every other byte where
// a command may stand is data: a note value or a volume value.
enum MacroCode : uint8_t {
    CodeLoop = 0xE0,
    CodeEnd = 0xE1,
    CodeSetWave = 0xE2,
    CodeVibrato = 0xE3,
    CodeChangeWave = 0xE4,
    CodeJumpMacro = 0xE7,
    CodeHold = 0xE8,
    CodeStopVoice = 0xE9,
    CodeSlide = 0xEA,  // PitchSlide in frequency macros, VolumeSlide in volume macros
};

// A pattern row whose note byte is this ends the pattern early.
constexpr uint8_t PatternEndCode = 0x49;
