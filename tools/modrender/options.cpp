#include "options.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "audio/sound_settings.h"

const char* const RenderUsage =
    "Usage: modrender MODULE -o OUT.wav [--raw] [--include-prefill] [LENGTH]\n"
    "  or:  modrender MODULE --trace [--ticks N] [-o OUT.txt]\n"
    "  or:  modrender MODULE --info\n"
    "Renders an \"FC14\" or \"SMOD\" module through the intro's sound path\n"
    "(44100 Hz, 16-bit stereo, 8 blocks of 4000 frames). LENGTH is one of the\n"
    "options --loops N, --seconds S and --frames N.\n"
    "  --builtin          the intro's own song instead of a MODULE file\n"
    "  -o PATH            output file, '-' for standard output\n"
    "  --raw              headerless little-endian s16 stereo frames instead of WAV\n"
    "  --include-prefill  keep the 32000 silent frames that start playback\n"
    "  --loops N          play the song N times (default 1)\n"
    "  --seconds S        render S seconds after the pre-fill\n"
    "  --frames N         render exactly N frames after the pre-fill\n"
    "  --trace            print the channel operations instead of audio:\n"
    "                     '<tick> <voice> <Operation> [<argument>]'\n"
    "  --ticks N          trace N ticks (default: the song once)\n"
    "  --info             print the module's counts and song length\n"
    "  -h, --help         print this help and exit\n"
    "  --version          print the version and licence and exit\n"
    "\n"
    "Exit status:\n"
    "  0  the output is written\n"
    "  1  the module cannot be read or used, or the output cannot be written\n"
    "  2  a wrong command line\n";

namespace {

bool ParseInteger(const char* text, int64_t low, int64_t high, int64_t& value) {
    errno = 0;
    char* end = nullptr;
    const long long parsed = std::strtoll(text, &end, 10);
    if (errno != 0 || end == text || *end != '\0' || parsed < low || parsed > high) return false;
    value = parsed;
    return true;
}

bool ParseSeconds(const char* text, double& value) {
    errno = 0;
    char* end = nullptr;
    const double parsed = std::strtod(text, &end);
    if (errno != 0 || end == text || *end != '\0' || !std::isfinite(parsed) || parsed <= 0 ||
        parsed > MaxSeconds)
        return false;
    value = parsed;
    return true;
}

}  // namespace

int ParseRenderOptions(int argc, const char* const* argv, RenderOptions& options,
                       std::string& error) {
    bool haveOutput = false, lengthGiven = false, ticksGiven = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const char* next = i + 1 < argc ? argv[i + 1] : nullptr;
        auto needValue = [&](const char* what) {
            if (!next) error = arg + " needs " + what;
            return next != nullptr;
        };
        auto setLength = [&](LengthKind kind) {
            if (lengthGiven) {
                error = "give only one of --loops, --seconds and --frames";
                return false;
            }
            lengthGiven = true;
            options.length = kind;
            return true;
        };
        if (arg == "-h" || arg == "--help") {
            error.clear();
            return 2;
        } else if (arg == "-o") {
            if (!needValue("a file name (or '-' for standard output)")) return 1;
            if (haveOutput) return error = "-o given twice", 1;
            options.outputPath = argv[++i];
            haveOutput = true;
            if (options.outputPath.empty()) return error = "-o needs a non-empty file name", 1;
        } else if (arg == "--raw") {
            options.raw = true;
        } else if (arg == "--include-prefill") {
            options.includePrefill = true;
        } else if (arg == "--trace") {
            options.mode = RenderMode::Trace;
        } else if (arg == "--info") {
            options.mode = RenderMode::Info;
        } else if (arg == "--builtin") {
            options.builtin = true;
        } else if (arg == "--loops") {
            if (!needValue("a count") || !setLength(LengthKind::SongLoops)) return 1;
            if (!ParseInteger(argv[++i], 1, MaxLoops, options.loops))
                return error = "--loops needs a whole number from 1 to " + std::to_string(MaxLoops) +
                               ", not '" + argv[i] + "'", 1;
        } else if (arg == "--seconds") {
            if (!needValue("a duration") || !setLength(LengthKind::Seconds)) return 1;
            if (!ParseSeconds(argv[++i], options.seconds))
                return error = "--seconds needs a number above 0 and at most 3600, not '" +
                               std::string(argv[i]) + "'", 1;
        } else if (arg == "--frames") {
            if (!needValue("a count") || !setLength(LengthKind::Frames)) return 1;
            if (!ParseInteger(argv[++i], 0, static_cast<int64_t>(MaxSeconds) * IntroSound.rate, options.frames))
                return error = "--frames needs a whole number from 0 to 158760000 (one hour), not '" +
                               std::string(argv[i]) + "'", 1;
        } else if (arg == "--ticks") {
            if (!needValue("a count")) return 1;
            ticksGiven = true;
            if (!ParseInteger(argv[++i], 1, MaxTicks, options.ticks))
                return error = "--ticks needs a whole number from 1 to " + std::to_string(MaxTicks) +
                               ", not '" + argv[i] + "'", 1;
        } else if (arg.size() > 1 && arg[0] == '-') {
            return error = "unknown option '" + arg + "'", 1;
        } else {
            if (!options.modulePath.empty())
                return error = "more than one module given ('" + options.modulePath + "' and '" +
                               arg + "')", 1;
            options.modulePath = arg;
        }
    }
    if (options.builtin && !options.modulePath.empty())
        return error = "give either a module file or --builtin, not both", 1;
    if (!options.builtin && options.modulePath.empty()) return error = "no module file given", 1;
    if (options.mode == RenderMode::Audio && !haveOutput)
        return error = "no output given: add -o OUT.wav (or -o - for standard output)", 1;
    if (options.mode == RenderMode::Info && haveOutput)
        return error = "--info prints to standard output and takes no -o", 1;
    if (options.mode != RenderMode::Audio &&
        (lengthGiven || options.raw || options.includePrefill))
        return error = "--loops, --seconds, --frames, --raw and --include-prefill apply to audio "
                       "renders only", 1;
    if (options.mode != RenderMode::Trace && ticksGiven)
        return error = "--ticks applies to --trace only", 1;
    if (options.mode == RenderMode::Trace && !haveOutput) options.outputPath = "-";
    return 0;
}
