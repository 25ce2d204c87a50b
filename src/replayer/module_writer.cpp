#include "replayer/module_writer.h"

#include <algorithm>
#include <cstring>

using namespace module_format;

namespace {

void PutU16(std::vector<uint8_t>& image, size_t at, uint32_t value) {
    image[at] = static_cast<uint8_t>(value >> 8);
    image[at + 1] = static_cast<uint8_t>(value);
}

void PutU32(std::vector<uint8_t>& image, size_t at, uint32_t value) {
    PutU16(image, at, value >> 16);
    PutU16(image, at + 2, value & 0xFFFF);
}

// Appends the records, then points the offset field (when given) at them and
// sets the length field to their bytes.
template <size_t N>
void AppendPart(std::vector<uint8_t>& image, const std::vector<std::array<uint8_t, N>>& records,
                int offsetField, int lengthField) {
    if (offsetField >= 0) PutU32(image, offsetField, static_cast<uint32_t>(image.size()));
    PutU32(image, lengthField, static_cast<uint32_t>(records.size() * N));
    for (const auto& record : records) image.insert(image.end(), record.begin(), record.end());
}

}  // namespace

void PackSounds(const std::vector<ModuleSample>& samples,
                const std::vector<std::vector<int8_t>>& waveforms, ModuleParts& parts) {
    std::vector<uint8_t>& data = parts.sampleData;
    data.clear();
    for (size_t i = 0; i < samples.size() && i < SampleCount; ++i) {
        const ModuleSample& sample = samples[i];
        const auto words = static_cast<uint16_t>(sample.data.size() / 2);
        parts.samples[i] = {words, sample.repeatStart, sample.repeatLength};
        if (SampleRoomBytes(words) == 0) continue;
        data.insert(data.end(), sample.data.begin(), sample.data.begin() + 2 * words);
        data.insert(data.end(), SampleSpareBytes, 0);
    }
    if (parts.format != Format::Fc14) return;
    for (size_t w = 0; w < waveforms.size() && w < Fc14WaveformCount; ++w) {
        const auto words = std::min<size_t>(waveforms[w].size() / 2, WaveformMaxWords);
        parts.waveformLengths[w] = static_cast<uint8_t>(words);
        data.insert(data.end(), waveforms[w].begin(), waveforms[w].begin() + WaveformRoomBytes(words));
    }
}

std::vector<uint8_t> WriteModule(const ModuleParts& parts) {
    const bool fc14 = parts.format == Format::Fc14;
    std::vector<uint8_t> image(FixedPartBytes(parts.format), 0);
    std::memcpy(image.data(), fc14 ? "FC14" : "SMOD", MagicBytes);
    uint32_t sampleBytes = 0;
    for (int i = 0; i < SampleCount; ++i) {
        const ModuleParts::Sample& sample = parts.samples[i];
        const size_t descriptor = SampleDescriptorOffset + SampleDescriptorBytes * i;
        PutU16(image, descriptor, sample.length);
        PutU16(image, descriptor + 2, sample.repeatStart);
        PutU16(image, descriptor + 4, sample.repeatLength);
        sampleBytes += SampleRoomBytes(sample.length);
    }
    if (fc14) std::memcpy(image.data() + WaveformLengthOffset, parts.waveformLengths, Fc14WaveformCount);

    AppendPart(image, parts.sequence, -1, SequenceLengthField);  // right behind the fixed part
    AppendPart(image, parts.patterns, PatternOffsetField, PatternLengthField);
    AppendPart(image, parts.frequencyMacros, FrequencyMacroOffsetField, FrequencyMacroLengthField);
    AppendPart(image, parts.volumeMacros, VolumeMacroOffsetField, VolumeMacroLengthField);
    const auto sampleOffset = static_cast<uint32_t>(image.size());
    PutU32(image, SampleDataOffsetField, sampleOffset);
    PutU32(image, WaveformDataOffsetField, sampleOffset + sampleBytes);
    image.insert(image.end(), parts.sampleData.begin(), parts.sampleData.end());
    return image;
}
