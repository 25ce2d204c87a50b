#include "safe_output.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The temporary files being written, for the signal handler: an interrupted
// tool must not leave a partial file behind. The handler makes only
// async-signal-safe calls, on fixed buffers.
constexpr int MaxPendingFiles = 4;
constexpr size_t MaxPendingPath = 4096;
char pendingPaths[MaxPendingFiles][MaxPendingPath];

extern "C" void RemovePendingAndDie(int signal) {
    for (auto& path : pendingPaths) {
        if (path[0] != '\0') unlink(path);
    }
    // Die of the signal as the tool would have without this handler.
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

void InstallHandlersOnce() {
    static bool installed = false;
    if (installed) return;
    installed = true;
    for (int signal : {SIGINT, SIGTERM, SIGHUP}) std::signal(signal, RemovePendingAndDie);
}

// A file whose path is too long or that finds no free slot is still removed
// on failure and on Discard; only an interruption would leave it.
void AddPending(const std::string& path) {
    if (path.size() >= MaxPendingPath) return;
    InstallHandlersOnce();
    for (auto& slot : pendingPaths) {
        if (slot[0] == '\0') {
            std::memcpy(slot, path.c_str(), path.size() + 1);
            return;
        }
    }
}

void RemovePending(const std::string& path) {
    for (auto& slot : pendingPaths) {
        if (path == slot) slot[0] = '\0';
    }
}

std::string Reason() { return std::strerror(errno); }

}  // namespace

SafeOutput::~SafeOutput() { Discard(); }

bool SafeOutput::Open(const std::string& path, std::string& error) {
    Discard();
    path_ = path;
    failed_ = false;
    toStdout_ = path == "-";
    if (toStdout_) {
        stream_ = stdout;
        return true;
    }
    std::string pattern = path + ".partXXXXXX";
    const int fd = mkstemp(pattern.data());
    if (fd < 0) {
        error = "cannot write '" + path + "': cannot create a file in its folder (" + Reason() +
                "); does the folder exist and is it writable?";
        return false;
    }
    temporaryPath_ = pattern;
    AddPending(temporaryPath_);
    // mkstemp creates the file private; give it the mode a plain fopen would.
    const mode_t mask = umask(0);
    umask(mask);
    fchmod(fd, 0666 & ~mask);
    stream_ = fdopen(fd, "wb");
    if (!stream_) {
        error = "cannot write '" + path + "': " + Reason();
        close(fd);
        Discard();
        return false;
    }
    return true;
}

bool SafeOutput::Write(const void* data, size_t size) {
    if (!stream_ || failed_) return false;
    if (size > 0 && std::fwrite(data, 1, size, stream_) != size) failed_ = true;
    return !failed_;
}

bool SafeOutput::Commit(std::string& error) {
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
        error = "cannot write '" + path_ + "': " + Reason();
        Discard();
        return false;
    }
    RemovePending(temporaryPath_);
    temporaryPath_.clear();
    return true;
}

void SafeOutput::Discard() {
    if (stream_ && !toStdout_) std::fclose(stream_);
    stream_ = nullptr;
    if (!temporaryPath_.empty()) {
        std::remove(temporaryPath_.c_str());
        RemovePending(temporaryPath_);
        temporaryPath_.clear();
    }
}

bool WriteFileSafely(const std::string& path, const void* data, size_t size, std::string& error) {
    SafeOutput out;
    if (!out.Open(path, error)) return false;
    if (!out.Write(data, size)) {
        error = "cannot write '" + path + "' (disk full?)";
        return false;
    }
    return out.Commit(error);
}

bool WriteFileSafely(const std::string& path, const std::string& bytes, std::string& error) {
    return WriteFileSafely(path, bytes.data(), bytes.size(), error);
}
