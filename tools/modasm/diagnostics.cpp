#include "diagnostics.h"

void Diagnostics::Error(int line, const std::string& message) {
    std::string text = fileName_;
    if (line > 0) text += ":" + std::to_string(line);
    messages_.push_back(text + ": " + message);
}
