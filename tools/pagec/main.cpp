// pagec: checks the intro's text pages and writes them as the C++ source of
// IntroPages.
//   pagec <pages.txt> <pages.cpp>
// A page that would not show whole fails with "file:line: reason", exit 1,
// and no output is written.
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "data/intro_data.h"
#include "page_text.h"

namespace {
// Writes through a temporary file and renames it, so a failure never leaves
// a partial output behind.
bool WriteOutputFile(const std::string& path, const std::string& text) {
    const std::string temporary = path + ".tmp";
    std::FILE* file = std::fopen(temporary.c_str(), "wb");
    if (file == nullptr) {
        std::fprintf(stderr, "pagec: cannot create %s\n", temporary.c_str());
        return false;
    }
    const bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
    const bool closed = std::fclose(file) == 0;
    if (!written || !closed || std::rename(temporary.c_str(), path.c_str()) != 0) {
        std::remove(temporary.c_str());
        std::fprintf(stderr, "pagec: cannot write %s\n", path.c_str());
        return false;
    }
    return true;
}

std::string BaseName(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}
}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: pagec <pages.txt> <pages.cpp>\n");
        return 2;
    }
    std::ifstream input(argv[1], std::ios::binary);
    if (!input) {
        std::fprintf(stderr, "pagec: cannot read %s\n", argv[1]);
        return 2;
    }
    std::ostringstream text;
    text << input.rdbuf();
    std::vector<std::string> pages;
    std::string error;
    if (!ParsePages(text.str(), argv[1], IntroCharset, &pages, &error)) {
        std::fprintf(stderr, "%s\npagec: %s not written\n", error.c_str(), argv[2]);
        return 1;
    }
    return WriteOutputFile(argv[2], EmitPagesSource(pages, BaseName(argv[1]))) ? 0 : 1;
}
