#include "song_file.h"

#include <sys/stat.h>

#include <utility>

#include "app/input_file.h"
#include "app/tool_content.h"
#include "authoring/song/assembler.h"

bool IsSongSource(const std::string& path) {
    return path.size() > 4 && path.compare(path.size() - 4, 4, ".fcs") == 0;
}

bool ReadSongFile(const std::string& path, SongFile& song, std::string& error) {
    std::vector<uint8_t> bytes;
    if (!ReadInputFile(path, "a module, song source or content pack", bytes, error)) return false;
    if (!SongFromPackFile(path, &bytes, &error)) return false;
    song.path = path;
    song.source = IsSongSource(path);
    if (song.source) {
        // The first problem is shown; the rest are only counted.
        ProblemLog problems(path, 1);
        AssembledModule module;
        if (!AssembleSource(std::string(bytes.begin(), bytes.end()), problems, module)) {
            const std::vector<Problem> kept = problems.Problems();
            error = kept.empty() ? path + ": the source does not assemble"
                                 : FormatProblem(kept.front(), "modplay");
            if (problems.Count() > 1) error += " (and " + std::to_string(problems.Count() - 1) + " more)";
            return false;
        }
        song.image = BuildModuleImage(module);
    } else {
        song.image = std::move(bytes);
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
