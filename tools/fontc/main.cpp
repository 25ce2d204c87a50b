// fontc: turns the font art into the 4-bit BMP of the font resource and a C++
// source holding the same bytes for builds without a resource compiler.
//   fontc <art.txt> <font.bmp> [<font_bitmap.cpp>]
#include <cstdio>
#include <string>

#include "app/program_info.h"
#include "authoring/font_art.h"
#include "data/intro_data.h"
#include "safe_output.h"
#include "source_text.h"

namespace {
constexpr char UsageText[] =
    "Usage: fontc ART.txt FONT.bmp [FONT.cpp]\n"
    "Turns the intro's font art (one 8x8 block per glyph in character-set order)\n"
    "into the 256x16 4-bit BMP of the font resource, and optionally into a C++\n"
    "source holding the same bytes; intro-pack builds the font the same way.\n"
    "  -h, --help   print this help and exit\n"
    "  --version    print the version and licence and exit\n"
    "\n"
    "Exit status:\n"
    "  0  the files are written\n"
    "  1  the art cannot be read or is malformed (file:line: reason), or an output\n"
    "     cannot be written (none is left behind)\n"
    "  2  a wrong command line\n";

bool WriteOutput(const std::string& path, const void* data, size_t size) {
    std::string error;
    if (WriteFileSafely(path, data, size, error)) return true;
    std::fprintf(stderr, "fontc: %s\n", error.c_str());
    return false;
}
}  // namespace

int main(int argc, char** argv) {
    if (AnswerHelpOrVersion(argc, argv, "fontc", UsageText)) return 0;
    if (argc != 3 && argc != 4) {
        std::fputs(UsageText, stderr);
        return 2;
    }
    std::string text;
    if (!ReadSourceText("fontc", argv[1], "font art", text)) return 1;
    FontImage image;
    const std::vector<Problem> problems = ParseFontArt(text, argv[1], IntroCharset, &image);
    if (!problems.empty()) {
        for (const Problem& problem : problems)
            std::fprintf(stderr, "%s\n", FormatProblem(problem, "fontc").c_str());
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
