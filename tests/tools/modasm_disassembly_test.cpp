// modasm --disassemble through its library: every module the checked loader
// takes comes back from its source byte for byte.
#include <gtest/gtest.h>

#include <fstream>
#include <initializer_list>
#include <iterator>
#include <sstream>

#include "demo_song.h"
#include "authoring/song/disassembler.h"
#include "modasm_test_support.h"
#include "module_builder.h"
#include "authoring/song/sound_shapes.h"
#include "replayer/replayer.h"

namespace {

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::vector<uint8_t> AsBytes(const std::string& text) { return {text.begin(), text.end()}; }

// Disassembles, assembles the source again and compares; returns the source.
std::string ExpectRoundTrip(const std::string& name, const std::vector<uint8_t>& image) {
    std::string source;
    const std::vector<Problem> problems = DisassembleModule(image, name, &source);
    EXPECT_TRUE(problems.empty()) << FormatProblem(problems.front(), "modasm");
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
                std::string source;
                const std::vector<Problem> problems = DisassembleModule(image, "song.mod", &source);
                ASSERT_EQ(problems.size(), 1u);
                EXPECT_EQ(problems[0].reason, reason);
                continue;
            }
            ++taken;
            ExpectRoundTrip("byte " + std::to_string(at) + " = " + std::to_string(value), image);
        }
    }
    EXPECT_GT(taken, 100);
}

// Every command, value form and row form the source has comes back as
// itself: nothing needs a stand-in or raw bytes.
TEST(ModasmDisassembly, EveryConstructHasItsBlock) {
    const std::string song =
        "format FC14\n"
        "sample hit noise words=64 seed=3 decay=20 loop=8,4\n"
        "wave a triangle words=16 amp=50\n"
        "wave b data words=2\n  1 -2 3 -4\n"
        "freq f1\n  SetWave a 0  Vibrato 3 4 =50  PitchSlide 2 5 =C#2\n"
        "  x: 12 Hold 0 ChangeWave b =A-3  StopVoice 7  Loop x\n"
        "freq f2\n  SetWave hit =0 Hold 2 JumpMacro f1\n"
        "vol v1 freq=f1 speed=3 vibrato=1,2,3\n  Ramp 10 60 7 VolumeSlide -3 4 y: 20 Hold 5 Loop y\n"
        "vol v2 freq=f2\n  64 0 End\n"
        "pattern p inst=v1\n  C-2\n  --- *3\n  D-2 v2 porta up 3\n  ---\n  E-2 porta off\n"
        "  --- porta down 7\n  ---\n  G-3 1\n  end\n"
        "pattern q\n  A-2 v2 *4\n  --- *6\n  end\n"
        "sequence\n  p p+3 q/-1 q-2/-1 speed=5 *2\n  q q q q\n";
    const AssemblyResult original = AssembleText(song);
    ASSERT_TRUE(original.ok) << original.errors[0];
    const std::string source = ExpectRoundTrip("every construct", original.image);
    EXPECT_EQ(source.find("\nraw "), std::string::npos) << source;
    EXPECT_EQ(source.find("stand-in"), std::string::npos) << source;
    for (const char* kept : {"Ramp 10 60 7", "Loop loop", "porta down 7", "pattern01-2/-1 speed=5 *2", "=50", "loop=8,4"})
        EXPECT_NE(source.find(kept), std::string::npos) << kept << " in\n" << source;
}

// One record with no source form becomes a stand-in; its neighbours keep their blocks.
TEST(ModasmDisassembly, OnlyTheRecordWithoutASourceFormIsAStandIn) {
    AssemblyResult song = AssembleText(MinimalSong("freq spare\n  SetWave tone 0 End\n"));
    ASSERT_TRUE(song.ok) << song.errors[0];
    std::vector<uint8_t> image = song.image;
    const size_t spare = U32At(image, module_format::FrequencyMacroOffsetField) + module_format::MacroBytes;
    image[spare + 4] = 0xE5;  // after End: a byte no command writes, so the slot has no source form
    const std::string source = ExpectRoundTrip("one odd macro", image);
    EXPECT_NE(source.find("freq freq1  ; a stand-in"), std::string::npos) << source;
    EXPECT_NE(source.find("freq freq0\n  SetWave wave0 0 End"), std::string::npos) << source;
    EXPECT_NE(source.find("pattern pattern00 inst=vol0\n  C-2\n"), std::string::npos) << source;
}

