#include "app/intro_content.h"

namespace {
ContentPack content = {{nullptr}, 0, nullptr, 0, nullptr, 0};
}  // namespace

void SetIntroContent(const ContentPack& pack) { content = pack; }

int UseEmbeddedContentPack(const uint8_t* bytes, size_t size, PackFont font) {
    if (size > MaxPackBytes) return PackTooLarge;
    ContentPack read;
    const int status = ReadContentPack(bytes, static_cast<uint32_t>(size), font, &read, nullptr, 0);
    if (status == PackOk) SetIntroContent(read);
    return status;
}

const ContentPack& IntroContent() { return content; }

void ResetIntroContent() { content = ContentPack{{nullptr}, 0, nullptr, 0, nullptr, 0}; }
