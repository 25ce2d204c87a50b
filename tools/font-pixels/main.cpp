// font-pixels: the font bitmap decoded by the intro's own BMP decoder, as the
// web page reads it for the lines it draws itself (when intro.wasm cannot be
// loaded, or the sound cannot start), so the page decodes no BMP.
//   font-pixels FONT.bmp OUT
// OUT holds the width and the height (unsigned 32-bit, little-endian), then
// every pixel, rows top to bottom, as 32-bit little-endian 0x00RRGGBB.
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
    "for the web page: the width and the height, then every pixel top-down as\n"
    "0x00RRGGBB, all 32-bit little-endian. The web build runs it.\n"
    "  -h, --help   print this help and exit\n"
    "  --version    print the version and licence and exit\n"
    "\n"
    "Exit status:\n"
    "  0  the file is written\n"
    "  1  the bitmap cannot be read or decoded, or the output cannot be written\n"
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
    std::vector<uint8_t> out;
    const size_t count = static_cast<size_t>(width) * height;
    out.reserve(8 + 4 * count);
    Put32(out, static_cast<uint32_t>(width));
    Put32(out, static_cast<uint32_t>(height));
    for (size_t i = 0; i < count; ++i) Put32(out, pixels[i]);
    delete[] pixels;
    if (!WriteFileSafely(argv[2], out.data(), out.size(), error)) return Fail(error);
    return 0;
}
