#include "app/tool_content.h"

#include <cstdio>
#include <cstring>

#include "app/input_file.h"
#include "app/intro_content.h"
#include "data/builtin_pack.h"
#include "replayer/replayer.h"

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

namespace {

// Bytes that are neither a module nor a pack but come close to a pack's
// magic, or a .intro file: a damaged pack, not a module of an unknown format.
bool LooksLikeDamagedPack(const std::string& path, const std::vector<uint8_t>& bytes) {
    if (bytes.size() >= 4 && (std::memcmp(bytes.data(), "FC14", 4) == 0 ||
                              std::memcmp(bytes.data(), "SMOD", 4) == 0))
        return false;
    size_t same = 0;
    for (size_t i = 0; i < sizeof PackMagic && i < bytes.size(); ++i)
        same += bytes[i] == static_cast<uint8_t>(PackMagic[i]);
    return same >= 4 || (path.size() > 6 && path.compare(path.size() - 6, 6, ".intro") == 0);
}

}  // namespace

bool SongFromPackFile(const std::string& path, std::vector<uint8_t>* bytes, std::string* error) {
    if (bytes->size() < sizeof PackMagic ||
        std::memcmp(bytes->data(), PackMagic, sizeof PackMagic) != 0) {
        if (!LooksLikeDamagedPack(path, *bytes)) return true;
        char shown[8 * 3 + 1] = "";
        for (size_t i = 0; i < sizeof PackMagic && i < bytes->size(); ++i)
            std::snprintf(shown + 3 * i, sizeof shown - 3 * i, " %02X", (*bytes)[i]);
        *error = path + ": looks like a damaged content pack: " +
                 (bytes->empty() ? std::string("it is empty")
                                 : std::string("it starts with bytes") + shown) +
                 " where a pack starts with \"INTROPAK\" (and a module with \"FC14\" or \"SMOD\")";
        return false;
    }
    ContentPack pack;
    char reason[300];
    if (ReadContentPack(bytes->data(), static_cast<uint32_t>(bytes->size()), FontInPack, &pack,
                        reason, sizeof reason) != PackOk) {
        *error = path + ": " + reason;
        return false;
    }
    if (CheckModuleImage(pack.module, pack.moduleSize, reason, sizeof reason) != 0) {
        *error = path + ": the song inside this " + std::to_string(bytes->size()) +
                 "-byte content pack, a " + std::to_string(pack.moduleSize) +
                 "-byte module at offset " + std::to_string(pack.module - bytes->data()) +
                 ", is not usable: " + reason;
        return false;
    }
    *bytes = std::vector<uint8_t>(pack.module, pack.module + pack.moduleSize);
    return true;
}
