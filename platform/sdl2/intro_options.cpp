#include "intro_options.h"

#include "app/command_line.h"

const char* const IntroUsage =
    "Usage: intro [--content FILE] [--scale N] [--fullscreen] [--seconds S]\n"
    "Types the intro's pages in a window and plays its song.\n"
    "  --content FILE play a content pack (made by intro-pack) instead of the\n"
    "                 built-in pages, font and song\n"
    "  --scale N      show the 528x384 picture N times as large, 1 to 16\n"
    "                 (default: the largest that fits the display)\n"
    "  --fullscreen   start full screen; F11 or Alt+Enter switch at any time\n"
    "  --seconds S    end by itself after S seconds, at most 1000000\n"
    "  -h, --help     print this help and exit\n"
    "  --version      print the version and licence and exit\n"
    "Escape or closing the window ends it.\n"
    "\n"
    "Exit status:\n"
    "  0  it ended: Escape, the window closed, or --seconds (without a sound\n"
    "     device it plays silent)\n"
    "  1  there is no display, the window cannot be opened, or the content pack\n"
    "     cannot be read\n"
    "  2  a wrong command line\n";

const char* const IntroUsageLine =
    "Usage: intro [--content FILE] [--scale N] [--fullscreen] [--seconds S]\n"
    "  (intro --help tells more)\n";

bool ParseIntroOptions(int argc, const char* const* argv, IntroOptions& options,
                       std::string& error) {
    auto scale = [&](const std::string& value, std::string& problem) {
        int64_t factor = 0;
        if (!ParseWholeNumber(value.c_str(), 1, MaxScale, factor))
            return problem = "--scale needs a whole number from 1 to 16, not '" + value + "'",
                   false;
        options.scale = static_cast<int>(factor);
        return true;
    };
    auto seconds = [&](const std::string& value, std::string& problem) {
        if (ParsePositiveNumber(value.c_str(), false, MaxRunSeconds, options.seconds)) return true;
        return problem = "--seconds needs a number above 0 and at most 1000000, not '" + value +
                         "'", false;
    };
    CommandLine line;
    line.UnknownWording("unknown argument '", "'")
        .Flag("--fullscreen", &options.fullscreen)
        .Value("--content", &options.contentPath, "a file (a content pack, NAME.intro)")
        .Value("--scale", scale)
        .Value("--seconds", seconds);
    return line.Read(argc, argv, error);
}
