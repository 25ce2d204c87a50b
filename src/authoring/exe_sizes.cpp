#include "authoring/exe_sizes.h"

#include <cstring>

#include "data/content_pack.h"
#include "data/resource_ids.h"

namespace {

constexpr uint32_t RtBitmap = 2, RtRcdata = 10;
constexpr uint32_t ScnCntCode = 0x20;
constexpr uint32_t ResSubdirectoryFlag = 0x80000000;
constexpr size_t SectionHeaderSize = 40;
constexpr uint32_t MaxSections = 96;  // as many as Windows loads
constexpr size_t PeSignatureSize = 4, CoffHeaderSize = 20, OptDataDirectories = 112, DirResource = 2;

// Bounds-checked little-endian reads: `ok` turns false on the first read
// past the end, and every later read gives 0.
struct Reader {
    const std::vector<uint8_t>& bytes;
    bool ok = true;
    uint32_t U16(uint64_t at) {
        if (at > bytes.size() || bytes.size() - at < 2) return ok = false, 0;
        return uint32_t(bytes[at] | bytes[at + 1] << 8);
    }
    uint32_t U32(uint64_t at) { return U16(at) | U16(at + 2) << 16; }
};

struct Section {
    uint32_t virtualAddress, virtualSize, rawSize, rawPointer, flags;
};

// The file offset of `rva` with `size` bytes after it inside one section's
// stored bytes; -1 when there is none.
int64_t FileOffset(const Section* sections, size_t count, uint32_t rva, uint32_t size) {
    for (size_t i = 0; i < count; ++i) {
        const Section& s = sections[i];
        if (rva < s.virtualAddress) continue;
        const uint64_t within = uint64_t(rva) - s.virtualAddress;
        if (within + size <= s.rawSize) return int64_t(s.rawPointer + within);
    }
    return -1;
}

// The data entry of resource type/id (first language) under the tree at
// `root` (a file offset): its RVA and size.
bool FindResource(Reader& in, uint64_t root, uint32_t type, uint32_t id, uint32_t* rva, uint32_t* size) {
    uint64_t directory = root;
    const uint32_t wanted[3] = {type, id, 0};
    for (int level = 0; level < 3; ++level) {
        const uint32_t count = in.U16(directory + 12) + in.U16(directory + 14);
        uint32_t target = 0;
        bool found = false;
        for (uint32_t i = 0; i < count && i < 256 && in.ok && !found; ++i) {
            const uint64_t entry = directory + 16 + 8 * uint64_t(i);
            found = level == 2 || in.U32(entry) == wanted[level];
            target = in.U32(entry + 4);
        }
        if (!found || !in.ok) return false;
        const bool subdirectory = (target & ResSubdirectoryFlag) != 0;
        if (subdirectory != (level < 2)) return false;
        directory = root + (target & ~ResSubdirectoryFlag);
    }
    *rva = in.U32(directory);
    *size = in.U32(directory + 4);
    return in.ok;
}

}  // namespace

namespace {

// `value` in decimal, with commas between groups of three digits when `grouped`.
std::string Digits(int64_t value, bool grouped) {
    // Written from the last digit backwards into a buffer wide enough for any int64_t.
    char digits[32];
    size_t at = sizeof digits;
    uint64_t left = value < 0 ? 0 - uint64_t(value) : uint64_t(value);
    for (int count = 0; count == 0 || left != 0; ++count, left /= 10) {
        if (grouped && count > 0 && count % 3 == 0) digits[--at] = ',';
        digits[--at] = char('0' + left % 10);
    }
    if (value < 0) digits[--at] = '-';
    return std::string(digits + at, sizeof digits - at);
}

}  // namespace

std::string GroupedDigits(int64_t value) { return Digits(value, true); }

