#pragma once
// The module inside the built-in content pack, for tests that play or take
// apart the intro's own song.
#include <cstdint>
#include <vector>

// Empty when the pack cannot be read (a test then fails on the empty module).
std::vector<uint8_t> BuiltInModule();
