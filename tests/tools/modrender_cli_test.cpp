// modrender run as a program: lengths, formats, the trace, and bad input.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "demo_song.h"
#include "temp_folder_test.h"

namespace fs = std::filesystem;

namespace {

struct Result {
    int exitCode;
    std::string out;
    std::string err;
};

class Modrender : public TempFolderTest {
protected:
    void SetUp() override {
        TempFolderTest::SetUp();
        ASSERT_TRUE(WriteFileBytes(Path("demo.fc14"), BuildModule(DemoSong(true, 4))));
        ASSERT_TRUE(WriteFileBytes(Path("demo.smod"), BuildModule(DemoSong(false, 4))));
    }

    Result Run(const std::string& arguments) const {
        const std::string command = std::string(MODRENDER_PATH) + " " + arguments + " >" +
                                    Path("stdout") + " 2>" + Path("stderr");
        const int status = std::system(command.c_str());
        Result result{WIFEXITED(status) ? WEXITSTATUS(status) : -1, ReadAll(Path("stdout")),
                      ReadAll(Path("stderr"))};
        fs::remove(Path("stdout"));
        fs::remove(Path("stderr"));
        return result;
    }

    // Everything in the folder apart from the two modules written by SetUp.
    std::vector<std::string> Leftovers() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(dir)) {
            const std::string name = entry.path().filename().string();
            if (name != "demo.fc14" && name != "demo.smod") names.push_back(name);
        }
        return names;
    }
};

uint32_t U32At(const std::string& bytes, size_t at) {
    uint32_t value = 0;
    for (int i = 3; i >= 0; --i) value = value << 8 | static_cast<uint8_t>(bytes[at + i]);
    return value;
}

int64_t SongTicks(const std::string& info) {
    const size_t at = info.find("song length ");
    return at == std::string::npos ? -1 : std::stoll(info.substr(at + 12));
}

struct TraceLine {
    long tick = -1;
    int voice = -1;
    std::string operation;
    bool hasArgument = false;
};

// Parses '<tick> <voice> <Operation> [<argument>]'; false if the line is not
// exactly that.
bool ParseTraceLine(const std::string& text, TraceLine& line) {
    std::istringstream fields(text);
    long argument;
    if (!(fields >> line.tick >> line.voice >> line.operation)) return false;
    line.hasArgument = static_cast<bool>(fields >> argument);
    std::string extra;
    const bool clean = !(fields.clear(), fields >> extra);
    return clean && line.tick > 0 && line.voice >= 0 && line.voice <= 3 && text.back() != ' ' &&
           text.find("  ") == std::string::npos;
}

TEST_F(Modrender, FramesGivesExactlyThatManyFramesAsWavOrRaw) {
    ASSERT_EQ(Run(Path("demo.fc14") + " --frames 12345 -o " + Path("a.wav")).exitCode, 0);
    const std::string wav = ReadAll(Path("a.wav"));
    ASSERT_EQ(wav.size(), 44u + 4 * 12345);
    EXPECT_EQ(wav.substr(0, 4), "RIFF");
    EXPECT_EQ(wav.substr(8, 8), "WAVEfmt ");
    EXPECT_EQ(U32At(wav, 4), wav.size() - 8);
    EXPECT_EQ(U32At(wav, 24), 44100u);
    EXPECT_EQ(U32At(wav, 40), 4u * 12345);

    ASSERT_EQ(Run(Path("demo.fc14") + " --raw --frames 12345 -o " + Path("a.raw")).exitCode, 0);
    const std::string raw = ReadAll(Path("a.raw"));
    EXPECT_EQ(raw, wav.substr(44));

    ASSERT_EQ(Run(Path("demo.fc14") + " --raw --frames 0 -o " + Path("empty.raw")).exitCode, 0);
    EXPECT_EQ(fs::file_size(Path("empty.raw")), 0u);
    ASSERT_EQ(Run(Path("demo.fc14") + " --raw --seconds 0.5 -o " + Path("half.raw")).exitCode, 0);
    EXPECT_EQ(fs::file_size(Path("half.raw")), 4u * 22050);
}

