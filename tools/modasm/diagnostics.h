#pragma once
// Error collection for the module assembler: every message names the source
// file and line, the way compilers do, so an editor can jump to it.
#include <string>
#include <vector>

class Diagnostics {
public:
    explicit Diagnostics(std::string fileName) : fileName_(std::move(fileName)) {}

    void Error(int line, const std::string& message);
    bool HasErrors() const { return !messages_.empty(); }
    const std::vector<std::string>& Messages() const { return messages_; }
    const std::string& FileName() const { return fileName_; }

private:
    std::string fileName_;
    std::vector<std::string> messages_;
};
