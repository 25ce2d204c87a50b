// intro-capture run as a program: the lossless file decodes to intro-preview's
// screens and modrender's samples on the documented time line, captures are
// reproducible, the MP4 is what players expect, and failures leave nothing.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

namespace fs = std::filesystem;

namespace {

constexpr int ScreenBytes = 528 * 384 * 3;  // one frame as rgb24
constexpr int PrefillFrames = 32000;        // the silent ring heard before the song

std::string ReadAll(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    std::stringstream bytes;
    bytes << file.rdbuf();
    return bytes.str();
}

// Acting frame steps done by millisecond `ms` of the time line: the first at
// 600, after the start-up's wait, then one every 21 ms.
int StepsBy(int ms) { return ms < 600 ? 0 : (ms - 600) / 21 + 1; }

class IntroCapture : public ::testing::Test {
protected:
    void SetUp() override {
        if (std::system("command -v ffmpeg >/dev/null && command -v ffprobe >/dev/null") != 0)
            GTEST_SKIP() << "ffmpeg is not installed (scripts/install-deps.sh installs it)";
        char pattern[] = "/tmp/intro_capture_testXXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir = pattern;
    }
    void TearDown() override {
        if (!dir.empty()) fs::remove_all(dir);
    }

    std::string Path(const std::string& name) const { return (dir / name).string(); }

