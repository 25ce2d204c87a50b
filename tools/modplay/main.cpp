// modplay: plays a module or a song source live through the intro's sound
// path, shows the position and the voices, and reloads the source on save.
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <ctime>
#include <thread>

#include "options.h"
#include "playback.h"
#include "app/program_info.h"
#include "audio/audio_control.h"
#include "sdl_stream.h"
#include "song_file.h"
#include "terminal.h"
#include "app/tool_content.h"
#include "view.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr int FrameMilliseconds = 40;  // 25 redraws a second
constexpr auto WatchInterval = std::chrono::milliseconds(200);
constexpr auto StatusInterval = std::chrono::milliseconds(500);

volatile std::sig_atomic_t stopSignal = 0;
void OnStopSignal(int signal) { stopSignal = signal; }

int Fail(const std::string& message) {
    std::fprintf(stderr, "modplay: %s\n", message.c_str());
    return 1;
}

std::string BaseName(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string ClockTime() {
    const std::time_t now = std::time(nullptr);
    char text[16];
    std::strftime(text, sizeof text, "%H:%M:%S", std::localtime(&now));
    return text;
}

// Re-reads the watched file after a save; the message says what came of it.
void Reload(const std::string& path, ViewModel& model, bool terminal) {
    SongFile song;
    std::string error;
    if (!ReadSongFile(path, song, error)) {
        model.message = error + " - still playing the last good version";
    } else if (!ReplaceSong(song.image, error)) {
        model.message = path + ": not a usable module: " + error +
                        " - still playing the last good version";
    } else {
        model.format = song.format;
        model.message = "reloaded " + BaseName(path) + " at " + ClockTime();
    }
    if (!terminal) std::printf("%s\n", model.message.c_str());
}

void HandleKey(Key key, ViewModel& model) {
    if (model.muteKeyPending && key >= Key::Voice1 && key <= Key::Voice4) {
        const int voice = static_cast<int>(key) - static_cast<int>(Key::Voice1);
        SetVoiceMuted(voice, !VoiceMuted(voice));
        model.muted[voice] = VoiceMuted(voice);
        model.muteKeyPending = false;
        return;
    }
    model.muteKeyPending = key == Key::Mute;
    switch (key) {
        case Key::Pause: PlaybackPaused() ? ResumePlayback() : PausePlayback(); break;
        case Key::Previous: SeekToEntry(HeardPosition().entry - 1); break;
        case Key::Next: SeekToEntry(HeardPosition().entry + 1); break;
        case Key::Restart: SeekToBlock(0); break;
        default: break;
    }
}

}  // namespace

int main(int argc, char** argv) {
    PlayOptions options;
    std::string error;
    if (AnswerHelpOrVersion(argc, argv, "modplay", PlayUsage)) return 0;
    if (!ParsePlayOptions(argc, argv, options, error))
        return std::fprintf(stderr, "modplay: %s\n%s", error.c_str(), PlayUsage), 2;

    SongFile song;
    ViewModel model;
    if (options.builtin) {
        if (!UseToolContent("", &error)) return Fail(error);
        song.image = ToolContentSong();
        song.format = std::string(song.image.begin(), song.image.begin() + 4);
        model.title = "built-in song";
    } else {
        if (!ReadSongFile(options.path, song, error)) return Fail(error);
        model.title = BaseName(options.path);
    }
    model.format = song.format;
    model.watching = options.watch;
    const FileStamp firstStamp = options.watch ? StampOf(options.path) : FileStamp{};

    const std::string name = options.builtin ? "the built-in song" : "'" + options.path + "'";
    if (!StartPlayback(song.image, error)) return Fail(name + " is not a usable module: " + error);
    if (AudioStreamResult() != StreamOpened) {
        StopPlayback();
        return Fail(std::string("no audio output: ") + DescribeStreamResult(AudioStreamResult()) +
                    " (" + SdlStreamDetail() +
                    "); SDL_AUDIODRIVER chooses the driver (pulse, alsa, pipewire, disk)");
    }

    std::signal(SIGINT, OnStopSignal);
    std::signal(SIGTERM, OnStopSignal);
    std::signal(SIGHUP, OnStopSignal);
    const bool terminal = isatty(STDIN_FILENO) && isatty(STDOUT_FILENO) && OpenTerminal();

    FileStamp stamp = firstStamp;
    Clock::time_point nextWatch = Clock::now() + WatchInterval;
    Clock::time_point nextStatus = Clock::now();
    bool quit = false, finished = false;
    while (!quit && !stopSignal) {
        if (terminal) {
            const Key key = ReadKey(FrameMilliseconds);
            if (key == Key::Quit) quit = true;
            else if (key != Key::None) HandleKey(key, model);
        } else {
            std::this_thread::sleep_for(std::chrono::milliseconds(FrameMilliseconds));
        }
        if (options.watch && Clock::now() >= nextWatch) {
            nextWatch = Clock::now() + WatchInterval;
            const FileStamp now = StampOf(options.path);
            if (now.exists && !(now == stamp)) {
                stamp = now;
                Reload(options.path, model, terminal);
            }
        }
        model.position = HeardPosition();
        model.layout = CurrentLayout();
        model.paused = PlaybackPaused();
        if (options.seconds > 0 && PlayedFrames() >= options.seconds * IntroSound.rate) finished = true;
        if (options.loops > 0 && model.layout.passTicks > 0 &&
            model.position.songTick >= options.loops * model.layout.passTicks)
            finished = true;
        if (terminal) {
            DrawLines(ViewLines(model));
        } else if (Clock::now() >= nextStatus || finished) {
            nextStatus = Clock::now() + StatusInterval;
            std::printf("%s\n", StatusLine(model).c_str());
            std::fflush(stdout);
        }
        if (finished) {
            // The device plays what it was last handed a little later.
            std::this_thread::sleep_for(std::chrono::milliseconds(250));
            break;
        }
    }
    if (terminal) CloseTerminal();
    StopPlayback();
    return stopSignal ? 128 + stopSignal : 0;
}
