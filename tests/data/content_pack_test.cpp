// The content pack: no damaged pack is read, and what it holds is checked
// before use. (The built-in pack's content itself is checked by the golden
// preview and render, and its pages by pages_test.)
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "app/intro_content.h"
#include "data/builtin_pack.h"
#include "data/content_pack.h"
#include "authoring/content_pack_writer.h"

namespace {

std::vector<uint8_t> BuiltIn() { return {BuiltInPack, BuiltInPack + BuiltInPackSize}; }

int Read(const std::vector<uint8_t>& bytes, std::string* reason, PackFont font = FontInPack) {
    ContentPack pack;
    char text[200] = "";
    const int status = ReadContentPack(bytes.data(), static_cast<uint32_t>(bytes.size()), font,
                                       &pack, text, sizeof text);
    *reason = text;
    return status;
}

void PutU32(std::vector<uint8_t>& bytes, size_t at, uint32_t value) {
    for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<uint8_t>(value >> (8 * i));
}

// The checksum mended after a change, so the check under test is the one reached.
void Reseal(std::vector<uint8_t>& bytes) {
    PutU32(bytes, 24, PackChecksum(bytes.data() + PackHeaderSize,
                                   static_cast<uint32_t>(bytes.size() - PackHeaderSize)));
}

TEST(ContentPack, EveryTruncationAndDamagedHeaderIsRefusedWithAReason) {
    const std::vector<uint8_t> good = BuiltIn();
    std::string reason;
    for (size_t size = 0; size < good.size(); ++size) {
        const std::vector<uint8_t> cut(good.begin(), good.begin() + size);
        ASSERT_EQ(Read(cut, &reason), PackTruncated) << size;
        ASSERT_NE(reason.find("truncated"), std::string::npos) << reason;
    }
    struct Damage {
        size_t offset;
        uint32_t value;
        int status;
        const char* says;
    };
    const Damage damages[] = {
        {0, 0x5254494E, PackBadMagic, "INTROPAK"},   // "NITR..."
        {8, 2, PackBadVersion, "version 2"},
        {28, 1, PackBadHeader, "offset 28"},
        {12, 0xFFFFFFFF, PackTooLarge, "pages length"},
        {20, MaxPackBytes, PackTooLarge, "module length"},
        {16, 0, PackTrailingBytes, "follow"},           // the font's bytes left over
        {20, 1u << 20, PackTruncated, "lengths need"},
        {24, 0, PackBadChecksum, "checksum at offset 24"},
    };
    for (const Damage& damage : damages) {
        std::vector<uint8_t> bytes = good;
        PutU32(bytes, damage.offset, damage.value);
        ASSERT_EQ(Read(bytes, &reason), damage.status) << damage.offset;
        EXPECT_NE(reason.find(damage.says), std::string::npos) << reason;
    }
    std::vector<uint8_t> flipped = good;
    flipped.back() ^= 0x40;
    EXPECT_EQ(Read(flipped, &reason), PackBadChecksum);
}

TEST(ContentPack, PagesFontAndSongAreCheckedBeforeUse) {
    const std::vector<uint8_t> font = {'B', 'M', 1, 2};
    ContentPack builtIn;
    char builtInReason[200];
    ASSERT_EQ(ReadContentPack(BuiltInPack, BuiltInPackSize, FontInPack, &builtIn, builtInReason,
                              sizeof builtInReason), PackOk) << builtInReason;
    const std::vector<uint8_t> song(builtIn.module, builtIn.module + builtIn.moduleSize);
    std::string reason;
    // A page whose zero is missing would run the typewriter past the section.
    std::vector<uint8_t> unended = BuildContentPack({"AB"}, font, song);
    unended[PackHeaderSize + 2] = 'C';
    Reseal(unended);
    EXPECT_EQ(Read(unended, &reason), PackBadPages);
    EXPECT_NE(reason.find("not ended"), std::string::npos) << reason;
    EXPECT_EQ(Read(BuildContentPack({}, font, song), &reason), PackBadPages);
    EXPECT_EQ(Read(BuildContentPack(std::vector<std::string>(MaxPackPages + 1, "A"), font, song),
                   &reason),
              PackBadPages);
    EXPECT_EQ(Read(BuildContentPack({std::string(MaxPageBytes + 1, 'A')}, font, song), &reason),
              PackBadPages);
    EXPECT_EQ(Read(BuildContentPack({"A"}, {}, song), &reason), PackNoFont);
    EXPECT_EQ(Read(BuildContentPack({"A"}, font, song), &reason, FontBeside), PackNoFont);
    EXPECT_EQ(Read(BuildContentPack({"A"}, {}, song), &reason, FontBeside), PackOk);
    EXPECT_EQ(Read(BuildContentPack({"A"}, font, {}), &reason), PackNoModule);

    // A song the checked loader refuses leaves the content in use as it was.
    ResetIntroContent();
    const std::vector<uint8_t> bmp(builtIn.font, builtIn.font + builtIn.fontSize);
    const std::vector<uint8_t> badSong = BuildContentPack({"A"}, bmp, {'F', 'C', '1', '4', 0});
    char text[200];
    EXPECT_EQ(UseContentPack(badSong.data(), badSong.size(), FontInPack, text, sizeof text),
              PackNoModule);
    EXPECT_NE(std::string(text).find("the song at offset"), std::string::npos) << text;
    EXPECT_EQ(IntroContent().pageCount, 0);
    const std::vector<uint8_t> good = BuildContentPack({"A", "B"}, bmp, song);
    ASSERT_EQ(UseContentPack(good.data(), good.size(), FontInPack, text, sizeof text), PackOk) << text;
    EXPECT_EQ(IntroContent().pageCount, 2);
    EXPECT_STREQ(IntroContent().pages[1], "B");
    ResetIntroContent();
}

// A font whose header claims a huge bitmap, in a pack with a correct
// checksum, made the native intro and tools allocate gigabytes while decoding
// it: the pack is refused when it is read, the content left as it was.
TEST(ContentPack, FontClaimingAHugeBitmapIsRefusedWhenThePackIsRead) {
    ContentPack builtIn;
    char builtInReason[200];
    ASSERT_EQ(ReadContentPack(BuiltInPack, BuiltInPackSize, FontInPack, &builtIn, builtInReason,
                              sizeof builtInReason), PackOk) << builtInReason;
    const std::vector<uint8_t> song(builtIn.module, builtIn.module + builtIn.moduleSize);
    const auto fontHeader = [](uint32_t width, uint32_t height) {
        std::vector<uint8_t> bmp(54 + 4 * 256 + 4096, 0);
        bmp[0] = 'B';
        bmp[1] = 'M';
        PutU32(bmp, 10, 54 + 4 * 256);
        PutU32(bmp, 14, 40);
        PutU32(bmp, 18, width);
        PutU32(bmp, 22, height);
        bmp[26] = 1;
        bmp[28] = 8;
        return bmp;
    };
    struct Huge {
        uint32_t width, height;
        const char* says;
    };
    ResetIntroContent();
    for (const Huge& huge : {Huge{1, 1u << 31, "1 x 2147483648 pixels"},
                             Huge{30000, 30000, "30000 x 30000 pixels"}}) {
        const std::vector<uint8_t> pack = BuildContentPack({"A"}, fontHeader(huge.width, huge.height), song);
        char text[200] = "";
        ASSERT_EQ(UseContentPack(pack.data(), pack.size(), FontInPack, text, sizeof text), PackBadFont);
        EXPECT_EQ(std::string(text), std::string("the font at offset 34: ") + huge.says +
                                         "; each side must be from 1 to 4096");
        EXPECT_EQ(IntroContent().pageCount, 0);
    }
}

}  // namespace
