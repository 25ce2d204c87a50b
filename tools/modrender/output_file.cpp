#include "output_file.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The temporary file being written, for the signal handler: an interrupted
// render must not leave a partial file behind either. Only async-signal-safe
// calls are made there, on a fixed buffer.
char pendingPath[4096];

extern "C" void RemovePendingAndExit(int signal) {
    if (pendingPath[0] != '\0') unlink(pendingPath);
    _exit(128 + signal);
}

void SetPending(const std::string& path) {
    if (path.size() >= sizeof pendingPath) return;
    std::memcpy(pendingPath, path.c_str(), path.size() + 1);
    std::signal(SIGINT, RemovePendingAndExit);
    std::signal(SIGTERM, RemovePendingAndExit);
    std::signal(SIGHUP, RemovePendingAndExit);
}

void ClearPending() { pendingPath[0] = '\0'; }

}  // namespace

OutputFile::~OutputFile() { Discard(); }

bool OutputFile::Open(const std::string& path, std::string& error) {
    path_ = path;
    failed_ = false;
    if (path == "-") {
        toStdout_ = true;
        stream_ = stdout;
        return true;
    }
    std::string pattern = path + ".partXXXXXX";
    const int fd = mkstemp(pattern.data());
    if (fd < 0) {
        error = "cannot create '" + path + "': " + std::strerror(errno);
        return false;
    }
    temporaryPath_ = pattern;
    SetPending(temporaryPath_);
    // mkstemp creates the file private; give it the mode a plain fopen would.
    const mode_t mask = umask(0);
    umask(mask);
    fchmod(fd, 0666 & ~mask);
    stream_ = fdopen(fd, "wb");
    if (!stream_) {
        error = "cannot write '" + path + "': " + std::strerror(errno);
        close(fd);
        Discard();
        return false;
    }
    return true;
}

bool OutputFile::Write(const void* data, size_t size) {
    if (!stream_ || failed_) return false;
    if (size > 0 && std::fwrite(data, 1, size, stream_) != size) failed_ = true;
    return !failed_;
}

bool OutputFile::Commit(std::string& error) {
    if (!stream_) return error = "nothing to write", false;
    if (std::ferror(stream_)) failed_ = true;
    if (toStdout_) {
        stream_ = nullptr;
        if (std::fflush(stdout) != 0 || failed_) return error = "cannot write to standard output", false;
        return true;
    }
    const bool closed = std::fclose(stream_) == 0;
    stream_ = nullptr;
    if (failed_ || !closed) {
        error = "cannot write '" + path_ + "' (disk full?)";
        Discard();
        return false;
    }
    if (std::rename(temporaryPath_.c_str(), path_.c_str()) != 0) {
        error = "cannot create '" + path_ + "': " + std::strerror(errno);
        Discard();
        return false;
    }
    temporaryPath_.clear();
    ClearPending();
    return true;
}

void OutputFile::Discard() {
    if (stream_ && !toStdout_) std::fclose(stream_);
    stream_ = nullptr;
    if (!temporaryPath_.empty()) {
        std::remove(temporaryPath_.c_str());
        temporaryPath_.clear();
        ClearPending();
    }
}

void WavHeader(uint8_t header[44], uint32_t rate, uint32_t dataBytes) {
    auto u32 = [&](int at, uint32_t v) {
        for (int i = 0; i < 4; ++i) header[at + i] = static_cast<uint8_t>(v >> (8 * i));
    };
    auto u16 = [&](int at, uint16_t v) {
        header[at] = static_cast<uint8_t>(v);
        header[at + 1] = static_cast<uint8_t>(v >> 8);
    };
    std::memcpy(header, "RIFF", 4);
    u32(4, 36 + dataBytes);
    std::memcpy(header + 8, "WAVEfmt ", 8);
    u32(16, 16);
    u16(20, 1);  // PCM
    u16(22, 2);
    u32(24, rate);
    u32(28, rate * 4);
    u16(32, 4);
    u16(34, 16);
    std::memcpy(header + 36, "data", 4);
    u32(40, dataBytes);
}
