// intro-preview: runs the intro's start-up and a number of acting frame steps
// on a simulated clock (no sleeping, no music) and writes what it shows.
//   intro-preview --steps N -o frame.png          the 528x384 screen surface
//   intro-preview --sheet 50,200,400 -o sheet.png  several moments, stacked
//   --client  write the 528x365 client area as the window would show it
//   intro-preview --find shot.png                 which step counts show this screen
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "app/intro_driver.h"
#include "png_file.h"
#include "app/program_info.h"
#include "simulated_intro.h"
#include "app/tool_content.h"

namespace {
constexpr long MaxSteps = 1000000;
constexpr int SheetGap = 8;
constexpr uint32_t SheetGapColour = 0x00C0C0C0;  // the class background's light grey

struct Options {
    std::vector<long> moments;  // step counts to capture, ascending
    std::string output;
    std::string find;  // a picture of the screen to find on the timeline
    long findUpTo = 20000;
    bool client = false;
    std::string content;  // a content pack; empty: the built-in content
};

constexpr char UsageText[] =
    "Usage: intro-preview (--steps N | --sheet N1,N2,...) -o out.png [--client]\n"
    "                     [--content FILE]\n"
    "  or:  intro-preview --find SCREEN.png [--up-to N] [--content FILE]\n"
    "Runs the intro's start-up and N acting frame steps on a simulated clock and\n"
    "writes the 528x384 screen as PNG.\n"
    "  --steps N        acting frame steps after start-up, 0 to 1000000\n"
    "  --sheet N1,N2..  several moments (at most 16), stacked\n"
    "  --client         the 528x365 client area the window shows instead\n"
    "  --find SCREEN    print the step counts (first-last) after which the screen\n"
    "                   equals the 528x384 picture (or the 528x365 client area),\n"
    "                   the first such stretch within\n"
    "                   --up-to N steps (default 20000)\n"
    "  -o out.png       the PNG file to write\n"
    "  --content FILE   the intro of a content pack (made by intro-pack) instead of\n"
    "                   the built-in one\n"
    "  -h, --help       print this help and exit\n"
    "  --version        print the version and licence and exit\n"
    "\n"
    "Exit status:\n"
    "  0  the PNG is written (--find: the screen was found)\n"
    "  1  the picture cannot be made or written (--find: not found)\n"
    "  2  a wrong command line\n";

bool ParseCount(const std::string& text, long* value) {
    if (text.empty() || text.size() > 7 || text.find_first_not_of("0123456789") != std::string::npos)
        return false;
    *value = std::strtol(text.c_str(), nullptr, 10);
    return *value <= MaxSteps;
}

bool Fail(const std::string& message) {
    std::fprintf(stderr, "intro-preview: %s\n", message.c_str());
    return false;
}

bool ParseArguments(int argc, char** argv, Options* options, std::string& error) {
    bool haveSteps = false, haveSheet = false;
    auto steps = [&](const std::string& value, std::string& problem) {
        long count = 0;
        if (!ParseCount(value, &count))
            return problem = "--steps needs a whole number from 0 to 1000000, got '" + value + "'",
                   false;
        options->moments = {count};
        haveSteps = true;
        return true;
    };
    auto sheet = [&](const std::string& list, std::string& problem) {
        options->moments.clear();
        size_t start = 0;
        while (start <= list.size()) {
            const size_t comma = std::min(list.find(',', start), list.size());
            long count = 0;
            if (!ParseCount(list.substr(start, comma - start), &count))
                return problem = "--sheet needs step counts from 0 to 1000000 separated by commas, "
                                 "got '" + list + "'", false;
            options->moments.push_back(count);
            start = comma + 1;
        }
        if (options->moments.size() > 16)
            return problem = "--sheet takes at most 16 moments", false;
        std::sort(options->moments.begin(), options->moments.end());
        haveSheet = true;
        return true;
    };
    auto upTo = [&](const std::string& value, std::string& problem) {
        if (ParseCount(value, &options->findUpTo)) return true;
        return problem = "--up-to needs a whole number from 0 to 1000000, got '" + value + "'",
               false;
    };
    CommandLine line;
    line.UnknownWording("unknown argument '", "'")
        .Value("--steps", steps)
        .Value("--sheet", sheet)
        .Value("-o", &options->output)
        .Value("--find", &options->find)
        .Value("--up-to", upTo)
        .Value("--content", &options->content)
        .Flag("--client", &options->client);
    if (!line.Read(argc, argv, error)) return false;
    if (!options->find.empty()) {
        if (haveSteps || haveSheet || !options->output.empty() || options->client)
            return error = "--find takes no --steps, --sheet, -o or --client", false;
        return true;
    }
    if (haveSteps == haveSheet) return error = "give exactly one of --steps and --sheet", false;
    if (options->output.empty()) return error = "missing -o <file.png>", false;
    return true;
}

// Runs the timeline step by step and reports the first stretch of step counts
// whose screen equals the picture.
int FindOnTimeline(const Options& options) {
    std::vector<uint32_t> picture;
    int width = 0, height = 0;
    std::string error;
    if (!ReadPng(options.find, &picture, &width, &height, &error)) return Fail(error), 1;
    const Surface& screen = *introDriver.screen;
    // A shot of the window's client area is found as well as one of the screen.
    const bool client = width == ClientWidth && height == ClientHeight;
    if (!client && (width != screen.width || height != screen.height)) {
        Fail("'" + options.find + "' is " + std::to_string(width) + "x" + std::to_string(height) +
             "; the screen is " + std::to_string(screen.width) + "x" + std::to_string(screen.height));
        return 1;
    }
    long first = -1;
    for (long steps = 0; steps <= options.findUpTo; ++steps) {
        RunSimulatedSteps(static_cast<uint32_t>(steps));
        const uint32_t* shown = client ? SimulatedClientArea().pixels.data() : screen.pixels;
        const bool same = std::equal(picture.begin(), picture.end(), shown);
        if (same && first < 0) first = steps;
        if (!same && first >= 0) {
            std::printf("%ld-%ld\n", first, steps - 1);
            return 0;
        }
    }
    if (first >= 0) {
        std::printf("%ld-%ld\n", first, options.findUpTo);
        return 0;
    }
    Fail("no step count up to " + std::to_string(options.findUpTo) + " shows that screen");
    return 1;
}
}  // namespace

