#include "wav_audio.h"

#include "audio/sound_settings.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace {

uint32_t U32(const uint8_t* p) { return p[0] | p[1] << 8 | p[2] << 16 | uint32_t(p[3]) << 24; }
uint16_t U16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }

void AppendFrames(const uint8_t* data, size_t bytes, StereoAudio& audio) {
    const size_t samples = bytes / 4 * 2;
    audio.samples.resize(samples);
    for (size_t i = 0; i < samples; ++i) audio.samples[i] = static_cast<int16_t>(U16(data + 2 * i));
}

constexpr int64_t MaxSlipFrames = 2205;  // 50 ms: the most the sound server puts in at once
constexpr int64_t ResyncFrames = 32;

// Every read below is checked against its array: a frame outside is neither
// silent nor equal to anything.
bool SilentFrame(const StereoAudio& audio, int64_t f) {
    return f >= 0 && f < audio.Frames() && audio.samples[2 * f] == 0 &&
           audio.samples[2 * f + 1] == 0;
}

bool SameFrames(const StereoAudio& a, int64_t aFrom, const StereoAudio& b, int64_t bFrom,
                int64_t count) {
    if (aFrom < 0 || bFrom < 0 || aFrom + count > a.Frames() || bFrom + count > b.Frames())
        return false;
    return std::equal(a.samples.begin() + 2 * aFrom, a.samples.begin() + 2 * (aFrom + count),
                      b.samples.begin() + 2 * bFrom);
}

bool FramesEqual(const StereoAudio& recorded, int64_t at, const StereoAudio& reference, int64_t f) {
    return at >= 0 && at < recorded.Frames() && f >= 0 && f < reference.Frames() &&
           recorded.samples[2 * at] == reference.samples[2 * f] &&
           recorded.samples[2 * at + 1] == reference.samples[2 * f + 1];
}

// Whether the recording from frame `at` holds ResyncFrames reference frames
// from frame `f`. Silence in the recording after the first agreeing frame is
// passed over, up to 200 ms: another insertion a few frames after the slip
// being looked for (the walk then counts it as such).
bool Agrees(const StereoAudio& recorded, int64_t at, const StereoAudio& reference, int64_t f) {
    int64_t agreed = 0, passed = 0;
    for (; agreed < ResyncFrames && at < recorded.Frames(); ++at) {
        if (FramesEqual(recorded, at, reference, f + agreed))
            ++agreed;
        else if (agreed == 0 || !SilentFrame(recorded, at) || ++passed > 4 * MaxSlipFrames)
            return false;
    }
    return agreed == ResyncFrames;
}

void NoteSlip(MatchResult& result, int64_t referenceFrame, int64_t frames) {
    if (result.slips < MatchResult::SlipsKept) {
        result.slipAt[result.slips] = referenceFrame;
        result.slipFrames[result.slips] = frames;
    }
    ++result.slips;
    result.largestSlip = std::max(result.largestSlip, frames < 0 ? -frames : frames);
}

// Where the recording (at frame `at`) and the reference (at frame `f`) part,
// picks the reference up again and counts the slips. A silent run with sound
// after it is silence the sound server put in; insertions that meet make one
// run, so it counts as back-to-back slips of at most MaxSlipFrames each. If
// the two still part (frames lost after the silence, or no silence at all),
// the nearest slip either way up to MaxSlipFrames after which they agree:
// recorded frames the reference lacks count as inserted, reference frames the
// recording lacks as lost. Finding none leaves both where they were, and the
// walk counts the frame as differing. False once the recording holds nothing
// but silence from `at` on: nothing after can line up.
bool Resync(const StereoAudio& recorded, int64_t& at, const StereoAudio& reference, int64_t& f,
            int64_t referenceEnd, MatchResult& result) {
    int64_t silent = 0;
    while (SilentFrame(recorded, at + silent)) ++silent;
    if (at + silent >= recorded.Frames()) return false;
    if (silent > 0) {
        for (int64_t left = silent; left > 0; left -= MaxSlipFrames)
            NoteSlip(result, f, std::min(left, MaxSlipFrames));
        result.insertedFrames += silent;
        at += silent;
    }
    if (FramesEqual(recorded, at, reference, f)) return true;
    for (int64_t slip = 1; slip <= MaxSlipFrames; ++slip) {
        if (Agrees(recorded, at + slip, reference, f)) {
            NoteSlip(result, f, slip);
            result.insertedFrames += slip;
            at += slip;
            return true;
        }
        if (f + slip < referenceEnd && Agrees(recorded, at, reference, f + slip)) {
            NoteSlip(result, f, -slip);
            result.lostFrames += slip;
            result.framesCompared += slip;
            f += slip;
            return true;
        }
    }
    return true;
}

