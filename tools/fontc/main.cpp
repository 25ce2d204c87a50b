// fontc: turns the font art into the 4-bit BMP of the font resource and a C++
// source holding the same bytes for builds without a resource compiler.
//   fontc <art.txt> <font.bmp> [<font_bitmap.cpp>]
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "data/intro_data.h"
#include "font_art.h"
#include "safe_output.h"

namespace {
bool WriteOutput(const std::string& path, const void* data, size_t size) {
    std::string error;
    if (WriteFileSafely(path, data, size, error)) return true;
    std::fprintf(stderr, "fontc: %s\n", error.c_str());
    return false;
}
}  // namespace

int main(int argc, char** argv) {
    if (argc != 3 && argc != 4) {
        std::fprintf(stderr, "usage: fontc <art.txt> <font.bmp> [<font_bitmap.cpp>]\n");
        return 2;
    }
    std::ifstream input(argv[1], std::ios::binary);
    if (!input) {
        std::fprintf(stderr, "fontc: cannot read %s\n", argv[1]);
        return 1;
    }
    std::ostringstream text;
    text << input.rdbuf();
    FontImage image;
    std::string error;
    if (!ParseFontArt(text.str(), argv[1], IntroCharset, &image, &error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 1;
    }
    const std::vector<uint8_t> bmp = BuildFontBmp(image);
    if (!WriteOutput(argv[2], bmp.data(), bmp.size())) return 1;
    if (argc == 4) {
        const std::string source = EmitFontSource(bmp);
        if (!WriteOutput(argv[3], source.data(), source.size())) {
            std::remove(argv[2]);
            return 1;
        }
    }
    return 0;
}
