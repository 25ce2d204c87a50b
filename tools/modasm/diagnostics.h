#pragma once
// The assembler's problems as printed lines ("file:line: reason"), for
// programs that show them as text (modplay's song files). New code takes the
// problems as data from AssembleSource (authoring/song/assembler.h).
#include <string>
#include <vector>

#include "authoring/song/assembler.h"

class Diagnostics {
public:
    explicit Diagnostics(std::string fileName) : fileName_(std::move(fileName)) {}

    bool HasErrors() const { return !messages_.empty(); }
    const std::vector<std::string>& Messages() const { return messages_; }
    const std::string& FileName() const { return fileName_; }

private:
    friend bool AssembleSource(const std::string& text, Diagnostics& diagnostics, AssembledModule& module);
    std::string fileName_;
    std::vector<std::string> messages_;
};

// Assembles `text`; false with every problem in `diagnostics` when it is wrong.
bool AssembleSource(const std::string& text, Diagnostics& diagnostics, AssembledModule& module);
