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
    int64_t framesCompared = 0;
    int64_t samplesDiffering = 0;
    int maxDifference = 0;
};

// Lines the reference up with the recording by their first sounding frames
// (trying offsets up to `slack` frames either way for the one with the fewest
// differences) and compares `frames` frames from the reference's first
// sounding frame on.
MatchResult MatchRecording(const StereoAudio& recorded, const StereoAudio& reference,
                           int64_t frames, int64_t slack);

// Root mean square of both channels over frames [from, to), clamped to the audio.
double RmsLevel(const StereoAudio& audio, int64_t from, int64_t to);
