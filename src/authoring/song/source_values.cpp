#include "source_values.h"

#include <cctype>
#include <cstdlib>

std::optional<long> ParseInteger(const std::string& text) {
    if (text.empty() || text.size() > 12) return std::nullopt;
    size_t i = 0;
    bool negative = false;
    if (text[0] == '+' || text[0] == '-') {
        negative = text[0] == '-';
        i = 1;
    }
    int base = 10;
    if (text.size() > i + 2 && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
        base = 16;
        i += 2;
    }
    if (i >= text.size()) return std::nullopt;
    long value = 0;
    for (; i < text.size(); ++i) {
        char c = static_cast<char>(std::tolower(static_cast<unsigned char>(text[i])));
        int digit;
        if (c >= '0' && c <= '9') {
            digit = c - '0';
        } else if (base == 16 && c >= 'a' && c <= 'f') {
            digit = c - 'a' + 10;
        } else {
            return std::nullopt;
        }
        value = value * base + digit;
    }
    return negative ? -value : value;
}

std::optional<int> ParseNoteName(const std::string& text) {
    static const int letterSemitone[7] = {9, 11, 0, 2, 4, 5, 7};  // A B C D E F G
    if (text.size() != 3) return std::nullopt;
    char letter = text[0];
    if (letter < 'A' || letter > 'G') return std::nullopt;
    int semitone = letterSemitone[letter - 'A'];
    if (text[1] == '#') {
        ++semitone;
    } else if (text[1] == 'b') {
        --semitone;
    } else if (text[1] != '-') {
        return std::nullopt;
    }
    if (text[2] < '1' || text[2] > '4') return std::nullopt;
    int index = (text[2] - '1') * 12 + semitone;
    if (index < 0 || index > 47) return std::nullopt;  // Cb1 and B#4 fall outside
    return index;
}

std::string NoteName(int index) {
    static const char* const names[12] = {"C-", "C#", "D-", "D#", "E-", "F-",
                                          "F#", "G-", "G#", "A-", "A#", "B-"};
    if (index < 0 || index > 47) return "index " + std::to_string(index);
    return names[index % 12] + std::to_string(index / 12 + 1);
}

bool IsName(const std::string& text) {
    if (text.empty() || !(std::isalpha(static_cast<unsigned char>(text[0])) || text[0] == '_'))
        return false;
    for (char c : text) {
        if (!(std::isalnum(static_cast<unsigned char>(c)) || c == '_')) return false;
    }
    return true;
}

Parameters ParseParameters(const std::vector<std::string>& tokens, size_t first,
                           const std::vector<std::string>& allowed, int line,
                           ProblemLog& problems) {
    Parameters parameters;
    for (size_t i = first; i < tokens.size(); ++i) {
        const std::string& token = tokens[i];
        size_t equals = token.find('=');
        if (equals == std::string::npos || equals == 0) {
            problems.Error(line, "expected key=value, found '" + token + "'");
            continue;
        }
        std::string key = token.substr(0, equals);
        bool known = false;
        for (const auto& name : allowed) known = known || name == key;
        if (!known) {
            std::string list;
            for (const auto& name : allowed) list += (list.empty() ? "" : ", ") + name;
            problems.Error(line, "unknown parameter '" + key + "' (this directive takes: " +
                                        (list.empty() ? "none" : list) + ")");
            continue;
        }
        if (parameters.Has(key)) {
            problems.Error(line, "parameter '" + key + "' given twice");
            continue;
        }
        parameters.values[key] = token.substr(equals + 1);
    }
    return parameters;
}

long IntegerParameter(const Parameters& parameters, const std::string& key, long fallback,
                      long low, long high, int line, ProblemLog& problems) {
    auto found = parameters.values.find(key);
    if (found == parameters.values.end()) return fallback;
    auto value = ParseInteger(found->second);
    if (!value || *value < low || *value > high) {
        problems.Error(line, key + "=" + found->second + ": expected a number from " +
                                    std::to_string(low) + " to " + std::to_string(high));
        return fallback;
    }
    return *value;
}
