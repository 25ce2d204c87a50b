// intro-capture: the intro as a video file. The start-up and the frame steps
// run on a simulated millisecond clock and the music through modrender's
// render session, both from the moment the start-up starts the music; every
// 20 ms the screen and the 882 frames of sound heard meanwhile go to ffmpeg.
#include <signal.h>
#include <sys/wait.h>

#include <bit>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "capture_options.h"
#include "ffmpeg_arguments.h"
#include "ffmpeg_process.h"
#include "app/program_info.h"
#include "render_session.h"
#include "safe_output.h"
#include "simulated_intro.h"
#include "app/tool_content.h"

static_assert(std::endian::native == std::endian::little,
              "pixels go to ffmpeg as bgr0 and sound as s16le, straight from memory");

namespace {

constexpr int64_t SoundFramesPerFrame = IntroSound.rate / FramesPerSecond;  // 882
constexpr int FrameMs = 1000 / FramesPerSecond;

std::vector<uint8_t> songImage;  // the content's song
PlaybackRender playback;
bool musicStarted = false;
std::string musicError;

// The driver's music hooks: the music starts where the start-up starts it,
// at tick 0 of the simulated clock, so sound frame n is heard at n / 44.1 ms.
void StartMusic() { musicStarted = playback.Start(songImage, musicError); }
void StopMusic() { playback.Stop(); }

int Fail(const std::string& message) {
    std::fprintf(stderr, "intro-capture: %s\n", message.c_str());
    return 1;
}

// An interrupted capture ends ffmpeg before the output's own handler removes
// the temporary file, so nothing can write it again afterwards.
struct sigaction outputHandlers[3];
constexpr int HandledSignals[3] = {SIGINT, SIGTERM, SIGHUP};

extern "C" void EndFfmpegFirst(int signal) {
    const pid_t child = FfmpegProcess::runningChild;
    if (child > 0) {
        kill(child, SIGKILL);
        waitpid(child, nullptr, 0);
    }
    for (int i = 0; i < 3; ++i) {
        if (HandledSignals[i] == signal) sigaction(signal, &outputHandlers[i], nullptr);
    }
    raise(signal);  // delivered to the output's handler once this one returns
}

void EndFfmpegOnSignals() {
    struct sigaction action = {};
    action.sa_handler = EndFfmpegFirst;
    sigemptyset(&action.sa_mask);
    for (int i = 0; i < 3; ++i) sigaction(HandledSignals[i], &action, &outputHandlers[i]);
}

// Long captures say how far they are, once a second after the first two.
class Progress {
public:
    explicit Progress(int64_t frames) : frames_(frames) {}
    void Report(int64_t done) {
        const Clock::time_point now = Clock::now();
        if (now < next_) return;
        const double seconds = std::chrono::duration<double>(now - start_).count();
        std::fprintf(stderr, "intro-capture: %3d%% (%.1f of %.1f s captured, %.1fx real time)\n",
                     static_cast<int>(100 * done / frames_),
                     static_cast<double>(done) / FramesPerSecond,
                     static_cast<double>(frames_) / FramesPerSecond,
                     static_cast<double>(done) / FramesPerSecond / seconds);
        next_ = now + std::chrono::seconds(1);
    }

private:
    using Clock = std::chrono::steady_clock;
    int64_t frames_;
    Clock::time_point start_ = Clock::now();
    Clock::time_point next_ = start_ + std::chrono::seconds(2);
};

}  // namespace

int main(int argc, char** argv) {
    if (AnswerHelpOrVersion(argc, argv, "intro-capture", CaptureUsage)) return 0;
    CaptureOptions options;
    std::string error;
    if (!ParseCaptureOptions(argc, argv, options, error)) {
        std::fprintf(stderr, "intro-capture: %s\n%s", error.c_str(), CaptureUsage);
        return 2;
    }
    if (!UseToolContent(options.contentPath, &error)) return Fail(error);
    songImage = ToolContentSong();
    const std::string ffmpegPath = FindOnPath("ffmpeg");
    if (ffmpegPath.empty())
        return Fail("ffmpeg was not found on PATH; install Debian's ffmpeg package "
                    "(apt-get install ffmpeg)");

    // Measured before the music starts: measuring resets the sound path.
    const SongScan song = MeasureSong(songImage, 1, SongScanCapTicks);
    if (!StartSimulatedIntro(StartMusic, StopMusic))
        return Fail("the picture could not be set up (out of memory)");
    if (!musicStarted) return Fail("the song did not start: " + musicError);

    const int64_t songEnd = playback.PrefillFrames() + SongFrames(song.ticks);
    const int64_t passFrames = (songEnd + SoundFramesPerFrame - 1) / SoundFramesPerFrame;
    int64_t frameCount = options.frameCount;
    if (frameCount < 0) {
        frameCount = passFrames - options.firstFrame;
        if (frameCount <= 0)
            return Fail("--from is past the end of the song's first pass (" +
                        std::to_string(passFrames / FramesPerSecond) + " s); give --seconds too");
    }

    SafeOutput out;
    if (!out.Open(options.outputPath, error)) return Fail(error);
    EndFfmpegOnSignals();
    const Surface& screen = *introDriver.screen;
    FfmpegProcess ffmpeg;
    if (!ffmpeg.Start(ffmpegPath,
                      FfmpegArguments(options.kind, options.scale, screen.width, screen.height,
                                      out.TemporaryPath()),
                      KindHasAudio(options.kind), error))
        return Fail(error);

    for (int64_t frame = 0; frame < options.firstFrame; ++frame) {
        if (!playback.Read(nullptr, SoundFramesPerFrame))
            return Fail("the sound path stopped unexpectedly");
    }
    std::vector<StereoFrame> sound(SoundFramesPerFrame);
    const size_t soundBytes = KindHasAudio(options.kind) ? sound.size() * sizeof(StereoFrame) : 0;
    const size_t pictureBytes =
        static_cast<size_t>(screen.width) * screen.height * sizeof(uint32_t);
    Progress progress(frameCount);
    for (int64_t frame = 0; frame < frameCount; ++frame) {
        // The screen as it stands after every frame step up to this moment.
        RunSimulatedLoopUntil(static_cast<uint32_t>((options.firstFrame + frame) * FrameMs));
        if (!playback.Read(sound.data(), SoundFramesPerFrame))
            return Fail("the sound path stopped unexpectedly");
        if (!ffmpeg.Write(screen.pixels, pictureBytes, sound.data(), soundBytes)) {
            if (ffmpeg.Finish(error)) error = "it ended before the last frame";
            return Fail("ffmpeg stopped taking frames: " + error);
        }
        progress.Report(frame + 1);
    }
    StopSimulatedIntro();
    if (!ffmpeg.Finish(error)) return Fail(error);
    if (!out.Commit(error)) return Fail(error);
    return 0;
}
