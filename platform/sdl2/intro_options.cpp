#include "intro_options.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>

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

namespace {

bool ParseScale(const char* text, int& scale) {
    errno = 0;
    char* end = nullptr;
    const long value = std::strtol(text, &end, 10);
    if (errno != 0 || end == text || *end != '\0' || value < 1 || value > MaxScale) return false;
    scale = static_cast<int>(value);
    return true;
}

bool ParseSeconds(const char* text, double& seconds) {
    errno = 0;
    char* end = nullptr;
    const double value = std::strtod(text, &end);
    if (errno != 0 || end == text || *end != '\0' || !std::isfinite(value) || value <= 0 ||
        value > MaxRunSeconds)
        return false;
    seconds = value;
    return true;
}

}  // namespace

bool ParseIntroOptions(int argc, const char* const* argv, IntroOptions& options,
                                std::string& error) {
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
        if (argument == "--fullscreen") {
            options.fullscreen = true;
        } else if (argument == "--content") {
            if (value == nullptr) {
                error = "--content needs a file (a content pack, NAME.intro)";
                return false;
            }
            options.contentPath = value;
            ++i;
        } else if (argument == "--scale" || argument == "--seconds") {
            if (value == nullptr) {
                error = argument + " needs a value";
                return false;
            }
            ++i;
            if (argument == "--scale" && !ParseScale(value, options.scale)) {
                error = "--scale needs a whole number from 1 to 16, not '" + std::string(value) + "'";
                return false;
            }
            if (argument == "--seconds" && !ParseSeconds(value, options.seconds)) {
                error = "--seconds needs a number above 0 and at most 1000000, not '" +
                        std::string(value) + "'";
                return false;
            }
        } else {
            error = "unknown argument '" + argument + "'";
            return false;
        }
    }
    return true;
}
