#include "authoring/text_lines.h"

TextLines::TextLines(const std::string& text) : text_(text) {
    if (text_.compare(0, 3, "\xEF\xBB\xBF") == 0) at_ = 3;
}

bool TextLines::Next(std::string& line) {
    if (at_ >= text_.size()) return false;
    const size_t end = text_.find_first_of("\r\n", at_);
    if (end == std::string::npos) {
        line.assign(text_, at_, std::string::npos);
        at_ = text_.size();
    } else {
        line.assign(text_, at_, end - at_);
        at_ = end + (text_[end] == '\r' && end + 1 < text_.size() && text_[end + 1] == '\n' ? 2 : 1);
    }
    ++number_;
    return true;
}