bool MeasureIntroExe(const std::vector<uint8_t>& exe, ExeSizes* sizes, std::string* error) {
    Reader in{exe};
    const uint32_t pe = in.U32(0x3c);
    if (!in.ok || exe[0] != 'M' || exe[1] != 'Z' || in.U32(pe) != 0x4550)
        return *error = "not a Windows program (no PE header)", false;
    const uint64_t coff = uint64_t(pe) + PeSignatureSize;
    const uint32_t sectionCount = in.U16(coff + 2);
    const uint64_t optional = coff + CoffHeaderSize;
    const uint64_t table = optional + in.U16(coff + 16);
    const uint32_t resourceRva = in.U32(optional + OptDataDirectories + 8 * DirResource);
    Section sections[MaxSections];
    if (sectionCount > MaxSections) return *error = "more sections than Windows loads", false;
    ExeSizes found;
    found.file = int64_t(exe.size());
    for (uint32_t i = 0; i < sectionCount && in.ok; ++i) {
        const uint64_t at = table + i * SectionHeaderSize;
        Section& s = sections[i];
        s = Section{in.U32(at + 12), in.U32(at + 8), in.U32(at + 16), in.U32(at + 20), in.U32(at + 36)};
        if (uint64_t(s.rawPointer) + s.rawSize > exe.size())
            return *error = "a section lies outside the file", false;
        if (s.flags & ScnCntCode) found.code += s.rawSize;
    }
    if (!in.ok) return *error = "truncated PE headers", false;

    const int64_t root = FileOffset(sections, sectionCount, resourceRva, 16);
    uint32_t fontRva = 0, fontSize = 0, packRva = 0, packSize = 0;
    if (root < 0 ||
        !FindResource(in, uint64_t(root), RtBitmap, INTRO_FONT_RESOURCE_ID, &fontRva, &fontSize) ||
        !FindResource(in, uint64_t(root), RtRcdata, INTRO_CONTENT_RESOURCE_ID, &packRva, &packSize) ||
        FileOffset(sections, sectionCount, fontRva, fontSize) < 0)
        return *error = "no font bitmap and content pack among its resources", false;
    const int64_t pack = FileOffset(sections, sectionCount, packRva, packSize);
    if (pack < 0 || packSize < PackHeaderSize ||
        std::memcmp(&exe[size_t(pack)], PackMagic, sizeof PackMagic) != 0)
        return *error = "its content resource is not a content pack", false;
    found.font = fontSize;
    found.pages = in.U32(uint64_t(pack) + 12);
    found.song = in.U32(uint64_t(pack) + 20);
    if (uint64_t(found.pages) + found.song + in.U32(uint64_t(pack) + 16) > packSize - PackHeaderSize)
        return *error = "its content pack's lengths overrun the resource", false;
    found.rest = found.file - found.code - found.pages - found.font - found.song;
    *sizes = found;
    return true;
}

std::string ExeSizesText(const std::string& name, const ExeSizes& sizes) {
    const int64_t left = sizes.LeftOfLimit();
    std::string text = name;
    text += ": ";
    text += GroupedDigits(sizes.file);
    text += " bytes, ";
    text += GroupedDigits(left < 0 ? -left : left);
    text += left < 0 ? " bytes over" : " bytes under";
    text += " the 64 KiB (65,536 bytes) of a classic intro\n";
    const char* const names[] = {"program code", "pages", "font", "song", "the rest"};
    const int64_t values[] = {sizes.code, sizes.pages, sizes.font, sizes.song, sizes.rest};
    for (size_t i = 0; i < 5; ++i) {
        const std::string digits = GroupedDigits(values[i]);
        text += "  ";
        text += names[i];
        text.append(std::strlen(names[i]) < 14 ? 14 - std::strlen(names[i]) : 0, ' ');
        text.append(digits.size() < 8 ? 8 - digits.size() : 0, ' ');
        text += digits;
        text += '\n';
    }
    return text;
}

std::string ExeSizesJson(const ExeSizes& sizes) {
    const char* const keys[] = {"file", "code", "pages", "font", "song", "rest", "limit", "left"};
    const int64_t values[] = {sizes.file, sizes.code, sizes.pages,       sizes.font,
                              sizes.song, sizes.rest, ClassicIntroLimit, sizes.LeftOfLimit()};
    std::string json = "{";
    for (size_t i = 0; i < 8; ++i) {
        json += '"';
        json += keys[i];
        json += "\":";
        json += Digits(values[i], false);
        json += ',';
    }
    json += "\"text\":\"";
    for (char c : ExeSizesText("intro.exe", sizes)) {
        if (c == '\n')
            json += "\\n";
        else
            json += c;  // the lines hold no quote or backslash
    }
    return json + "\"}";
}
