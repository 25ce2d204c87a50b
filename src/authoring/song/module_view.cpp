#include "module_view.h"

#include <algorithm>

using namespace module_format;

namespace {

class Reader {
public:
    explicit Reader(const std::vector<uint8_t>& image) : image_(image) {}
    uint8_t Byte(uint64_t at) const { return at < image_.size() ? image_[at] : 0; }
    uint16_t U16(uint64_t at) const { return static_cast<uint16_t>(Byte(at) << 8 | Byte(at + 1)); }
    uint32_t U32(uint64_t at) const { return static_cast<uint32_t>(U16(at)) << 16 | U16(at + 2); }
    // Records of a part: the count the loader takes (whole records, cut to 8 bits).
    template <size_t N>
    void Records(int offsetField, uint64_t offset, int lengthField,
                 std::vector<std::array<uint8_t, N>>& out) const {
        if (offsetField >= 0) offset = U32(offsetField);
        const uint32_t count = (U32(lengthField) / N) & 0xFF;
        out.resize(count);
        for (uint32_t r = 0; r < count; ++r)
            for (size_t i = 0; i < N; ++i) out[r][i] = Byte(offset + r * N + i);
    }
    std::vector<int8_t> Data(uint64_t at, uint32_t bytes) const {
        std::vector<int8_t> data(bytes);
        for (uint32_t i = 0; i < bytes; ++i) data[i] = static_cast<int8_t>(Byte(at + i));
        return data;
    }

private:
    const std::vector<uint8_t>& image_;
};

// Drops the empty slots behind the last one with data.
void TrimEmpty(std::vector<ModuleView::Sound>& sounds) {
    while (!sounds.empty() && sounds.back().words <= 1) sounds.pop_back();
}

}  // namespace

bool ReadModuleView(const std::vector<uint8_t>& image, ModuleView& view) {
    if (image.size() < MagicBytes) return false;
    view.format = image[0] == 'S' ? Format::Smod : Format::Fc14;
    if (image.size() < static_cast<size_t>(FixedPartBytes(view.format))) return false;
    const Reader in(image);
    in.Records(-1, static_cast<uint64_t>(FixedPartBytes(view.format)), SequenceLengthField, view.sequence);
    in.Records(PatternOffsetField, 0, PatternLengthField, view.patterns);
    in.Records(FrequencyMacroOffsetField, 0, FrequencyMacroLengthField, view.freqMacros);
    in.Records(VolumeMacroOffsetField, 0, VolumeMacroLengthField, view.volMacros);

    uint64_t at = in.U32(SampleDataOffsetField);
    view.samples.resize(SampleCount);
    for (int i = 0; i < SampleCount; ++i) {
        const uint64_t descriptor = SampleDescriptorOffset + SampleDescriptorBytes * i;
        ModuleView::Sound& sample = view.samples[static_cast<size_t>(i)];
        sample.words = in.U16(descriptor);
        sample.repeatStart = in.U16(descriptor + 2);
        sample.repeatWords = in.U16(descriptor + 4);
        if (sample.words > 1) sample.data = in.Data(at, 2u * sample.words);
        at += SampleRoomBytes(sample.words);
    }
    TrimEmpty(view.samples);
    if (view.format != Format::Fc14) return true;
    view.waves.resize(Fc14WaveformCount);
    for (int w = 0; w < Fc14WaveformCount; ++w) {
        ModuleView::Sound& wave = view.waves[static_cast<size_t>(w)];
        wave.words =
            std::min<uint16_t>(in.Byte(WaveformLengthOffset + static_cast<uint64_t>(w)), WaveformMaxWords);
        if (wave.words > 1) wave.data = in.Data(at, 2u * wave.words);
        at += WaveformRoomBytes(wave.words);
    }
    TrimEmpty(view.waves);
    return true;
}

int PatternRowsOf(const Record& pattern) {
    for (int r = 0; r < PatternRows; ++r)
        if (pattern[static_cast<size_t>(r * PatternRowBytes)] == PatternEndCode) return r;
    return PatternRows;
}

long SongTicksOf(const ModuleView& view) {
    long ticks = 0;
    int speed = 3;
    for (const auto& entry : view.sequence) {
        if (entry[SequenceSpeedByte] != 0) speed = entry[SequenceSpeedByte];
        if (entry[0] < view.patterns.size())
            ticks += static_cast<long>(PatternRowsOf(view.patterns[entry[0]])) * speed;
    }
    return ticks;
}
