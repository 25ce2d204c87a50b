// modrender: renders a module through the intro's sound path to a WAV or raw
// file, prints the channel operations of its ticks, or describes it.
#include <cstdio>
#include <string>
#include <vector>

#include "options.h"
#include "app/program_info.h"
#include "render_session.h"

#include "app/tool_content.h"

namespace {

int Fail(const std::string& message) {
    std::fprintf(stderr, "modrender: %s\n", message.c_str());
    return 1;
}

bool GetModule(const RenderOptions& options, std::vector<uint8_t>& image, std::string& name,
               std::string& error) {
    if (options.builtin) {
        if (!UseToolContent("", &error)) return false;
        image = ToolContentSong();
        name = "the built-in module";
        return true;
    }
    name = "'" + options.modulePath + "'";
    return ReadModuleFile(options.modulePath, image, error);
}

}  // namespace

int main(int argc, char** argv) {
    RenderOptions options;
    std::string error;
    if (AnswerHelpOrVersion(argc, argv, "modrender", RenderUsage)) return 0;
    if (!ParseRenderOptions(argc, argv, options, error)) {
        std::fprintf(stderr, "modrender: %s\n%s", error.c_str(), RenderUsage);
        return 2;
    }

    std::vector<uint8_t> image;
    std::string name;
    if (!GetModule(options, image, name, error)) return Fail(error);
    if (!CheckModule(image, error)) return Fail(name + " is not a usable module: " + error);

    if (options.mode == RenderMode::Info) {
        if (!PrintInfo(image, stdout, error)) return Fail(error);
        return std::fflush(stdout) == 0 ? 0 : Fail("cannot write to standard output");
    }

    int64_t songTicks = -1;
    const bool songLength = options.mode == RenderMode::Trace
                                ? options.ticks == 0
                                : options.length == LengthKind::SongLoops;
    if (songLength) {
        const int64_t loops = options.mode == RenderMode::Audio ? options.loops : 1;
        const SongScan length = MeasureSong(image, loops, SongScanCapTicks * loops);
        if (length.capped) {
            std::fprintf(stderr,
                         "modrender: the song did not come back to its first entry within %lld "
                         "minutes; stopping there\n",
                         static_cast<long long>(10 * loops));
        }
        songTicks = length.ticks;
    }

    SafeOutput out;
    if (!out.Open(options.outputPath, error)) return Fail(error);

    if (options.mode == RenderMode::Trace) {
        const int64_t tickCount = options.ticks > 0 ? options.ticks : songTicks;
        if (!RenderTrace(image, tickCount, out, error)) return Fail(error);
    } else {
        AudioRequest request;
        request.includePrefill = options.includePrefill;
        request.raw = options.raw;
        request.songTicks = songTicks;
        if (options.length == LengthKind::Frames) request.frames = options.frames;
        if (options.length == LengthKind::Seconds)
            request.frames = static_cast<int64_t>(options.seconds * IntroSound.rate + 0.5);
        request.progress = options.outputPath != "-";
        request.fromEntry = options.fromEntry;
        request.fromRow = options.fromRow;
        request.fromTick = options.fromTick;
        if (!RenderAudio(image, request, out, error)) return Fail(error);
    }
    if (!out.Commit(error)) return Fail(error);
    return 0;
}