    // Runs a shell command line; the exit code, with its standard error in `err`.
    int Run(const std::string& command) {
        const int status = std::system((command + " 2>" + Path("stderr")).c_str());
        err = ReadAll(Path("stderr"));
        fs::remove(Path("stderr"));
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    int Capture(const std::string& arguments) {
        return Run(std::string(INTRO_CAPTURE_PATH) + " " + arguments);
    }
    std::string PreviewScreen(int steps) {
        EXPECT_EQ(Run(std::string(INTRO_PREVIEW_PATH) + " --steps " + std::to_string(steps) +
                      " -o " + Path("preview.png")), 0) << err;
        EXPECT_EQ(Run("ffmpeg -v error -y -i " + Path("preview.png") +
                      " -f rawvideo -pix_fmt rgb24 " + Path("preview.raw")), 0) << err;
        return ReadAll(Path("preview.raw"));
    }
    size_t FileCount() const {
        return static_cast<size_t>(
            std::distance(fs::directory_iterator(dir), fs::directory_iterator()));
    }

    fs::path dir;
    std::string err;
};

TEST_F(IntroCapture, LosslessDecodesToThePreviewScreensAndTheRenderedSong) {
    // 0.5 s to 7 s: the blank screen of the start-up, the first step at
    // 600 ms, a step falling exactly on a frame's millisecond (1020), typing,
    // page 0's hold; the sound crosses the end of the pre-fill at 32000 frames.
    ASSERT_EQ(Capture("--lossless --from 0.5 --seconds 6.5 -o " + Path("cap.mkv")), 0) << err;
    ASSERT_EQ(Run("ffmpeg -v error -i " + Path("cap.mkv") +
                  " -map 0:v -f rawvideo -pix_fmt rgb24 " + Path("video.raw") +
                  " -map 0:a -f s16le " + Path("audio.raw")), 0) << err;
    const std::string video = ReadAll(Path("video.raw"));
    ASSERT_EQ(video.size(), 325u * ScreenBytes);
    for (int frame : {4, 5, 26, 75, 324}) {
        const int ms = 500 + 20 * frame;
        EXPECT_TRUE(video.compare(static_cast<size_t>(frame) * ScreenBytes, ScreenBytes,
                                  PreviewScreen(StepsBy(ms))) == 0)
            << "frame " << frame << " (" << ms << " ms) is not the screen after "
            << StepsBy(ms) << " steps";
    }

    const int firstFrame = 22050, frames = 286650;  // 0.5 s and 6.5 s at 44100 Hz
    const std::string audio = ReadAll(Path("audio.raw"));
    ASSERT_EQ(audio.size(), 4u * frames);
    const int silent = PrefillFrames - firstFrame;
    ASSERT_EQ(Run(std::string(MODRENDER_PATH) + " --builtin --raw --frames " +
                  std::to_string(frames - silent) + " -o " + Path("song.raw")), 0) << err;
    EXPECT_EQ(audio.substr(0, 4 * silent), std::string(4 * silent, '\0'));
    EXPECT_TRUE(audio.compare(4 * silent, std::string::npos, ReadAll(Path("song.raw"))) == 0)
        << "the sound after the pre-fill is not modrender's";

    ASSERT_EQ(Capture("--lossless --from 0.5 --seconds 6.5 -o " + Path("again.mkv")), 0) << err;
    EXPECT_TRUE(ReadAll(Path("cap.mkv")) == ReadAll(Path("again.mkv")))
        << "two captures of the same stretch differ";
}

TEST_F(IntroCapture, DefaultMp4IsH264AndAacAtScaleTwoAndFiftyFramesASecond) {
    ASSERT_EQ(Capture("--seconds 3 -o " + Path("intro.mp4")), 0) << err;
    ASSERT_EQ(Run("ffprobe -v error -show_entries stream=codec_name,width,height,pix_fmt,"
                  "r_frame_rate,nb_frames,duration -of compact=p=0:nk=1 " + Path("intro.mp4") +
                  " >" + Path("probe.txt")), 0) << err;
    const std::string probe = ReadAll(Path("probe.txt"));
    EXPECT_NE(probe.find("h264|1056|768|yuv420p|50/1|3.000000|150"), std::string::npos) << probe;
    EXPECT_NE(probe.find("aac|"), std::string::npos) << probe;
}

TEST_F(IntroCapture, BadArgumentsAndMissingFfmpegFailClearlyAndLeaveNoFile) {
    const std::string out = " -o " + Path("x.mp4");
    const std::pair<std::string, std::string> cases[] = {
        {"--seconds 0" + out, "--seconds needs a number"},
        {"--from -1" + out, "--from needs a number"},
        {"--scale 9" + out, "--scale needs a whole number from 1 to 8"},
        {"--bogus" + out, "unknown argument '--bogus'"},
        {"--seconds 2", "missing -o"},
        {"-o " + Path("x.mkv"), "add --lossless"},
        {"--lossless" + out, "name the output '.mkv'"},
        {"--from 200" + out, "past the end of the song's first pass"},
        {"-o " + Path("no/such/folder/x.mp4"), "cannot create"},
    };
    for (const auto& [arguments, message] : cases) {
        EXPECT_NE(Capture(arguments), 0) << arguments;
        EXPECT_NE(err.find(message), std::string::npos) << arguments << ": " << err;
    }
    const std::string withoutFfmpeg = "PATH=/nonexistent " + std::string(INTRO_CAPTURE_PATH);
    EXPECT_EQ(Run(withoutFfmpeg + " --seconds 1" + out), 1);
    EXPECT_NE(err.find("ffmpeg was not found on PATH"), std::string::npos) << err;
    EXPECT_EQ(FileCount(), 0u);
}

TEST_F(IntroCapture, OutputNamesLikeProtocolsOrOptionsAreFilesForFfmpeg) {
    // Relative names, as a user types them; `timeout` turns a hang into a failure.
    for (const char* name : {"pipe:1.webp", "-weird.webp"}) {
        EXPECT_EQ(Run("cd " + dir.string() + " && timeout 60 " + INTRO_CAPTURE_PATH +
                      " --seconds 0.1 -o " + std::string(name)), 0) << name << ": " << err;
        EXPECT_GT(fs::exists(dir / name) ? fs::file_size(dir / name) : 0, 0u) << name;
    }
    EXPECT_EQ(FileCount(), 2u);
}

TEST_F(IntroCapture, InterruptedCaptureEndsFfmpegAndRemovesItsFile) {
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        execl(INTRO_CAPTURE_PATH, INTRO_CAPTURE_PATH, "-o", Path("long.mp4").c_str(), nullptr);
        _exit(127);
    }
    // Wait for the temporary file, that is for ffmpeg at work, then interrupt.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (FileCount() == 0 && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    kill(child, SIGINT);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGINT) << status;
    EXPECT_EQ(FileCount(), 0u);
}

}  // namespace
