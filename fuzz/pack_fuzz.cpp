// libFuzzer target: any byte string as a content pack, through the checks a
// front end makes before playing it. An accepted pack must point only inside
// the bytes given: every page's characters up to its zero, the font and the
// song are read whole, so ASan sees any pointer that strays.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>

#include "app/intro_content.h"

namespace {
void Fail(const char* what) {
    std::fprintf(stderr, "pack_fuzz: %s\n", what);
    std::abort();
}

bool Inside(const uint8_t* data, size_t size, const void* part, size_t partSize) {
    const auto* p = static_cast<const uint8_t*>(part);
    return p >= data && p <= data + size && partSize <= static_cast<size_t>(data + size - p);
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // A private copy of exactly `size` bytes, so a read one past the end is caught.
    auto* bytes = static_cast<uint8_t*>(std::malloc(size == 0 ? 1 : size));
    if (size > 0) std::memcpy(bytes, data, size);
    char reason[200];
    ResetIntroContent();
    for (PackFont font : {FontInPack, FontBeside}) {
        if (UseContentPack(bytes, size, font, reason, sizeof reason) != 0) {
            if (std::strlen(reason) == 0) Fail("a refusal without a reason");
            // The seeds are real packs: a refused seed means the reader broke.
            if (font == FontInPack && std::getenv("PACK_FUZZ_EXPECT_ACCEPT") != nullptr)
                Fail(reason);
            continue;
        }
        const ContentPack& pack = IntroContent();
        if (pack.pageCount < 1 || pack.pageCount > MaxPackPages || pack.pages[pack.pageCount] != nullptr)
            Fail("the page table is not ended where its count says");
        volatile unsigned sum = 0;
        for (int i = 0; i < pack.pageCount; ++i) {
            const size_t length = std::strlen(pack.pages[i]);
            if (!Inside(bytes, size, pack.pages[i], length + 1)) Fail("a page outside the pack");
        }
        if (pack.font != nullptr && !Inside(bytes, size, pack.font, pack.fontSize))
            Fail("the font outside the pack");
        if (!Inside(bytes, size, pack.module, pack.moduleSize)) Fail("the song outside the pack");
        for (uint32_t i = 0; i < pack.moduleSize; ++i) sum = sum + pack.module[i];
        for (uint32_t i = 0; i < pack.fontSize; ++i) sum = sum + pack.font[i];
        ResetIntroContent();
    }
    std::free(bytes);
    return 0;
}
