#include "diagnostics.h"

void Diagnostics::Error(int line, const std::string& message) {
    // Built by appending: GCC 12 at -O3 warns falsely (-Wrestrict) on
    // operator+ with a string literal.
    std::string text = fileName_;
    if (line > 0) {
        text.append(":");
        text.append(std::to_string(line));
    }
    text.append(": ");
    text.append(message);
    messages_.push_back(text);
}
