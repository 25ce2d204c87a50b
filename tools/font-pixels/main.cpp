// font-pixels: the font bitmap decoded by the intro's own BMP decoder, as the
// web page reads it for the lines it draws itself (when intro.wasm cannot be
// loaded, or the sound cannot start), so the page decodes no BMP.
//   font-pixels FONT.bmp OUT
// OUT holds the width, the height and the number of colours N (unsigned
// 32-bit, little-endian), the N colours as 32-bit little-endian 0x00RRGGBB,
// then every pixel, rows top to bottom, as one byte: its colour's index. A
// font has a few inks, so this is a quarter of the pixels written out whole.
#include <cstdio>
#include <string>
#include <vector>

#include "app/input_file.h"
#include "app/program_info.h"
#include "display/bmp_decoder.h"
#include "safe_output.h"

namespace {
constexpr char UsageText[] =
    "Usage: font-pixels FONT.bmp OUT\n"
    "Decodes the font bitmap with the intro's BMP decoder and writes its pixels\n"
    "for the web page: the width, the height and the number of colours N, the N\n"
    "colours as 0x00RRGGBB (all 32-bit little-endian), then every pixel top-down\n"
    "as one byte, its colour's index. The web build runs it.\n"
    "  -h, --help   print this help and exit\n"
    "  --version    print the version and licence and exit\n"
    "\n"
    "Exit status:\n"
    "  0  the file is written\n"
    "  1  the bitmap cannot be read or decoded, has more than 256 colours, or the\n"
    "     output cannot be written\n"
    "     (none is left behind)\n"
    "  2  a wrong command line\n";

void Put32(std::vector<uint8_t>& out, uint32_t value) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

int Fail(const std::string& message) {
    std::fprintf(stderr, "font-pixels: %s\n", message.c_str());
    return 1;
}
}  // namespace

int main(int argc, char** argv) {
    if (AnswerHelpOrVersion(argc, argv, "font-pixels", UsageText)) return 0;
    if (argc != 3) {
        std::fputs(UsageText, stderr);
        return 2;
    }
    std::vector<uint8_t> bmp;
    std::string error;
    if (!ReadInputFile(argv[1], "a font bitmap", bmp, error)) return Fail(error);
    int width = 0, height = 0;
    uint32_t* pixels = nullptr;
    char reason[160];
    if (!DecodeBmp(bmp.data(), static_cast<uint32_t>(bmp.size()), &width, &height, &pixels, reason,
                   sizeof reason))
        return Fail(std::string(argv[1]) + ": " + reason);
    const size_t count = static_cast<size_t>(width) * height;
    std::vector<uint32_t> colours;
    std::vector<uint8_t> indices(count);
    for (size_t i = 0; i < count; ++i) {
        size_t index = 0;
        while (index < colours.size() && colours[index] != pixels[i]) ++index;
        if (index == colours.size()) {
            if (colours.size() == 256) {
                delete[] pixels;
                return Fail(std::string(argv[1]) + ": more than 256 colours; a font has a few inks");
            }
            colours.push_back(pixels[i]);
        }
        indices[i] = static_cast<uint8_t>(index);
    }
    delete[] pixels;
    std::vector<uint8_t> out;
    Put32(out, static_cast<uint32_t>(width));
    Put32(out, static_cast<uint32_t>(height));
    Put32(out, static_cast<uint32_t>(colours.size()));
    for (uint32_t colour : colours) Put32(out, colour);
    out.insert(out.end(), indices.begin(), indices.end());
    if (!WriteFileSafely(argv[2], out.data(), out.size(), error)) return Fail(error);
    return 0;
}
