// modasm --disassemble through its library: every module the checked loader
// takes comes back from its source byte for byte.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <sstream>

#include "demo_song.h"
#include "disassembler.h"
#include "modasm_test_support.h"
#include "module_builder.h"
#include "replayer/replayer.h"

namespace {

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::vector<uint8_t> AsBytes(const std::string& text) { return {text.begin(), text.end()}; }

// Disassembles, assembles the source again and compares; returns the source.
std::string ExpectRoundTrip(const std::string& name, const std::vector<uint8_t>& image) {
    std::string source, error;
    EXPECT_TRUE(DisassembleModule(image, &source, &error)) << name << ": " << error;
    const AssemblyResult again = AssembleText(source, name + ".fcs");
    EXPECT_TRUE(again.ok) << name << ": " << (again.errors.empty() ? "" : again.errors[0]);
    size_t same = 0;
    while (same < image.size() && same < again.image.size() && image[same] == again.image[same]) ++same;
    EXPECT_TRUE(same == image.size() && again.image.size() == image.size())
        << name << ": first differing byte at offset " << same << " (" << image.size() << " bytes, "
        << again.image.size() << " assembled)";
    return source;
}

TEST(ModasmDisassembly, ModulesComeBackByteForByte) {
    const AssemblyResult example = AssembleText(ReadFile(EXAMPLE_SONG_SOURCE));
    ASSERT_TRUE(example.ok);
    const std::vector<std::pair<std::string, std::vector<uint8_t>>> assembled = {
        {"intro song", AsBytes(ReadFile(INTRO_SONG_MODULE))},
        {"SMOD test song", AsBytes(ReadFile(INTRO_SMOD_TEST_MODULE))},
        {"example song", example.image},
    };
    for (const auto& [name, image] : assembled) {
        ASSERT_GT(image.size(), 180u) << name;
        const std::string source = ExpectRoundTrip(name, image);
        // What modasm lays out needs no raw bytes: every record has its block.
        EXPECT_EQ(source.find("\nraw "), std::string::npos) << name;
        EXPECT_NE(source.find("\npattern pattern00"), std::string::npos) << name;
        // Their sources make every sound with a generator; so does the disassembly.
        EXPECT_EQ(source.find(" data words="), std::string::npos) << name;
    }
    // The header comment gives the length the assembler's summary counts.
    const std::string source = ExpectRoundTrip("example song", example.image);
    const long ticks = SongTicks(example.module.sequence, example.module.patterns);
    EXPECT_NE(source.find("One pass of the song: " + std::to_string(ticks) + " ticks"), std::string::npos);

    ExpectRoundTrip("FC14 demo song", BuildModule(DemoSong(true, 4)));
    ExpectRoundTrip("SMOD demo song", BuildModule(DemoSong(false, 4)));

    // Records the source cannot name: an entry playing pattern 0x85, a
    // volume macro naming frequency macro 0x90, a runaway macro.
    ModuleBuilder odd;
    odd.frequencyMacros.push_back(Bytes({0xE2, 10, 0x00, 0xE1}));
    odd.frequencyMacros.push_back(Bytes({0xE8, 0x00, 0xE0, 0x00}));
    odd.volumeMacros.push_back(VolumeMacro(1, 0, {40}));
    odd.volumeMacros.push_back(VolumeMacro(1, 0x90, {41}));
    odd.waveformLengths[0] = 16;
    odd.patterns.push_back(Pattern({{10, 0x00}, {10, 0x01}, {10, 0x02}}));
    odd.Entry({0}, 1);
    odd.sequence[0][0] = 0x85;
    EXPECT_NE(ExpectRoundTrip("odd module", odd.Build()).find("\nraw at="), std::string::npos);

    // Nothing the source can build around: volume macros but no frequency macro.
    ModuleBuilder bare;
    bare.format = module_format::Format::Smod;
    bare.volumeMacros.push_back(VolumeMacro(1, 0, {40}));
    bare.patterns.push_back(Pattern({{10, 0}}));
    bare.Entry({0}, 1);
    EXPECT_NE(ExpectRoundTrip("bare module", bare.Build()).find("\nraw length="), std::string::npos);
}

// Any byte changed anywhere: what the checked loader takes still round-trips,
// and what it refuses is refused with its reason.
TEST(ModasmDisassembly, ChangedBytesStillRoundTrip) {
    const std::vector<uint8_t> original = BuildModule(DemoSong(true, 4));
    int taken = 0;
    for (size_t at = 0; at < original.size(); at += at < 180 ? 1 : 7) {
        for (uint8_t value : {uint8_t{0x00}, uint8_t{0x49}, uint8_t{0xE0}, uint8_t{0xFF}}) {
            std::vector<uint8_t> image = original;
            image[at] = value;
            char reason[256];
            if (LoadModuleChecked(image.data(), image.size(), reason, sizeof reason) != 0) {
                std::string source, error;
                EXPECT_FALSE(DisassembleModule(image, &source, &error));
                EXPECT_EQ(error, reason);
                continue;
            }
            ++taken;
            ExpectRoundTrip("byte " + std::to_string(at) + " = " + std::to_string(value), image);
        }
    }
    EXPECT_GT(taken, 100);
}

}  // namespace
