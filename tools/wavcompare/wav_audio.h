#pragma once
// Reading 16-bit stereo PCM (WAV or headerless) and comparing two recordings,
// for the end-to-end test of the intro's sound output.
#include <cstdint>
#include <string>
#include <vector>

struct StereoAudio {
    std::vector<int16_t> samples;  // interleaved left, right
    int64_t Frames() const { return static_cast<int64_t>(samples.size() / 2); }
};

// Parses a RIFF/WAVE image holding 44100 Hz 16-bit stereo PCM. A data chunk
// whose size runs past the end (a recorder stopped before it could write the
// size) is taken up to the end. False with a message in `error` otherwise.
bool ParseWav(const std::vector<uint8_t>& bytes, StereoAudio& audio, std::string& error);
// Headerless little-endian s16 stereo frames; a trailing partial frame is dropped.
void ParseRaw(const std::vector<uint8_t>& bytes, StereoAudio& audio);

// The first frame with any sample other than 0 at or after `from`; -1 if none.
int64_t FirstSoundingFrame(const StereoAudio& audio, int64_t from = 0);

struct MatchResult {
    bool found = false;
    int64_t recordedStart = 0;   // frame of the recording that lines up with reference frame 0
    int64_t framesCompared = 0;  // reference frames walked through
    int64_t samplesDiffering = 0;
    int maxDifference = 0;
    int64_t slips = 0;           // places where the recording gained or lost frames
    int64_t insertedFrames = 0;  // recorded frames the reference does not have
    int64_t lostFrames = 0;      // reference frames the recording does not have
    int64_t largestSlip = 0;
    // Where the first slips were, as reference frames, and their size
    // (frames inserted count positive, frames lost negative): for the report.
    static constexpr int SlipsKept = 8;
    int64_t slipAt[SlipsKept] = {};
    int64_t slipFrames[SlipsKept] = {};
};

// Lines the reference up with the recording: a stretch of the recording
// `skip` frames after its first sounding frame is looked for in the reference
// within `slack` frames of where the two first sounding frames put it. From
// there `frames` reference frames are walked through the recording. Where
// the recording gained frames (silence an underrun put in) or lost a few
// (a loaded machine makes the sound server's feed slip), the walk picks the
// reference up again and counts the slip: slips delay the stream but change
// none of its samples. Insertions that meet make one silent run, counted as
// back-to-back slips of at most 2205 frames (50 ms) each; a silent run up to
// the end of the recording is none. Every other disagreement (a stale or
// wrong block, which never lines up again within a slip's reach) counts as
// differing samples.
MatchResult MatchRecording(const StereoAudio& recorded, const StereoAudio& reference,
                           int64_t frames, int64_t slack, int64_t skip = 0);

// Root mean square of both channels over frames [from, to), clamped to the audio.
double RmsLevel(const StereoAudio& audio, int64_t from, int64_t to);
