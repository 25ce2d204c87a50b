// The maker's preview sound path, built natively: a new song goes on from
// the place being heard with the samples a render of it from that place
// gives, and the audition voice sounds an instrument's note as the song's
// voice 0 plays it alone.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

#include "audio/sound_path.h"
#include "authoring/content_build.h"
#include "authoring/song/assembler.h"
#include "replayer/replayer.h"
#include "sound/mixer.h"

extern "C" {
uint8_t* SoundPackStore();
int SoundUsePack(uint32_t size);
void SoundStart();
void SoundStop();
int SoundEntry();
int SoundRow();
int SoundTickInRow();
int SoundPlayFrom(int entry, int row);
int SoundSwapPack(uint32_t size);
void SoundNoteOn(int note, int instrument);
void SoundNoteOff();
int SoundNoteSounding();
float* SoundRenderPreview(int frames);
}

namespace {
constexpr int Quantum = 128;
constexpr int TickFrames = IntroSound.rate / TicksPerSecond;

std::string ReadText(const char* path) {
    std::ifstream file(path, std::ios::binary);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

std::string IntroSong() { return ReadText(CONTENT_DIR "/song/intro-song.fcs"); }

BuiltContent Build(const std::string& song) {
    ContentTexts texts;
    texts.pages = {"pages.txt", ReadText(CONTENT_DIR "/text/pages.txt")};
    texts.font = {"font.txt", ReadText(CONTENT_DIR "/font/font.txt")};
    texts.song = {"song.fcs", song};
    BuiltContent content;
    EXPECT_TRUE(BuildContent(texts, &content).empty());
    return content;
}

int UsePack(const BuiltContent& content, int (*use)(uint32_t)) {
    std::memcpy(SoundPackStore(), content.pack.data(), content.pack.size());
    return use(static_cast<uint32_t>(content.pack.size()));
}

// The next `frames` frames the worklet would play, back as 16-bit values.
std::vector<StereoFrame> Play(int frames) {
    std::vector<StereoFrame> out;
    for (; frames > 0; frames -= Quantum) {
        const float* quantum = SoundRenderPreview(Quantum);
        for (int i = 0; i < Quantum; ++i)
            out.push_back({static_cast<int16_t>(quantum[i] * 32768.0f), static_cast<int16_t>(quantum[Quantum + i] * 32768.0f)});
    }
    return out;
}

struct Where {
    int entry, row, tickInRow;
    bool operator==(const Where& other) const {
        return entry == other.entry && row == other.row && tickInRow == other.tickInRow;
    }
};

Where ReplayerPlace() {
    const uint32_t rowOffset = replayer.voices[0].rowOffset;
    return {replayer.song.songPosition / 16, rowOffset >= 2 ? static_cast<int>(rowOffset - 2) / 2 : 0,
            replayer.song.speed - replayer.song.speedCounter};
}

void Arm(const std::vector<uint8_t>& module) {
    ASSERT_EQ(ArmReplayer(module.data(), module.size(), IntroSound.rate, nullptr, 0), 0);
    mixer.smoothing = 1;  // as the opened stream's mixer renders
}

std::vector<StereoFrame> Mix(int frames) {
    std::vector<StereoFrame> out(static_cast<size_t>(frames));
    for (int at = 0; at < frames; at += MixBufferFrames)
        MixFrames(out.data() + at, frames - at < MixBufferFrames ? frames - at : MixBufferFrames);
    return out;
}

TEST(PreviewSound, ASwappedSongGoesOnFromThePlaceHeardAsItsOwnRenderFromThere) {
    const BuiltContent before = Build(IntroSong());
    std::string edited = IntroSong();
    const size_t bass = edited.find("width=22 amp=96");  // the bass's body, held from the start
    ASSERT_NE(bass, std::string::npos);
    edited.replace(bass, 15, "width=22 amp=50");
    const BuiltContent after = Build(edited);

    ASSERT_EQ(UsePack(before, SoundUsePack), 0);
    SoundStart();  // the song after a ring of silence, as the intro starts it
    const int heardFrames = 5 * IntroSound.rate / Quantum * Quantum;
    Play(heardFrames);
    const int entry = SoundEntry(), row = SoundRow();
    EXPECT_GE(entry, 1);
    ASSERT_EQ(UsePack(after, SoundSwapPack), 0);
    EXPECT_EQ(SoundEntry(), entry);
    EXPECT_EQ(SoundRow(), row);
    const std::vector<StereoFrame> played = Play(2 * IntroSound.framesPerBlock);
    SoundStop();

    // Among the new song's ticks in that entry and row, one whose render
    // (tick by tick from the start, then block by block as the stream asks)
    // is what played; the old song there sounds otherwise.
    std::vector<int> ticksThere;
    Arm(after.module);
    for (int tick = 1; tick < 2000; ++tick) {
        Mix(TickFrames);
        const Where place = ReplayerPlace();
        if (place.entry > entry) break;
        if (place.entry == entry && place.row == row) ticksThere.push_back(tick);
    }
    ASSERT_FALSE(ticksThere.empty());
    int matches = 0, differingFromOld = 0;
    for (const int tick : ticksThere) {
        Arm(after.module);
        for (int t = 1; t < tick; ++t) Mix(TickFrames);
        std::vector<StereoFrame> expected = Mix(IntroSound.framesPerBlock);
        const std::vector<StereoFrame> second = Mix(IntroSound.framesPerBlock);
        expected.insert(expected.end(), second.begin(), second.end());
        int differing = 0;
        for (size_t i = 0; i < expected.size(); ++i)
            differing += played[i].left != expected[i].left || played[i].right != expected[i].right;
        if (differing > 0) continue;
        ++matches;
        Arm(before.module);
        for (int t = 1; t < tick; ++t) Mix(TickFrames);
        const std::vector<StereoFrame> old = Mix(IntroSound.framesPerBlock);
        for (size_t i = 0; i < old.size(); ++i) differingFromOld += played[i].left != old[i].left;
    }
    EXPECT_EQ(matches, 1);
    EXPECT_GT(differingFromOld, 1000);
}

// `frames` frames of modrender --from `from` (E, E:R or E:R:T) of `module`;
// empty when modrender failed.
std::vector<StereoFrame> ModrenderFrom(const std::vector<uint8_t>& module, const std::string& from, int frames) {
    const std::string folder = std::filesystem::temp_directory_path() / "preview_sound_test";
    std::filesystem::create_directories(folder);
    std::ofstream(folder + "/song.mod", std::ios::binary)
        .write(reinterpret_cast<const char*>(module.data()), static_cast<std::streamsize>(module.size()));
    const std::string command = std::string(MODRENDER_PATH) + " " + folder + "/song.mod --from " + from +
                                " --raw --frames " + std::to_string(frames) + " -o " + folder + "/from.raw";
    std::vector<StereoFrame> rendered(static_cast<size_t>(frames));
    if (std::system(command.c_str()) != 0) rendered.clear();
    std::ifstream raw(folder + "/from.raw", std::ios::binary);
    raw.read(reinterpret_cast<char*>(rendered.data()), static_cast<std::streamsize>(4 * rendered.size()));
    if (raw.gcount() != static_cast<std::streamsize>(4 * rendered.size())) rendered.clear();
    std::filesystem::remove_all(folder);
    return rendered;
}

// A swap lands on whatever tick of the row is being heard; what it plays is
// modrender's render from that entry, row and tick (a render from the row's
// first tick, shifted, is not: the ring's blocks fall elsewhere on the ticks).
TEST(PreviewSound, ASwapPlaysModrendersRenderFromTheEntryRowAndTickHeard) {
    const BuiltContent before = Build(IntroSong());
    std::string edited = IntroSong();
    const size_t bass = edited.find("width=22 amp=96");
    ASSERT_NE(bass, std::string::npos);
    edited.replace(bass, 15, "width=22 amp=50");
    const BuiltContent after = Build(edited);
    ASSERT_EQ(UsePack(before, SoundUsePack), 0);
    ASSERT_EQ(SoundPlayFrom(3, 0), 0);
    Play(3 * TickFrames);  // into row 0's fourth tick
    const int entry = SoundEntry(), row = SoundRow(), tick = SoundTickInRow();
    EXPECT_EQ(row, 0);
    EXPECT_GT(tick, 0);
    ASSERT_EQ(UsePack(after, SoundSwapPack), 0);
    EXPECT_EQ(SoundTickInRow(), tick);
    const int frames = 2 * IntroSound.framesPerBlock;
    const std::vector<StereoFrame> played = Play(frames);
    SoundStop();
    const std::string from = std::to_string(entry) + ":" + std::to_string(row);
    const std::vector<StereoFrame> atTick = ModrenderFrom(after.module, from + ":" + std::to_string(tick), frames);
    const std::vector<StereoFrame> rowStart = ModrenderFrom(after.module, from, frames + tick * TickFrames);
    ASSERT_EQ(atTick.size(), static_cast<size_t>(frames));
    ASSERT_EQ(rowStart.size(), static_cast<size_t>(frames + tick * TickFrames));
    int differing = 0, differingShifted = 0;
    for (size_t i = 0; i < atTick.size(); ++i) {
        differing += played[i].left != atTick[i].left || played[i].right != atTick[i].right;
        differingShifted += played[i].left != rowStart[i + tick * TickFrames].left;
    }
    EXPECT_EQ(differing, 0);
    EXPECT_GT(differingShifted, 0);
}

// What the maker plays from a place is what modrender --from writes there.
TEST(PreviewSound, PlayingFromAnEntryAndRowIsModrendersRenderFromThere) {
    const BuiltContent content = Build(IntroSong());
    const int frames = 3 * IntroSound.framesPerBlock;
    const std::vector<StereoFrame> rendered = ModrenderFrom(content.module, "5:7", frames);
    ASSERT_EQ(rendered.size(), static_cast<size_t>(frames));

    ASSERT_EQ(UsePack(content, SoundUsePack), 0);
    ASSERT_EQ(SoundPlayFrom(5, 7), 0);
    EXPECT_EQ(SoundEntry(), 5);
    EXPECT_EQ(SoundRow(), 7);
    const std::vector<StereoFrame> played = Play(frames);
    SoundStop();
    int differing = 0, sounding = 0;
    for (size_t i = 0; i < rendered.size(); ++i) {
        differing += played[i].left != rendered[i].left || played[i].right != rendered[i].right;
        sounding += rendered[i].left != 0;
    }
    EXPECT_EQ(differing, 0);
    EXPECT_GT(sounding, frames / 2);
}

TEST(PreviewSound, AnAuditionSoundsTheInstrumentsNoteAsVoiceZeroPlaysItAloneBlockEdgesIncluded) {
    const BuiltContent content = Build(IntroSong());
    ASSERT_EQ(UsePack(content, SoundUsePack), 0);
    SoundNoteOn(33, 8);  // A-3 on the lead
    const int frames = 40 * TickFrames;
    const std::vector<StereoFrame> heard = Play(frames);
    EXPECT_EQ(SoundNoteSounding(), 1);
    SoundNoteOff();
    int after = 0;
    for (const StereoFrame& frame : Play(4 * Quantum)) after += frame.left != 0 || frame.right != 0;
    EXPECT_EQ(after, 0);
    SoundNoteOn(24, 11);  // the kick's volume macro ends after ten ticks
    Play(20 * TickFrames);
    EXPECT_EQ(SoundNoteSounding(), 0);

    // The same note alone in a song of the same instruments.
    std::string solo = IntroSong();
    solo.erase(solo.find("\nsequence") + 1);
    solo += "pattern solo\n  A-3 lead\n  --- *31\npattern rest\n  --- *32\nsequence\n  solo rest rest rest speed=6\n";
    AssembledModule module;
    ASSERT_TRUE(AssembleSource(solo, "solo.fcs", module).empty());
    Arm(BuildModuleImage(module));
    // Block by block, as the stream renders the song: a period split by a
    // block edge is ticked at the edge, and each piece is smoothed on its own.
    std::vector<StereoFrame> expected;
    while (expected.size() < static_cast<size_t>(frames)) {
        const std::vector<StereoFrame> block = Mix(IntroSound.framesPerBlock);
        expected.insert(expected.end(), block.begin(), block.end());
    }
    int differing = 0, sounding = 0;
    for (int i = 0; i < frames; ++i) {
        differing += heard[static_cast<size_t>(i)].left != expected[static_cast<size_t>(i)].left ||
                     heard[static_cast<size_t>(i)].right != heard[static_cast<size_t>(i)].left;
        sounding += expected[static_cast<size_t>(i)].left != 0;
    }
    EXPECT_EQ(differing, 0);
    EXPECT_GT(sounding, frames / 2);
}
}  // namespace
