// wavcompare: checks a recording of the intro's sound output.
//   wavcompare match RECORDED.wav REFERENCE --seconds S [--max-differing N]
//                    [--max-gap F]
//       lines REFERENCE (a WAV, or headerless s16 stereo when it ends in .raw)
//       up with the recording by their first sounding frames and compares S
//       seconds sample by sample; passes when at most N samples differ
//       (default 0), no slip of the sound server's feed (inserted silence or
//       a few lost frames) is longer than F frames (default 2205, 50 ms; a
//       longer silent run is back-to-back slips of at most 2205 frames), and
//       all slips add up to no more than 5% of the frames compared.
//   wavcompare level RECORDED.wav --from S --to S --min-rms R
//       passes when the sound between the two times has an RMS level of at least R.
// Exit codes: 0 pass, 1 fail, 2 bad arguments or unreadable input.
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

#include "app/command_line.h"
#include "app/program_info.h"
#include "audio/sound_settings.h"
#include "wav_audio.h"

namespace {

constexpr int Rate = IntroSound.rate;
constexpr int64_t AlignmentSlackFrames = 4410;  // 100 ms either way
constexpr int MaxSlipPercent = 5;  // of the frames compared, all slips together
// The comparison starts this far into the sound: an underrun right at its
// start can lose a few frames with no silent gap to show for it.
constexpr int64_t StartSkipFrames = 4410;

constexpr char UsageText[] =
    "Usage: wavcompare match RECORDED.wav REFERENCE[.wav|.raw] --seconds S\n"
    "                        [--max-differing N] [--max-gap FRAMES]\n"
    "  or:  wavcompare level RECORDED.wav --from S --to S --min-rms R\n"
    "Checks a recording of the intro's sound (44100 Hz, 16-bit stereo).\n"
    "  match              lines REFERENCE up with the recording by their first\n"
    "                     sounding frames and compares them sample by sample\n"
    "  --seconds S        compare S seconds\n"
    "  --max-differing N  samples allowed to differ (default 0)\n"
    "  --max-gap FRAMES   the longest slip of the sound server's feed allowed\n"
    "                     (default 2205, 50 ms); all slips stay under 1%\n"
    "  level              the RMS level of the recording between two times\n"
    "  --from S, --to S   the stretch, in seconds\n"
    "  --min-rms R        the level it must reach\n"
    "  -h, --help         print this help and exit\n"
    "  --version          print the version and licence and exit\n"
    "\n"
    "Exit status:\n"
    "  0  the check passes\n"
    "  1  the check fails\n"
    "  2  a wrong command line, or an input that cannot be read\n";

int Usage(const std::string& problem) {
    std::fprintf(stderr, "wavcompare: %s\n%s", problem.c_str(), UsageText);
    return 2;
}

bool Load(const std::string& path, StereoAudio& audio, std::string& error) {
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        error = "cannot open '" + path + "'";
        return false;
    }
    const std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(file), {}};
    if (path.size() > 4 && path.compare(path.size() - 4, 4, ".raw") == 0) {
        ParseRaw(bytes, audio);
        return true;
    }
    if (!ParseWav(bytes, audio, error)) {
        error = "'" + path + "': " + error;
        return false;
    }
    return true;
}

bool Number(const char* text, double low, double high, double& value) {
    char* end = nullptr;
    value = std::strtod(text, &end);
    return end != text && *end == '\0' && value >= low && value <= high;
}

// Reads "--name value" options from argv[first..]; each must be one of
// `names`, its number going to the `values` entry of the same place.
bool Options(int argc, char** argv, int first, std::initializer_list<const char*> names,
             double* values, std::string& error) {
    CommandLine line;
    double* value = values;
    for (const char* name : names) {
        auto number = [value, name](const std::string& text, std::string& problem) {
            if (Number(text.c_str(), 0, 1e9, *value)) return true;
            problem = std::string(name) + " needs a number from 0 to 1e9";
            return false;
        };
        line.Value(name, number, "a number from 0 to 1e9");
        ++value;
    }
    return line.Read(argc, argv, error, first);
}

