#include "render_session.h"

#include <algorithm>
#include <chrono>
#include <cinttypes>
#include <cstring>

#include "app/input_file.h"
#include "app/tool_content.h"
#include "memory_stream.h"
#include "replayer/replayer.h"
#include "audio/audio_control.h"
#include "audio/sound_path.h"
#include "sound/mixer.h"

namespace {


bool Load(const std::vector<uint8_t>& image, std::string& error) {
    char reason[256] = "";
    if (LoadModuleChecked(image.data(), image.size(), reason, sizeof reason) != 0) {
        error = reason[0] ? reason : "the module was refused";
        return false;
    }
    return true;
}

// The intro's music start-up, with the checked load in place of LoadModule.
bool StartLikeTheIntro(const std::vector<uint8_t>& image, std::string& error) {
    ResetSoundPath();
    InitAudio(IntroSound.rate, IntroSound.framesPerBlock, IntroSound.blockCount);
    return Load(image, error);
}

// Counts the ticks that ran (the pre-fill's idle ticks do not count) and can
// hold the replayer still once a bound is reached.
struct TickCounter {
    int64_t ran = 0;
    int64_t current = 0;  // the tick being run, for the trace
    int64_t limit = INT64_MAX;
} ticks;

int CountedTick() {
    if (ticks.ran >= ticks.limit) return 1;
    ticks.current = ticks.ran + 1;
    const int result = ReplayerTick();
    if (result == 0) ticks.ran = ticks.current;
    return result;
}

// The 44-byte header of a 16-bit stereo PCM WAV file with dataBytes of frames.
void WavHeader(uint8_t header[44], uint32_t rate, uint32_t dataBytes) {
    auto u32 = [&](int at, uint32_t v) {
        for (int i = 0; i < 4; ++i) header[at + i] = static_cast<uint8_t>(v >> (8 * i));
    };
    auto u16 = [&](int at, uint16_t v) {
        header[at] = static_cast<uint8_t>(v);
        header[at + 1] = static_cast<uint8_t>(v >> 8);
    };
    std::memcpy(header, "RIFF", 4);
    u32(4, 36 + dataBytes);
    std::memcpy(header + 8, "WAVEfmt ", 8);
    u32(16, 16);
    u16(20, 1);  // PCM
    u16(22, 2);
    u32(24, rate);
    u32(28, rate * 4);
    u16(32, 4);
    u16(34, 16);
    std::memcpy(header + 36, "data", 4);
    u32(40, dataBytes);
}

struct AudioSink {
    SafeOutput* out = nullptr;
    bool collectingPrefill = true;
    std::vector<StereoFrame> prefill;
    int64_t remaining = 0;
    int64_t written = 0;
    bool failed = false;
};

bool WriteFrames(SafeOutput& out, const StereoFrame* frames, int64_t count) {
    uint8_t bytes[4 * 1024];
    while (count > 0) {
        const int64_t n = count < 1024 ? count : 1024;
        for (int64_t i = 0; i < n; ++i) {
            const uint16_t left = static_cast<uint16_t>(frames[i].left);
            const uint16_t right = static_cast<uint16_t>(frames[i].right);
            bytes[4 * i] = static_cast<uint8_t>(left);
            bytes[4 * i + 1] = static_cast<uint8_t>(left >> 8);
            bytes[4 * i + 2] = static_cast<uint8_t>(right);
            bytes[4 * i + 3] = static_cast<uint8_t>(right >> 8);
        }
        if (!out.Write(bytes, static_cast<size_t>(4 * n))) return false;
        frames += n;
        count -= n;
    }
    return true;
}

void TakeBlock(void* context, int, const StereoFrame* frames, int count) {
    auto* sink = static_cast<AudioSink*>(context);
    if (sink->collectingPrefill) {
        sink->prefill.insert(sink->prefill.end(), frames, frames + count);
        return;
    }
    const int64_t n = count < sink->remaining ? count : sink->remaining;
    if (n > 0 && !WriteFrames(*sink->out, frames, n)) sink->failed = true;
    sink->remaining -= n;
    sink->written += n;
}

void TraceOperation(void* context, int channel, const char* operation, bool hasArgument,
                    long argument, const int8_t* data) {
    FILE* out = static_cast<FILE*>(context);
    std::fprintf(out, "%" PRId64 " %d %s", ticks.current, channel, operation);
    if (data) {
        const std::ptrdiff_t offset = data - replayer.song.sampleMemory;
        if (offset >= 0 && offset <= SampleMemoryBytes) {
            std::fprintf(out, " %td", offset);
        } else {
            std::fputs(" outside-sample-memory", out);
        }
    } else if (hasArgument) {
        std::fprintf(out, " %ld", argument);
    }
    std::fputc('\n', out);
}

}  // namespace

