#include "program_info.h"

#include <cstdio>
#include <cstring>

#ifndef INTRO_VERSION
#error "INTRO_VERSION is set by src/app/CMakeLists.txt"
#endif

const char* IntroVersion() { return INTRO_VERSION; }

bool AnswerHelpOrVersion(int argc, const char* const* argv, const char* program, const char* usage) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::fputs(usage, stdout);
            return true;
        }
        if (std::strcmp(argv[i], "--version") == 0) {
            std::printf("%s (intro) %s\n"
                        "Copyright (C) 2026 the INTRO developers\n"
                        "License: MIT <https://opensource.org/licenses/MIT>\n"
                        "This is free software: you are free to change and redistribute it.\n"
                        "There is NO WARRANTY, to the extent permitted by law.\n",
                        program, IntroVersion());
            return true;
        }
    }
    return false;
}
