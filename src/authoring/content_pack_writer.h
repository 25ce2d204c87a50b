#pragma once
// Writing a content pack (layout in content_pack.h). For tools: it allocates.
#include <cstdint>
#include <string>
#include <vector>

// The pack of `pages` (typewriter strings, no zero byte inside), the font's
// BMP file (empty for a Windows program's pack, whose font is its bitmap
// resource) and the module, with its checksum.
std::vector<uint8_t> BuildContentPack(const std::vector<std::string>& pages,
                                      const std::vector<uint8_t>& fontBmp,
                                      const std::vector<uint8_t>& module);
