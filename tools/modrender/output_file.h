#pragma once
// An output that appears whole or not at all: a file is written under a
// temporary name in its own folder and renamed into place on Commit; "-"
// writes to standard output.
#include <cstdint>
#include <cstdio>
#include <string>

class OutputFile {
public:
    OutputFile() = default;
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;
    ~OutputFile();  // discards an uncommitted file

    // false with `error` set when the temporary file cannot be created.
    bool Open(const std::string& path, std::string& error);
    bool Write(const void* data, size_t size);
    bool Commit(std::string& error);
    void Discard();
    FILE* Stream() { return stream_; }
    // Where the file is written until Commit, for a writer that opens it by name.
    const std::string& TemporaryPath() const { return temporaryPath_; }

private:
    std::string path_;
    std::string temporaryPath_;
    FILE* stream_ = nullptr;
    bool toStdout_ = false;
    bool failed_ = false;
};

// The 44-byte header of a 16-bit stereo PCM WAV file with dataBytes of frames.
void WavHeader(uint8_t header[44], uint32_t rate, uint32_t dataBytes);
