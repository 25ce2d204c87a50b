// A test helper for the Wine end-to-end run: rewrites intro.exe with
// WriteIntroExe until intro-pack's own command line exists.
//   exe_rewrite <shell.exe> <font.bmp> <content blob> <output.exe>
#include <cstdio>

#include "exe_content.h"
#include "input_file.h"
#include "safe_output.h"

int main(int argc, char** argv) {
    if (argc != 5) {
        std::fprintf(stderr, "usage: exe_rewrite <shell.exe> <font.bmp> <content blob> <output.exe>\n");
        return 2;
    }
    std::vector<uint8_t> shell, font, content, exe;
    std::string error;
    SafeOutput output;
    bool ok = ReadInputFile(argv[1], "an intro.exe", shell, error) &&
              ReadInputFile(argv[2], "a BMP", font, error) &&
              ReadInputFile(argv[3], "a content pack", content, error) &&
              WriteIntroExe(shell, font, content, &exe, &error) && output.Open(argv[4], error) &&
              output.Write(exe.data(), exe.size()) && output.Commit(error);
    if (!ok) {
        std::fprintf(stderr, "exe_rewrite: %s\n",
                     error.empty() ? "could not write the output" : error.c_str());
        return 1;
    }
    return 0;
}
