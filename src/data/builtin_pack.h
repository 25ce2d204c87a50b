#pragma once
// The intro's own content as a content pack, packed at build time by
// intro-pack from the content folder the build was given.
#include <cstdint>

extern const uint8_t BuiltInPack[];
extern const uint32_t BuiltInPackSize;
