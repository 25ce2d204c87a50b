#include "options.h"

#include "app/command_line.h"

const char* const PlayUsage =
    "Usage: modplay FILE [--watch] [--seconds S | --loops N]\n"
    "  or:  modplay --builtin [--seconds S | --loops N]\n"
    "Plays an \"FC14\"/\"SMOD\" module or a song source (.fcs) through the intro's\n"
    "sound path on SDL's audio device (44100 Hz, 16-bit stereo), with a view of\n"
    "the position and the four voices.\n"
    "  --builtin    the intro's own song\n"
    "  --watch      re-assemble FILE on every save and play on from the same entry\n"
    "  --seconds S  stop after S seconds of playback\n"
    "  --loops N    stop after the song has played N times, 1 to 1000\n"
    "  -h, --help   print this help and exit\n"
    "  --version    print the version and licence and exit\n"
    "Keys: space pause, left/right previous/next entry, r restart, m then 1-4 mute\n"
    "a voice, q or Escape quit. SDL_AUDIODRIVER chooses the output (pulse, alsa,\n"
    "disk with SDL_DISKAUDIOFILE=FILE, ...).\n"
    "\n"
    "Exit status:\n"
    "  0  it has played to the end or was quit\n"
    "  1  the file cannot be read or used, or there is no audio output\n"
    "  2  a wrong command line\n";

bool ParsePlayOptions(int argc, const char* const* argv, PlayOptions& options, std::string& error) {
    bool lengthGiven = false;
    auto lengthFirst = [&](std::string& problem) {
        if (lengthGiven) return problem = "give only one of --seconds and --loops", false;
        lengthGiven = true;
        return true;
    };
    auto seconds = [&](const std::string& value, std::string& problem) {
        if (!lengthFirst(problem)) return false;
        if (ParsePositiveNumber(value.c_str(), false, 86400, options.seconds)) return true;
        return problem = "--seconds needs a number above 0 and at most 86400, not '" + value + "'",
               false;
    };
    auto loops = [&](const std::string& value, std::string& problem) {
        if (!lengthFirst(problem)) return false;
        if (ParseWholeNumber(value.c_str(), 1, 1000, options.loops)) return true;
        return problem = "--loops needs a whole number from 1 to 1000, not '" + value + "'", false;
    };
    auto file = [&](const std::string& value, std::string& problem) {
        if (!options.path.empty())
            return problem = "more than one file given ('" + options.path + "' and '" + value +
                             "')", false;
        options.path = value;
        return true;
    };
    CommandLine line;
    line.Flag("--builtin", &options.builtin)
        .Flag("--watch", &options.watch)
        .Value("--seconds", seconds, "a number")
        .Value("--loops", loops, "a number")
        .Positional(file, CommandLine::LoneDash::Positional);
    if (!line.Read(argc, argv, error)) return false;
    if (options.builtin && !options.path.empty())
        return error = "give either a FILE or --builtin, not both", false;
    if (!options.builtin && options.path.empty())
        return error = "no file given: a module, a song source (.fcs) or --builtin", false;
    if (options.builtin && options.watch) return error = "--watch needs a FILE to watch", false;
    return true;
}
