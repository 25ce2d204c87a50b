// What modasm refuses: each case names the file, the line and the reason, so
// that nothing the replayer would have to absorb reaches a module.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "modasm_test_support.h"

namespace {

void ExpectError(const std::string& source, const std::string& fragment) {
    AssemblyResult r = AssembleText(source);
    EXPECT_FALSE(r.ok) << "accepted, expected: " << fragment;
    EXPECT_TRUE(r.image.empty());
    EXPECT_TRUE(HasError(r, fragment)) << "expected '" << fragment << "', got: "
                                       << (r.errors.empty() ? "(nothing)" : r.errors[0]);
}

TEST(ModasmChecks, MinimalSongAssembles) {
    AssemblyResult r = AssembleText(MinimalSong());
    ASSERT_TRUE(r.ok) << r.errors[0];
    EXPECT_EQ(r.image.size(), 180u + 13 + 3 * 64 + 32);
}

TEST(ModasmChecks, NotesAndPatternRows) {
    ExpectError(MinimalSong("  H-2\n"), "test.fcs:9: unknown note 'H-2'");
    ExpectError(MinimalSong("  C-1\n"), "test.fcs:9: C-1 cannot be written");
    ExpectError(MinimalSong("  --- *32\n"), "test.fcs:9: pattern 'p' has more than 32 rows");
    ExpectError(MinimalSong("  --- note\n"), "test.fcs:9: an instrument needs a note");
    ExpectError(MinimalSong("  D-2 porta up 3\n  E-2\n"), "test.fcs:9: a portamento needs a plain '---' row");
    ExpectError(MinimalSong("  D-2 porta up 32\n  ---\n"), "portamento amount '32' must be 1 to 31");
    ExpectError(MinimalSong("  end\n  D-2\n"), "test.fcs:10: row after 'end'");
    ExpectError(MinimalSong("  D-2 nosuch\n"), "unknown instrument 'nosuch'");
}

TEST(ModasmChecks, RenamedInstrumentIsNamedOncePerPatternWithoutACascade) {
    AssemblyResult r = AssembleText(MinimalSong("pattern q inst=bass\n  A-1\n  ---\n  C-2 *3\n  D-2 note\n"));
    std::string all;
    for (const std::string& error : r.errors) all += error + "\n";
    ASSERT_EQ(r.errors.size(), 1u) << all;
    EXPECT_EQ(r.errors[0], "test.fcs:9: unknown instrument 'bass' (no vol macro has that name)");
}

TEST(ModasmChecks, SoundLimits) {
    ExpectError(MinimalSong("wave big saw words=129\n"), "test.fcs:9: words=129: expected a number from 2 to 128");
    ExpectError(MinimalSong("sample one data\n  1 2\n"), "is 1 words; it must be 2 to 65535");
    ExpectError(MinimalSong("sample odd data\n  1 2 3\n"), "has 3 values");
    ExpectError(MinimalSong("sample s saw words=8 loop=10,4\n"), "loop=10,4");
    ExpectError(MinimalSong("sample s saw words=8 colour=red\n"), "unknown parameter 'colour'");
    ExpectError(MinimalSong("sample s fuzz words=8\n"), "unknown generator 'fuzz'");
    std::string eleven;
    for (int i = 0; i < 11; ++i) eleven += "sample s" + std::to_string(i) + " noise words=4\n";
    ExpectError(MinimalSong(eleven), "test.fcs:19: too many samples: at most 10");
    ExpectError(MinimalSong("sample a noise words=65535\nsample b noise words=65535\n"),
                "samples and waves take 262176 bytes; the replayer holds 81920");
    std::string waves;
    for (int i = 0; i < 60; ++i) waves += "wave w" + std::to_string(i) + " square words=4\n";
    ExpectError(MinimalSong(waves + "freq far\n  SetWave w55 0 End\n"),
                "'w55' is sample table entry 66; byte codes reach only entries 0 to 63");
}

TEST(ModasmChecks, MacroShapeAndSize) {
    ExpectError(MinimalSong("freq open\n  SetWave tone 0\n"), "test.fcs:10: macro 'open' must end with End, Loop or JumpMacro");
    ExpectError(MinimalSong("vol v freq=plain\n  Ramp 60 0 59 End\n"), "takes 65 bytes; a macro holds at most 64");
    ExpectError(MinimalSong("vol v freq=plain\n  65 End\n"), "volume '65' is not a number from 0 to 64");
    ExpectError(MinimalSong("freq f\n  Loop nowhere\n"), "Loop: unknown label 'nowhere'");
    ExpectError(MinimalSong("freq f\n  Frobnicate 3\n"), "test.fcs:10: unknown frequency macro command 'Frobnicate'");
    ExpectError(MinimalSong("freq f\n  SetWave tone\n  End\n"), "SetWave takes 2 operand(s)");
    ExpectError(MinimalSong("freq f\n  x: 1 End x: 2\n"), "label 'x' defined twice");
    ExpectError(MinimalSong("vol v\n  1 End\n"), "vol 'v' needs freq=NAME");
    ExpectError(MinimalSong("vol v freq=plain vibrato=1,200,0\n  1 End\n"), "expected vibrato=SPEED,DEPTH,DELAY");
}

// 80,000 labels in one macro once took seconds (a quadratic lookup). A block
// past what it can hold is refused as soon as it gets there, on one line or
// over many, and the rest of it is not kept.
TEST(ModasmChecks, LabelsBytesAndLinesPastABlocksLimitAreRefusedAtOnce) {
    std::string labels, values, lines;
    for (int i = 0; i < 80000; ++i) {
        labels += " l" + std::to_string(i) + ":";
        values += " 1";
        lines += "  H-2\n";
    }
    const std::pair<std::string, std::string> cases[] = {
        {"freq f\n" + labels + " End\n", "test.fcs:10: macro 'f' has more than 64 labels; a macro holds at most 64 bytes"},
        {"freq g\n" + values + " End\n",
         "test.fcs:9: macro 'g' takes more than 64 bytes; a macro holds at most 64 (volume: 5 header + 59)"},
        {lines, "test.fcs:40: pattern 'p' has more than 32 rows"},
        {"freq h\n" + lines, "test.fcs:138: macro 'h' has more than 128 lines; a macro holds at most 64 bytes and 64 labels"},
    };
    for (const auto& [extra, error] : cases) {
        const AssemblyResult r = AssembleText(MinimalSong(extra));
        ASSERT_EQ(r.errors.size(), 1u) << error;
        EXPECT_EQ(r.errors[0], error);
    }
}

// A source of millions of bad lines once kept every message.
TEST(ModasmChecks, TwentyProblemsAreKeptAndTheRestCounted) {
    std::string bad;
    for (int i = 0; i < 1000; ++i) bad += "x\n";
    const AssemblyResult r = AssembleText(bad + MinimalSong());
    ASSERT_EQ(r.errors.size(), MaxProblemsKept + 1);
    EXPECT_EQ(r.errors[0].rfind("test.fcs:1: 'x' outside any block", 0), 0u) << r.errors[0];
    EXPECT_EQ(r.errors[19].rfind("test.fcs:20: 'x' outside any block", 0), 0u) << r.errors[19];
    EXPECT_EQ(r.errors[20], "modasm: 980 more errors not shown");
}

TEST(ModasmChecks, MacroFlowMustEndEveryTick) {
    // A frequency Loop onto End or Loop would read it as a note value.
    ExpectError(MinimalSong("freq f\n  0\nx: End\n  Loop x\n"), "Loop target 'x' is a Loop or End");
    ExpectError(MinimalSong("freq f\n  0\nx: Hold 0\n  Loop x\n"), "test.fcs:11: frequency macro 'f': Loop/JumpMacro/Hold 0 lead round");
    ExpectError(MinimalSong("freq f\n  JumpMacro g\nfreq g\n  Hold 0 JumpMacro f\n"), "one tick would never end");
    ExpectError(MinimalSong("vol v freq=plain\n  40\na: Loop b\nb: Loop a\n"), "volume macro 'v'");
    // The same shapes with something that ends the step are fine.
    AssemblyResult fine = AssembleText(MinimalSong(
        "freq f\n  0\nx: Hold 1\n  Loop x\nfreq g\n  JumpMacro f\n"
        "vol v freq=g\n  40\na: Hold 2\n  Loop a\n"));
    EXPECT_TRUE(fine.ok) << fine.errors[0];
}

TEST(ModasmChecks, SequenceTransposesAndLengths) {
    ExpectError("  stray\n" + MinimalSong(), "test.fcs:1: 'stray' outside any block");
    const std::string head = "format FC14\nwave t square words=8\n"
                             "freq arp\n  SetWave t 0\nm: 7 12\n  Loop m\n"
                             "vol a freq=arp\n  64 End\n"
                             "pattern high inst=a\n  G-3\n"
                             "pattern short inst=a\n  C-2\n  end\n";
    AssemblyResult fits = AssembleText(head + "sequence\n  high high+4 high high\n");
    EXPECT_TRUE(fits.ok) << fits.errors[0];  // G-3 + 4 + 12 = B-4
    ExpectError(head + "sequence\n  high high+5 high high\n",
                "test.fcs:15: entry 0 voice 1: pattern 'high' line 10: G-3 transposed by 5 with instrument 'a' reaches above B-4");
    ExpectError(head + "sequence\n  high high-32 high high\n", "falls below C-1");
    ExpectError(head + "sequence\n  high high/1 high high\n", "instrument 0 with sound transpose 1 names no volume macro");
    ExpectError(head + "sequence\n  high short high high\n", "the voices would drift apart");
    ExpectError(head + "sequence\n  high high high\n", "names 4 patterns, one per voice; found 3");
    ExpectError(head + "sequence\n  high high high nope\n", "unknown pattern 'nope'");
    ExpectError(head + "sequence\n  high high high high speed=0\n", "speed must be 1 to 255");
    ExpectError(head + "sequence\n  high high high high *200\n  high high high high *56\n",
                "the sequence has 256 entries; at most 255");
    ExpectError(head, "no sequence");
}

TEST(ModasmChecks, NamesAndFormat) {
    ExpectError(MinimalSong("pattern p\n"), "pattern name 'p' is already used");
    ExpectError(MinimalSong("wave tone saw words=4\n"), "wave name 'tone' is already used");
    ExpectError("wave w saw words=4\nformat FC14\n", "format must be the first directive");
    ExpectError("format MOD\n", "test.fcs:1: expected 'format FC14' or 'format SMOD'");
    std::string many;
    for (int i = 0; i < 129; ++i) many += "pattern q" + std::to_string(i) + "\n";
    ExpectError(MinimalSong(many), "too many patterns: at most 128");
}

}  // namespace

namespace {

// The example in the format reference stays a song that assembles.
TEST(ModasmDocs, ReferenceExampleAssembles) {
    std::ifstream file(MODASM_REFERENCE_DOC);
    std::stringstream text;
    text << file.rdbuf();
    const std::string doc = text.str();
    const size_t close = doc.rfind("```");
    const size_t open = doc.rfind("```\n", close - 1);
    ASSERT_NE(close, std::string::npos);
    ASSERT_NE(open, std::string::npos);
    AssemblyResult r = AssembleText(doc.substr(open + 4, close - open - 4), "example.fcs");
    ASSERT_TRUE(r.ok) << r.errors[0];
    EXPECT_EQ(r.module.sequence.size(), 2u);
    EXPECT_EQ(r.module.waves.size(), 4u);
}

}  // namespace
