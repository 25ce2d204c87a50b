#pragma once
// Command line of modplay.
#include <cstdint>
#include <string>

struct PlayOptions {
    std::string path;  // module or song source; empty with --builtin
    bool builtin = false;
    bool watch = false;
    double seconds = 0;  // 0: no time limit
    int64_t loops = 0;   // 0: until quit
};

// True when usable; otherwise `error` says what is wrong. --help and
// --version are answered before (app/program_info.h).
bool ParsePlayOptions(int argc, const char* const* argv, PlayOptions& options, std::string& error);

extern const char* const PlayUsage;
