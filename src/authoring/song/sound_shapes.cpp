#include "sound_shapes.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace {

constexpr long NoiseSeeds = 65536;  // seeds tried for noise
constexpr long MaxHalfLife = 1 << 20;

bool Generates(const WaveShape& shape, const std::vector<int8_t>& data) {
    return GenerateWave(shape) == data;
}

// Square, pulse, saw, triangle and sine over the whole length, without decay;
// the level is the peak or next to it (sine and rounding).
std::optional<WaveShape> Periodic(const std::vector<int8_t>& data) {
    int peak = 0;
    for (int8_t v : data) peak = std::max(peak, std::abs(static_cast<int>(v)));
    WaveShape shape;
    shape.bytes = static_cast<long>(data.size());
    for (const char* generator : {"square", "saw", "triangle", "sine", "pulse"}) {
        shape.generator = generator;
        shape.width = 0;
        if (shape.generator == "pulse") {  // the bytes at the high level lead each cycle
            while (shape.width < shape.bytes && data[static_cast<size_t>(shape.width)] == data[0])
                ++shape.width;
            if (shape.width >= shape.bytes) continue;
        }
        for (long amp = std::max(1, peak - 1); amp <= std::min(127, peak + 1); ++amp) {
            shape.amplitude = amp;
            if (Generates(shape, data)) return shape;
        }
    }
    return std::nullopt;
}

// The level GenerateWave gives noise byte `i` of raw level `level` (amplitude 127).
long NoiseByte(double level, long i, long halfLife) {
    double value = level * 127.0;
    if (halfLife > 0) value *= std::pow(0.5, static_cast<double>(i) / static_cast<double>(halfLife));
    return std::clamp(std::lround(value), -128L, 127L);
}

// Smallest half-life from which byte i's size is at least `size` (the size grows with it).
long FirstHalfLife(double level, long i, long size) {
    long low = 1, high = MaxHalfLife + 1;
    while (low < high) {
        const long mid = low + (high - low) / 2;
        if (std::labs(NoiseByte(level, i, mid)) >= size)
            high = mid;
        else
            low = mid + 1;
    }
    return low;
}

// Noise of amplitude 127: the seed from the first byte (which no decay
// touches), then the half-life every loud byte allows.
std::optional<WaveShape> Noise(const std::vector<int8_t>& data) {
    WaveShape shape;
    shape.generator = "noise";
    shape.bytes = static_cast<long>(data.size());
    std::vector<double> levels(data.size());
    for (long seed = 0; seed < NoiseSeeds; ++seed) {
        // Decay only shrinks a byte: each must lie between 0 and its undecayed
        // level, and the first must equal it.
        uint32_t state = static_cast<uint32_t>(seed) * 2654435761u + 1u;
        bool fits = true;
        for (size_t i = 0; i < levels.size() && fits; ++i) {
            state ^= state << 13;
            state ^= state >> 17;
            state ^= state << 5;
            levels[i] = static_cast<double>(static_cast<int32_t>(state >> 24) - 128) / 128.0;
            const long full = NoiseByte(levels[i], 0, 0), value = data[i];
            fits = i == 0 ? value == full : value * full >= 0 && std::labs(value) <= std::labs(full);
        }
        if (!fits) continue;
        shape.seed = seed;
        // Half-lives [low, high) agree with every loud byte so far; the last
        // bytes, most decayed, pin it hardest.
        long low = 1, high = MaxHalfLife + 1;
        for (size_t i = data.size() - 1; i > 0 && low < high; --i) {
            if (std::fabs(levels[i]) < 0.25) continue;
            const long size = std::labs(data[i]);
            low = std::max(low, FirstHalfLife(levels[i], static_cast<long>(i), size));
            high = std::min(high, FirstHalfLife(levels[i], static_cast<long>(i), size + 1));
        }
        shape.halfLife = 0;
        if (Generates(shape, data)) return shape;
        for (long h = low; h < high && h < low + 4; ++h) {
            shape.halfLife = h;
            if (Generates(shape, data)) return shape;
        }
    }
    return std::nullopt;
}

}  // namespace

std::optional<WaveShape> RecognizeShape(const std::vector<int8_t>& data) {
    if (data.size() < 4) return std::nullopt;
    if (auto shape = Periodic(data)) return shape;
    return Noise(data);
}

std::string ShapeParameters(const WaveShape& shape) {
    std::string text = shape.generator + " words=" + std::to_string(shape.bytes / 2);
    if (shape.amplitude != 127) text += " amp=" + std::to_string(shape.amplitude);
    if (shape.generator == "pulse" && shape.width != shape.bytes / 2)
        text += " width=" + std::to_string(shape.width);
    if (shape.generator == "noise" && shape.seed != 1) text += " seed=" + std::to_string(shape.seed);
    if (shape.halfLife > 0) text += " decay=" + std::to_string(shape.halfLife);
    return text;
}