// Sounds a generator makes are found again with the same parameters.
TEST(ModasmDisassembly, GeneratorsAreRecognised) {
    auto shape = [](const char* generator, long bytes, long amp, long width = 0, long seed = 1, long decay = 0) {
        WaveShape made;
        made.generator = generator;
        made.bytes = bytes;
        made.amplitude = amp;
        made.width = width;
        made.seed = seed;
        made.halfLife = decay;
        return made;
    };
    std::vector<WaveShape> shapes;
    for (const char* generator : {"square", "saw", "triangle", "sine"})
        for (long amp : {1L, 37L, 127L}) shapes.push_back(shape(generator, 32, amp));
    for (long width : {1L, 5L, 31L}) shapes.push_back(shape("pulse", 32, 90, width));
    for (long seed : {0L, 1L, 40000L})
        for (long decay : {0L, 9L, 700L}) shapes.push_back(shape("noise", 512, 127, 0, seed, decay));
    for (const WaveShape& made : shapes) {
        const std::vector<int8_t> bytes = GenerateWave(made);
        const std::optional<WaveShape> found = RecognizeShape(bytes);
        const std::string wanted = ShapeParameters(made);
        ASSERT_TRUE(found.has_value()) << wanted;
        EXPECT_EQ(GenerateWave(*found), bytes) << wanted;
        // Noise: long half-lives give the same bytes; a sine of amplitude 1 is
        // also a triangle. Otherwise the very parameters come back.
        if (made.generator == "noise") {
            EXPECT_EQ(found->seed, made.seed) << wanted;
        } else if (made.amplitude > 1) {
            EXPECT_EQ(ShapeParameters(*found), wanted);
        }
    }
    std::vector<int8_t> ramp(64);
    for (size_t i = 0; i < ramp.size(); ++i) ramp[i] = static_cast<int8_t>(i * i % 200 - 100);
    EXPECT_FALSE(RecognizeShape(ramp).has_value());
}

// Raw blocks: length cuts or extends the laid-out image, at= patches and grows it.
TEST(ModasmRaw, LengthAndBytesShapeTheImage) {
    const std::vector<uint8_t> plain = AssembleText(MinimalSong()).image;
    const AssemblyResult cut = AssembleText(MinimalSong("raw length=200\nraw at=0x10\n  aa BB\n"));
    ASSERT_TRUE(cut.ok) << cut.errors[0];
    std::vector<uint8_t> expected(plain.begin(), plain.begin() + 200);
    expected[0x10] = 0xAA;
    expected[0x11] = 0xBB;
    EXPECT_EQ(cut.image, expected);

    const AssemblyResult grown = AssembleText(MinimalSong("raw at=" + std::to_string(plain.size() + 2) + "\n  01\n"));
    ASSERT_TRUE(grown.ok) << grown.errors[0];
    expected = plain;
    expected.insert(expected.end(), {0, 0, 1});
    EXPECT_EQ(grown.image, expected);

    const std::pair<const char*, const char*> bad[] = {
        {"raw at=4\n  1G\n", "raw byte '1G' is not two hex digits"},
        {"raw at=4\n", "raw at= needs bytes"},
        {"raw at=4 length=9\n  00\n", "raw takes at=OFFSET"},
        {"raw length=9\nraw length=10\n", "raw length= given twice"},
        {"raw length=9\n  00\n", "raw length= takes no bytes"},
        {"raw at=16777215\n  00 00\n", "raw bytes reach past 16777216 bytes"},
    };
    for (const auto& [text, error] : bad) {
        const AssemblyResult result = AssembleText(MinimalSong(text));
        EXPECT_FALSE(result.ok) << text;
        EXPECT_TRUE(HasError(result, error)) << text << (result.errors.empty() ? "" : result.errors[0]);
    }
}

}  // namespace
