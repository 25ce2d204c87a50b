#include "options.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>

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

int ParsePlayOptions(int argc, const char* const* argv, PlayOptions& options, std::string& error) {
    bool lengthGiven = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const char* next = i + 1 < argc ? argv[i + 1] : nullptr;
        if (arg == "-h" || arg == "--help") {
            error.clear();
            return 2;
        } else if (arg == "--builtin") {
            options.builtin = true;
        } else if (arg == "--watch") {
            options.watch = true;
        } else if (arg == "--seconds" || arg == "--loops") {
            if (!next) return error = arg + " needs a number", 1;
            if (lengthGiven) return error = "give only one of --seconds and --loops", 1;
            lengthGiven = true;
            ++i;
            errno = 0;
            char* end = nullptr;
            if (arg == "--seconds") {
                options.seconds = std::strtod(next, &end);
                if (errno || end == next || *end || !std::isfinite(options.seconds) ||
                    options.seconds <= 0 || options.seconds > 86400)
                    return error = "--seconds needs a number above 0 and at most 86400, not '" +
                                   std::string(next) + "'", 1;
            } else {
                options.loops = std::strtoll(next, &end, 10);
                if (errno || end == next || *end || options.loops < 1 || options.loops > 1000)
                    return error = "--loops needs a whole number from 1 to 1000, not '" +
                                   std::string(next) + "'", 1;
            }
        } else if (arg.size() > 1 && arg[0] == '-') {
            return error = "unknown option '" + arg + "'", 1;
        } else {
            if (!options.path.empty())
                return error = "more than one file given ('" + options.path + "' and '" + arg + "')", 1;
            options.path = arg;
        }
    }
    if (options.builtin && !options.path.empty())
        return error = "give either a FILE or --builtin, not both", 1;
    if (!options.builtin && options.path.empty())
        return error = "no file given: a module, a song source (.fcs) or --builtin", 1;
    if (options.builtin && options.watch) return error = "--watch needs a FILE to watch", 1;
    return 0;
}
