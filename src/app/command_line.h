#pragma once
// A program's command line read against its table of options: the loop over
// the arguments, options that take the next argument as their value, the
// arguments that are no option, and the "needs a value" and "unknown option"
// errors in each program's own words. What a value means is the program's:
// its handler checks it and says what is wrong. --help and --version are
// answered before (program_info.h), wherever they stand.
//
//   CommandLine line;
//   line.Flag("--raw", &options.raw).Value("-o", &options.output, "a file name");
//   if (!line.Read(argc, argv, error)) ...  // error: "-o needs a file name"
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class CommandLine {
public:
    // Takes an option's value or an argument that is no option; false with
    // `error` set stops the reading there.
    using Handler = std::function<bool(const std::string& value, std::string& error)>;
    // Whether a lone "-" (standard input or output, by custom) is handed to
    // the positional handler or reported as an unknown option.
    enum class LoneDash { Positional, Unknown };

    // An option without a value.
    CommandLine& Flag(const char* name, bool* set);
    CommandLine& Flag(const char* name, std::function<void()> handle);
    // An option whose value is the next argument, whatever it looks like.
    // Without one the error is "NAME needs " + `needs`.
    CommandLine& Value(const char* name, std::string* into, const char* needs = "a value");
    CommandLine& Value(const char* name, Handler handle, const char* needs = "a value");
    // The arguments that are not in the table and do not start with '-', in
    // order. Without a positional handler every such argument is unknown.
    CommandLine& Positional(Handler handle, LoneDash loneDash);
    // An unknown argument is reported as `before` + argument + `after`
    // (default "unknown option '...'").
    CommandLine& UnknownWording(const char* before, const char* after);
    // A value option at the end of the line is reported as unknown.
    CommandLine& MissingValueReadsAsUnknown();

    // Reads argv[first..argc-1]; false with the first problem in `error`.
    bool Read(int argc, const char* const* argv, std::string& error, int first = 1) const;

private:
    struct Option {
        std::string name;
        bool takesValue;
        std::string needs;
        Handler handle;
    };
    const Option* Find(const std::string& name) const;
    bool Unknown(const std::string& argument, std::string& error) const;

    std::vector<Option> options_;
    Handler positional_;
    LoneDash loneDash_ = LoneDash::Positional;
    std::string unknownBefore_ = "unknown option '";
    std::string unknownAfter_ = "'";
    bool missingReadsAsUnknown_ = false;
};

// The whole of `text` as a decimal whole number from `low` to `high`.
bool ParseWholeNumber(const char* text, int64_t low, int64_t high, int64_t& value);
// The whole of `text` as a finite number above 0 (from 0 when `zeroAllowed`)
// and at most `high`.
bool ParsePositiveNumber(const char* text, bool zeroAllowed, double high, double& value);
