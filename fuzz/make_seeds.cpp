// Writes the fuzz seed corpus: small hand-built modules that between them use
// every byte code of both macros, both formats, samples with loops and a
// sample memory cut. Usage: make_seeds <folder>
#include <cstdio>
#include <string>
#include <vector>
#include "module_builder.h"

namespace {

bool Write(const std::string& path, const std::vector<uint8_t>& image) {
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return false;
    bool written = std::fwrite(image.data(), 1, image.size(), file) == image.size();
    return std::fclose(file) == 0 && written;
}

ModuleBuilder Song(module_format::Format format) {
    ModuleBuilder module;
    module.format = format;
    module.samples[0] = {200, 40, 80};
    module.samples[1] = {64, 0, 1};
    module.waveformLengths[0] = 16;
    module.waveformLengths[1] = 32;
    module.frequencyMacros = {
        Bytes({0xE2, 10, 0x00, 0x03, 0x07, 0x0C, 0xE0, 0x03}),
        Bytes({0xE3, 2, 4, 0x00, 0xE4, 11, 0x0C, 0xE8, 0x02, 0xE7, 0x02}),
        Bytes({0xE2, 0, 0x85, 0xEA, 0x90, 0x03, 0x00, 0xE9, 0, 0, 0x05, 0xE8, 0x00, 0xE2, 1, 0, 0xE1}),
    };
    module.volumeMacros = {
        VolumeMacro(1, 0, {64, 50, 0xE8, 3, 40, 0xEA, 0xFC, 5, 0xE1}, 2, 4, 1),
        VolumeMacro(2, 1, {30, 0xEA, 0x02, 0x06, 20, 0xE0, 0x05}),
        VolumeMacro(0, 2, {80, 0xF0, 0xE0, 0x02}, 3, 2, 0),
    };
    Slot pattern = Pattern({{24, 0x80}, {0, 0x05}, {30, 0x01}, {0, 0x40}, {0x80, 0x82},
                            {0, 0x25}, {36, 0x02}, {0x49, 0}});
    module.patterns = {pattern, Pattern({{12, 0}, {0, 0}, {14, 1}, {0, 0xC0}}),
                       Pattern({{40, 2}, {41, 0}, {42, 1}})};
    module.Entry({0, 1, 2, 1}, 3).Entry({1, 2, 0, 0}, 0, 2, 1).Entry({2}, 6, -3, 0);
    return module;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_seeds <output folder>\n");
        return 2;
    }
    std::string folder = argv[1];
    std::vector<std::pair<std::string, std::vector<uint8_t>>> seeds;
    seeds.emplace_back("fc14_song", Song(module_format::Format::Fc14).Build());
    seeds.emplace_back("smod_song", Song(module_format::Format::Smod).Build());
    ModuleBuilder runaway = Song(module_format::Format::Fc14);
    runaway.frequencyMacros.push_back(Bytes({0xE8, 0x00, 0xE0, 0x00}));
    runaway.volumeMacros.push_back(VolumeMacro(1, 3, {0xE0, 0x05}));
    runaway.patterns.push_back(Pattern({{20, 3}}));
    runaway.Entry({3}, 1);
    seeds.emplace_back("runaway_macros", runaway.Build());
    ModuleBuilder cut = Song(module_format::Format::Fc14);
    cut.samples[2] = {40000, 100, 300};
    cut.waveformLengths[5] = 200;
    seeds.emplace_back("sample_memory_cut", cut.Build());
    for (const auto& [name, image] : seeds) {
        if (!Write(folder + "/" + name, image)) {
            std::fprintf(stderr, "make_seeds: cannot write %s/%s\n", folder.c_str(), name.c_str());
            return 1;
        }
    }
    return 0;
}