// Walks reference frames [referenceFrom, referenceFrom+frames) against the
// recording from frame referenceFrom+offset, resynchronising where they part.
// Frames beyond the recording count as silent.
MatchResult Walk(const StereoAudio& recorded, const StereoAudio& reference, int64_t referenceFrom,
                 int64_t frames, int64_t offset) {
    MatchResult result;
    result.found = true;
    result.recordedStart = offset;
    referenceFrom = std::max<int64_t>(referenceFrom, 0);
    const int64_t referenceEnd = std::min(referenceFrom + frames, reference.Frames());
    int64_t at = referenceFrom + offset;
    bool resync = true;
    for (int64_t f = referenceFrom; f < referenceEnd; ++f, ++at) {
        if (resync && !FramesEqual(recorded, at, reference, f))
            resync = Resync(recorded, at, reference, f, referenceEnd, result);
        for (int channel = 0; channel < 2; ++channel) {
            const int expected = reference.samples[2 * f + channel];
            const int got =
                at >= 0 && at < recorded.Frames() ? recorded.samples[2 * at + channel] : 0;
            const int difference = std::abs(expected - got);
            if (difference) ++result.samplesDiffering;
            result.maxDifference = std::max(result.maxDifference, difference);
        }
        ++result.framesCompared;
    }
    return result;
}

}  // namespace

bool ParseWav(const std::vector<uint8_t>& bytes, StereoAudio& audio, std::string& error) {
    if (bytes.size() < 12 || std::string(bytes.begin(), bytes.begin() + 4) != "RIFF" ||
        std::string(bytes.begin() + 8, bytes.begin() + 12) != "WAVE") {
        error = "not a RIFF/WAVE file (it does not start with RIFF....WAVE)";
        return false;
    }
    bool formatSeen = false;
    size_t at = 12;
    while (at + 8 <= bytes.size()) {
        const std::string id(bytes.begin() + at, bytes.begin() + at + 4);
        const uint64_t size = U32(&bytes[at + 4]);
        const size_t body = at + 8;
        if (id == "fmt ") {
            if (size < 16 || body + 16 > bytes.size()) {
                error = "the fmt chunk is shorter than 16 bytes";
                return false;
            }
            const int tag = U16(&bytes[body]), channels = U16(&bytes[body + 2]);
            const uint32_t rate = U32(&bytes[body + 4]);
            const int bits = U16(&bytes[body + 14]);
            if (tag != 1 || channels != 2 || rate != static_cast<uint32_t>(IntroSound.rate) || bits != 16) {
                error = "the audio is format " + std::to_string(tag) + ", " +
                        std::to_string(channels) + " channels, " + std::to_string(rate) +
                        " Hz, " + std::to_string(bits) + " bits; expected PCM (1), 2, " +
                        std::to_string(IntroSound.rate) + ", 16";
                return false;
            }
            formatSeen = true;
        } else if (id == "data") {
            if (!formatSeen) {
                error = "the data chunk comes before any fmt chunk";
                return false;
            }
            const size_t available = bytes.size() - body;
            AppendFrames(&bytes[body], std::min<uint64_t>(size, available), audio);
            return true;
        }
        at = body + size + (size & 1);
    }
    error = "no data chunk";
    return false;
}

void ParseRaw(const std::vector<uint8_t>& bytes, StereoAudio& audio) {
    AppendFrames(bytes.data(), bytes.size(), audio);
}

int64_t FirstSoundingFrame(const StereoAudio& audio, int64_t from) {
    for (int64_t f = std::max<int64_t>(from, 0); f < audio.Frames(); ++f)
        if (audio.samples[2 * f] || audio.samples[2 * f + 1]) return f;
    return -1;
}

MatchResult MatchRecording(const StereoAudio& recorded, const StereoAudio& reference,
                           int64_t frames, int64_t slack, int64_t skip) {
    constexpr int64_t KeyFrames = 32;
    const int64_t recordedFirst = FirstSoundingFrame(recorded);
    const int64_t referenceFirst = FirstSoundingFrame(reference);
    if (recordedFirst < 0 || referenceFirst < 0) return MatchResult{};
    const int64_t guess = recordedFirst - referenceFirst;
    // Find a stretch of the recording `skip` frames into the sound in the
    // reference, near where the first sounding frames put it; a few frames
    // lost at the very start of the sound cannot then mislead the alignment.
    for (int64_t probe = recordedFirst + skip; probe + KeyFrames <= recorded.Frames();
         probe += KeyFrames) {
        if (SilentFrame(recorded, probe)) continue;
        const int64_t low = std::max<int64_t>(probe - guess - slack, 0);
        const int64_t high = std::min(probe - guess + slack, reference.Frames() - KeyFrames);
        for (int64_t at = low; at <= high; ++at) {
            if (!SameFrames(recorded, probe, reference, at, KeyFrames)) continue;
            const int64_t count = std::min(frames, reference.Frames() - at);
            return Walk(recorded, reference, at, count, probe - at);
        }
        if (probe > recordedFirst + skip + 100 * KeyFrames) break;
    }
    // Nothing lined up: compare from the first sounding frames, to report how far off it is.
    return Walk(recorded, reference, referenceFirst,
                std::min(frames, reference.Frames() - referenceFirst), guess);
}

double RmsLevel(const StereoAudio& audio, int64_t from, int64_t to) {
    from = std::clamp<int64_t>(from, 0, audio.Frames());
    to = std::clamp<int64_t>(to, from, audio.Frames());
    if (to == from) return 0;
    double sum = 0;
    for (int64_t i = 2 * from; i < 2 * to; ++i) sum += double(audio.samples[i]) * audio.samples[i];
    return std::sqrt(sum / double(2 * (to - from)));
}
