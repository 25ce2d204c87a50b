#include "demo_song.h"
#include "module_builder.h"

#include <cmath>
#include <cstdio>

std::vector<uint8_t> BuildModule(const ModuleSpec& spec) {
    ModuleBuilder builder;
    builder.format = spec.fc14 ? module_format::Format::Fc14 : module_format::Format::Smod;
    builder.sequence = spec.sequence;
    builder.patterns = spec.patterns;
    builder.frequencyMacros = spec.frequencyMacros;
    builder.volumeMacros = spec.volumeMacros;
    PackSounds(spec.samples, spec.waveforms, builder);
    return builder.Build();
}

ModuleSpec DemoSong(bool fc14, int entries) {
    ModuleSpec spec;
    spec.fc14 = fc14;
    if (fc14) {
        std::vector<int8_t> saw(32), square(32), triangle(16);
        for (int i = 0; i < 32; ++i) saw[i] = static_cast<int8_t>(-128 + 8 * i);
        for (int i = 0; i < 32; ++i) square[i] = static_cast<int8_t>(i < 12 ? -100 : 100);
        for (int i = 0; i < 16; ++i) triangle[i] = static_cast<int8_t>(i < 8 ? -120 + 30 * i : 120 - 30 * (i - 8));
        spec.waveforms = {saw, square, triangle};
    }
    ModuleSample drum;
    drum.data.resize(600);
    uint32_t noise = 12345;
    for (size_t i = 0; i < drum.data.size(); ++i) {
        noise = noise * 1103515245u + 12345u;
        const double decay = std::exp(-static_cast<double>(i) / 150.0);
        drum.data[i] = static_cast<int8_t>(static_cast<int>((noise >> 16) % 200 - 100) * decay);
    }
    ModuleSample pad;
    pad.data.resize(256);
    for (size_t i = 0; i < pad.data.size(); ++i) {
        pad.data[i] = static_cast<int8_t>(90 * std::sin(i * 2 * 3.14159265 / 64.0));
    }
    pad.repeatStart = 128;
    pad.repeatLength = 64;
    spec.samples = {drum, pad};

    // Frequency macros: arpeggio on entry 10, lead with vibrato and pitch slide
    // on entry 11, fixed-pitch drum on sample 0, pad on sample 1 that changes
    // to entry 12 after a hold.
    spec.frequencyMacros = {
        Bytes({0xE2, 10, 0, 3, 7, 12, 0xE0, 3}),
        Bytes({0xE2, 11, 0, 0xE3, 3, 5, 0, 0xE8, 20, 0xEA, 2, 6, 0, 0xE1}),
        Bytes({0xE2, 0, 0xA4, 0xE1}),
        Bytes({0xE2, 1, 0, 0xE8, 16, 0xE4, 12, 12, 0xE1}),
    };
    spec.volumeMacros = {
        Bytes({1, 0, 0, 0, 0, 64, 60, 56, 52, 48, 44, 40, 0xE8, 8, 32, 28, 24, 0xE1}),
        Bytes({2, 1, 4, 3, 6, 48, 48, 44, 40, 0xEA, 2, 4, 0xE1}),
        Bytes({1, 2, 0, 0, 0, 64, 0xE1}),
        Bytes({1, 3, 2, 2, 0, 30, 34, 38, 42, 0xE8, 30, 0xEA, 0xFC, 5, 0xE1}),
    };
    auto pattern = [](std::initializer_list<std::pair<int, int>> rows) {
        std::array<uint8_t, 64> p{};
        for (const auto& [row, note] : rows) {
            p[2 * row] = static_cast<uint8_t>(note >> 8);
            p[2 * row + 1] = static_cast<uint8_t>(note);
        }
        return p;
    };
    // Each row as (index, note << 8 | info).
    spec.patterns = {
        pattern({{0, 25 << 8 | 0}, {4, 25 << 8 | 0}, {8, 28 << 8 | 0}, {12, 30 << 8 | 0},
                 {16, 25 << 8 | 0}, {20, 23 << 8 | 0}, {24, 28 << 8 | 0}, {28, 30 << 8 | 0}}),
        pattern({{0, 37 << 8 | 1}, {6, 40 << 8 | 1}, {8, (0x80 | 42) << 8 | 0x81}, {9, 0x05},
                 {12, 44 << 8 | 1}, {16, 42 << 8 | 1}, {20, 0x40}, {24, 40 << 8 | 1},
                 {28, 37 << 8 | 3}}),
        pattern({{0, 1 << 8 | 2}, {4, 1 << 8 | 2}, {8, 1 << 8 | 2}, {10, 1 << 8 | 2},
                 {12, 1 << 8 | 2}, {16, 1 << 8 | 2}, {20, 1 << 8 | 2}, {24, 1 << 8 | 2},
                 {28, 1 << 8 | 2}, {30, 1 << 8 | 2}}),
        pattern({{0, 13 << 8 | 3}, {16, 18 << 8 | 3}, {16, 0x49 << 8}}),
    };
    const int8_t transposes[4][2] = {{0, 0}, {5, 0}, {-2, 0}, {3, 0}};
    for (int e = 0; e < entries; ++e) {
        const int k = e % 4;
        std::array<uint8_t, 13> entry{};
        for (int v = 0; v < 4; ++v) {
            entry[3 * v] = static_cast<uint8_t>(v);
            entry[3 * v + 1] = static_cast<uint8_t>(v == 2 ? 0 : transposes[k][0]);
            entry[3 * v + 2] = static_cast<uint8_t>(transposes[k][1]);
        }
        entry[12] = static_cast<uint8_t>(k == 0 ? 6 : (k == 3 ? 5 : 0));
        spec.sequence.push_back(entry);
    }
    return spec;
}

uint64_t Fnv1a64(const void* data, size_t size, uint64_t hash) {
    const auto* bytes = static_cast<const uint8_t*>(data);
    for (size_t i = 0; i < size; ++i) {
        hash ^= bytes[i];
        hash *= 0x100000001b3ull;
    }
    return hash;
}

bool WriteFileBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return false;
    const bool ok = bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && ok;
}
