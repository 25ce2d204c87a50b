// Sound path throughput: the mixer's frame loop and the render of a whole
// song. "x_realtime" is output frames per second of CPU over 44100.
// INTRO_BENCH_MODULE=<file> renders that module instead of the built-in demo.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "memory_stream.h"
#include "demo_song.h"
#include "render_session.h"
#include "replayer/replayer.h"
#include "audio/audio_control.h"
#include "audio/sound_path.h"
#include "sound/mixer.h"

namespace {

constexpr double OutputRate = IntroSound.rate;

void SetRateCounters(benchmark::State& state, double framesPerIteration) {
    state.counters["frames_per_s"] =
        benchmark::Counter(framesPerIteration, benchmark::Counter::kIsIterationInvariantRate);
    state.counters["x_realtime"] = benchmark::Counter(framesPerIteration / OutputRate,
                                                      benchmark::Counter::kIsIterationInvariantRate);
}

int8_t waveform[4][256];

// Four looping channels at different pitches, as a busy song keeps them.
void StartChannels(int channels, int volume) {
    const int periods[4] = {113, 214, 428, 856};
    for (int c = 0; c < 4; ++c) {
        for (int i = 0; i < 256; ++i) waveform[c][i] = static_cast<int8_t>((i * (c + 3)) & 0xFF);
        if (c >= channels) continue;
        SetChannelSample(c, waveform[c]);
        SetChannelLength(c, 128);
        StartChannel(c);
        SetChannelPeriod(c, periods[c]);
        SetChannelVolume(c, volume);
    }
}

void BM_MixFrames(benchmark::State& state) {
    const int channels = static_cast<int>(state.range(0));
    const bool smoothing = state.range(1) != 0;
    const int volume = static_cast<int>(state.range(2));
    ResetMixerState();
    ResetStream();
    OpenMixer(IntroSound.rate, nullptr, TicksPerSecond, IntroSound.framesPerBlock,
              IntroSound.blockCount);
    mixer.smoothing = smoothing ? 1 : 0;
    StartChannels(channels, volume);
    for (auto _ : state) {
        MixFrames(mixer.mixBuffer, IntroSound.framesPerBlock);
        benchmark::DoNotOptimize(mixer.mixBuffer);
    }
    SetRateCounters(state, IntroSound.framesPerBlock);
}
BENCHMARK(BM_MixFrames)
    ->ArgNames({"channels", "smoothing", "volume"})
    ->Args({4, 1, 64})
    ->Args({4, 0, 64})
    ->Args({1, 1, 64})
    ->Args({0, 1, 64})
    ->Args({4, 1, 0});

void BM_SmoothChunk(benchmark::State& state) {
    static StereoFrame frames[IntroFramesPerTick];
    for (int i = 0; i < IntroFramesPerTick; ++i) frames[i] = {int16_t(i * 37), int16_t(-i * 11)};
    for (auto _ : state) {
        SmoothChunk(frames, IntroFramesPerTick);
        benchmark::DoNotOptimize(frames);
    }
    SetRateCounters(state, IntroFramesPerTick);
}
BENCHMARK(BM_SmoothChunk);

std::vector<uint8_t> SongImage() {
    if (const char* path = std::getenv("INTRO_BENCH_MODULE")) {
        std::vector<uint8_t> bytes;
        std::string error;
        if (ReadModuleFile(path, bytes, error) && CheckModule(bytes, error)) return bytes;
        std::fprintf(stderr, "INTRO_BENCH_MODULE: %s; using the demo song\n", error.c_str());
    }
    return BuildModule(DemoSong(true, 64));  // about two minutes
}

// The whole intro path: set-up, load, pre-fill, then every block of the song.
void BM_RenderSong(benchmark::State& state) {
    const std::vector<uint8_t> image = SongImage();
    const SongScan length = MeasureSong(image, 1, SongScanCapTicks);
    const int64_t frames = length.ticks * IntroFramesPerTick;
    const int64_t blocks = (frames + IntroSound.framesPerBlock - 1) / IntroSound.framesPerBlock;
    for (auto _ : state) {
        ResetSoundPath();
        InitAudio(IntroSound.rate, IntroSound.framesPerBlock, IntroSound.blockCount);
        LoadModuleChecked(image.data(), image.size(), nullptr, 0);
        StartAudio();
        for (int64_t b = 0; b < blocks; ++b) MemoryStreamRequestBlock();
        benchmark::DoNotOptimize(mixer.mixBuffer);
    }
    state.counters["song_s"] = static_cast<double>(frames) / OutputRate;
    SetRateCounters(state, static_cast<double>(blocks * IntroSound.framesPerBlock + IntroRingFrames));
}
BENCHMARK(BM_RenderSong)->Unit(benchmark::kMillisecond);

}  // namespace