int Match(int argc, char** argv) {
    if (argc < 4) return Usage("match needs a recording and a reference");
    double values[3] = {-1, 0, 2205};
    std::string error;
    if (!Options(argc, argv, 4, {"--seconds", "--max-differing", "--max-gap"}, values, error))
        return Usage(error);
    if (values[0] <= 0) return Usage("match needs --seconds S with S above 0");
    StereoAudio recorded, reference;
    if (!Load(argv[2], recorded, error) || !Load(argv[3], reference, error)) return Usage(error);

    const MatchResult result = MatchRecording(recorded, reference, int64_t(values[0] * Rate),
                                              AlignmentSlackFrames, StartSkipFrames);
    if (!result.found) {
        std::printf("no sound found in %s\n",
                    FirstSoundingFrame(recorded) < 0 ? "the recording" : "the reference");
        return 1;
    }
    std::printf("reference frame 0 at recording frame %lld (%.3f s); %lld frames compared, "
                "%lld samples differ, largest difference %d; %lld slips (%lld frames "
                "inserted, %lld lost, the largest %lld)\n",
                static_cast<long long>(result.recordedStart), double(result.recordedStart) / Rate,
                static_cast<long long>(result.framesCompared),
                static_cast<long long>(result.samplesDiffering), result.maxDifference,
                static_cast<long long>(result.slips), static_cast<long long>(result.insertedFrames),
                static_cast<long long>(result.lostFrames),
                static_cast<long long>(result.largestSlip));
    if (result.slips > 0) {
        std::printf("slips at (recording seconds, frames inserted + or lost -):");
        for (int64_t i = 0; i < result.slips && i < MatchResult::SlipsKept; ++i)
            std::printf(" %.3f %+lld", double(result.recordedStart + result.slipAt[i]) / Rate,
                        static_cast<long long>(result.slipFrames[i]));
        std::printf("%s\n", result.slips > MatchResult::SlipsKept ? " ..." : "");
    }
    if (result.framesCompared < int64_t(values[0] * Rate)) {
        std::printf("the reference holds less than the %.1f s asked for\n", values[0]);
        return 1;
    }
    // Slips come from the sound server, not from the program, but a stream
    // that keeps slipping is no evidence either way: at most 5% of the frames
    // (a busy machine was seen to insert 100 ms at one moment in 8 s).
    const int64_t slipFrames = result.insertedFrames + result.lostFrames;
    const bool fewSlips = result.largestSlip <= int64_t(values[2]) &&
                          slipFrames * 100 <= result.framesCompared * MaxSlipPercent;
    if (!fewSlips) {
        std::printf("too many slips to judge: %lld frames, the largest %lld (limits: %d%% of the "
                    "frames compared, %lld a slip)\n",
                    static_cast<long long>(slipFrames), static_cast<long long>(result.largestSlip),
                    MaxSlipPercent, static_cast<long long>(values[2]));
    }
    return result.samplesDiffering <= int64_t(values[1]) && fewSlips ? 0 : 1;
}

int Level(int argc, char** argv) {
    if (argc < 3) return Usage("level needs a recording");
    double values[3] = {-1, -1, -1};
    std::string error;
    if (!Options(argc, argv, 3, {"--from", "--to", "--min-rms"}, values, error)) return Usage(error);
    if (values[0] < 0 || values[1] <= values[0] || values[2] < 0)
        return Usage("level needs --from S, --to S (after --from) and --min-rms R");
    StereoAudio recorded;
    if (!Load(argv[2], recorded, error)) return Usage(error);
    const int64_t from = int64_t(values[0] * Rate), to = int64_t(values[1] * Rate);
    if (recorded.Frames() < to) {
        std::printf("the recording is %.2f s long, shorter than --to %.2f\n",
                    double(recorded.Frames()) / Rate, values[1]);
        return 1;
    }
    const double rms = RmsLevel(recorded, from, to);
    std::printf("RMS level from %.2f s to %.2f s: %.1f (at least %.1f wanted)\n", values[0],
                values[1], rms, values[2]);
    return rms >= values[2] ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (AnswerHelpOrVersion(argc, argv, "wavcompare", UsageText)) return 0;
    if (argc < 2) return Usage("give a command: match or level");
    const std::string command = argv[1];
    if (command == "match") return Match(argc, argv);
    if (command == "level") return Level(argc, argv);
    return Usage("unknown command '" + command + "'");
}
