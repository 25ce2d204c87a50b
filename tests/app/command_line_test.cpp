#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/command_line.h"

namespace {
bool ReadLine(const CommandLine& line, std::vector<const char*> arguments, std::string& error,
              int first = 1) {
    arguments.insert(arguments.begin(), "tool");
    return line.Read(static_cast<int>(arguments.size()), arguments.data(), error, first);
}
}  // namespace

// One line through every kind of entry: a value is the next argument even
// when it looks like an option, a lone dash is a positional, and reading
// starts at `first`.
TEST(CommandLine, ReadsFlagsValuesAndPositionalsInOrder) {
    bool raw = false, quiet = false;
    std::string output, level;
    std::vector<std::string> files;
    CommandLine line;
    line.Flag("--raw", &raw)
        .Flag("--quiet", [&] { quiet = true; })
        .Value("-o", &output)
        .Value("--level",
               [&](const std::string& value, std::string&) {
                   level = value;
                   return true;
               })
        .Positional(
            [&](const std::string& file, std::string&) {
                files.push_back(file);
                return true;
            },
            CommandLine::LoneDash::Positional);
    std::string error;
    const std::vector<const char*> arguments{"skipped", "a",      "-o", "--raw",
                                             "-",       "--level", "-5", "--quiet"};
    ASSERT_TRUE(ReadLine(line, arguments, error, 2));
    EXPECT_EQ(output, "--raw");
    EXPECT_FALSE(raw);
    EXPECT_TRUE(quiet);
    EXPECT_EQ(level, "-5");
    EXPECT_EQ(files, (std::vector<std::string>{"a", "-"}));
}

TEST(CommandLine, ReportsTheFirstProblemInTheProgramsWords) {
    int handled = 0;
    auto count = [&](const std::string& value, std::string& problem) {
        ++handled;
        if (value == "bad") problem = "no good";
        return value != "bad";
    };
    CommandLine plain;
    plain.Value("-o", count).Value("--ticks", count, "a count");
    CommandLine worded;
    worded.UnknownWording("unknown option or missing value: ", "")
        .MissingValueReadsAsUnknown()
        .Value("-o", count)
        .Positional(count, CommandLine::LoneDash::Unknown);
    CommandLine loneDashFile;
    loneDashFile.Positional(count, CommandLine::LoneDash::Positional);
    const struct {
        const CommandLine& line;
        std::vector<const char*> arguments;
        const char* error;
    } cases[] = {
        {plain, {"-o"}, "-o needs a value"},
        {plain, {"--ticks"}, "--ticks needs a count"},
        {plain, {"file"}, "unknown option 'file'"},  // no positional handler
        {plain, {"-o", "bad", "-o", "fine"}, "no good"},
        {worded, {"-o"}, "unknown option or missing value: -o"},
        {worded, {"-"}, "unknown option or missing value: -"},
        {worded, {"a", "-x"}, "unknown option or missing value: -x"},
        {loneDashFile, {"-", "-x", "b"}, "unknown option '-x'"},
    };
    for (const auto& c : cases) {
        std::string error;
        EXPECT_FALSE(ReadLine(c.line, c.arguments, error)) << c.error;
        EXPECT_EQ(error, c.error);
    }
    EXPECT_EQ(handled, 3) << "no handler runs after the first problem";
}

TEST(CommandLine, NumbersAreWholeTextsWithinTheirRange) {
    int64_t whole = 7;
    EXPECT_TRUE(ParseWholeNumber("16", 1, 16, whole) && whole == 16);
    for (const char* wrong : {"17", "0", "", "4x", "0x10", "99999999999999999999"})
        EXPECT_FALSE(ParseWholeNumber(wrong, 1, 16, whole)) << wrong;
    EXPECT_EQ(whole, 16) << "a refused text leaves the value";
    double number = 0;
    EXPECT_TRUE(ParsePositiveNumber("0.5", false, 1, number) && number == 0.5);
    EXPECT_TRUE(ParsePositiveNumber("-0", true, 1, number) && number == 0);
    for (const char* wrong : {"0", "-0", "-1", "1.5", "nan", "inf", "1e400", "1s", ""})
        EXPECT_FALSE(ParsePositiveNumber(wrong, false, 1, number)) << wrong;
}
