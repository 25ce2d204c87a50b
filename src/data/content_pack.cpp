#include "data/content_pack.h"

#include <cstdarg>
#include <cstring>

namespace {

uint32_t ReadU32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
           static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}

// Appends `text` to the reason being written, cut at its end.
struct ReasonText {
    char* out;
    uint32_t room;  // bytes left before the terminating zero
    void Put(char c) {
        if (room == 0) return;
        *out++ = c;
        *out = '\0';
        --room;
    }
    void Put(const char* text) {
        while (text != nullptr && *text != '\0') Put(*text++);
    }
    void Put(uint32_t value, uint32_t base, int width) {
        char digits[12];
        int count = 0;
        do {
            digits[count++] = "0123456789ABCDEF"[value % base];
            value /= base;
        } while (value != 0);
        for (; width > count; --width) Put('0');
        while (count > 0) Put(digits[--count]);
    }
};

// The reason's own small formatter (%u, %d of non-negative values, %s, %08X):
// the Windows program reads packs too, and must not link a printf for it.
int Refuse(int status, char* reason, uint32_t reasonSize, const char* format, ...)
    __attribute__((format(printf, 4, 5)));
int Refuse(int status, char* reason, uint32_t reasonSize, const char* format, ...) {
    if (reason == nullptr || reasonSize == 0) return status;
    reason[0] = '\0';
    ReasonText text{reason, reasonSize - 1};
    va_list args;
    va_start(args, format);
    for (const char* f = format; *f != '\0'; ++f) {
        if (*f != '%') {
            text.Put(*f);
            continue;
        }
        const bool hex = f[1] == '0';  // only "%08X"
        if (hex) f += 2;
        switch (*++f) {
        case 's': text.Put(va_arg(args, const char*)); break;
        case 'd': text.Put(static_cast<uint32_t>(va_arg(args, int)), 10, 0); break;
        case 'u': text.Put(va_arg(args, uint32_t), 10, 0); break;
        case 'X': text.Put(va_arg(args, uint32_t), 16, hex ? 8 : 0); break;
        default:
            text.Put('%');
            if (*f == '\0') --f;
            else text.Put(*f);
            break;
        }
    }
    va_end(args);
    return status;
}

// Splits the pages section into its zero-ended strings. Each must be ended
// inside the section, so the typewriter never reads past it.
int ReadPages(const uint8_t* section, uint32_t size, ContentPack* pack, char* reason,
              uint32_t reasonSize) {
    if (size == 0) return Refuse(PackBadPages, reason, reasonSize, "the pack has no page");
    uint32_t start = 0;
    while (start < size) {
        const void* end = std::memchr(section + start, 0, size - start);
        if (end == nullptr)
            return Refuse(PackBadPages, reason, reasonSize,
                          "page %d at offset %u is not ended by a zero byte", pack->pageCount + 1,
                          PackHeaderSize + start);
        const uint32_t length = static_cast<uint32_t>(static_cast<const uint8_t*>(end) - section) - start;
        if (length > MaxPageBytes)
            return Refuse(PackBadPages, reason, reasonSize,
                          "page %d at offset %u has %u bytes, more than %u", pack->pageCount + 1,
                          PackHeaderSize + start, length, MaxPageBytes);
        if (pack->pageCount == MaxPackPages)
            return Refuse(PackBadPages, reason, reasonSize, "the pack has more than %d pages",
                          MaxPackPages);
        pack->pages[pack->pageCount++] = reinterpret_cast<const char*>(section + start);
        start += length + 1;
    }
    pack->pages[pack->pageCount] = nullptr;
    return PackOk;
}

}  // namespace

uint32_t PackChecksum(const uint8_t* bytes, uint32_t size, uint32_t crc) {
    crc = ~crc;
    for (uint32_t i = 0; i < size; ++i) {
        crc ^= bytes[i];
        for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

int ReadContentPack(const uint8_t* bytes, uint32_t size, PackFont font, ContentPack* pack,
                    char* reason, uint32_t reasonSize) {
    if (pack == nullptr) return Refuse(PackTruncated, reason, reasonSize, "no pack to fill");
    *pack = ContentPack{};
    if (bytes == nullptr) size = 0;
    if (size < PackHeaderSize)
        return Refuse(PackTruncated, reason, reasonSize,
                      "truncated: the header needs %u bytes, there are %u", PackHeaderSize, size);
    if (std::memcmp(bytes, PackMagic, sizeof PackMagic) != 0)
        return Refuse(PackBadMagic, reason, reasonSize,
                      "not a content pack: it does not begin with \"INTROPAK\"");
    const uint32_t version = ReadU32(bytes + 8);
    if (version != PackVersion)
        return Refuse(PackBadVersion, reason, reasonSize,
                      "format version %u at offset 8; this program reads version %u", version,
                      PackVersion);
    if (ReadU32(bytes + 28) != 0)
        return Refuse(PackBadHeader, reason, reasonSize, "the reserved field at offset 28 is not 0");

    const char* const names[3] = {"pages", "font", "module"};
    uint32_t lengths[3];
    uint32_t total = PackHeaderSize;
    for (int i = 0; i < 3; ++i) {
        lengths[i] = ReadU32(bytes + 12 + 4 * i);
        // Each length alone is below MaxPackBytes, so the sum cannot wrap.
        if (lengths[i] > MaxPackBytes || total + lengths[i] > MaxPackBytes)
            return Refuse(PackTooLarge, reason, reasonSize,
                          "the %s length at offset %d (%u bytes) takes the pack past %u bytes",
                          names[i], 12 + 4 * i, lengths[i], MaxPackBytes);
        total += lengths[i];
    }
    if (size < total)
        return Refuse(PackTruncated, reason, reasonSize,
                      "truncated: the header's lengths need %u bytes, there are %u", total, size);
    if (size > total)
        return Refuse(PackTrailingBytes, reason, reasonSize,
                      "%u bytes follow the module's end at offset %u", size - total, total);
    const uint32_t stored = ReadU32(bytes + 24);
    const uint32_t actual = PackChecksum(bytes + PackHeaderSize, size - PackHeaderSize);
    if (stored != actual)
        return Refuse(PackBadChecksum, reason, reasonSize,
                      "damaged: the checksum at offset 24 is %08X, the content's is %08X", stored,
                      actual);

    const uint8_t* section = bytes + PackHeaderSize;
    const int pages = ReadPages(section, lengths[0], pack, reason, reasonSize);
    if (pages != PackOk) return pages;
    section += lengths[0];
    if (font == FontInPack && lengths[1] == 0)
        return Refuse(PackNoFont, reason, reasonSize, "the pack has no font");
    if (font == FontBeside && lengths[1] != 0)
        return Refuse(PackNoFont, reason, reasonSize,
                      "the pack carries a font where the program has its own");
    pack->font = lengths[1] != 0 ? section : nullptr;
    pack->fontSize = lengths[1];
    section += lengths[1];
    if (lengths[2] == 0) return Refuse(PackNoModule, reason, reasonSize, "the pack has no song");
    pack->module = section;
    pack->moduleSize = lengths[2];
    return PackOk;
}