TEST_F(Modrender, DefaultLengthIsTheSongOnceAndLoopsMultiplyIt) {
    const Result info = Run(Path("demo.fc14") + " --info");
    ASSERT_EQ(info.exitCode, 0) << info.err;
    const int64_t ticks = SongTicks(info.out);
    ASSERT_GT(ticks, 0) << info.out;
    EXPECT_NE(info.out.find("format FC14"), std::string::npos);
    EXPECT_NE(info.out.find("sequence entries 4"), std::string::npos);
    EXPECT_NE(info.out.find("waveforms 3"), std::string::npos);
    EXPECT_NE(info.out.find("first speed 6"), std::string::npos);
    EXPECT_NE(Run(Path("demo.smod") + " --info").out.find("waveforms 47"), std::string::npos);

    // The pre-fill leaves 248 frames of a tick period counted, so song tick 1
    // covers 634 frames and each later tick 882.
    ASSERT_EQ(Run(Path("demo.fc14") + " --raw -o " + Path("once.raw")).exitCode, 0);
    EXPECT_EQ(fs::file_size(Path("once.raw")), 4u * (634 + (ticks - 1) * 882));
    ASSERT_EQ(Run(Path("demo.fc14") + " --raw --loops 3 -o " + Path("thrice.raw")).exitCode, 0);
    EXPECT_EQ(fs::file_size(Path("thrice.raw")), 4u * (634 + (3 * ticks - 1) * 882));
    const std::string once = ReadAll(Path("once.raw"));
    EXPECT_EQ(ReadAll(Path("thrice.raw")).substr(0, once.size()), once);
}

TEST_F(Modrender, PrefillIsSilenceInFrontOfTheSameMusic) {
    ASSERT_EQ(Run(Path("demo.smod") + " --raw --frames 5000 -o " + Path("plain.raw")).exitCode, 0);
    ASSERT_EQ(Run(Path("demo.smod") + " --raw --frames 5000 --include-prefill -o " +
                  Path("prefill.raw")).exitCode, 0);
    const std::string plain = ReadAll(Path("plain.raw"));
    const std::string prefill = ReadAll(Path("prefill.raw"));
    ASSERT_EQ(prefill.size(), plain.size() + 4 * 32000);
    EXPECT_EQ(prefill.substr(0, 4 * 32000), std::string(4 * 32000, '\0'));
    EXPECT_EQ(prefill.substr(4 * 32000), plain);
    EXPECT_NE(plain, std::string(plain.size(), '\0'));
}

TEST_F(Modrender, StandardOutputCarriesTheSameBytes) {
    ASSERT_EQ(Run(Path("demo.fc14") + " --frames 3000 -o " + Path("file.wav")).exitCode, 0);
    const Result piped = Run(Path("demo.fc14") + " --frames 3000 -o -");
    ASSERT_EQ(piped.exitCode, 0);
    EXPECT_EQ(piped.out, ReadAll(Path("file.wav")));
}

