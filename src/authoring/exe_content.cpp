#include "authoring/exe_content.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <optional>

#include "data/resource_ids.h"

namespace {

constexpr uint32_t FontResourceId = INTRO_FONT_RESOURCE_ID;
constexpr uint32_t ContentResourceId = INTRO_CONTENT_RESOURCE_ID;
constexpr uint32_t RtBitmap = 2;
constexpr uint32_t RtRcdata = 10;
constexpr uint32_t LanguageEnUs = 0x0409;  // what windres gives a script without LANGUAGE

// PE/COFF layout: offsets within each header.
constexpr size_t DosHeaderSize = 64;
constexpr size_t DosLfanewOffset = 0x3c;
constexpr size_t CoffHeaderSize = 20;  // after the 4-byte "PE\0\0"
constexpr size_t CoffMachine = 0, CoffNumberOfSections = 2, CoffPointerToSymbolTable = 8,
                 CoffSizeOfOptionalHeader = 16;
constexpr uint16_t MachineAmd64 = 0x8664;
constexpr uint16_t Pe32PlusMagic = 0x20b;
constexpr size_t OptMagic = 0, OptSizeOfInitializedData = 8, OptSectionAlignment = 32, OptFileAlignment = 36,
                 OptSizeOfImage = 56, OptSizeOfHeaders = 60, OptCheckSum = 64, OptNumberOfRvaAndSizes = 108,
                 OptDataDirectories = 112;
constexpr size_t DirCertificate = 4, DirBaseReloc = 5, DirResource = 2;
constexpr uint32_t MinDirectories = 6;  // up to the base relocations
constexpr size_t SectionHeaderSize = 40;
constexpr size_t SecVirtualSize = 8, SecVirtualAddress = 12, SecSizeOfRawData = 16, SecPointerToRawData = 20,
                 SecCharacteristics = 36;
constexpr uint32_t ScnInitializedData = 0x00000040, ScnMemRead = 0x40000000;
constexpr uint32_t RelocPageSize = 0x1000;  // each relocation block patches one page
constexpr size_t BmpFileHeaderSize = 14;
// Resource tree records.
constexpr size_t ResDirectorySize = 16, ResEntrySize = 8, ResDataEntrySize = 16;
constexpr uint32_t ResSubdirectoryFlag = 0x80000000;
constexpr size_t ResDataAlignment = 8;  // each resource's bytes start 8-aligned, as ld places them
// Inputs past this size are refused, so every offset computed below fits in 32 bits.
constexpr uint64_t MaxImageBytes = 0x40000000;

uint16_t Get16(const std::vector<uint8_t>& b, size_t at) { return uint16_t(b[at] | b[at + 1] << 8); }
uint32_t Get32(const std::vector<uint8_t>& b, size_t at) {
    return uint32_t(Get16(b, at)) | uint32_t(Get16(b, at + 2)) << 16;
}
void Put16(std::vector<uint8_t>& b, size_t at, uint32_t v) {
    b[at] = uint8_t(v);
    b[at + 1] = uint8_t(v >> 8);
}
void Put32(std::vector<uint8_t>& b, size_t at, uint32_t v) {
    Put16(b, at, v & 0xffff);
    Put16(b, at + 2, v >> 16);
}
void Put32Array(std::array<uint8_t, SectionHeaderSize>& b, size_t at, uint32_t v) {
    for (size_t i = 0; i < 4; ++i) b[at + i] = uint8_t(v >> (8 * i));
}
bool Fits(const std::vector<uint8_t>& b, uint64_t at, uint64_t size) {
    return at <= b.size() && size <= b.size() - at;
}
uint64_t AlignUp(uint64_t value, uint64_t alignment) {
    return (value + alignment - 1) / alignment * alignment;
}
bool IsPowerOfTwo(uint32_t v) { return v != 0 && (v & (v - 1)) == 0; }

bool Fail(std::string* error, const std::string& message) {
    *error = message;
    return false;
}

struct Section {
    std::string name;
    uint32_t virtualSize, virtualAddress, rawSize, rawPointer;
    std::array<uint8_t, SectionHeaderSize> header;  // as read, to rewrite with new places
    uint64_t VirtualEnd() const { return uint64_t(virtualAddress) + std::max(virtualSize, rawSize); }
    bool Contains(uint32_t rva) const { return rva >= virtualAddress && rva < VirtualEnd(); }
};

struct DataDirectory {
    uint32_t rva, size;
};

// What the rewrite needs of the shell's headers, read with bounds checks.
struct PeImage {
    size_t optionalHeader;  // file offset of the optional header
    size_t sectionTable;
    uint32_t sectionAlignment, fileAlignment, sizeOfHeaders;
    std::vector<DataDirectory> directories;
    std::vector<Section> sections;
};

bool ReadCoffHeader(const std::vector<uint8_t>& shell, size_t* coff, std::string* error) {
    if (shell.size() > MaxImageBytes) return Fail(error, "larger than 1 GiB");
    if (!Fits(shell, 0, DosHeaderSize)) return Fail(error, "truncated DOS header");
    if (shell[0] != 'M' || shell[1] != 'Z') return Fail(error, "no MZ DOS header");
    uint32_t peOffset = Get32(shell, DosLfanewOffset);
    if (!Fits(shell, peOffset, 4 + CoffHeaderSize)) return Fail(error, "truncated PE header");
    if (std::memcmp(&shell[peOffset], "PE\0\0", 4) != 0) return Fail(error, "no PE signature");
    *coff = peOffset + 4;
    if (Get16(shell, *coff + CoffMachine) != MachineAmd64)
        return Fail(error, "not an x86-64 image (machine is not AMD64)");
    if (Get32(shell, *coff + CoffPointerToSymbolTable) != 0)
        return Fail(error, "it has a COFF symbol table after its sections (link it stripped, -s)");
    return true;
}

bool ReadOptionalHeader(const std::vector<uint8_t>& shell, size_t coff, PeImage* pe, std::string* error) {
    uint16_t optionalSize = Get16(shell, coff + CoffSizeOfOptionalHeader);
    pe->optionalHeader = coff + CoffHeaderSize;
    if (optionalSize < OptDataDirectories || !Fits(shell, pe->optionalHeader, optionalSize))
        return Fail(error, "truncated optional header");
    const size_t opt = pe->optionalHeader;
    if (Get16(shell, opt + OptMagic) != Pe32PlusMagic) return Fail(error, "not a PE32+ image");
    uint32_t count = Get32(shell, opt + OptNumberOfRvaAndSizes);
    if (count < MinDirectories) return Fail(error, "fewer than 6 data directories");
    if (uint64_t(count) * 8 > optionalSize - OptDataDirectories)
        return Fail(error, "data directories overrun the optional header");
    for (uint32_t i = 0; i < count; ++i)
        pe->directories.push_back({Get32(shell, opt + OptDataDirectories + 8 * i),
                                   Get32(shell, opt + OptDataDirectories + 8 * i + 4)});
    pe->sectionTable = opt + optionalSize;
    pe->sectionAlignment = Get32(shell, opt + OptSectionAlignment);
    pe->fileAlignment = Get32(shell, opt + OptFileAlignment);
    pe->sizeOfHeaders = Get32(shell, opt + OptSizeOfHeaders);
    // The rules of the PE format; the layout arithmetic below relies on them.
    if (!IsPowerOfTwo(pe->fileAlignment) || pe->fileAlignment < 512 || pe->fileAlignment > 65536 ||
        !IsPowerOfTwo(pe->sectionAlignment) || pe->sectionAlignment < pe->fileAlignment)
        return Fail(error, "invalid section or file alignment");
    return true;
}

bool ReadSections(const std::vector<uint8_t>& shell, size_t coff, PeImage* pe, std::string* error) {
    uint16_t count = Get16(shell, coff + CoffNumberOfSections);
    if (count == 0) return Fail(error, "no sections");
    uint64_t tableEnd = pe->sectionTable + uint64_t(count) * SectionHeaderSize;
    if (!Fits(shell, 0, tableEnd) || tableEnd > pe->sizeOfHeaders)
        return Fail(error, "truncated section table");
    if (!Fits(shell, 0, pe->sizeOfHeaders)) return Fail(error, "truncated headers");
    uint64_t previousEnd = pe->sizeOfHeaders;
    for (uint16_t i = 0; i < count; ++i) {
        size_t at = pe->sectionTable + i * SectionHeaderSize;
        Section s;
        const char* name = reinterpret_cast<const char*>(&shell[at]);
        s.name.assign(name, strnlen(name, 8));
        s.virtualSize = Get32(shell, at + SecVirtualSize);
        s.virtualAddress = Get32(shell, at + SecVirtualAddress);
        s.rawSize = Get32(shell, at + SecSizeOfRawData);
        s.rawPointer = Get32(shell, at + SecPointerToRawData);
        std::copy_n(&shell[at], SectionHeaderSize, s.header.begin());
        if (s.rawSize != 0 && (!Fits(shell, s.rawPointer, s.rawSize) || s.rawPointer < pe->sizeOfHeaders))
            return Fail(error, "section " + s.name + " lies outside the file");
        // Ascending, non-overlapping addresses: the new sections go after the last.
        if (s.virtualAddress < previousEnd || s.virtualAddress % pe->sectionAlignment != 0)
            return Fail(error, "section " + s.name + " is out of order or misaligned");
        previousEnd = s.VirtualEnd();
        pe->sections.push_back(s);
    }
    if (previousEnd > MaxImageBytes) return Fail(error, "image too large");
    return true;
}

bool ReadPe(const std::vector<uint8_t>& shell, PeImage* pe, std::string* error) {
    size_t coff = 0;
    return ReadCoffHeader(shell, &coff, error) && ReadOptionalHeader(shell, coff, pe, error) &&
           ReadSections(shell, coff, pe, error);
}

// File offset just past the raw data of sections [0, count).
uint64_t RawEnd(const PeImage& pe, size_t count) {
    uint64_t end = pe.sizeOfHeaders;
    for (size_t i = 0; i < count; ++i)
        if (pe.sections[i].rawSize != 0)
            end = std::max(end, uint64_t(pe.sections[i].rawPointer) + pe.sections[i].rawSize);
    return end;
}

// Which trailing sections move: the shell ends in [.rsrc] [.reloc], and
// everything else stays where it is, byte for byte.
struct Plan {
    size_t kept = 0;              // sections [0, kept) are left as they are
    std::optional<size_t> reloc;  // a trailing .reloc, appended again after the new .rsrc
};

bool IsResourceSection(const PeImage& pe, const Section& s) {
    const DataDirectory& dir = pe.directories[DirResource];
    return s.name == ".rsrc" || (dir.rva != 0 && s.Contains(dir.rva));
}

bool PlanLayout(const std::vector<uint8_t>& shell, const PeImage& pe, Plan* plan, std::string* error) {
    if (pe.directories[DirCertificate].rva != 0 || pe.directories[DirCertificate].size != 0)
        return Fail(error, "it is signed (a certificate table follows its sections)");
    size_t n = pe.sections.size();
    plan->kept = n;
    plan->reloc.reset();
    if (pe.sections[n - 1].name == ".reloc" && !IsResourceSection(pe, pe.sections[n - 1])) {
        plan->reloc = n - 1;
        plan->kept = n - 1;
    }
    if (plan->kept > 0 && IsResourceSection(pe, pe.sections[plan->kept - 1])) plan->kept -= 1;
    for (size_t i = 0; i < plan->kept; ++i)
        if (IsResourceSection(pe, pe.sections[i]))
            return Fail(error, "section " + pe.sections[i + 1].name + " follows .rsrc");
    // The moved sections' bytes must be the file's tail, so nothing is left behind.
    uint64_t keptEnd = RawEnd(pe, plan->kept);
    for (size_t i = plan->kept; i < n; ++i)
        if (pe.sections[i].rawSize != 0 && pe.sections[i].rawPointer < keptEnd)
            return Fail(error, "section " + pe.sections[i].name + " is not stored after the others");
    if (RawEnd(pe, n) != shell.size())
        return Fail(error, std::to_string(shell.size() - RawEnd(pe, n)) +
                               " bytes of overlay follow the last section");
    return true;
}

// Room for the section headers of the new layout: inside SizeOfHeaders and
// over bytes that are zero (bound imports, for one, may sit right there).
bool CheckHeaderRoom(const std::vector<uint8_t>& shell, const PeImage& pe, size_t newCount,
                     std::string* error) {
    uint64_t oldEnd = pe.sectionTable + pe.sections.size() * SectionHeaderSize;
    uint64_t newEnd = pe.sectionTable + newCount * SectionHeaderSize;
    bool zero =
        std::all_of(shell.begin() + oldEnd, shell.begin() + std::min<uint64_t>(newEnd, pe.sizeOfHeaders),
                    [](uint8_t b) { return b == 0; });
    if (newEnd > pe.sizeOfHeaders || !zero) return Fail(error, "no room for another section header");
    return true;
}

// Nothing but the resource and relocation directories may point into the
// sections that move: their contents would be lost or stale.
bool CheckDirectoriesStay(const PeImage& pe, const Plan& plan, std::string* error) {
    for (size_t d = 0; d < pe.directories.size(); ++d) {
        if (d == DirResource || d == DirBaseReloc || d == DirCertificate || pe.directories[d].rva == 0)
            continue;
        for (size_t i = plan.kept; i < pe.sections.size(); ++i)
            if (pe.sections[i].Contains(pe.directories[d].rva))
                return Fail(error,
                            "data directory " + std::to_string(d) + " points into " + pe.sections[i].name);
    }
    const DataDirectory& relocs = pe.directories[DirBaseReloc];
    if (relocs.rva != 0 && !plan.reloc && plan.kept < pe.sections.size() &&
        pe.sections[plan.kept].Contains(relocs.rva))
        return Fail(error, "the base relocations lie in .rsrc");
    return true;
}

// Relocation blocks name the pages they patch by RVA, so moving .reloc is
// safe as long as no block patches a section that moves. The blocks must
// also tile the directory exactly, or the copy would carry garbage.
bool CheckRelocBlocks(const std::vector<uint8_t>& shell, const PeImage& pe, const Plan& plan,
                      std::string* error) {
    if (!plan.reloc) return true;
    const Section& s = pe.sections[*plan.reloc];
    const DataDirectory& dir = pe.directories[DirBaseReloc];
    if (dir.rva == 0) return Fail(error, "a .reloc section but no base relocation directory");
    uint64_t start = uint64_t(dir.rva) - s.virtualAddress;
    if (dir.rva < s.virtualAddress || start + dir.size > s.rawSize)
        return Fail(error, "the base relocation directory is not within .reloc's bytes");
    uint64_t at = s.rawPointer + start, end = at + dir.size;
    while (at < end) {
        if (end - at < 8) return Fail(error, "truncated base relocation block");
        uint32_t page = Get32(shell, at), size = Get32(shell, at + 4);
        if (size < 8 || size % 4 != 0 || size > end - at)
            return Fail(error, "malformed base relocation block");
        for (size_t i = plan.kept; i < pe.sections.size(); ++i)
            if (page < pe.sections[i].VirtualEnd() &&
                uint64_t(page) + RelocPageSize > pe.sections[i].virtualAddress)
                return Fail(error, "base relocations patch " + pe.sections[i].name);
        at += size;
    }
    return true;
}

// A BITMAP resource is the .bmp file without its 14-byte file header.
bool ExtractDib(const std::vector<uint8_t>& bmp, std::vector<uint8_t>* dib, std::string* error) {
    if (bmp.size() < BmpFileHeaderSize + 4 || bmp[0] != 'B' || bmp[1] != 'M')
        return Fail(error, "the font is not a BMP file");
    uint32_t infoSize = Get32(bmp, BmpFileHeaderSize);
    if (infoSize < 12 || infoSize > bmp.size() - BmpFileHeaderSize)
        return Fail(error, "the font BMP has a truncated bitmap header");
    if (bmp.size() > MaxImageBytes) return Fail(error, "the font BMP is too large");
    dib->assign(bmp.begin() + BmpFileHeaderSize, bmp.end());
    return true;
}

// Appends an IMAGE_RESOURCE_DIRECTORY with one ID entry.
void AppendDirectory(std::vector<uint8_t>& out, uint32_t id, uint32_t target) {
    size_t at = out.size();
    out.resize(at + ResDirectorySize + ResEntrySize, 0);
    Put16(out, at + 14, 1);  // NumberOfIdEntries; characteristics, time stamp, version stay 0
    Put32(out, at + ResDirectorySize, id);
    Put32(out, at + ResDirectorySize + 4, target);
}

// The resource section for `rva`: type -> name -> language, each level one
// entry per resource, types in ascending order (BITMAP 2, RCDATA 10) as the
// loader's binary search needs; then the data entries, then the bytes.
std::vector<uint8_t> BuildResourceSection(const std::vector<uint8_t>& dib,
                                          const std::vector<uint8_t>& content, uint32_t rva) {
    struct Resource {
        uint32_t type, id;
        const std::vector<uint8_t>* bytes;
    };
    const Resource resources[2] = {{RtBitmap, FontResourceId, &dib}, {RtRcdata, ContentResourceId, &content}};
    const size_t level = ResDirectorySize + ResEntrySize;  // a one-entry directory
    const size_t rootSize = ResDirectorySize + 2 * ResEntrySize;
    const size_t names = rootSize, languages = names + 2 * level, dataEntries = languages + 2 * level;
    size_t dataAt = AlignUp(dataEntries + 2 * ResDataEntrySize, ResDataAlignment);

    std::vector<uint8_t> out(ResDirectorySize + 2 * ResEntrySize, 0);
    Put16(out, 14, 2);
    for (size_t i = 0; i < 2; ++i) {
        Put32(out, ResDirectorySize + i * ResEntrySize, resources[i].type);
        Put32(out, ResDirectorySize + i * ResEntrySize + 4,
              ResSubdirectoryFlag | uint32_t(names + i * level));
    }
    for (size_t i = 0; i < 2; ++i)
        AppendDirectory(out, resources[i].id, ResSubdirectoryFlag | uint32_t(languages + i * level));
    for (size_t i = 0; i < 2; ++i)
        AppendDirectory(out, LanguageEnUs, uint32_t(dataEntries + i * ResDataEntrySize));
    std::vector<uint8_t> data;
    for (size_t i = 0; i < 2; ++i) {
        size_t at = out.size();
        out.resize(at + ResDataEntrySize, 0);  // code page and reserved stay 0, as ld writes them
        Put32(out, at, rva + uint32_t(dataAt + data.size()));
        Put32(out, at + 4, uint32_t(resources[i].bytes->size()));
        data.insert(data.end(), resources[i].bytes->begin(), resources[i].bytes->end());
        data.resize(AlignUp(data.size(), ResDataAlignment), 0);
    }
    out.resize(dataAt, 0);
    out.insert(out.end(), data.begin(), data.end());
    return out;
}

void WriteSectionHeader(std::vector<uint8_t>& exe, size_t at,
                        const std::array<uint8_t, SectionHeaderSize>& header, uint32_t virtualSize,
                        uint32_t rva, uint32_t rawSize, uint32_t rawPointer) {
    std::copy(header.begin(), header.end(), exe.begin() + at);
    Put32(exe, at + SecVirtualSize, virtualSize);
    Put32(exe, at + SecVirtualAddress, rva);
    Put32(exe, at + SecSizeOfRawData, rawSize);
    Put32(exe, at + SecPointerToRawData, rawPointer);
}

// ImageHlp's CheckSumMappedFile: the 16-bit one's-complement-style sum of
// the file with the CheckSum field taken as 0, plus the file's length.
uint32_t PeChecksum(const std::vector<uint8_t>& image, size_t checksumAt) {
    uint64_t sum = 0;
    for (size_t i = 0; i < image.size(); i += 2) {
        uint32_t word = image[i] | (i + 1 < image.size() ? image[i + 1] << 8 : 0);
        if (i >= checksumAt && i < checksumAt + 4) word = 0;
        sum += word;
        sum = (sum & 0xffff) + (sum >> 16);
    }
    sum = (sum & 0xffff) + (sum >> 16);
    return uint32_t(sum + image.size());
}

struct NewSection {
    uint32_t rva, rawPointer, rawSize, virtualSize;
};

// Places a section of `size` bytes after the image's current end.
NewSection PlaceAfter(uint64_t virtualEnd, uint64_t fileEnd, uint64_t size, const PeImage& pe) {
    return {uint32_t(AlignUp(virtualEnd, pe.sectionAlignment)), uint32_t(fileEnd),
            uint32_t(AlignUp(size, pe.fileAlignment)), uint32_t(size)};
}

// Recomputed rather than adjusted: the sum of the raw sizes of the sections
// holding initialized data, which is how ld fills it in.
uint32_t SizeOfInitializedData(const std::vector<uint8_t>& exe, size_t sectionTable, size_t count) {
    uint32_t total = 0;
    for (size_t i = 0; i < count; ++i) {
        size_t at = sectionTable + i * SectionHeaderSize;
        if (Get32(exe, at + SecCharacteristics) & ScnInitializedData)
            total += Get32(exe, at + SecSizeOfRawData);
    }
    return total;
}

// The checks that decide whether `shell` can be rewritten at all.
bool CheckShell(const std::vector<uint8_t>& shell, PeImage* pe, Plan* plan, std::string* error) {
    if (!ReadPe(shell, pe, error) || !PlanLayout(shell, *pe, plan, error) ||
        !CheckDirectoriesStay(*pe, *plan, error) || !CheckRelocBlocks(shell, *pe, *plan, error))
        return false;
    return CheckHeaderRoom(shell, *pe, plan->kept + 1 + (plan->reloc ? 1 : 0), error);
}

// The new image: the kept sections' bytes as they were, then .rsrc, then
// .reloc; then the headers that describe them.
std::vector<uint8_t> Assemble(const std::vector<uint8_t>& shell, const PeImage& pe, const Plan& plan,
                              const std::vector<uint8_t>& dib, const std::vector<uint8_t>& content) {
    uint64_t virtualEnd = plan.kept > 0 ? pe.sections[plan.kept - 1].VirtualEnd() : pe.sizeOfHeaders;
    uint64_t fileEnd = AlignUp(RawEnd(pe, plan.kept), pe.fileAlignment);
    std::vector<uint8_t> exe(shell.begin(), shell.begin() + RawEnd(pe, plan.kept));
    exe.resize(fileEnd, 0);

    uint32_t resourceRva = uint32_t(AlignUp(virtualEnd, pe.sectionAlignment));
    std::vector<uint8_t> resources = BuildResourceSection(dib, content, resourceRva);
    NewSection rsrc = PlaceAfter(virtualEnd, fileEnd, resources.size(), pe);
    exe.insert(exe.end(), resources.begin(), resources.end());
    exe.resize(uint64_t(rsrc.rawPointer) + rsrc.rawSize, 0);

    std::array<uint8_t, SectionHeaderSize> rsrcHeader{};
    std::memcpy(rsrcHeader.data(), ".rsrc", 5);
    Put32Array(rsrcHeader, SecCharacteristics, ScnInitializedData | ScnMemRead);
    size_t count = plan.kept;
    WriteSectionHeader(exe, pe.sectionTable + count++ * SectionHeaderSize, rsrcHeader, rsrc.virtualSize,
                       rsrc.rva, rsrc.rawSize, rsrc.rawPointer);
    const size_t opt = pe.optionalHeader;
    Put32(exe, opt + OptDataDirectories + 8 * DirResource, rsrc.rva);
    Put32(exe, opt + OptDataDirectories + 8 * DirResource + 4, rsrc.virtualSize);
    uint64_t imageEnd = uint64_t(rsrc.rva) + rsrc.virtualSize;

    if (plan.reloc) {
        const Section& old = pe.sections[*plan.reloc];
        NewSection reloc = PlaceAfter(imageEnd, exe.size(), old.rawSize, pe);
        reloc.virtualSize = old.virtualSize;
        exe.insert(exe.end(), shell.begin() + old.rawPointer, shell.begin() + old.rawPointer + old.rawSize);
        exe.resize(uint64_t(reloc.rawPointer) + reloc.rawSize, 0);
        WriteSectionHeader(exe, pe.sectionTable + count++ * SectionHeaderSize, old.header, reloc.virtualSize,
                           reloc.rva, reloc.rawSize, reloc.rawPointer);
        // The blocks keep their offset within the section.
        uint32_t dirRva = pe.directories[DirBaseReloc].rva - old.virtualAddress + reloc.rva;
        Put32(exe, opt + OptDataDirectories + 8 * DirBaseReloc, dirRva);
        imageEnd = uint64_t(reloc.rva) + std::max(reloc.virtualSize, reloc.rawSize);
    }

    Put16(exe, pe.optionalHeader - CoffHeaderSize + CoffNumberOfSections, uint32_t(count));
    Put32(exe, opt + OptSizeOfImage, uint32_t(AlignUp(imageEnd, pe.sectionAlignment)));
    Put32(exe, opt + OptSizeOfInitializedData, SizeOfInitializedData(exe, pe.sectionTable, count));
    Put32(exe, opt + OptCheckSum, PeChecksum(exe, opt + OptCheckSum));
    return exe;
}

}  // namespace

std::vector<Problem> WriteIntroExe(const std::vector<uint8_t>& shell, const std::string& shellName,
                                   const std::vector<uint8_t>& fontBmpFile,
                                   const std::vector<uint8_t>& contentPack, std::vector<uint8_t>* exe) {
    auto refuse = [&](const std::string& reason) { return std::vector<Problem>{Problem{shellName, 0, 0, reason}}; };
    PeImage pe;
    Plan plan;
    std::string why;
    if (!CheckShell(shell, &pe, &plan, &why)) return refuse("cannot rewrite the intro.exe shell: " + why);
    std::vector<uint8_t> dib;
    if (!ExtractDib(fontBmpFile, &dib, &why)) return refuse(why);
    if (contentPack.size() > MaxImageBytes) return refuse("the content pack is too large");
    *exe = Assemble(shell, pe, plan, dib, contentPack);
    return {};
}
