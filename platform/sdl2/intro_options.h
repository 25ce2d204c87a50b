#pragma once
// The native intro's command line.
#include <string>

struct IntroOptions {
    int scale = 0;          // whole factor of 528x384; 0: the largest that fits the display
    bool fullscreen = false;
    double seconds = 0;     // end by itself after this long; 0: run until closed
};

enum class OptionsResult { Run, Help, Version, Error };

constexpr int MaxScale = 16;
constexpr double MaxRunSeconds = 1e6;

extern const char* const IntroUsage;      // --help
extern const char* const IntroUsageLine;  // after an error

// Error leaves the reason in `error`.
OptionsResult ParseIntroOptions(int argc, const char* const* argv, IntroOptions& options,
                                std::string& error);
