#include "builtin_module.h"

#include "data/builtin_pack.h"
#include "data/content_pack.h"

std::vector<uint8_t> BuiltInModule() {
    ContentPack pack;
    char reason[200] = "";
    if (ReadContentPack(BuiltInPack, BuiltInPackSize, FontInPack, &pack, reason, sizeof reason) != PackOk)
        return {};
    return {pack.module, pack.module + pack.moduleSize};
}
