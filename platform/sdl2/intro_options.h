#pragma once
// The native intro's command line.
#include <string>

struct IntroOptions {
    int scale = 0;          // whole factor of 528x384; 0: the largest that fits the display
    bool fullscreen = false;
    double seconds = 0;     // end by itself after this long; 0: run until closed
    std::string contentPath;  // a content pack to play; empty: the built-in one
};

constexpr int MaxScale = 16;
constexpr double MaxRunSeconds = 1e6;

extern const char* const IntroUsage;      // --help
extern const char* const IntroUsageLine;  // after an error

// --help and --version are answered before (app/program_info.h).
// False with the reason in `error` for anything it does not know.
bool ParseIntroOptions(int argc, const char* const* argv, IntroOptions& options,
                       std::string& error);
