#include "song_file.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "assembler.h"

namespace {

constexpr long MaxFileBytes = 16 * 1024 * 1024;

bool ReadBytes(const std::string& path, std::string& bytes, std::string& error) {
    FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return error = "cannot read '" + path + "': " + std::strerror(errno), false;
    bytes.clear();
    char buffer[65536];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0) {
        bytes.append(buffer, n);
        if (static_cast<long>(bytes.size()) > MaxFileBytes) {
            std::fclose(file);
            return error = "'" + path + "' is larger than 16 MiB; not a module or song source",
                   false;
        }
    }
    const bool failed = std::ferror(file) != 0;
    std::fclose(file);
    if (failed) return error = "cannot read '" + path + "': " + std::strerror(EIO), false;
    return true;
}

}  // namespace

bool IsSongSource(const std::string& path) {
    return path.size() > 4 && path.compare(path.size() - 4, 4, ".fcs") == 0;
}

bool ReadSongFile(const std::string& path, SongFile& song, std::string& error) {
    std::string bytes;
    if (!ReadBytes(path, bytes, error)) return false;
    song.path = path;
    song.source = IsSongSource(path);
    if (song.source) {
        Diagnostics diagnostics(path);
        AssembledModule module;
        if (!AssembleSource(bytes, diagnostics, module)) {
            const auto& messages = diagnostics.Messages();
            error = messages.empty() ? path + ": the source does not assemble" : messages.front();
            if (messages.size() > 1)
                error += " (and " + std::to_string(messages.size() - 1) + " more)";
            return false;
        }
        song.image = BuildModuleImage(module);
    } else {
        song.image.assign(bytes.begin(), bytes.end());
    }
    song.format = song.image.size() >= 4 ? std::string(song.image.begin(), song.image.begin() + 4)
                                         : std::string();
    return true;
}

FileStamp StampOf(const std::string& path) {
    FileStamp stamp;
    struct stat info;
    if (stat(path.c_str(), &info) != 0) return stamp;
    stamp.exists = true;
    stamp.inode = info.st_ino;
    stamp.size = info.st_size;
    stamp.modifiedNanoseconds =
        static_cast<int64_t>(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec;
    return stamp;
}
