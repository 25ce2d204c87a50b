// intro-preview: runs the intro's start-up and a number of acting frame steps
// on a simulated clock (no sleeping, no music) and writes what it shows.
//   intro-preview --steps N -o frame.png          the 528x384 screen surface
//   intro-preview --sheet 50,200,400 -o sheet.png  several moments, stacked
//   --client  write the 528x365 client area as the window would show it
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/intro_driver.h"
#include "png_writer.h"
#include "app/program_info.h"
#include "simulated_intro.h"

namespace {
constexpr long MaxSteps = 1000000;
constexpr int SheetGap = 8;
constexpr uint32_t SheetGapColour = 0x00C0C0C0;  // the class background's light grey
constexpr uint32_t StepMs = FrameInterval + 1;

struct Options {
    std::vector<long> moments;  // step counts to capture, ascending
    std::string output;
    bool client = false;
};

constexpr char UsageText[] =
    "Usage: intro-preview (--steps N | --sheet N1,N2,...) -o out.png [--client]\n"
    "Runs the intro's start-up and N acting frame steps on a simulated clock and\n"
    "writes the 528x384 screen as PNG.\n"
    "  --steps N        acting frame steps after start-up, 0 to 1000000\n"
    "  --sheet N1,N2..  several moments (at most 16), stacked\n"
    "  --client         the 528x365 client area the window shows instead\n"
    "  -o out.png       the PNG file to write\n"
    "  -h, --help       print this help and exit\n"
    "  --version        print the version and licence and exit\n"
    "\n"
    "Exit status:\n"
    "  0  the PNG is written\n"
    "  1  the picture cannot be made or written\n"
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

bool ParseArguments(int argc, char** argv, Options* options) {
    bool haveSteps = false, haveSheet = false;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        const bool takesValue = argument == "--steps" || argument == "--sheet" || argument == "-o";
        if (takesValue && i + 1 >= argc) return Fail(argument + " needs a value");
        if (argument == "--steps") {
            long count = 0;
            if (!ParseCount(argv[++i], &count))
                return Fail("--steps needs a whole number from 0 to 1000000, got '" +
                            std::string(argv[i]) + "'");
            options->moments = {count};
            haveSteps = true;
        } else if (argument == "--sheet") {
            const std::string list = argv[++i];
            options->moments.clear();
            size_t start = 0;
            while (start <= list.size()) {
                const size_t comma = std::min(list.find(',', start), list.size());
                long count = 0;
                if (!ParseCount(list.substr(start, comma - start), &count))
                    return Fail("--sheet needs step counts from 0 to 1000000 separated by commas, "
                                "got '" + list + "'");
                options->moments.push_back(count);
                start = comma + 1;
            }
            if (options->moments.size() > 16) return Fail("--sheet takes at most 16 moments");
            std::sort(options->moments.begin(), options->moments.end());
            haveSheet = true;
        } else if (argument == "-o") {
            options->output = argv[++i];
        } else if (argument == "--client") {
            options->client = true;
        } else {
            return Fail("unknown argument '" + argument + "'");
        }
    }
    if (haveSteps == haveSheet) return Fail("give exactly one of --steps and --sheet");
    if (options->output.empty()) return Fail("missing -o <file.png>");
    return true;
}
}  // namespace

int main(int argc, char** argv) {
    Options options;
    if (AnswerHelpOrVersion(argc, argv, "intro-preview", UsageText)) return 0;
    if (!ParseArguments(argc, argv, &options)) {
        std::fputs(UsageText, stderr);
        return 2;
    }
    if (!StartSimulatedIntro(nullptr, nullptr)) {
        std::fprintf(stderr, "intro-preview: the display could not be set up (font resource?)\n");
        return 1;
    }

    const int width = options.client ? ClientWidth : introDriver.screen->width;
    const int height = options.client ? ClientHeight : introDriver.screen->height;
    const int count = static_cast<int>(options.moments.size());
    std::vector<uint32_t> sheet(static_cast<size_t>(width) * (height * count + SheetGap * (count - 1)),
                                SheetGapColour);
    long stepsDone = 0;
    for (int moment = 0; moment < count; ++moment) {
        for (; stepsDone < options.moments[moment]; ++stepsDone) {
            AdvanceSimulatedClock(StepMs);
            StepIntro();
        }
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
