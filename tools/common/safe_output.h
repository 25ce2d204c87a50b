#pragma once
// Output files that appear whole or not at all. A file is written under a
// temporary name in its own folder and renamed into place on Commit; it is
// removed when writing fails, when the output is dropped uncommitted, and when
// the tool is ended by SIGINT, SIGTERM or SIGHUP. "-" writes to standard
// output (streamed, so it cannot be taken back).
#include <cstddef>
#include <cstdio>
#include <string>

class SafeOutput {
public:
    SafeOutput() = default;
    SafeOutput(const SafeOutput&) = delete;
    SafeOutput& operator=(const SafeOutput&) = delete;
    ~SafeOutput();  // discards an uncommitted file

    // false with `error` set when the temporary file cannot be created.
    bool Open(const std::string& path, std::string& error);
    bool Write(const void* data, size_t size);
    // Renames the finished file into place; false with `error` set (and the
    // temporary file removed) when anything written was lost.
    bool Commit(std::string& error);
    void Discard();
    // For writers that need a stream (libpng, fprintf); its errors are seen by Commit.
    std::FILE* Stream() { return stream_; }
    // Where the file is written until Commit, for a writer that opens it by
    // name (a child process); "" for standard output.
    const std::string& TemporaryPath() const { return temporaryPath_; }

private:
    std::string path_;
    std::string temporaryPath_;
    std::FILE* stream_ = nullptr;
    bool toStdout_ = false;
    bool failed_ = false;
};

// Writes `size` bytes to `path` through a SafeOutput; false with `error` set.
bool WriteFileSafely(const std::string& path, const void* data, size_t size, std::string& error);
bool WriteFileSafely(const std::string& path, const std::string& bytes, std::string& error);
