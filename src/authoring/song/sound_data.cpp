#include "sound_data.h"

#include <cmath>

#include "source_values.h"

namespace {

constexpr double Pi = 3.14159265358979323846;

// The shape of one cycle at phase position / period, as a level in -1..1.
double CycleLevel(const WaveShape& shape, long position, long period, uint32_t& noiseState) {
    double phase = static_cast<double>(position % period) / static_cast<double>(period);
    const std::string& g = shape.generator;
    if (g == "square") return phase < 0.5 ? 1.0 : -1.0;
    if (g == "pulse") return (position % period) < shape.width ? 1.0 : -1.0;
    if (g == "saw") return -1.0 + 2.0 * static_cast<double>(position % period) /
                                      static_cast<double>(period - 1 > 0 ? period - 1 : 1);
    if (g == "triangle") return phase < 0.5 ? -1.0 + 4.0 * phase : 3.0 - 4.0 * phase;
    if (g == "sine") return std::sin(2.0 * Pi * phase);
    // noise: xorshift32, a repeatable sequence for a given seed
    noiseState ^= noiseState << 13;
    noiseState ^= noiseState >> 17;
    noiseState ^= noiseState << 5;
    return static_cast<double>(static_cast<int32_t>(noiseState >> 24) - 128) / 128.0;
}

}  // namespace

std::vector<int8_t> GenerateWave(const WaveShape& shape) {
    if (shape.generator == "data") return shape.data;
    std::vector<int8_t> bytes(static_cast<size_t>(shape.bytes > 0 ? shape.bytes : 0));
    long period = shape.period > 0 ? shape.period : shape.bytes;
    uint32_t noiseState = static_cast<uint32_t>(shape.seed) * 2654435761u + 1u;
    for (long i = 0; i < shape.bytes; ++i) {
        double level = CycleLevel(shape, i, period, noiseState) * static_cast<double>(shape.amplitude);
        if (shape.halfLife > 0) level *= std::pow(0.5, static_cast<double>(i) / static_cast<double>(shape.halfLife));
        long value = std::lround(level);
        if (value > 127) value = 127;
        if (value < -128) value = -128;
        bytes[static_cast<size_t>(i)] = static_cast<int8_t>(value);
    }
    return bytes;
}

namespace {

bool ReadDataValues(const SourceBlock& block, WaveShape& shape, ProblemLog& problems) {
    for (const SourceLine& line : block.body) {
        for (const std::string& token : line.tokens) {
            auto value = ParseInteger(token);
            if (!value || *value < -128 || *value > 127) {
                problems.Error(line.number, "sample value '" + token +
                                                   "' is not a number from -128 to 127");
                return false;
            }
            shape.data.push_back(static_cast<int8_t>(*value));
        }
    }
    return true;
}

}  // namespace

SoundData ReadSound(const SourceBlock& block, bool isSample, ProblemLog& problems) {
    const SourceLine& header = block.header;
    const int line = header.number;
    const char* what = isSample ? "sample" : "wave";
    SoundData sound;
    sound.line = line;
    if (header.tokens.size() < 3 || !IsName(header.tokens[1])) {
        problems.Error(line, std::string("expected '") + what +
                                    " NAME GENERATOR key=value...' (generators: square, pulse, "
                                    "saw, triangle, sine, noise, data)");
        return sound;
    }
    sound.name = header.tokens[1];
    WaveShape shape;
    shape.generator = header.tokens[2];
    const std::string& g = shape.generator;
    if (g != "square" && g != "pulse" && g != "saw" && g != "triangle" && g != "sine" &&
        g != "noise" && g != "data") {
        problems.Error(line, "unknown generator '" + g +
                                    "' (square, pulse, saw, triangle, sine, noise, data)");
        return sound;
    }
    std::vector<std::string> allowed = {"words", "amp", "period", "width", "seed", "decay"};
    if (isSample) allowed.push_back("loop");
    Parameters parameters = ParseParameters(header.tokens, 3, allowed, line, problems);
    const long maxWords = isSample ? 65535 : 128;
    size_t errorsBefore = problems.Count();

    if (g == "data") {
        if (!ReadDataValues(block, shape, problems)) return sound;
        if (shape.data.size() % 2 != 0) {
            problems.Error(line, std::string(what) + " '" + sound.name + "' has " +
                                        std::to_string(shape.data.size()) +
                                        " values; lengths count in 16-bit words, so give an "
                                        "even number");
            return sound;
        }
        shape.bytes = static_cast<long>(shape.data.size());
        long words = IntegerParameter(parameters, "words", shape.bytes / 2, 2, maxWords, line, problems);
        if (words != shape.bytes / 2) {
            problems.Error(line, "words=" + std::to_string(words) + " but " +
                                        std::to_string(shape.bytes) + " values given");
        }
    } else {
        if (!block.body.empty()) {
            problems.Error(block.body[0].number, "unexpected '" + block.body[0].tokens[0] +
                                                        "': only a data " + what +
                                                        " takes value lines");
        }
        if (!parameters.Has("words")) {
            problems.Error(line, std::string(what) + " '" + sound.name +
                                        "' needs words=N (its length in 16-bit words)");
            return sound;
        }
        shape.bytes = 2 * IntegerParameter(parameters, "words", 2, 2, maxWords, line, problems);
        shape.amplitude = IntegerParameter(parameters, "amp", 127, 1, 127, line, problems);
        shape.period = IntegerParameter(parameters, "period", shape.bytes, 2, shape.bytes, line, problems);
        shape.seed = IntegerParameter(parameters, "seed", 1, 0, 0x7FFFFFFF, line, problems);
        shape.halfLife = IntegerParameter(parameters, "decay", 0, 0, 1 << 20, line, problems);
        shape.width = IntegerParameter(parameters, "width", shape.period / 2, 1, shape.period - 1, line, problems);
        if (parameters.Has("width") && g != "pulse")
            problems.Error(line, "width= only applies to the pulse generator");
        if (parameters.Has("seed") && g != "noise")
            problems.Error(line, "seed= only applies to the noise generator");
    }
    if (problems.Count() != errorsBefore) return sound;
    if (shape.bytes / 2 > maxWords || shape.bytes < 4) {
        problems.Error(line, std::string(what) + " '" + sound.name + "' is " +
                                    std::to_string(shape.bytes / 2) + " words; it must be 2 to " +
                                    std::to_string(maxWords));
        return sound;
    }
    sound.bytes = GenerateWave(shape);
    sound.repeatWords = isSample ? 1 : static_cast<uint16_t>(shape.bytes / 2);

    if (isSample && parameters.Has("loop")) {
        const std::string& loop = parameters.values.at("loop");
        size_t comma = loop.find(',');
        // A missing or malformed number fails the range checks (GCC 12 at -Os
        // warns falsely of *optional reads behind a has_value test).
        const long start = ParseInteger(loop.substr(0, comma)).value_or(-1);
        const long words =
            comma == std::string::npos ? 0 : ParseInteger(loop.substr(comma + 1)).value_or(0);
        if (start < 0 || start > 65534 || words < 2 || start % 2 != 0 ||
            start + 2 * words > shape.bytes) {
            problems.Error(line, "loop=" + loop + ": expected loop=START,WORDS with an even "
                                        "byte START and at least 2 WORDS inside the " +
                                        std::to_string(shape.bytes) + "-byte sample");
            return sound;
        }
        sound.repeatStart = static_cast<uint16_t>(start);
        sound.repeatWords = static_cast<uint16_t>(words);
    }
    return sound;
}
