#pragma once
// The lines of a content text as editors write them: a UTF-8 byte order mark
// at the start is no text, and a line ends at "\n", "\r\n" or a lone "\r"
// (classic Mac files), so every source reads the same whatever the editor.
#include <cstddef>
#include <string>

class TextLines {
public:
    explicit TextLines(const std::string& text);

    // The next line without its ending; false after the last. `number`
    // counts from 1.
    bool Next(std::string& line);
    int Number() const { return number_; }

private:
    const std::string& text_;
    size_t at_ = 0;
    int number_ = 0;
};
