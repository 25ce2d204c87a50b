#include "ffmpeg_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>

pid_t FfmpegProcess::runningChild = -1;

namespace {

constexpr int VideoFd = 3, AudioFd = 4;  // pipe:3 and pipe:4 in ffmpeg's arguments
constexpr int FirstFreeFd = 10;          // above both, so the child's dup2 never clobbers

void CloseFd(int& fd) {
    if (fd >= 0) close(fd);
    fd = -1;
}

// A pipe whose ends sit at or above FirstFreeFd, closed on exec.
bool MakePipe(int& readEnd, int& writeEnd) {
    int ends[2];
    if (pipe2(ends, O_CLOEXEC) != 0) return false;
    readEnd = fcntl(ends[0], F_DUPFD_CLOEXEC, FirstFreeFd);
    writeEnd = fcntl(ends[1], F_DUPFD_CLOEXEC, FirstFreeFd);
    close(ends[0]);
    close(ends[1]);
    if (readEnd < 0 || writeEnd < 0) {
        CloseFd(readEnd);
        CloseFd(writeEnd);
        return false;
    }
    return true;
}

constexpr int InterruptSignals[] = {SIGINT, SIGTERM, SIGHUP};

// Between fork and exec: only async-signal-safe calls. The tool's own
// interrupt handlers are not the child's business, so they go back to the
// defaults before the signals that the parent held back are let through.
[[noreturn]] void RunChild(const char* program, char* const* argv, int videoRead, int audioRead,
                           const sigset_t* parentMask, pid_t parent) {
    prctl(PR_SET_PDEATHSIG, SIGKILL);    // never outlive the tool...
    if (getppid() != parent) _exit(127);  // ...even when it ended before that was set
    for (int signal : InterruptSignals) ::signal(signal, SIG_DFL);
    sigprocmask(SIG_SETMASK, parentMask, nullptr);
    const int devNull = open("/dev/null", O_RDONLY | O_CLOEXEC);
    if (devNull >= 0) dup2(devNull, STDIN_FILENO);
    if (dup2(videoRead, VideoFd) < 0) _exit(127);
    if (audioRead >= 0 && dup2(audioRead, AudioFd) < 0) _exit(127);
    signal(SIGPIPE, SIG_DFL);
    execv(program, argv);
    _exit(127);
}

}  // namespace

std::string FindOnPath(const std::string& name) {
    const char* path = std::getenv("PATH");
    if (path == nullptr) return "";
    const std::string folders = path;
    size_t start = 0;
    while (start <= folders.size()) {
        const size_t colon = std::min(folders.find(':', start), folders.size());
        const std::string folder = colon > start ? folders.substr(start, colon - start) : ".";
        const std::string candidate = folder + "/" + name;
        if (access(candidate.c_str(), X_OK) == 0) return candidate;
        start = colon + 1;
    }
    return "";
}

FfmpegProcess::~FfmpegProcess() { Kill(); }

bool FfmpegProcess::Start(const std::string& program, const std::vector<std::string>& arguments,
                          bool withAudio, std::string& error) {
    int videoRead = -1, audioRead = -1;
    if (!MakePipe(videoRead, videoPipe_) || (withAudio && !MakePipe(audioRead, audioPipe_))) {
        error = std::string("cannot make the pipes to ffmpeg: ") + std::strerror(errno);
        CloseFd(videoRead);
        Kill();
        return false;
    }
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);

    // A write to a pipe whose reader has gone fails with EPIPE instead of
    // ending the tool, so the failure can be reported and the file removed.
    signal(SIGPIPE, SIG_IGN);
    // Interrupts wait until the child is on record, so the handler that ends
    // it can never miss it.
    sigset_t interrupts, previousMask;
    sigemptyset(&interrupts);
    for (int signal : InterruptSignals) sigaddset(&interrupts, signal);
    sigprocmask(SIG_BLOCK, &interrupts, &previousMask);
    const pid_t parent = getpid();
    pid_ = fork();
    if (pid_ == 0)
        RunChild(program.c_str(), argv.data(), videoRead, audioRead, &previousMask, parent);
    const int forkErrno = errno;
    if (pid_ > 0) runningChild = pid_;
    sigprocmask(SIG_SETMASK, &previousMask, nullptr);
    CloseFd(videoRead);
    CloseFd(audioRead);
    if (pid_ < 0) {
        error = std::string("cannot start ffmpeg: ") + std::strerror(forkErrno);
        Kill();
        return false;
    }
    // A pipe that holds a whole frame halves the switches between the two
    // processes; the default 64 KiB is kept where the system refuses more.
    fcntl(videoPipe_, F_SETPIPE_SZ, 1 << 20);
    fcntl(videoPipe_, F_SETFL, O_NONBLOCK);
    if (audioPipe_ >= 0) fcntl(audioPipe_, F_SETFL, O_NONBLOCK);
    return true;
}

bool FfmpegProcess::Write(const void* video, size_t videoBytes, const void* audio,
                          size_t audioBytes) {
    struct Pending {
        int fd;
        const char* data;
        size_t left;
    } pending[2] = {{videoPipe_, static_cast<const char*>(video), videoBytes},
                    {audioPipe_, static_cast<const char*>(audio), audioBytes}};
    if (pending[1].fd < 0) pending[1].left = 0;
    while (pending[0].left > 0 || pending[1].left > 0) {
        pollfd waits[2];
        int count = 0;
        for (const Pending& p : pending) {
            if (p.left > 0) waits[count++] = {p.fd, POLLOUT, 0};
        }
        if (poll(waits, count, -1) < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        for (Pending& p : pending) {
            if (p.left == 0) continue;
            const ssize_t written = write(p.fd, p.data, p.left);
            if (written < 0) {
                if (errno == EAGAIN || errno == EINTR) continue;
                return false;  // EPIPE: ffmpeg has stopped reading
            }
            p.data += written;
            p.left -= static_cast<size_t>(written);
        }
    }
    return true;
}

bool FfmpegProcess::Finish(std::string& error) {
    CloseFd(videoPipe_);
    CloseFd(audioPipe_);
    if (pid_ < 0) return error = "ffmpeg was not started", false;
    int status = 0;
    while (waitpid(pid_, &status, 0) < 0) {
        if (errno != EINTR) {
            error = std::string("cannot wait for ffmpeg: ") + std::strerror(errno);
            return false;
        }
    }
    pid_ = -1;
    runningChild = -1;
    if (WIFEXITED(status) && WEXITSTATUS(status) == 127)
        return error = "ffmpeg could not be run", false;
    if (WIFEXITED(status) && WEXITSTATUS(status) == 0) return true;
    error = WIFEXITED(status)
                ? "ffmpeg failed with exit status " + std::to_string(WEXITSTATUS(status))
                : "ffmpeg was ended by signal " + std::to_string(WTERMSIG(status));
    return false;
}

void FfmpegProcess::Kill() {
    CloseFd(videoPipe_);
    CloseFd(audioPipe_);
    if (pid_ > 0) {
        kill(pid_, SIGKILL);
        while (waitpid(pid_, nullptr, 0) < 0 && errno == EINTR) {
        }
    }
    pid_ = -1;
    runningChild = -1;
}