TEST_F(Modrender, TraceListsTheChannelOperationsTickByTick) {
    const Result trace = Run(Path("demo.fc14") + " --trace --ticks 40");
    ASSERT_EQ(trace.exitCode, 0) << trace.err;
    const std::set<std::string> operations = {"SetChannelPeriod", "SetChannelVolume",
                                              "SetChannelSample", "SetChannelLength",
                                              "StartChannel",     "StopChannel"};
    std::istringstream lines(trace.out);
    std::string text;
    long lastTick = 0;
    int count = 0, periods = 0;
    while (std::getline(lines, text)) {
        TraceLine line;
        ASSERT_TRUE(ParseTraceLine(text, line)) << "line " << count + 1 << ": " << text;
        EXPECT_TRUE(operations.count(line.operation)) << text;
        EXPECT_GE(line.tick, lastTick);
        lastTick = line.tick;
        const bool takesArgument = line.operation != "StartChannel" && line.operation != "StopChannel";
        EXPECT_EQ(line.hasArgument, takesArgument) << text;
        periods += line.operation == "SetChannelPeriod";
        ++count;
    }
    EXPECT_EQ(lastTick, 40);
    EXPECT_EQ(periods, 4 * 40) << "every voice sends a period on every tick";
    EXPECT_EQ(trace.out.rfind("1 0 StopChannel\n", 0), 0u) << "the first row starts voice 0";

    // The first ticks of the demo song, as reviewed; a change here is a
    // change of what the replayer tells the mixer.
    const std::string goldenPath = std::string(INTRO_GOLDEN_DIR) + "/demo_trace.txt";
    const Result golden = Run(Path("demo.fc14") + " --trace --ticks 100");
    ASSERT_EQ(golden.exitCode, 0);
    const char* update = std::getenv("INTRO_UPDATE_GOLDEN");
    if (update && std::string(update) == "1") {
        std::ofstream(goldenPath, std::ios::binary) << golden.out;
        GTEST_SKIP() << "rewrote " << goldenPath;
    }
    ASSERT_TRUE(fs::exists(goldenPath)) << goldenPath << " is missing; create it with INTRO_UPDATE_GOLDEN=1";
    EXPECT_TRUE(golden.out == ReadAll(goldenPath)) << "trace of the demo song changed";
}

TEST_F(Modrender, TraceToFileDefaultsToTheSongOnce) {
    const int64_t ticks = SongTicks(Run(Path("demo.fc14") + " --info").out);
    ASSERT_EQ(Run(Path("demo.fc14") + " --trace -o " + Path("t.txt")).exitCode, 0);
    const std::string text = ReadAll(Path("t.txt"));
    ASSERT_FALSE(text.empty());
    const size_t lastLine = text.rfind('\n', text.size() - 2) + 1;
    EXPECT_EQ(std::stoll(text.substr(lastLine)), ticks);
}

TEST_F(Modrender, BadArgumentsFailWithAMessageAndNoOutput) {
    const struct { std::string arguments, message; } cases[] = {
        {"", "no module file given"},
        {Path("demo.fc14"), "no output given"},
        {Path("demo.fc14") + " --bogus -o " + Path("x.wav"), "unknown option '--bogus'"},
        {Path("demo.fc14") + " --frames abc -o " + Path("x.wav"), "--frames needs"},
        {Path("demo.fc14") + " --frames -5 -o " + Path("x.wav"), "--frames needs"},
        {Path("demo.fc14") + " --loops 0 -o " + Path("x.wav"), "--loops needs"},
        {Path("demo.fc14") + " --seconds nan -o " + Path("x.wav"), "--seconds needs"},
        {Path("demo.fc14") + " --seconds 2 --frames 5 -o " + Path("x.wav"), "only one of"},
        {Path("demo.fc14") + " -o", "-o needs"},
        {Path("demo.fc14") + " --info -o " + Path("x.wav"), "takes no -o"},
        {Path("demo.fc14") + " --ticks 5 -o " + Path("x.wav"), "--trace only"},
        {Path("demo.fc14") + " " + Path("demo.smod") + " -o " + Path("x.wav"), "more than one module"},
    };
    for (const auto& c : cases) {
        const Result result = Run(c.arguments);
        EXPECT_NE(result.exitCode, 0) << c.arguments;
        EXPECT_NE(result.err.find(c.message), std::string::npos) << c.arguments << "\n" << result.err;
        EXPECT_NE(result.err.find("Usage:"), std::string::npos);
    }
    EXPECT_TRUE(Leftovers().empty());
}

