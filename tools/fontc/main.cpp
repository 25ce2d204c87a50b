// fontc: turns the font art into the 4-bit BMP of the font resource and a C++
// source holding the same bytes for builds without a resource compiler.
//   fontc <art.txt> <font.bmp> [<font_bitmap.cpp>]
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "data/intro_data.h"
#include "font_art.h"

namespace {
// Writes through a temporary file and renames it, so a failure never leaves
// a partial output behind.
bool WriteWhole(const std::string& path, const void* data, size_t size) {
    const std::string temporary = path + ".tmp";
    std::FILE* file = std::fopen(temporary.c_str(), "wb");
    if (file == nullptr) {
        std::fprintf(stderr, "fontc: cannot create %s\n", temporary.c_str());
        return false;
    }
    const bool written = std::fwrite(data, 1, size, file) == size;
    const bool closed = std::fclose(file) == 0;
    if (!written || !closed || std::rename(temporary.c_str(), path.c_str()) != 0) {
        std::remove(temporary.c_str());
        std::fprintf(stderr, "fontc: cannot write %s\n", path.c_str());
        return false;
    }
    return true;
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
    if (!WriteWhole(argv[2], bmp.data(), bmp.size())) return 1;
    if (argc == 4) {
        const std::string source = EmitFontSource(bmp);
        if (!WriteWhole(argv[3], source.data(), source.size())) {
            std::remove(argv[2]);
            return 1;
        }
    }
    return 0;
}
