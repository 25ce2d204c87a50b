#include "app/input_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

bool ReadInputFile(const std::string& path, const char* expected, std::vector<uint8_t>& bytes,
                   std::string& error) {
    FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return error = "cannot read '" + path + "': " + std::strerror(errno), false;
    bytes.clear();
    uint8_t buffer[65536];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0) {
        bytes.insert(bytes.end(), buffer, buffer + n);
        if (static_cast<int64_t>(bytes.size()) > MaxInputFileBytes) {
            std::fclose(file);
            return error = "'" + path + "' is larger than 16 MiB; not " + expected, false;
        }
    }
    const bool readFailed = std::ferror(file) != 0;
    std::fclose(file);
    if (readFailed) return error = "cannot read '" + path + "': read error", false;
    return true;
}