TEST_F(Modrender, BadModulesFailWithTheReasonAndNoOutput) {
    std::vector<uint8_t> module = BuildModule(DemoSong(true, 4));
    std::vector<uint8_t> wrongMagic = module;
    wrongMagic[0] = 'X';
    std::vector<uint8_t> truncated(module.begin(), module.begin() + module.size() / 2);
    std::vector<uint8_t> headerOnly(module.begin(), module.begin() + 50);
    ASSERT_TRUE(WriteFileBytes(Path("magic.mod"), wrongMagic));
    ASSERT_TRUE(WriteFileBytes(Path("cut.mod"), truncated));
    ASSERT_TRUE(WriteFileBytes(Path("short.mod"), headerOnly));
    ASSERT_TRUE(WriteFileBytes(Path("empty.mod"), {}));
    const struct { std::string module, message; } cases[] = {
        {"missing.mod", "cannot read"},
        {"magic.mod", "unknown format"},
        {"cut.mod", "past the end"},
        {"short.mod", "header needs"},
        {"empty.mod", "too short"},
    };
    for (const auto& c : cases) {
        const std::string modes[] = {" -o " + Path("out.wav"), " --trace -o " + Path("out.txt"),
                                     " --info"};
        for (const std::string& mode : modes) {
            const Result result = Run(Path(c.module) + mode);
            EXPECT_EQ(result.exitCode, 1) << c.module << mode;
            EXPECT_NE(result.err.find(c.message), std::string::npos) << c.module << ": " << result.err;
            EXPECT_TRUE(result.out.empty());
        }
    }
    const Result noFolder = Run(Path("demo.fc14") + " -o " + Path("nowhere/out.wav"));
    EXPECT_EQ(noFolder.exitCode, 1);
    EXPECT_NE(noFolder.err.find("cannot create"), std::string::npos) << noFolder.err;
    for (const std::string& name : Leftovers()) {
        EXPECT_TRUE(name.ends_with(".mod")) << "left behind: " << name;
    }
}

// A content pack around `module`: one page, a stand-in font, a correct checksum.
std::vector<uint8_t> PackAround(const std::vector<uint8_t>& module) {
    const std::string body = std::string("PAGE\0", 5) + "BM-FONT" +
                             std::string(module.begin(), module.end());
    uint32_t crc = 0xFFFFFFFFu;
    for (unsigned char byte : body) {
        crc ^= byte;
        for (int bit = 0; bit < 8; ++bit) crc = crc >> 1 ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    const uint32_t header[] = {1, 5, 7, static_cast<uint32_t>(module.size()), ~crc, 0};
    std::vector<uint8_t> pack = {'I', 'N', 'T', 'R', 'O', 'P', 'A', 'K'};
    for (uint32_t field : header)
        for (int i = 0; i < 4; ++i) pack.push_back(static_cast<uint8_t>(field >> (8 * i)));
    pack.insert(pack.end(), body.begin(), body.end());
    return pack;
}

TEST_F(Modrender, PacksAreNamedAsPacksInTheirMessages) {
    const std::vector<uint8_t> module = BuildModule(DemoSong(true, 4));
    const std::vector<uint8_t> cut(module.begin(), module.begin() + module.size() / 2);
    std::vector<uint8_t> damagedMagic = PackAround(module);
    damagedMagic[4] = 'X';
    ASSERT_TRUE(WriteFileBytes(Path("cut-song.intro"), PackAround(cut)));
    ASSERT_TRUE(WriteFileBytes(Path("magic.pak"), damagedMagic));
    ASSERT_TRUE(WriteFileBytes(Path("whole.intro"), PackAround(module)));
    const std::string inside = "cut-song.intro: the song inside this " +
                               std::to_string(PackAround(cut).size()) + "-byte content pack, a " +
                               std::to_string(cut.size()) + "-byte module at offset 44, is not usable: ";
    const Result cutSong = Run(Path("cut-song.intro") + " --info");
    EXPECT_EQ(cutSong.exitCode, 1);
    EXPECT_NE(cutSong.err.find(inside), std::string::npos) << cutSong.err;
    EXPECT_NE(cutSong.err.find("past the end of the " + std::to_string(cut.size()) + "-byte module"),
              std::string::npos) << cutSong.err;
    const Result magic = Run(Path("magic.pak") + " --info");
    EXPECT_EQ(magic.exitCode, 1);
    EXPECT_NE(magic.err.find("magic.pak: looks like a damaged content pack: it starts with bytes "
                             "49 4E 54 52 58 50 41 4B where a pack starts with \"INTROPAK\""),
              std::string::npos) << magic.err;
    EXPECT_EQ(Run(Path("whole.intro") + " --info").exitCode, 0) << "the intact pack is refused";
}

#ifdef MODRENDER_HAVE_BUILTIN
TEST_F(Modrender, BuiltinRendersTheEmbeddedSong) {
    const Result info = Run("--builtin --info");
    ASSERT_EQ(info.exitCode, 0) << info.err;
    EXPECT_GT(SongTicks(info.out), 0);
    ASSERT_EQ(Run("--builtin --raw --frames 4410 -o " + Path("b.raw")).exitCode, 0);
    EXPECT_EQ(fs::file_size(Path("b.raw")), 4u * 4410);
    const Result both = Run("--builtin " + Path("demo.fc14") + " --info");
    EXPECT_EQ(both.exitCode, 2);
    EXPECT_NE(both.err.find("not both"), std::string::npos);
}
#endif

}  // namespace

