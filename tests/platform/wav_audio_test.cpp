// The recording checks behind the end-to-end sound test: WAV parsing (including
// a recorder's unfinished header), alignment of a reference within a recording,
// and the level measure.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "wav_audio.h"

namespace {

std::vector<uint8_t> WavBytes(const std::vector<int16_t>& samples, uint32_t dataSize,
                              uint16_t channels = 2) {
    std::vector<uint8_t> b;
    auto u32 = [&](uint32_t v) { for (int i = 0; i < 4; ++i) b.push_back(uint8_t(v >> 8 * i)); };
    auto u16 = [&](uint16_t v) { b.push_back(uint8_t(v)); b.push_back(uint8_t(v >> 8)); };
    auto tag = [&](const char* t) { for (int i = 0; i < 4; ++i) b.push_back(uint8_t(t[i])); };
    tag("RIFF"); u32(0xFFFFFFFF); tag("WAVE");
    tag("LIST"); u32(3); u32(0x00030201);  // an odd-sized chunk and its pad byte
    tag("fmt "); u32(16); u16(1); u16(channels); u32(44100); u32(176400); u16(4); u16(16);
    tag("data"); u32(dataSize);
    for (int16_t s : samples) u16(uint16_t(s));
    return b;
}

StereoAudio Audio(std::vector<int16_t> samples) {
    StereoAudio audio;
    audio.samples = std::move(samples);
    return audio;
}

// A 1000-frame reference: 10 silent frames, then a distinct ramp.
StereoAudio Reference() {
    std::vector<int16_t> s(2000, 0);
    for (int f = 10; f < 1000; ++f) {
        s[2 * f] = int16_t(f * 7 % 3000 + 1);
        s[2 * f + 1] = int16_t(-(f * 13 % 2000) - 1);
    }
    return Audio(s);
}

// The reference placed at frame `start` of a silent recording of `frames` frames.
StereoAudio RecordingOf(const StereoAudio& reference, int64_t start, int64_t frames) {
    std::vector<int16_t> s(2 * frames, 0);
    for (int64_t f = 0; f < reference.Frames() && start + f < frames; ++f) {
        s[2 * (start + f)] = reference.samples[2 * f];
        s[2 * (start + f) + 1] = reference.samples[2 * f + 1];
    }
    return Audio(s);
}

TEST(WavAudio, ParsesAWavAndTakesAnUnfinishedDataChunkToTheEnd) {
    StereoAudio audio;
    std::string error;
    ASSERT_TRUE(ParseWav(WavBytes({1, -2, 3, -4}, 8), audio, error)) << error;
    EXPECT_EQ(audio.samples, (std::vector<int16_t>{1, -2, 3, -4}));

    audio = {};
    ASSERT_TRUE(ParseWav(WavBytes({5, 6, 7, 8, 9}, 0xFFFFFFFF), audio, error)) << error;
    EXPECT_EQ(audio.samples, (std::vector<int16_t>{5, 6, 7, 8}));  // partial frame dropped
}

TEST(WavAudio, RefusesOtherFormatsWithAReason) {
    StereoAudio audio;
    std::string error;
    EXPECT_FALSE(ParseWav(WavBytes({1, 2}, 4, 1), audio, error));
    EXPECT_NE(error.find("1 channels"), std::string::npos) << error;
    EXPECT_FALSE(ParseWav(std::vector<uint8_t>(4, 'R'), audio, error));
    EXPECT_NE(error.find("RIFF"), std::string::npos);
}

TEST(WavAudio, FindsTheReferenceExactlyWhereverItStarts) {
    const StereoAudio reference = Reference();
    for (int64_t start : {0, 5, 32000}) {
        const MatchResult r = MatchRecording(RecordingOf(reference, start, start + 2000), reference,
                                             500, 100);
        ASSERT_TRUE(r.found);
        EXPECT_EQ(r.recordedStart, start);
        EXPECT_EQ(r.framesCompared, 500);
        EXPECT_EQ(r.samplesDiffering, 0);
    }
}

TEST(WavAudio, ReportsDifferencesAndRecoversFromAnEarlyClick) {
    const StereoAudio reference = Reference();
    StereoAudio recording = RecordingOf(reference, 300, 2000);
    recording.samples[2 * 400] += 5;  // one sample off by 5
    MatchResult r = MatchRecording(recording, reference, 900, 100);
    EXPECT_EQ(r.recordedStart, 300);
    EXPECT_EQ(r.samplesDiffering, 1);
    EXPECT_EQ(r.maxDifference, 5);

    // A stray sample before the song misleads the first guess; the slack finds the song.
    recording = RecordingOf(reference, 300, 2000);
    recording.samples[2 * 250] = 1;
    r = MatchRecording(recording, reference, 900, 100);
    EXPECT_EQ(r.recordedStart, 300);
    EXPECT_EQ(r.samplesDiffering, 0);
}

TEST(WavAudio, FramesLostAtTheStartOfTheSoundDoNotMisleadTheAlignment) {
    const StereoAudio reference = Reference();
    // The recording lost reference frames 10-29 at the start of the sound.
    std::vector<int16_t> s(2 * 300, 0);
    s.insert(s.end(), reference.samples.begin() + 2 * 30, reference.samples.end());
    const MatchResult r = MatchRecording(Audio(s), reference, 500, 100, 64);
    ASSERT_TRUE(r.found);
    EXPECT_EQ(r.recordedStart, 300 - 30);
    EXPECT_EQ(r.samplesDiffering, 0);
    EXPECT_EQ(r.framesCompared, 500);
}

TEST(WavAudio, SlipsOfTheRecordingAreSkippedAndCountedButWrongSoundIsNot) {
    const StereoAudio reference = Reference();
    // 37 silent frames inserted after reference frame 400, 5 more after 700
    // where 15 reference frames went missing as well.
    std::vector<int16_t> s(2 * 200, 0);
    auto append = [&](int from, int to) {
        s.insert(s.end(), reference.samples.begin() + 2 * from, reference.samples.begin() + 2 * to);
    };
    append(0, 400);
    s.insert(s.end(), 2 * 37, 0);
    append(400, 700);
    s.insert(s.end(), 2 * 5, 0);
    append(715, 1000);
    MatchResult r = MatchRecording(Audio(s), reference, 990, 10);
    EXPECT_EQ(r.recordedStart, 200);
    EXPECT_EQ(r.samplesDiffering, 0);
    EXPECT_EQ(r.slips, 3);  // 37 inserted; 5 inserted, then 15 lost
    EXPECT_EQ(r.insertedFrames, 42);
    EXPECT_EQ(r.lostFrames, 15);
    EXPECT_EQ(r.largestSlip, 37);
    EXPECT_EQ(r.slipAt[0], 400);
    EXPECT_EQ(r.slipFrames[0], 37);
    EXPECT_EQ(r.slipAt[2], 700);
    EXPECT_EQ(r.slipFrames[2], -15);
    EXPECT_EQ(r.framesCompared, 990);

    // Sound replaced without a silent run before it (a stale block) is a difference.
    s.assign(2 * 200, 0);
    append(0, 500);
    append(100, 200);
    append(600, 1000);
    r = MatchRecording(Audio(s), reference, 990, 10);
    EXPECT_GT(r.samplesDiffering, 150);
}

// A longer song for the sound server's slips: no frame is silent, and no two
// frames less than 29989 apart are equal, so nothing lines up by chance.
StereoAudio Song(int64_t frames) {
    std::vector<int16_t> s(2 * frames);
    for (int64_t f = 0; f < frames; ++f) {
        s[2 * f] = int16_t(1 + f % 30000);
        s[2 * f + 1] = int16_t(-1 - f * 7 % 29989);
    }
    return Audio(s);
}

// At each reference frame `at` (in order), the recording gains `inserted`
// silent frames and then loses `lost` reference frames.
struct Slip { int64_t at, inserted, lost; };
StereoAudio Slipped(const StereoAudio& song, std::initializer_list<Slip> slips) {
    std::vector<int16_t> s(2 * 100, 0);
    int64_t from = 0;
    for (const Slip& slip : slips) {
        s.insert(s.end(), song.samples.begin() + 2 * from, song.samples.begin() + 2 * slip.at);
        s.insert(s.end(), 2 * slip.inserted, 0);
        from = slip.at + slip.lost;
    }
    s.insert(s.end(), song.samples.begin() + 2 * from, song.samples.end());
    return Audio(s);
}

TEST(WavAudio, SlipsThatMeetAreEachASlip) {
    const StereoAudio song = Song(48000);
    struct Case { StereoAudio recording; int64_t slips, inserted, lost, largest; };
    const Case cases[] = {
        // 50 ms of silence and then 909 frames more, as the sound server put them in.
        {Slipped(song, {{10000, 2205, 0}, {10000, 909, 0}}), 2, 3114, 0, 2205},
        // Three at once make one silent run of 2205 + 909 + 1022 frames: two
        // slips, neither over 50 ms.
        {Slipped(song, {{10000, 2205, 0}, {10000, 909, 0}, {10000, 1022, 0}}), 2, 4136, 0, 2205},
        // Two at once and a third 4 frames on.
        {Slipped(song, {{10000, 2205, 0}, {10000, 909, 0}, {10004, 1022, 0}}), 3, 4136, 0, 2205},
        // 50 ms put in, then 300 frames lost; and 300 lost with 909 put in 5 frames on.
        {Slipped(song, {{10000, 2205, 300}}), 2, 2205, 300, 2205},
        {Slipped(song, {{10000, 0, 300}, {10305, 909, 0}}), 2, 909, 300, 909},
    };
    for (const Case& c : cases) {
        const MatchResult r = MatchRecording(c.recording, song, 40000, 100, 64);
        ASSERT_TRUE(r.found);
        EXPECT_EQ(r.recordedStart, 100);
        EXPECT_EQ(r.samplesDiffering, 0);
        EXPECT_EQ(r.slips, c.slips);
        EXPECT_EQ(r.insertedFrames, c.inserted);
        EXPECT_EQ(r.lostFrames, c.lost);
        EXPECT_EQ(r.largestSlip, c.largest);
        EXPECT_EQ(r.framesCompared, 40000);
    }
    // Where the third of those was, for the report.
    EXPECT_EQ(MatchRecording(cases[2].recording, song, 40000, 100, 64).slipAt[2], 10004);
}

TEST(WavAudio, AStaleBlockOrALossBeyondReachStillDiffers) {
    const StereoAudio song = Song(48000);
    // Frames 36000-39999 hold the block from one ring (8 blocks of 4000) earlier.
    StereoAudio recording = Slipped(song, {});
    std::copy(song.samples.begin() + 2 * 4000, song.samples.begin() + 2 * 8000,
              recording.samples.begin() + 2 * (100 + 36000));
    MatchResult r = MatchRecording(recording, song, 47000, 100, 64);
    EXPECT_EQ(r.samplesDiffering, 2 * 4000);
    EXPECT_EQ(r.slips, 0);

    // 3000 frames lost, more than a slip may take: nothing lines up after it.
    r = MatchRecording(Slipped(song, {{10000, 0, 3000}}), song, 40000, 100, 64);
    EXPECT_GT(r.samplesDiffering, 2 * 29000);
    EXPECT_EQ(r.lostFrames, 0);
}

TEST(WavAudio, SilenceMatchesNothingAndMissingFramesCount) {
    const StereoAudio reference = Reference();
    EXPECT_FALSE(MatchRecording(Audio(std::vector<int16_t>(4000, 0)), reference, 100, 10).found);
    // The recording stops 100 frames into the song: the rest counts as silence.
    const MatchResult r = MatchRecording(RecordingOf(reference, 500, 610), reference, 500, 0);
    EXPECT_EQ(r.samplesDiffering, 2 * 400);
    EXPECT_EQ(r.slips, 0);
}

TEST(WavAudio, RmsLevelIsClampedToTheAudio) {
    const StereoAudio audio = Audio({3, -3, 3, -3, 0, 0});
    EXPECT_DOUBLE_EQ(RmsLevel(audio, 0, 2), 3.0);
    EXPECT_DOUBLE_EQ(RmsLevel(audio, 2, 100), 0.0);
    EXPECT_DOUBLE_EQ(RmsLevel(audio, -5, 3), std::sqrt(36.0 / 6));
    EXPECT_DOUBLE_EQ(RmsLevel(audio, 7, 9), 0.0);
}

}  // namespace
