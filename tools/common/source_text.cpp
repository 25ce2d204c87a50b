#include "source_text.h"

#include <cstdio>
#include <vector>

#include "app/input_file.h"

bool ReadSourceText(const char* program, const std::string& path, const char* expected,
                    std::string& text) {
    std::vector<uint8_t> bytes;
    std::string error;
    if (ReadInputFile(path, expected, bytes, error)) {
        text.assign(bytes.begin(), bytes.end());
        return true;
    }
    if (!IsRegularFile(path) && NonFileKind(path).empty())
        std::fprintf(stderr, "%s: cannot read %s\n", program, path.c_str());
    else
        std::fprintf(stderr, "%s: %s\n", program, error.c_str());
    return false;
}
