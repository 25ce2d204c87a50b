#pragma once
// The exe writer (authoring/exe_content.h) as intro-pack's outputs call it:
// false with the problem's reason in `error`.
#include "authoring/exe_content.h"

inline bool WriteIntroExe(const std::vector<uint8_t>& shell, const std::vector<uint8_t>& fontBmpFile,
                          const std::vector<uint8_t>& contentPack, std::vector<uint8_t>* exe,
                          std::string* error) {
    const std::vector<Problem> problems = WriteIntroExe(shell, "", fontBmpFile, contentPack, exe);
    if (problems.empty()) return true;
    *error = problems.front().reason;
    return false;
}
