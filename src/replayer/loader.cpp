#include <cstdio>
#include <cstring>
#include "replayer/replayer.h"

uint16_t ReadU16BE(const uint8_t* p) { return static_cast<uint16_t>(p[0] << 8 | p[1]); }

uint32_t ReadU32BE(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) << 24 | static_cast<uint32_t>(p[1]) << 16 |
           static_cast<uint32_t>(p[2]) << 8 | p[3];
}

namespace {

enum class ModuleFormat { Fc14, Smod };

constexpr int SequenceEntryBytes = 13;
constexpr int SampleCount = 10;
constexpr int SampleDescriptorOffset = 40;
constexpr int Fc14WaveformLengthOffset = 100;
constexpr int Fc14WaveformCount = 80;
constexpr uint32_t Fc14WaveformMaxWords = 128;

int FixedPartBytes(ModuleFormat format) { return format == ModuleFormat::Fc14 ? 180 : 100; }

// Counts are the length fields divided by the record size and cut to 8 bits.
uint32_t CountField(const uint8_t* image, int offset, uint32_t recordBytes) {
    return (ReadU32BE(image + offset) / recordBytes) & 0xFF;
}

struct SampleLayout {
    uint32_t sampleBytes;  // the module's own samples, with their 2 trailing bytes
    uint32_t totalBytes;   // samples plus waveforms, before any cut
};

// Walks the sample descriptors and waveform lengths; fills `table` when given.
SampleLayout LayOutSamples(const uint8_t* image, ModuleFormat format, SampleEntry* table) {
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
uint32_t CopiedSampleBytes(const SampleLayout& layout, ModuleFormat format) {
    uint32_t bytes = format == ModuleFormat::Fc14 ? layout.totalBytes : layout.sampleBytes;
    return bytes < SampleMemoryBytes ? bytes : SampleMemoryBytes;
}

void CopyIntoSlots(uint8_t (*store)[MacroSlotBytes], const uint8_t* image, uint32_t offset,
                   uint32_t count) {
    if (count > 0) std::memcpy(store, image + offset, count * MacroSlotBytes);
}

int LoadImage(const uint8_t* image, ModuleFormat format) {
    uint32_t sequenceCount = CountField(image, 4, SequenceEntryBytes);
    uint32_t patternCount = CountField(image, 12, MacroSlotBytes);
    uint32_t frequencyMacroCount = CountField(image, 20, MacroSlotBytes);
    uint32_t volumeMacroCount = CountField(image, 28, MacroSlotBytes);
    song.sequenceCount = static_cast<int32_t>(sequenceCount);
    song.patternCount = static_cast<int32_t>(patternCount);
    song.frequencyMacroCount = static_cast<int32_t>(frequencyMacroCount);
    song.volumeMacroCount = static_cast<int32_t>(volumeMacroCount);
    song.sequenceEnd = song.sequenceCount * 16;

    song.volumeMacros[SilentMacroSlot][0] = 0xE1;
    song.frequencyMacros[SilentMacroSlot][0] = 0xE1;

    const uint8_t* sequence = image + FixedPartBytes(format);
    for (uint32_t i = 0; i < sequenceCount; ++i)
        std::memcpy(song.sequence[i], sequence + i * SequenceEntryBytes, SequenceEntryBytes);

    CopyIntoSlots(song.patterns, image, ReadU32BE(image + 8), patternCount);
    CopyIntoSlots(song.frequencyMacros, image, ReadU32BE(image + 16), frequencyMacroCount);
    CopyIntoSlots(song.volumeMacros, image, ReadU32BE(image + 24), volumeMacroCount);

    SampleLayout layout = LayOutSamples(image, format, song.sampleTable);
    uint32_t copied = CopiedSampleBytes(layout, format);
    if (copied > 0) std::memcpy(song.sampleMemory, image + ReadU32BE(image + 32), copied);
    if (format == ModuleFormat::Smod && layout.sampleBytes < SampleMemoryBytes) {
        uint32_t room = SampleMemoryBytes - layout.sampleBytes;
        uint32_t waveformBytes = room < BuiltinWaveformBytes ? room : BuiltinWaveformBytes;
        std::memcpy(song.sampleMemory + layout.sampleBytes, BuiltinWaveforms, waveformBytes);
    }

    song.speed = 3;
    song.speedCounter = 1;
    if (song.sequence[0][12] != 0) song.speed = song.sequence[0][12];
    song.songPosition = song.sequenceEnd;

    std::memset(voices, 0, sizeof voices);
    song.positionAdvanced = 0;
    for (VoiceState& voice : voices) {
        voice.pattern = NoPattern;
        voice.rowOffset = 64;
        voice.volumeSpeed = 1;
        voice.volumeCounter = 1;
        voice.volumeMacro = SilentVolumeMacro;
        voice.frequencyMacro = SilentMacroSlot;
    }
    moduleLoaded = 1;
    return 0;
}

bool FormatOf(const uint8_t* image, ModuleFormat* format) {
    if (std::memcmp(image, "FC14", 4) == 0) {
        *format = ModuleFormat::Fc14;
        return true;
    }
    if (std::memcmp(image, "SMOD", 4) == 0) {
        *format = ModuleFormat::Smod;
        return true;
    }
    return false;
}

// Formats a refusal into `reason` (when given) and returns the status.
int Refuse(char* reason, size_t reasonSize, const char* format, auto... values) {
    if (reason && reasonSize > 0) std::snprintf(reason, reasonSize, format, values...);
    return 1;
}

struct Region {
    const char* name;
    uint64_t offset;
    uint64_t length;
};

}  // namespace

int LoadFc14(const uint8_t* image) { return LoadImage(image, ModuleFormat::Fc14); }
int LoadSmod(const uint8_t* image) { return LoadImage(image, ModuleFormat::Smod); }

int LoadModule(const uint8_t* image) {
    ModuleFormat format;
    if (!FormatOf(image, &format)) return 1;
    return format == ModuleFormat::Fc14 ? LoadFc14(image) : LoadSmod(image);
}

int LoadModuleChecked(const uint8_t* image, size_t size, char* reason, size_t reasonSize) {
    if (reason && reasonSize > 0) reason[0] = '\0';
    if (!image || size < 4)
        return Refuse(reason, reasonSize,
                      "the file is %zu bytes long, too short for the 4-byte format tag "
                      "(a module starts with \"FC14\" or \"SMOD\")",
                      image ? size : size_t{0});
    ModuleFormat format;
    if (!FormatOf(image, &format))
        return Refuse(reason, reasonSize,
                      "unknown format tag (bytes %02X %02X %02X %02X): a module starts with "
                      "\"FC14\" or \"SMOD\"",
                      image[0], image[1], image[2], image[3]);
    const char* tag = format == ModuleFormat::Fc14 ? "FC14" : "SMOD";
    size_t fixedBytes = static_cast<size_t>(FixedPartBytes(format));
    if (size < fixedBytes)
        return Refuse(reason, reasonSize,
                      "the %s header needs %zu bytes but the file is only %zu bytes long", tag,
                      fixedBytes, size);

    SampleLayout layout = LayOutSamples(image, format, nullptr);
    const Region regions[] = {
        {"sequence", fixedBytes, uint64_t{CountField(image, 4, SequenceEntryBytes)} * SequenceEntryBytes},
        {"pattern data", ReadU32BE(image + 8), uint64_t{CountField(image, 12, MacroSlotBytes)} * MacroSlotBytes},
        {"frequency-macro data", ReadU32BE(image + 16),
         uint64_t{CountField(image, 20, MacroSlotBytes)} * MacroSlotBytes},
        {"volume-macro data", ReadU32BE(image + 24), uint64_t{CountField(image, 28, MacroSlotBytes)} * MacroSlotBytes},
        {"sample data", ReadU32BE(image + 32), CopiedSampleBytes(layout, format)},
    };
    for (const Region& region : regions) {
        uint64_t end = region.offset + region.length;
        if (region.length > 0 && end > size)
            return Refuse(reason, reasonSize,
                          "%s (offset %llu, length %llu) ends at %llu, past the end of the "
                          "%zu-byte file",
                          region.name, static_cast<unsigned long long>(region.offset),
                          static_cast<unsigned long long>(region.length),
                          static_cast<unsigned long long>(end), size);
    }
    return LoadImage(image, format);
}
