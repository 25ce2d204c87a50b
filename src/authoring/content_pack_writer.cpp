#include "authoring/content_pack_writer.h"

#include "data/content_pack.h"

namespace {
void PutU32(std::vector<uint8_t>& out, size_t at, uint32_t value) {
    for (int i = 0; i < 4; ++i) out[at + i] = static_cast<uint8_t>(value >> (8 * i));
}
}  // namespace

std::vector<uint8_t> BuildContentPack(const std::vector<std::string>& pages,
                                      const std::vector<uint8_t>& fontBmp,
                                      const std::vector<uint8_t>& module) {
    std::vector<uint8_t> out(PackHeaderSize, 0);
    for (size_t i = 0; i < sizeof PackMagic; ++i) out[i] = static_cast<uint8_t>(PackMagic[i]);
    size_t pagesSize = 0;
    for (const std::string& page : pages) {
        out.insert(out.end(), page.begin(), page.end());
        out.push_back(0);
        pagesSize += page.size() + 1;
    }
    out.insert(out.end(), fontBmp.begin(), fontBmp.end());
    out.insert(out.end(), module.begin(), module.end());
    PutU32(out, 8, PackVersion);
    PutU32(out, 12, static_cast<uint32_t>(pagesSize));
    PutU32(out, 16, static_cast<uint32_t>(fontBmp.size()));
    PutU32(out, 20, static_cast<uint32_t>(module.size()));
    PutU32(out, 24, PackChecksum(out.data() + PackHeaderSize,
                                 static_cast<uint32_t>(out.size() - PackHeaderSize)));
    return out;
}
