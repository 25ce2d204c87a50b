#include "raw_bytes.h"

#include <algorithm>

#include "source_values.h"

namespace {

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

}  // namespace

void ReadRaw(const SourceBlock& block, ProblemLog& problems, RawImage& raw) {
    const int line = block.header.number;
    Parameters parameters = ParseParameters(block.header.tokens, 1, {"at", "length"}, line, problems);
    const long limit = static_cast<long>(RawImageLimit);
    if (parameters.Has("at") == parameters.Has("length")) {
        problems.Error(line, "raw takes at=OFFSET (bytes follow) or length=BYTES");
        return;
    }
    if (parameters.Has("length")) {
        if (!block.body.empty()) problems.Error(block.body[0].number, "raw length= takes no bytes");
        if (raw.length >= 0) problems.Error(line, "raw length= given twice");
        raw.length = IntegerParameter(parameters, "length", 0, 0, limit, line, problems);
        return;
    }
    RawBytes patch;
    patch.at = static_cast<size_t>(IntegerParameter(parameters, "at", 0, 0, limit, line, problems));
    for (const SourceLine& bodyLine : block.body) {
        for (const std::string& token : bodyLine.tokens) {
            const int high = token.size() == 2 ? HexDigit(token[0]) : -1;
            const int low = token.size() == 2 ? HexDigit(token[1]) : -1;
            if (high < 0 || low < 0) {
                problems.Error(bodyLine.number,
                                  "raw byte '" + token + "' is not two hex digits (00 .. FF)");
                return;
            }
            patch.bytes.push_back(static_cast<uint8_t>(high << 4 | low));
        }
    }
    if (patch.bytes.empty()) problems.Error(line, "raw at= needs bytes on the lines below it");
    if (patch.at + patch.bytes.size() > RawImageLimit)
        problems.Error(line, "raw bytes reach past " + std::to_string(RawImageLimit) + " bytes");
    raw.patches.push_back(std::move(patch));
}

void ApplyRaw(const RawImage& raw, std::vector<uint8_t>& image) {
    if (raw.length >= 0) image.resize(static_cast<size_t>(raw.length), 0);
    for (const RawBytes& patch : raw.patches) {
        const size_t end = patch.at + patch.bytes.size();
        if (end > RawImageLimit) continue;  // refused by ReadRaw
        if (image.size() < end) image.resize(end, 0);
        std::copy(patch.bytes.begin(), patch.bytes.end(), image.begin() + static_cast<long>(patch.at));
    }
}
