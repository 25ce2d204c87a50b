#include "app/command_line.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <utility>

CommandLine& CommandLine::Flag(const char* name, bool* set) {
    return Flag(name, [set] { *set = true; });
}

CommandLine& CommandLine::Flag(const char* name, std::function<void()> handle) {
    auto run = [handle = std::move(handle)](const std::string&, std::string&) {
        handle();
        return true;
    };
    options_.push_back({name, false, "", std::move(run)});
    return *this;
}

CommandLine& CommandLine::Value(const char* name, std::string* into, const char* needs) {
    return Value(
        name,
        [into](const std::string& value, std::string&) {
            *into = value;
            return true;
        },
        needs);
}

CommandLine& CommandLine::Value(const char* name, Handler handle, const char* needs) {
    options_.push_back({name, true, needs, std::move(handle)});
    return *this;
}

CommandLine& CommandLine::Positional(Handler handle, LoneDash loneDash) {
    positional_ = std::move(handle);
    loneDash_ = loneDash;
    return *this;
}

CommandLine& CommandLine::UnknownWording(const char* before, const char* after) {
    unknownBefore_ = before;
    unknownAfter_ = after;
    return *this;
}

CommandLine& CommandLine::MissingValueReadsAsUnknown() {
    missingReadsAsUnknown_ = true;
    return *this;
}

const CommandLine::Option* CommandLine::Find(const std::string& name) const {
    for (const Option& option : options_)
        if (option.name == name) return &option;
    return nullptr;
}

bool CommandLine::Unknown(const std::string& argument, std::string& error) const {
    error = unknownBefore_ + argument + unknownAfter_;
    return false;
}

bool CommandLine::Read(int argc, const char* const* argv, std::string& error, int first) const {
    for (int i = first; i < argc; ++i) {
        const std::string argument = argv[i];
        const Option* option = Find(argument);
        if (option == nullptr) {
            const bool dashed = !argument.empty() && argument[0] == '-' &&
                                (argument.size() > 1 || loneDash_ == LoneDash::Unknown);
            if (!positional_ || dashed) return Unknown(argument, error);
            if (!positional_(argument, error)) return false;
            continue;
        }
        std::string value;
        if (option->takesValue) {
            if (i + 1 >= argc) {
                if (missingReadsAsUnknown_) return Unknown(argument, error);
                error = argument + " needs " + option->needs;
                return false;
            }
            value = argv[++i];
        }
        if (!option->handle(value, error)) return false;
    }
    return true;
}

bool ParseWholeNumber(const char* text, int64_t low, int64_t high, int64_t& value) {
    errno = 0;
    char* end = nullptr;
    const long long parsed = std::strtoll(text, &end, 10);
    if (errno != 0 || end == text || *end != '\0' || parsed < low || parsed > high) return false;
    value = parsed;
    return true;
}

bool ParsePositiveNumber(const char* text, bool zeroAllowed, double high, double& value) {
    errno = 0;
    char* end = nullptr;
    const double parsed = std::strtod(text, &end);
    if (errno != 0 || end == text || *end != '\0' || !std::isfinite(parsed)) return false;
    if (parsed < 0 || (parsed == 0 && !zeroAllowed) || parsed > high) return false;
    value = parsed;
    return true;
}
