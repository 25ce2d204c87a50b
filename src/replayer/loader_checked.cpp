// The checked entry for module files: refuses, with a reason a person can act
// on, an image whose fixed part, sequence or data regions reach past its end.
// Kept apart from the trusting loader so a program that loads only trusted
// images does not link the formatting code.
#include <cstdio>
#include "replayer/loader_internal.h"
#include "replayer/replayer.h"

using namespace module_format;
using namespace module_loading;

namespace {

// Formats a refusal into `reason` (when given) and returns the status.
int Refuse(char* reason, size_t reasonSize, const char* format, auto... values) {
    if (reason && reasonSize > 0) std::snprintf(reason, reasonSize, format, values...);
    return 1;
}

// The bytes of a part that the loader copies: whole records, at most 255.
uint64_t PartBytes(const uint8_t* image, int lengthField, uint32_t recordBytes) {
    return uint64_t{CountField(image, lengthField, recordBytes)} * recordBytes;
}

struct Region {
    const char* name;
    uint64_t offset;
    uint64_t length;
};

}  // namespace

int CheckModuleImage(const uint8_t* image, size_t size, char* reason, size_t reasonSize) {
    if (reason && reasonSize > 0) reason[0] = '\0';
    if (!image || size < 4)
        return Refuse(reason, reasonSize,
                      "the module is %zu bytes long, too short for the 4-byte format tag "
                      "(a module starts with \"FC14\" or \"SMOD\")",
                      image ? size : size_t{0});
    Format format;
    if (!FormatOf(image, &format))
        return Refuse(reason, reasonSize,
                      "unknown format tag (bytes %02X %02X %02X %02X): a module starts with "
                      "\"FC14\" or \"SMOD\"",
                      image[0], image[1], image[2], image[3]);
    const char* tag = format == Format::Fc14 ? "FC14" : "SMOD";
    size_t fixedBytes = static_cast<size_t>(FixedPartBytes(format));
    if (size < fixedBytes)
        return Refuse(reason, reasonSize,
                      "the %s header needs %zu bytes but the module is only %zu bytes long", tag,
                      fixedBytes, size);

    SampleLayout layout = LayOutSamples(image, format, nullptr);
    const Region regions[] = {
        {"sequence", fixedBytes, PartBytes(image, SequenceLengthField, SequenceEntryBytes)},
        {"pattern data", ReadU32BE(image + PatternOffsetField),
         PartBytes(image, PatternLengthField, PatternBytes)},
        {"frequency-macro data", ReadU32BE(image + FrequencyMacroOffsetField),
         PartBytes(image, FrequencyMacroLengthField, MacroBytes)},
        {"volume-macro data", ReadU32BE(image + VolumeMacroOffsetField),
         PartBytes(image, VolumeMacroLengthField, MacroBytes)},
        {"sample data", ReadU32BE(image + SampleDataOffsetField), CopiedSampleBytes(layout, format)},
    };
    for (const Region& region : regions) {
        uint64_t end = region.offset + region.length;
        if (region.length > 0 && end > size)
            return Refuse(reason, reasonSize,
                          "%s (offset %llu, length %llu) ends at %llu, past the end of the "
                          "%zu-byte module",
                          region.name, static_cast<unsigned long long>(region.offset),
                          static_cast<unsigned long long>(region.length),
                          static_cast<unsigned long long>(end), size);
    }
    return 0;
}

int LoadModuleChecked(const uint8_t* image, size_t size, char* reason, size_t reasonSize) {
    const int checked = CheckModuleImage(image, size, reason, reasonSize);
    if (checked != 0) return checked;
    Format format;
    FormatOf(image, &format);
    return CopyModuleIntoSong(image, format);
}