int main(int argc, char** argv) {
    Options options;
    if (AnswerHelpOrVersion(argc, argv, "intro-preview", UsageText)) return 0;
    std::string usageError;
    if (!ParseArguments(argc, argv, &options, usageError)) {
        Fail(usageError);
        std::fputs(UsageText, stderr);
        return 2;
    }
    std::string contentError;
    if (!UseToolContent(options.content, &contentError)) {
        std::fprintf(stderr, "intro-preview: %s\n", contentError.c_str());
        return 1;
    }
    // The pack's font passed the decoder's checks when the pack was read, so
    // only memory can be missing here.
    if (!StartSimulatedIntro(nullptr, nullptr)) {
        std::fprintf(stderr, "intro-preview: the picture could not be set up (out of memory)\n");
        return 1;
    }

    if (!options.find.empty()) {
        const int result = FindOnTimeline(options);
        StopSimulatedIntro();
        return result;
    }

    const int width = options.client ? ClientWidth : introDriver.screen->width;
    const int height = options.client ? ClientHeight : introDriver.screen->height;
    const int count = static_cast<int>(options.moments.size());
    std::vector<uint32_t> sheet(static_cast<size_t>(width) * (height * count + SheetGap * (count - 1)),
                                SheetGapColour);
    for (int moment = 0; moment < count; ++moment) {
        RunSimulatedSteps(static_cast<uint32_t>(options.moments[moment]));
        const uint32_t* source =
            options.client ? SimulatedClientArea().pixels.data() : introDriver.screen->pixels;
        std::copy_n(source, static_cast<size_t>(width) * height,
                    &sheet[static_cast<size_t>(width) * moment * (height + SheetGap)]);
    }
    StopSimulatedIntro();

    std::string error;
    if (!WritePng(options.output, sheet.data(), width, static_cast<int>(sheet.size() / width),
                  &error)) {
        std::fprintf(stderr, "intro-preview: %s\n", error.c_str());
        return 1;
    }
    return 0;
}
