#include "capture_options.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>

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

bool ParseTime(const char* text, bool zeroAllowed, double& value) {
    errno = 0;
    char* end = nullptr;
    const double parsed = std::strtod(text, &end);
    if (errno != 0 || end == text || *end != '\0' || !std::isfinite(parsed)) return false;
    if (parsed < 0 || (parsed == 0 && !zeroAllowed) || parsed > MaxCaptureSeconds) return false;
    value = parsed;
    return true;
}

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

int ParseCaptureOptions(int argc, const char* const* argv, CaptureOptions& options,
                        std::string& error) {
    bool lossless = false, haveOutput = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool takesValue =
            arg == "-o" || arg == "--seconds" || arg == "--from" || arg == "--scale" ||
            arg == "--content";
        if (takesValue && i + 1 >= argc) return error = arg + " needs a value", 1;
        if (arg == "-o") {
            if (haveOutput) return error = "-o given twice", 1;
            options.outputPath = argv[++i];
            haveOutput = true;
            if (options.outputPath.empty() || options.outputPath == "-")
                return error = "-o needs a file name (the container cannot be streamed)", 1;
        } else if (arg == "--content") {
            options.contentPath = argv[++i];
        } else if (arg == "--seconds") {
            double seconds = 0;
            const bool usable = ParseTime(argv[++i], false, seconds) &&
                                std::llround(seconds * FramesPerSecond) >= 1;
            if (!usable)
                return error = "--seconds needs a number from 0.02 to 3600, not '" +
                               std::string(argv[i]) + "'", 1;
            options.frameCount = std::llround(seconds * FramesPerSecond);
        } else if (arg == "--from") {
            double from = 0;
            if (!ParseTime(argv[++i], true, from))
                return error = "--from needs a number of seconds from 0 to 3600, not '" +
                               std::string(argv[i]) + "'", 1;
            options.firstFrame = std::llround(from * FramesPerSecond);
        } else if (arg == "--scale") {
            const std::string text = argv[++i];
            if (text.size() != 1 || text[0] < '1' || text[0] > '0' + MaxScale)
                return error = "--scale needs a whole number from 1 to " +
                               std::to_string(MaxScale) + ", not '" + text + "'", 1;
            options.scale = text[0] - '0';
        } else if (arg == "--lossless") {
            lossless = true;
        } else {
            return error = "unknown argument '" + arg + "'", 1;
        }
    }
    if (!haveOutput) return error = "missing -o FILE (for example -o intro.mp4)", 1;
    if (!ChooseKind(options.outputPath, lossless, options.kind, error)) return 1;
    if (options.scale == 0) options.scale = options.kind == CaptureKind::Video ? 2 : 1;
    return 0;
}