TEST_F(Modrender, FromStartsAtAnEntryWithoutThePrefillAndNeedsALength) {
    ASSERT_EQ(Run(Path("demo.fc14") + " --raw --frames 5000 --from 1:2 -o " + Path("from.raw")).exitCode, 0);
    const std::string from = ReadAll(Path("from.raw"));
    ASSERT_EQ(from.size(), 4u * 5000);
    EXPECT_NE(from.substr(0, 4000), std::string(4000, '\0'));  // music at once, no silent ring
    const Result noLength = Run(Path("demo.fc14") + " --from 1 -o " + Path("x.wav"));
    EXPECT_EQ(noLength.exitCode, 2);
    EXPECT_NE(noLength.err.find("--from renders audio of a length given by --seconds or --frames"),
              std::string::npos) << noLength.err;
    EXPECT_EQ(Run(Path("demo.fc14") + " --from 1:32 --frames 9 -o " + Path("x.wav")).exitCode, 2);
    const Result badTick = Run(Path("demo.fc14") + " --from 1:2:256 --frames 9 -o " + Path("x.wav"));
    EXPECT_EQ(badTick.exitCode, 2);
    EXPECT_NE(badTick.err.find("ENTRY:ROW:TICK (tick 0 to 255), not '1:2:256'"), std::string::npos) << badTick.err;
    EXPECT_EQ(Run(Path("demo.fc14") + " --from 1:2:0:0 --frames 9 -o " + Path("x.wav")).exitCode, 2);
    EXPECT_FALSE(fs::exists(Path("x.wav")));
}

// A tick of the row: tick 0 is the row's start; a later tick starts there
// (not the row's render shifted); a tick the row never plays starts the entry,
// and modrender says so.
TEST_F(Modrender, FromTakesATickWithinTheRow) {
    auto render = [&](const std::string& from) {
        const Result result = Run(Path("demo.fc14") + " --raw --frames 5000 --from " + from + " -o " + Path("t.raw"));
        EXPECT_EQ(result.exitCode, 0) << from << ": " << result.err;
        return ReadAll(Path("t.raw"));
    };
    const std::string rowStart = render("0:0");
    ASSERT_EQ(rowStart.size(), 4u * 5000);
    EXPECT_TRUE(render("0:0:0") == rowStart);
    const std::string laterTick = render("0:0:1");
    ASSERT_EQ(laterTick.size(), 4u * 5000);
    EXPECT_FALSE(laterTick == rowStart);
    EXPECT_FALSE(laterTick.compare(0, 4 * 4000, rowStart, 4 * 882, 4 * 4000) == 0) << "a shifted render";
    EXPECT_TRUE(render("0:0:255") == render("0"));
    const Result unplayed = Run(Path("demo.fc14") + " --raw --frames 9 --from 0:0:255 -o " + Path("t.raw"));
    EXPECT_NE(unplayed.err.find("entry 0, row 0, tick 255 is not played in one pass of the song; starting at "
                                "the entry's first tick"), std::string::npos) << unplayed.err;
    EXPECT_EQ(Run(Path("demo.fc14") + " --raw --frames 9 --from 0:0:1 -o " + Path("t.raw")).err, "");
}
