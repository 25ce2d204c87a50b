#pragma once
// ffmpeg as a child process: raw video frames go in through one pipe (its
// pipe:3) and raw audio through another (pipe:4); it writes the file itself.
#include <sys/types.h>

#include <cstddef>
#include <string>
#include <vector>

// The full path of the first executable `name` on PATH, or "" when none.
std::string FindOnPath(const std::string& name);

class FfmpegProcess {
public:
    FfmpegProcess() = default;
    FfmpegProcess(const FfmpegProcess&) = delete;
    FfmpegProcess& operator=(const FfmpegProcess&) = delete;
    ~FfmpegProcess();  // ends a process that was not finished

    // Runs `program` with `arguments` (argv[1] on). False with `error` set
    // when the process or its pipes cannot be made.
    bool Start(const std::string& program, const std::vector<std::string>& arguments,
               bool withAudio, std::string& error);
    // Hands over one frame's picture and sound, writing to whichever pipe
    // ffmpeg is reading, so neither side waits for the other. False when
    // ffmpeg has gone.
    bool Write(const void* video, size_t videoBytes, const void* audio, size_t audioBytes);
    // Closes the pipes and waits; false with `error` set unless ffmpeg ended
    // with status 0.
    bool Finish(std::string& error);
    // Kills and reaps the process at once (on failure or interruption).
    void Kill();

    // The running child, for a signal handler that must end it first.
    static pid_t runningChild;

private:
    pid_t pid_ = -1;
    int videoPipe_ = -1;
    int audioPipe_ = -1;
};
