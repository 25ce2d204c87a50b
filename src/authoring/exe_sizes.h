#pragma once
// What a Windows intro written by WriteIntroExe is made of, measured in the
// file itself: its program code (the sections of code), the pages and the
// song (in the content pack, resource 104), the font (bitmap resource 103)
// and the rest (headers, data, imports, relocations, the resource tree, the
// pack's header, alignment), and how far the whole is from 64 KiB, the
// classic limit for intros of this kind.
#include <cstdint>
#include <string>
#include <vector>

constexpr int64_t ClassicIntroLimit = 65536;

struct ExeSizes {
    int64_t file = 0;
    int64_t code = 0;
    int64_t pages = 0;
    int64_t font = 0;
    int64_t song = 0;
    int64_t rest = 0;  // file minus the four above
    int64_t LeftOfLimit() const { return ClassicIntroLimit - file; }  // negative: over it
};

// False with `error` set when `exe` is not a PE image holding both resources
// and a content pack; `exe` is untrusted input.
bool MeasureIntroExe(const std::vector<uint8_t>& exe, ExeSizes* sizes, std::string* error);

// `value` in decimal with a comma between groups of three digits: "43,008".
std::string GroupedDigits(int64_t value);

// The lines intro-pack prints after writing `name`, each ended by '\n':
//   NAME: 43,008 bytes, 22,528 bytes under the 64 KiB (65,536 bytes) of a classic intro
//     program code  30,720
//     pages          1,121  ...
std::string ExeSizesText(const std::string& name, const ExeSizes& sizes);

// The same as JSON: {"file":N,"code":N,"pages":N,"font":N,"song":N,"rest":N,
// "limit":65536,"left":N,"text":"the lines above, named intro.exe"}.
std::string ExeSizesJson(const ExeSizes& sizes);