bool ReadModuleFile(const std::string& path, std::vector<uint8_t>& bytes, std::string& error) {
    return ReadInputFile(path, "a module or content pack", bytes, error) &&
           SongFromPackFile(path, &bytes, &error);
}

bool CheckModule(const std::vector<uint8_t>& image, std::string& error) {
    ResetSoundPath();
    const bool ok = Load(image, error);
    ResetSoundPath();
    return ok;
}

SongScan MeasureSong(const std::vector<uint8_t>& image, int64_t loops, int64_t capTicks) {
    SongScan scan;
    if (ScanSong(image.data(), image.size(), loops, capTicks, scan, nullptr, 0) != 0) scan.capped = true;
    return scan;
}

// Tick 1 comes before the first frame after the pre-fill, tick 2 at the end of
// the chunk that completes the pre-fill's last tick period, and one period
// apart from then on: the song ends where tick T + 1 falls.
int64_t SongFrames(int64_t songTicks) {
    const int64_t perTick = mixer.samplesPerTick;
    const int64_t firstPeriod = mixer.tickCounter == 0 ? perTick : perTick - mixer.tickCounter;
    return songTicks <= 0 ? 0 : firstPeriod + (songTicks - 1) * perTick;
}

bool RenderAudio(const std::vector<uint8_t>& image, const AudioRequest& request, SafeOutput& out,
                 std::string& error) {
    // From a place: the ticks before it run in silence, and the ring the
    // stream fills first holds the song from there instead of silence.
    const bool fromPlace = request.fromEntry >= 0;
    int64_t placeTick = 1;
    if (fromPlace) {
        if (!StartLikeTheIntro(image, error)) return false;
        SongPlace place;
        place.entry = request.fromEntry;
        place.row = request.fromRow;
        place.tickInRow = request.fromTick;
        bool played = false;
        placeTick = FindSongTick(place, &played);
        // Not an error: the maker starts such a place the same way after an
        // edit moved it, and its renders are compared with these.
        if (!played) {
            const bool entryPlayed = placeTick > 1 || place.entry == 0;
            std::fprintf(stderr, "modrender: entry %d, row %d, tick %d is not played in one pass of the song; "
                         "starting at %s\n", place.entry, place.row, place.tickInRow,
                         entryPlayed ? "the entry's first tick" : "the song's start (the entry is not played)");
        }
    }
    if (!StartLikeTheIntro(image, error)) return false;
    AudioSink sink;
    sink.out = &out;
    SetMemoryStreamSink(TakeBlock, &sink);
    if (fromPlace) {
        SkipSongTicks(placeTick);
        StartStream();
    } else {
        StartAudio();
    }
    sink.collectingPrefill = false;

    const int64_t frames = request.songTicks >= 0 ? SongFrames(request.songTicks) : request.frames;
    const int64_t ring = static_cast<int64_t>(sink.prefill.size());
    const int64_t prefillFrames = fromPlace ? std::min(ring, frames) : (request.includePrefill ? ring : 0);
    const int64_t totalBytes = 4 * (fromPlace ? frames : frames + prefillFrames);
    if (!request.raw) {
        if (totalBytes > UINT32_MAX - 36) return error = "too long for a WAV file; use --raw", false;
        uint8_t header[44];
        WavHeader(header, IntroSound.rate, static_cast<uint32_t>(totalBytes));
        if (!out.Write(header, sizeof header)) return error = "cannot write the output", false;
    }
    if (prefillFrames > 0 && !WriteFrames(out, sink.prefill.data(), prefillFrames))
        return error = "cannot write the output", false;

    sink.remaining = fromPlace ? frames - prefillFrames : frames;
    // Renders run far faster than real time; report only those that keep the
    // user waiting, once a second after the first two.
    using Clock = std::chrono::steady_clock;
    Clock::time_point nextProgress = Clock::now() + std::chrono::seconds(2);
    while (sink.remaining > 0 && !sink.failed) {
        if (MemoryStreamRequestBlock() != 0) return error = "the stream stopped unexpectedly", false;
        if (request.progress && sink.remaining > 0 && Clock::now() >= nextProgress) {
            std::fprintf(stderr, "modrender: %3d%% (%.1f of %.1f s rendered)\n",
                         static_cast<int>(100 * sink.written / frames),
                         static_cast<double>(sink.written) / IntroSound.rate,
                         static_cast<double>(frames) / IntroSound.rate);
            nextProgress = Clock::now() + std::chrono::seconds(1);
        }
    }
    ShutdownAudio();
    SetMemoryStreamSink(nullptr, nullptr);
    if (sink.failed) return error = "cannot write the output", false;
    return true;
}

