#include "app/input_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace {

std::string KindOf(mode_t mode) {
    if (S_ISREG(mode)) return "";
    if (S_ISDIR(mode)) return "a folder";
    if (S_ISFIFO(mode)) return "a FIFO (named pipe)";
    if (S_ISCHR(mode) || S_ISBLK(mode)) return "a device";
    if (S_ISSOCK(mode)) return "a socket";
    return "an unknown kind of file";
}

}  // namespace

bool IsRegularFile(const std::string& path) {
    struct stat info;
    return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

std::string NonFileKind(const std::string& path) {
    struct stat info;
    return stat(path.c_str(), &info) == 0 ? KindOf(info.st_mode) : "";
}

bool ReadInputFile(const std::string& path, const char* expected, std::vector<uint8_t>& bytes,
                   std::string& error) {
    // Opened without waiting, so a FIFO without a writer cannot hold the tool;
    // only a regular file is then read.
    const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return error = "cannot read '" + path + "': " + std::strerror(errno), false;
    struct stat info;
    const std::string kind = fstat(fd, &info) == 0 ? KindOf(info.st_mode) : "";
    if (!kind.empty()) {
        close(fd);
        return error = "cannot read '" + path + "': it is " + kind + ", not a file; not " +
                       expected, false;
    }
    bytes.clear();
    uint8_t buffer[65536];
    ssize_t n;
    while ((n = read(fd, buffer, sizeof buffer)) != 0) {
        if (n < 0) {
            if (errno == EINTR) continue;
            close(fd);
            return error = "cannot read '" + path + "': read error", false;
        }
        bytes.insert(bytes.end(), buffer, buffer + n);
        if (static_cast<int64_t>(bytes.size()) > MaxInputFileBytes) {
            close(fd);
            return error = "'" + path + "' is larger than 16 MiB; not " + expected, false;
        }
    }
    close(fd);
    return true;
}
