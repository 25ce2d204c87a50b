#pragma once
// A content pack: the intro's pages, font bitmap and song in one checked file
// (NAME.intro). All numbers little-endian.
//   offset  0  "INTROPAK"        magic
//           8  u32 version       PackVersion
//          12  u32 pagesSize     the page strings, each ended by a zero byte
//          16  u32 fontSize      the font's 4-bit BMP file; 0 in a Windows
//                                program, which carries it as bitmap resource 103
//          20  u32 moduleSize    the "FC14" or "SMOD" module
//          24  u32 checksum      CRC-32 (as zlib's) of the bytes after the header
//          28  u32 reserved      0
//          32  pages, font, module, back to back, nothing after them
// Reading never allocates: the result points into the bytes read.
#include <cstdint>

constexpr char PackMagic[8] = {'I', 'N', 'T', 'R', 'O', 'P', 'A', 'K'};
constexpr uint32_t PackVersion = 1;
constexpr uint32_t PackHeaderSize = 32;
constexpr uint32_t MaxPackBytes = 8u << 20;  // far above any four-voice song
constexpr int MaxPackPages = 64;
constexpr uint32_t MaxPageBytes = 4096;      // a whole page is some 700 characters

enum PackStatus {
    PackOk = 0,
    PackTruncated = 1,   // shorter than its header or its lengths say
    PackBadMagic = 2,
    PackBadVersion = 3,
    PackBadHeader = 4,   // reserved field not zero
    PackTooLarge = 5,    // a length past MaxPackBytes
    PackTrailingBytes = 6,
    PackBadChecksum = 7,
    PackBadPages = 8,    // no page, too many, one too long, or one not ended
    PackNoFont = 9,      // a font was expected and the pack has none, or the reverse
    PackNoModule = 10,
    PackBadFont = 11,    // a font the BMP decoder refuses (app/intro_content.h)
};

// Whether the font travels in the pack or beside it (a Windows program's
// bitmap resource).
enum PackFont { FontInPack, FontBeside };

struct ContentPack {
    const char* pages[MaxPackPages + 1];  // ended by a null entry
    int pageCount;
    const uint8_t* font;
    uint32_t fontSize;
    const uint8_t* module;
    uint32_t moduleSize;
};

// Checks the layout and the checksum of `size` bytes and fills `pack` with
// pointers into them. Returns PackOk, or a PackStatus with `reason` (cut to
// reasonSize) naming what is wrong and at which offset. The module's own
// content is not examined here: see UseContentPack (app/intro_content.h).
int ReadContentPack(const uint8_t* bytes, uint32_t size, PackFont font, ContentPack* pack,
                    char* reason, uint32_t reasonSize);

// CRC-32 with zlib's polynomial and conditioning, `crc` 0 to start.
uint32_t PackChecksum(const uint8_t* bytes, uint32_t size, uint32_t crc = 0);
