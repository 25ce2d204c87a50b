#include "capture_options.h"

#include <cmath>

#include "app/command_line.h"

const char* const CaptureUsage =
    "Usage: intro-capture -o FILE [--seconds N] [--from S] [--scale N] [--lossless]\n"
    "                     [--content FILE]\n"
    "Renders the intro offline, 50 frames a second with its music, and encodes it\n"
    "with ffmpeg. The time line starts with the start-up, where the music starts.\n"
    "  -o FILE      FILE.mp4  H.264 (yuv420p) + AAC, scaled 2x: plays everywhere\n"
    "               FILE.mkv  with --lossless: FFV1 (rgb) + FLAC, the exact pixels\n"
    "                         and samples\n"
    "               FILE.webp a silent animated picture (lossless), scale 1\n"
    "  --seconds N  length (default: to the end of the song's first pass)\n"
    "  --from S     start S seconds into the time line (default 0)\n"
    "  --scale N    nearest-neighbour scale, 1 to 8\n"
    "  --lossless   the exact capture, as Matroska\n"
    "  --content FILE  the intro of a content pack (made by intro-pack) instead of\n"
    "               the built-in one\n"
    "  -h, --help   print this help and exit\n"
    "  --version    print the version and licence and exit\n"
    "Times are rounded to whole frames of 20 ms. ffmpeg must be on PATH.\n"
    "\n"
    "Exit status:\n"
    "  0  FILE is written whole\n"
    "  1  ffmpeg is missing or fails, FILE cannot be written (nothing is left\n"
    "     behind), or the content pack cannot be read\n"
    "  2  a wrong command line\n";

namespace {

bool EndsWith(const std::string& text, const std::string& tail) {
    return text.size() >= tail.size() &&
           text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

// The kind follows the file name; --lossless asks for Matroska.
bool ChooseKind(const std::string& path, bool lossless, CaptureKind& kind, std::string& error) {
    if (lossless) {
        if (!EndsWith(path, ".mkv"))
            return error = "--lossless writes Matroska (FFV1 + FLAC): name the output '.mkv', "
                           "not '" + path + "'", false;
        kind = CaptureKind::Lossless;
    } else if (EndsWith(path, ".mp4")) {
        kind = CaptureKind::Video;
    } else if (EndsWith(path, ".webp")) {
        kind = CaptureKind::WebP;
    } else if (EndsWith(path, ".mkv")) {
        return error = "'" + path + "': Matroska is the lossless capture; add --lossless", false;
    } else {
        return error = "cannot tell the format from '" + path +
                       "': name it .mp4, .mkv (with --lossless) or .webp", false;
    }
    return true;
}

}  // namespace

bool ParseCaptureOptions(int argc, const char* const* argv, CaptureOptions& options,
                         std::string& error) {
    bool lossless = false, haveOutput = false;
    auto output = [&](const std::string& value, std::string& problem) {
        if (haveOutput) return problem = "-o given twice", false;
        options.outputPath = value;
        haveOutput = true;
        if (value.empty() || value == "-")
            return problem = "-o needs a file name (the container cannot be streamed)", false;
        return true;
    };
    auto seconds = [&](const std::string& value, std::string& problem) {
        double length = 0;
        if (!ParsePositiveNumber(value.c_str(), false, MaxCaptureSeconds, length) ||
            std::llround(length * FramesPerSecond) < 1)
            return problem = "--seconds needs a number from 0.02 to 3600, not '" + value + "'",
                   false;
        options.frameCount = std::llround(length * FramesPerSecond);
        return true;
    };
    auto from = [&](const std::string& value, std::string& problem) {
        double start = 0;
        if (!ParsePositiveNumber(value.c_str(), true, MaxCaptureSeconds, start))
            return problem = "--from needs a number of seconds from 0 to 3600, not '" + value + "'",
                   false;
        options.firstFrame = std::llround(start * FramesPerSecond);
        return true;
    };
    auto scale = [&](const std::string& value, std::string& problem) {
        if (value.size() != 1 || value[0] < '1' || value[0] > '0' + MaxScale)
            return problem = "--scale needs a whole number from 1 to " + std::to_string(MaxScale) +
                             ", not '" + value + "'", false;
        options.scale = value[0] - '0';
        return true;
    };
    CommandLine line;
    line.UnknownWording("unknown argument '", "'")
        .Value("-o", output)
        .Value("--content", &options.contentPath)
        .Value("--seconds", seconds)
        .Value("--from", from)
        .Value("--scale", scale)
        .Flag("--lossless", &lossless);
    if (!line.Read(argc, argv, error)) return false;
    if (!haveOutput) return error = "missing -o FILE (for example -o intro.mp4)", false;
    if (!ChooseKind(options.outputPath, lossless, options.kind, error)) return false;
    if (options.scale == 0) options.scale = options.kind == CaptureKind::Video ? 2 : 1;
    return true;
}
