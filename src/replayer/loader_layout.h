#pragma once
// The module layout shared by the trusting loader and the checked entry for
// images of known size.
#include <cstdint>
#include "replayer/replayer.h"

namespace module_layout {

enum class ModuleFormat { Fc14, Smod };

constexpr int SequenceEntryBytes = 13;
constexpr int SampleCount = 10;
constexpr int SampleDescriptorOffset = 40;
constexpr int Fc14WaveformLengthOffset = 100;
constexpr int Fc14WaveformCount = 80;
constexpr uint32_t Fc14WaveformMaxWords = 128;

inline int FixedPartBytes(ModuleFormat format) { return format == ModuleFormat::Fc14 ? 180 : 100; }

// Counts are the length fields divided by the record size and cut to 8 bits.
inline uint32_t CountField(const uint8_t* image, int offset, uint32_t recordBytes) {
    return (ReadU32BE(image + offset) / recordBytes) & 0xFF;
}

struct SampleLayout {
    uint32_t sampleBytes;  // the module's own samples, with their 2 trailing bytes
    uint32_t totalBytes;   // samples plus waveforms, before any cut
};

// Walks the sample descriptors and waveform lengths; fills `table` when given.
inline SampleLayout LayOutSamples(const uint8_t* image, ModuleFormat format, SampleEntry* table) {
    uint32_t running = 0;
    for (int i = 0; i < SampleCount; ++i) {
        const uint8_t* descriptor = image + SampleDescriptorOffset + 6 * i;
        uint16_t length = ReadU16BE(descriptor);
        if (table) table[i] = {running, length, ReadU16BE(descriptor + 2), ReadU16BE(descriptor + 4)};
        if (length > 1) running += length * 2u + 2u;
    }
    SampleLayout layout{running, running};
    int waveforms = format == ModuleFormat::Fc14 ? Fc14WaveformCount : BuiltinWaveformCount;
    for (int w = 0; w < waveforms; ++w) {
        uint32_t length = format == ModuleFormat::Fc14 ? image[Fc14WaveformLengthOffset + w]
                                                       : BuiltinWaveformLengths[w];
        if (length > Fc14WaveformMaxWords) length = Fc14WaveformMaxWords;
        if (table) {
            auto words = static_cast<uint16_t>(length);
            table[SampleCount + w] = {running, words, 0, words};
        }
        if (length > 1) running += length * 2;
    }
    layout.totalBytes = running;
    return layout;
}

// Bytes copied from the sample-data offset: FC14 takes samples and waveforms
// as one run, SMOD only its samples; both stop at the end of sample memory.
inline uint32_t CopiedSampleBytes(const SampleLayout& layout, ModuleFormat format) {
    uint32_t bytes = format == ModuleFormat::Fc14 ? layout.totalBytes : layout.sampleBytes;
    return bytes < SampleMemoryBytes ? bytes : SampleMemoryBytes;
}

// The format named by the image's first four bytes; false for neither.
bool FormatOf(const uint8_t* image, ModuleFormat* format);

// Copies the module into the song state and resets the voices.
int LoadImage(const uint8_t* image, ModuleFormat format);

}  // namespace module_layout
