#pragma once
// What the trusting loader and the checked entry for images of known size
// share: the part counts, the walk over the sample descriptors and the copy
// into the song state.
#include <cstdint>
#include "replayer/module_format.h"
#include "replayer/replayer.h"

namespace module_loading {

using module_format::Format;

static_assert(module_format::PatternBytes == MacroSlotBytes && module_format::MacroBytes == MacroSlotBytes,
              "a store slot holds one pattern or macro record");

// Counts are the length fields divided by the record size and cut to 8 bits.
inline uint32_t CountField(const uint8_t* image, int lengthField, uint32_t recordBytes) {
    return (ReadU32BE(image + lengthField) / recordBytes) & 0xFF;
}

struct SampleLayout {
    uint32_t sampleBytes;  // the module's own samples, with their spare bytes
    uint32_t totalBytes;   // samples plus waveforms, before any cut
};

// Walks the sample descriptors and waveform lengths; fills `table` when given.
inline SampleLayout LayOutSamples(const uint8_t* image, Format format, SampleEntry* table) {
    using namespace module_format;
    uint32_t running = 0;
    for (int i = 0; i < SampleCount; ++i) {
        const uint8_t* descriptor = image + SampleDescriptorOffset + SampleDescriptorBytes * i;
        uint16_t length = ReadU16BE(descriptor);
        if (table) table[i] = {running, length, ReadU16BE(descriptor + 2), ReadU16BE(descriptor + 4)};
        running += SampleRoomBytes(length);
    }
    SampleLayout layout{running, running};
    int waveforms = format == Format::Fc14 ? Fc14WaveformCount : BuiltinWaveformCount;
    for (int w = 0; w < waveforms; ++w) {
        uint32_t length = format == Format::Fc14 ? image[WaveformLengthOffset + w] : BuiltinWaveformLengths[w];
        if (length > WaveformMaxWords) length = WaveformMaxWords;
        if (table) {
            auto words = static_cast<uint16_t>(length);
            table[SampleCount + w] = {running, words, 0, words};
        }
        running += WaveformRoomBytes(length);
    }
    layout.totalBytes = running;
    return layout;
}

// Bytes copied from the sample-data offset: FC14 takes samples and waveforms
// as one run, SMOD only its samples; both stop at the end of sample memory.
inline uint32_t CopiedSampleBytes(const SampleLayout& layout, Format format) {
    uint32_t bytes = format == Format::Fc14 ? layout.totalBytes : layout.sampleBytes;
    return bytes < SampleMemoryBytes ? bytes : SampleMemoryBytes;
}

// The format named by the image's first four bytes; false for neither.
bool FormatOf(const uint8_t* image, Format* format);

// Copies the module's parts into the song state and resets the voices.
int CopyModuleIntoSong(const uint8_t* image, Format format);

}  // namespace module_loading
