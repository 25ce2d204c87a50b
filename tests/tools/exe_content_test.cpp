// WriteIntroExe on small PE32+ images built here, read back with a reader of
// this test's own.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "authoring/content_pack_writer.h"
#include "authoring/exe_content.h"
#include "authoring/exe_sizes.h"

namespace {

using Bytes = std::vector<uint8_t>;
constexpr uint32_t Opt = 0x80 + 24, Table = Opt + 240;  // e_lfanew 0x80, PE32+ optional header of 240 bytes

uint32_t U32(const Bytes& b, size_t at) {
    return b.at(at) | b.at(at + 1) << 8 | b.at(at + 2) << 16 | uint32_t(b.at(at + 3)) << 24;
}
uint16_t U16(const Bytes& b, size_t at) { return uint16_t(b.at(at) | b.at(at + 1) << 8); }
void Set(Bytes& b, size_t at, uint32_t v, int size = 4) {
    for (int i = 0; i < size; ++i) b.at(at + i) = uint8_t(v >> (8 * i));
}

struct TestSection {
    std::string name;
    uint32_t flags;
    Bytes bytes;
};

// Headers of 0x400 bytes, file alignment 0x200, sections 0x1000 apart in order.
Bytes BuildShell(const std::vector<TestSection>& sections) {
    Bytes b(0x400, 0);
    b[0] = 'M', b[1] = 'Z';
    Set(b, 0x3c, 0x80);
    std::copy_n("PE\0\0", 4, &b[0x80]);
    Set(b, 0x84, 0x8664, 2);
    Set(b, 0x86, uint32_t(sections.size()), 2);
    Set(b, 0x94, 240, 2);
    Set(b, Opt, 0x20b, 2);
    Set(b, Opt + 32, 0x1000), Set(b, Opt + 36, 0x200), Set(b, Opt + 60, 0x400), Set(b, Opt + 108, 16);
    uint32_t rva = 0x1000, initialized = 0;
    for (size_t i = 0; i < sections.size(); ++i) {
        const TestSection& s = sections[i];
        size_t at = Table + 40 * i;
        std::copy(s.name.begin(), s.name.end(), &b[at]);
        uint32_t raw = (uint32_t(s.bytes.size()) + 0x1ff) & ~0x1ffu;
        Set(b, at + 8, uint32_t(s.bytes.size())), Set(b, at + 12, rva), Set(b, at + 16, raw);
        Set(b, at + 20, uint32_t(b.size())), Set(b, at + 36, s.flags);
        int dir = s.name == ".rsrc" ? 2 : s.name == ".reloc" ? 5 : -1;
        if (dir >= 0) Set(b, Opt + 112 + 8 * dir, rva), Set(b, Opt + 116 + 8 * dir, uint32_t(s.bytes.size()));
        if (s.flags & 0x40) initialized += raw;
        b.insert(b.end(), s.bytes.begin(), s.bytes.end());
        b.resize(b.size() + raw - s.bytes.size(), 0);
        rva += 0x1000;
    }
    Set(b, Opt + 8, initialized), Set(b, Opt + 56, rva), Set(b, Opt + 64, 0x1234567);  // a stale checksum
    return b;
}

const TestSection Text{".text", 0x60000020, Bytes(0x300, 0xc3)};
// One block for page 0x1000 (in .text): two DIR64 entries.
const TestSection Reloc{".reloc", 0x42000040, {0x00, 0x10, 0, 0, 12, 0, 0, 0, 0x10, 0xa0, 0x18, 0xa0}};
const TestSection OldRsrc{".rsrc", 0x40000040, Bytes(0x600, 0xee)};
const Bytes Font = [] {
    Bytes f(14 + 40 + 64 + 128, 0x11);
    f[0] = 'B', f[1] = 'M';
    Set(f, 14, 40);
    return f;
}();
const Bytes Content = {'p', 'a', 'c', 'k', 0, 1, 2};

// The writer's reason for refusing, "" when it wrote `exe`; a refusal names the shell.
std::string Write(const Bytes& shell, const Bytes& font, Bytes* exe) {
    const std::vector<Problem> problems = WriteIntroExe(shell, "shell.exe", font, Content, exe);
    if (problems.empty()) return "";
    EXPECT_EQ(problems.front().file, "shell.exe");
    return problems.front().reason;
}

size_t FileOffset(const Bytes& exe, uint32_t rva) {
    for (uint16_t i = 0; i < U16(exe, 0x86); ++i) {
        size_t at = Table + 40 * i;
        if (rva >= U32(exe, at + 12) && rva < U32(exe, at + 12) + U32(exe, at + 8))
            return rva - U32(exe, at + 12) + U32(exe, at + 20);
    }
    ADD_FAILURE() << "RVA " << rva << " is in no section";
    return 0;
}

// The one entry of a resource directory, after checking it has exactly `count`.
uint32_t Entry(const Bytes& exe, size_t dir, int index, int count, uint32_t* id) {
    EXPECT_EQ(U16(exe, dir + 12) + U16(exe, dir + 14), count);
    *id = U32(exe, dir + 16 + 8 * index);
    return U32(exe, dir + 20 + 8 * index);
}

// Walks type -> name -> language -> data for the resource `index` of two.
Bytes Resource(const Bytes& exe, int index, uint32_t* type, uint32_t* name, uint32_t* language) {
    size_t root = FileOffset(exe, U32(exe, Opt + 112 + 16));
    uint32_t names = Entry(exe, root, index, 2, type),
             languages = Entry(exe, root + (names & 0x7fffffff), 0, 1, name);
    uint32_t data = Entry(exe, root + (languages & 0x7fffffff), 0, 1, language);
    EXPECT_TRUE((names & languages & 0x80000000) && !(data & 0x80000000));
    size_t at = FileOffset(exe, U32(exe, root + data));
    return Bytes(exe.begin() + at, exe.begin() + at + U32(exe, root + data + 4));
}

uint32_t Checksum(Bytes exe) {
    Set(exe, Opt + 64, 0);
    uint32_t sum = 0;
    for (size_t i = 0; i < exe.size(); i += 2) {
        sum += U16(exe, i);
        sum = (sum >> 16) + (sum & 0xffff);
    }
    return sum + uint32_t(exe.size());
}

using Ids = std::vector<uint32_t>;

void ExpectIntroExe(const Bytes& exe) {
    uint32_t type, name, language;
    EXPECT_EQ(Resource(exe, 0, &type, &name, &language), Bytes(Font.begin() + 14, Font.end()));
    EXPECT_EQ(Ids({type, name, language}), Ids({2, 103, 0x409}));
    EXPECT_EQ(Resource(exe, 1, &type, &name, &language), Content);
    EXPECT_EQ(Ids({type, name, language}), Ids({10, 104, 0x409}));
    // Sections follow each other in memory and in the file, which they fill.
    uint32_t rva = 0x1000, raw = 0x400, initialized = 0;
    for (uint16_t i = 0; i < U16(exe, 0x86); ++i) {
        size_t at = Table + 40 * i;
        EXPECT_EQ(Ids({U32(exe, at + 12), U32(exe, at + 20), U32(exe, at + 16) % 0x200}), Ids({rva, raw, 0}));
        EXPECT_LE(U32(exe, at + 8), U32(exe, at + 16));
        rva += (U32(exe, at + 8) + 0xfff) & ~0xfffu, raw += U32(exe, at + 16);
        if (U32(exe, at + 36) & 0x40) initialized += U32(exe, at + 16);
    }
    EXPECT_EQ(raw, exe.size());
    EXPECT_EQ(U32(exe, Opt + 56), rva);
    EXPECT_EQ(U32(exe, Opt + 8), initialized);
    EXPECT_EQ(U32(exe, Opt + 64), Checksum(exe));
    // .text is untouched, and the relocation directory finds the same block.
    EXPECT_TRUE(std::equal(Text.bytes.begin(), Text.bytes.end(), exe.begin() + 0x400));
    size_t relocs = FileOffset(exe, U32(exe, Opt + 112 + 40));
    ASSERT_EQ(U32(exe, Opt + 116 + 40), Reloc.bytes.size());
    EXPECT_TRUE(std::equal(Reloc.bytes.begin(), Reloc.bytes.end(), exe.begin() + relocs));
}

TEST(ExeContent, ReplacesAnOldResourceSectionWithoutLeavingItBehind) {
    Bytes shell = BuildShell({Text, OldRsrc, Reloc}), exe;
    ASSERT_EQ(Write(shell, Font, &exe), "");
    ExpectIntroExe(exe);
    EXPECT_EQ(std::search_n(exe.begin(), exe.end(), 16, 0xee), exe.end());
    EXPECT_EQ(exe.size(), BuildShell({Text, Reloc}).size() + 0x200);  // the new .rsrc fits one file block
    // Deterministic, and a rewritten exe rewrites to the same bytes.
    Bytes again, twice;
    ASSERT_EQ(Write(shell, Font, &again), "");
    ASSERT_EQ(Write(exe, Font, &twice), "");
    EXPECT_EQ(again, exe);
    EXPECT_EQ(twice, exe);
}

TEST(ExeContent, AddsAResourceSectionToAShellWithout) {
    Bytes exe;
    ASSERT_EQ(Write(BuildShell({Text, Reloc}), Font, &exe), "");
    ExpectIntroExe(exe);
    EXPECT_EQ(U16(exe, 0x86), 3);
}

void ExpectRefused(const Bytes& shell, const std::string& reason, const Bytes& font = Font) {
    Bytes exe = {1, 2, 3};
    const std::string error = Write(shell, font, &exe);
    EXPECT_NE(error, "");
    EXPECT_NE(error.find(reason), std::string::npos) << error;
    EXPECT_EQ(exe, Bytes({1, 2, 3}));
}

TEST(ExeContent, RefusesMalformedOrUnsafeShells) {
    Bytes shell = BuildShell({Text, OldRsrc, Reloc});
    ExpectRefused(Bytes(shell.begin(), shell.begin() + 40), "truncated DOS header");
    ExpectRefused(Bytes(shell.begin(), shell.begin() + 0x90), "truncated PE header");
    ExpectRefused(Bytes(shell.begin(), shell.begin() + Table + 60), "truncated section table");
    Bytes wrong = shell;
    Set(wrong, 0x84, 0x14c, 2);
    ExpectRefused(wrong, "not an x86-64 image");
    Bytes pe32 = shell;
    Set(pe32, Opt, 0x10b, 2);
    ExpectRefused(pe32, "not a PE32+ image");
    Bytes overlay = shell;
    overlay.resize(overlay.size() + 8, 0);
    ExpectRefused(overlay, "overlay");
    ExpectRefused(BuildShell({Text, OldRsrc, TestSection{".data", 0xc0000040, Bytes(16, 1)}, Reloc}),
                  ".data follows .rsrc");
    std::vector<TestSection> full(14, Text);  // 15 headers fill the 0x400 bytes of headers
    full.push_back(Reloc);
    ExpectRefused(BuildShell(full), "no room for another section header");
    ExpectRefused(shell, "not a BMP file", Bytes(Font.begin() + 14, Font.end()));
    // No prefix of a good shell is read past its end or accepted.
    for (size_t size = 0; size < shell.size(); size += 7)
        ExpectRefused(Bytes(shell.begin(), shell.begin() + size), "");
}

// Each part is measured where it lies in the written exe, and together they
// are the whole file.
TEST(ExeSizes, PartsAreWhereTheyLieAndAddUpToTheFile) {
    const Bytes module(3000, 7), pack = BuildContentPack({"HELLO|", "WORLD]AGAIN|"}, {}, module);
    const Bytes shell = BuildShell({Text, Reloc});
    Bytes exe;
    ASSERT_TRUE(WriteIntroExe(shell, "shell.exe", Font, pack, &exe).empty());
    ExeSizes sizes;
    std::string error;
    ASSERT_TRUE(MeasureIntroExe(exe, &sizes, &error)) << error;
    EXPECT_EQ(sizes.file, int64_t(exe.size()));
    EXPECT_EQ(sizes.code, 0x400);  // .text's 0x300 bytes as stored, in 0x200-byte blocks
    EXPECT_EQ(sizes.font, int64_t(Font.size()) - 14);
    EXPECT_EQ(sizes.pages, 7 + 13);
    EXPECT_EQ(sizes.song, 3000);
    EXPECT_EQ(sizes.code + sizes.pages + sizes.font + sizes.song + sizes.rest, sizes.file);
    EXPECT_GE(sizes.rest, 0x400 + 32);  // at least the headers and the pack's header
    const std::string text = ExeSizesText("own.exe", sizes);
    EXPECT_EQ(text.substr(0, text.find('\n')), "own.exe: " + GroupedDigits(sizes.file) + " bytes, " +
                                                   GroupedDigits(65536 - sizes.file) +
                                                   " bytes under the 64 KiB (65,536 bytes) of a classic intro");
    EXPECT_NE(text.find("\n  song             3,000\n"), std::string::npos) << text;
    EXPECT_NE(ExeSizesJson(sizes).find("\"song\":3000,"), std::string::npos);
    EXPECT_EQ(GroupedDigits(-1234567), "-1,234,567");

    EXPECT_FALSE(MeasureIntroExe(shell, &sizes, &error));
    EXPECT_EQ(error, "no font bitmap and content pack among its resources");
    for (size_t size = 0; size < exe.size(); size += 13)
        EXPECT_FALSE(MeasureIntroExe(Bytes(exe.begin(), exe.begin() + size), &sizes, &error)) << size;
}

}  // namespace
