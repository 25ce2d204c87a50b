#include "app/tool_content.h"

#include <cstring>

#include "app/input_file.h"
#include "app/intro_content.h"
#include "data/builtin_pack.h"

namespace {
// The bytes of the pack in use: the content points into them for the whole run.
std::vector<uint8_t> loadedPack;
}  // namespace

bool UseToolContent(const std::string& path, std::string* error) {
    char reason[300];
    if (path.empty()) {
        if (UseContentPack(BuiltInPack, BuiltInPackSize, FontInPack, reason, sizeof reason) == 0)
            return true;
        *error = std::string("the built-in content pack: ") + reason;
        return false;
    }
    std::vector<uint8_t> bytes;
    if (!ReadInputFile(path, "a content pack", bytes, *error)) return false;
    if (UseContentPack(bytes.data(), bytes.size(), FontInPack, reason, sizeof reason) != 0) {
        *error = path + ": " + reason;
        return false;
    }
    // The content now points into `bytes`; moving the vector keeps its storage.
    loadedPack = std::move(bytes);
    return true;
}

std::vector<uint8_t> ToolContentSong() {
    const ContentPack& content = IntroContent();
    if (content.module == nullptr) return {};
    return {content.module, content.module + content.moduleSize};
}

bool SongFromPackFile(const std::string& path, std::vector<uint8_t>* bytes, std::string* error) {
    if (bytes->size() < sizeof PackMagic ||
        std::memcmp(bytes->data(), PackMagic, sizeof PackMagic) != 0)
        return true;
    ContentPack pack;
    char reason[300];
    if (ReadContentPack(bytes->data(), static_cast<uint32_t>(bytes->size()), FontInPack, &pack,
                        reason, sizeof reason) != PackOk) {
        *error = path + ": " + reason;
        return false;
    }
    *bytes = std::vector<uint8_t>(pack.module, pack.module + pack.moduleSize);
    return true;
}