bool RenderTrace(const std::vector<uint8_t>& image, int64_t tickCount, SafeOutput& out,
                 std::string& error) {
    if (!StartLikeTheIntro(image, error)) return false;
    ticks = TickCounter{};
    ticks.limit = tickCount;
    mixer.tickCallback = CountedTick;
    SetChannelObserver(TraceOperation, out.Stream());
    StartAudio();
    while (ticks.ran < tickCount) {
        if (MemoryStreamRequestBlock() != 0) break;
    }
    SetChannelObserver(nullptr, nullptr);
    ShutdownAudio();
    return true;
}

bool PrintInfo(const std::vector<uint8_t>& image, FILE* out, std::string& error) {
    ResetSoundPath();
    if (!Load(image, error)) return false;
    int samples = 0, waveforms = 0;
    for (int i = 0; i < 10; ++i) samples += replayer.song.sampleTable[i].length > 1;
    for (int i = 10; i < 128; ++i) waveforms += replayer.song.sampleTable[i].length > 1;
    const int firstSpeed = replayer.song.speed;
    std::fprintf(out, "format %.4s\n", reinterpret_cast<const char*>(image.data()));
    std::fprintf(out, "sequence entries %d\n", replayer.song.sequenceCount);
    std::fprintf(out, "patterns %d\n", replayer.song.patternCount);
    std::fprintf(out, "frequency macros %d\n", replayer.song.frequencyMacroCount);
    std::fprintf(out, "volume macros %d\n", replayer.song.volumeMacroCount);
    std::fprintf(out, "samples %d\n", samples);
    std::fprintf(out, "waveforms %d\n", waveforms);
    std::fprintf(out, "first speed %d\n", firstSpeed);
    const SongScan length = MeasureSong(image, 1, SongScanCapTicks);
    std::fprintf(out, "song length %" PRId64 " ticks, %.2f s%s\n", length.ticks,
                 static_cast<double>(length.ticks) / 50.0,
                 length.capped ? " (cut at the ten-minute cap: the song did not return to entry 0)"
                               : "");
    return true;
}

PlaybackRender::~PlaybackRender() { Stop(); }

bool PlaybackRender::Start(const std::vector<uint8_t>& image, std::string& error) {
    Stop();
    if (!StartLikeTheIntro(image, error)) return false;
    heard_.clear();
    readFrom_ = 0;
    SetMemoryStreamSink(TakeBlock, this);
    StartAudio();  // the pre-fill reaches TakeBlock first
    prefillFrames_ = static_cast<int64_t>(heard_.size());
    running_ = true;
    return true;
}

void PlaybackRender::TakeBlock(void* context, int, const StereoFrame* frames, int count) {
    auto* self = static_cast<PlaybackRender*>(context);
    self->heard_.insert(self->heard_.end(), frames, frames + count);
}

bool PlaybackRender::Read(StereoFrame* frames, int64_t count) {
    if (!running_) return false;
    while (static_cast<int64_t>(heard_.size() - readFrom_) < count) {
        if (MemoryStreamRequestBlock() != 0) return false;
    }
    if (frames != nullptr) std::copy_n(heard_.begin() + readFrom_, count, frames);
    readFrom_ += static_cast<size_t>(count);
    // Drop what has been read once it outweighs what is waiting.
    if (readFrom_ > 4 * static_cast<size_t>(IntroSound.framesPerBlock) && readFrom_ * 2 > heard_.size()) {
        heard_.erase(heard_.begin(), heard_.begin() + readFrom_);
        readFrom_ = 0;
    }
    return true;
}

void PlaybackRender::Stop() {
    if (!running_) return;
    ShutdownAudio();
    SetMemoryStreamSink(nullptr, nullptr);
    running_ = false;
}
