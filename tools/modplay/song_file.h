#pragma once
// What modplay plays: a module file ("FC14"/"SMOD"), a song source (.fcs)
// assembled in memory by modasm's assembler, or the built-in song; and the
// file's identity on disk, to notice saves.
#include <cstdint>
#include <string>
#include <sys/types.h>
#include <vector>

struct SongFile {
    std::string path;   // empty for the built-in song
    bool source = false;
    std::vector<uint8_t> image;
    std::string format;  // "FC14" or "SMOD" as the image says
};

// Reads (and for a source assembles) `path`. False with `error` set: a file
// that cannot be read, or the assembler's first `file:line: reason` (with a
// count of further errors).
bool ReadSongFile(const std::string& path, SongFile& song, std::string& error);

bool IsSongSource(const std::string& path);

// Changes whenever the file is saved, also by editors that write a new file
// and rename it into place.
struct FileStamp {
    bool exists = false;
    ino_t inode = 0;
    off_t size = 0;
    int64_t modifiedNanoseconds = 0;
    bool operator==(const FileStamp&) const = default;
};

FileStamp StampOf(const std::string& path);
