// The checked way in, for packs that come from outside the program: apart
// from intro_content.cpp so the Windows program links no message formatting.
#include <cstdio>

#include "app/intro_content.h"
#include "display/bmp_decoder.h"
#include "replayer/replayer.h"

int UseContentPack(const uint8_t* bytes, size_t size, PackFont font, char* reason,
                   size_t reasonSize) {
    if (size > MaxPackBytes) {
        if (reason != nullptr && reasonSize > 0)
            std::snprintf(reason, reasonSize, "%zu bytes, more than a pack may hold (%u)", size,
                          MaxPackBytes);
        return PackTooLarge;
    }
    ContentPack read;
    const int status = ReadContentPack(bytes, static_cast<uint32_t>(size), font, &read, reason,
                                       static_cast<uint32_t>(reasonSize));
    if (status != PackOk) return status;
    BmpLayout fontLayout{};
    char fontReason[160];
    if (read.font != nullptr &&
        !CheckBmp(read.font, read.fontSize, &fontLayout, fontReason, sizeof fontReason)) {
        if (reason != nullptr && reasonSize > 0)
            std::snprintf(reason, reasonSize, "the font at offset %u: %s",
                          static_cast<unsigned>(read.font - bytes), fontReason);
        return PackBadFont;
    }
    char moduleReason[200];
    if (CheckModuleImage(read.module, read.moduleSize, moduleReason, sizeof moduleReason) != 0) {
        if (reason != nullptr && reasonSize > 0)
            std::snprintf(reason, reasonSize, "the song at offset %u: %s",
                          static_cast<unsigned>(read.module - bytes), moduleReason);
        return PackNoModule;
    }
    SetIntroContent(read);
    return PackOk;
}

