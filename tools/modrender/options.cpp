#include "options.h"

#include "app/command_line.h"
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
    "  --from E[:R[:T]]   start at tick T (default 0, the row's first) of row R\n"
    "                     (default 0) of sequence entry E, the ticks before it\n"
    "                     run in silence and no pre-fill; needs --seconds or\n"
    "                     --frames\n"
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

bool ParseRenderOptions(int argc, const char* const* argv, RenderOptions& options,
                        std::string& error) {
    bool haveOutput = false, lengthGiven = false, ticksGiven = false;
    auto output = [&](const std::string& value, std::string& problem) {
        if (haveOutput) return problem = "-o given twice", false;
        options.outputPath = value;
        haveOutput = true;
        if (value.empty()) return problem = "-o needs a non-empty file name", false;
        return true;
    };
    // The length options exclude each other.
    auto lengthFirst = [&](LengthKind kind, std::string& problem) {
        if (lengthGiven) return problem = "give only one of --loops, --seconds and --frames", false;
        lengthGiven = true;
        options.length = kind;
        return true;
    };
    auto loops = [&](const std::string& value, std::string& problem) {
        if (!lengthFirst(LengthKind::SongLoops, problem)) return false;
        if (ParseWholeNumber(value.c_str(), 1, MaxLoops, options.loops)) return true;
        return problem = "--loops needs a whole number from 1 to " + std::to_string(MaxLoops) +
                         ", not '" + value + "'", false;
    };
    auto seconds = [&](const std::string& value, std::string& problem) {
        if (!lengthFirst(LengthKind::Seconds, problem)) return false;
        if (ParsePositiveNumber(value.c_str(), false, MaxSeconds, options.seconds)) return true;
        return problem = "--seconds needs a number above 0 and at most 3600, not '" + value + "'",
               false;
    };
    auto frames = [&](const std::string& value, std::string& problem) {
        if (!lengthFirst(LengthKind::Frames, problem)) return false;
        const int64_t maxFrames = static_cast<int64_t>(MaxSeconds) * IntroSound.rate;
        if (ParseWholeNumber(value.c_str(), 0, maxFrames, options.frames)) return true;
        return problem = "--frames needs a whole number from 0 to 158760000 (one hour), not '" +
                         value + "'", false;
    };
    auto ticks = [&](const std::string& value, std::string& problem) {
        ticksGiven = true;
        if (ParseWholeNumber(value.c_str(), 1, MaxTicks, options.ticks)) return true;
        return problem = "--ticks needs a whole number from 1 to " + std::to_string(MaxTicks) +
                         ", not '" + value + "'", false;
    };
    // ENTRY[:ROW[:TICK]]; a tick past the row's speed starts the entry, as
    // a row the entry never plays does.
    auto from = [&](const std::string& value, std::string& problem) {
        const size_t colon = value.find(':');
        const size_t second = colon == std::string::npos ? colon : value.find(':', colon + 1);
        int64_t entry = 0, row = 0, tick = 0;
        if (ParseWholeNumber(value.substr(0, colon).c_str(), 0, 255, entry) &&
            (colon == std::string::npos ||
             ParseWholeNumber(value.substr(colon + 1, second - colon - 1).c_str(), 0, 31, row)) &&
            (second == std::string::npos || ParseWholeNumber(value.substr(second + 1).c_str(), 0, 255, tick))) {
            options.fromEntry = static_cast<int>(entry);
            options.fromRow = static_cast<int>(row);
            options.fromTick = static_cast<int>(tick);
            return true;
        }
        return problem = "--from needs ENTRY (0 to 255), ENTRY:ROW (row 0 to 31) or ENTRY:ROW:TICK (tick 0 to 255), not '" +
                         value + "'",
               false;
    };
    auto module = [&](const std::string& value, std::string& problem) {
        if (!options.modulePath.empty())
            return problem = "more than one module given ('" + options.modulePath + "' and '" +
                             value + "')", false;
        options.modulePath = value;
        return true;
    };
    CommandLine line;
    line.Value("-o", output, "a file name (or '-' for standard output)")
        .Flag("--raw", &options.raw)
        .Flag("--include-prefill", &options.includePrefill)
        .Flag("--trace", [&] { options.mode = RenderMode::Trace; })
        .Flag("--info", [&] { options.mode = RenderMode::Info; })
        .Flag("--builtin", &options.builtin)
        .Value("--loops", loops, "a count")
        .Value("--seconds", seconds, "a duration")
        .Value("--frames", frames, "a count")
        .Value("--ticks", ticks, "a count")
        .Value("--from", from, "an entry, entry:row or entry:row:tick")
        .Positional(module, CommandLine::LoneDash::Positional);
    if (!line.Read(argc, argv, error)) return false;
    if (options.builtin && !options.modulePath.empty())
        return error = "give either a module file or --builtin, not both", false;
    if (!options.builtin && options.modulePath.empty())
        return error = "no module file given", false;
    if (options.mode == RenderMode::Audio && !haveOutput)
        return error = "no output given: add -o OUT.wav (or -o - for standard output)", false;
    if (options.mode == RenderMode::Info && haveOutput)
        return error = "--info prints to standard output and takes no -o", false;
    if (options.mode != RenderMode::Audio &&
        (lengthGiven || options.raw || options.includePrefill))
        return error = "--loops, --seconds, --frames, --raw and --include-prefill apply to audio "
                       "renders only", false;
    if (options.fromEntry >= 0 &&
        (options.mode != RenderMode::Audio || !lengthGiven || options.length == LengthKind::SongLoops ||
         options.includePrefill))
        return error = "--from renders audio of a length given by --seconds or --frames, without "
                       "--include-prefill", false;
    if (options.mode != RenderMode::Trace && ticksGiven)
        return error = "--ticks applies to --trace only", false;
    // assign(1, '-'): GCC 12 at -O3 warns falsely (-Wrestrict) on "-" here.
    if (options.mode == RenderMode::Trace && !haveOutput) options.outputPath.assign(1, '-');
    return true;
}
