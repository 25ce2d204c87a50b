// modasm run as a program: outputs on success, file:line messages, exit codes
// and no output file left behind on failure.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "modasm_test_support.h"
#include "replayer/replayer.h"
#include "temp_folder_test.h"

namespace fs = std::filesystem;

namespace {

class ModasmCli : public TempFolderTest {
protected:
    void Write(const std::string& name, const std::string& text) const {
        std::ofstream(Path(name), std::ios::binary) << text;
    }

    int Run(const std::string& arguments) {
        const std::string command = std::string(MODASM_PATH) + " " + arguments + " >" +
                                    Path("out.txt") + " 2>" + Path("err.txt");
        const int status = std::system(command.c_str());
        out = ReadAll(Path("out.txt"));
        err = ReadAll(Path("err.txt"));
        fs::remove(Path("out.txt"));
        fs::remove(Path("err.txt"));
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    std::string out, err;
};

TEST_F(ModasmCli, WritesTheModuleAndTheCppArray) {
    Write("song.fcs", MinimalSong());
    ASSERT_EQ(Run(Path("song.fcs") + " -o " + Path("song.mod") + " --cpp " + Path("song.cpp") +
                  " --symbol TestImage --summary"),
              0)
        << err;
    const std::string module = ReadAll(Path("song.mod"));
    EXPECT_EQ(module, std::string(reinterpret_cast<const char*>(AssembleText(MinimalSong()).image.data()),
                                  module.size()));
    EXPECT_EQ(module.size(), 180u + 13 + 3 * 64 + 32);
    const std::string cpp = ReadAll(Path("song.cpp"));
    EXPECT_NE(cpp.find("const uint8_t TestImage[] = {\n    70, 67, 49, 52,"), std::string::npos);
    EXPECT_NE(cpp.find("const uint32_t TestImageSize = " + std::to_string(module.size()) + ";"),
              std::string::npos);
    EXPECT_NE(out.find("FC14, 417 bytes: 1 entries"), std::string::npos) << out;
    EXPECT_NE(out.find("192 ticks = 3.84 s per pass"), std::string::npos) << out;
    EXPECT_EQ(FileCount(), 3);  // source, module, C++: no temporary left
}

TEST_F(ModasmCli, SourceErrorsNameFileAndLineAndLeaveNoOutput) {
    const std::string bad[] = {
        MinimalSong("  H-2\n"),
        MinimalSong("freq open\n  SetWave tone 0\n"),
        "format FC14\npattern p\n  C-2 x\nsequence\n  p p p p\n",
    };
    const std::string expected[] = {
        "bad.fcs:9: unknown note 'H-2'",
        "bad.fcs:10: macro 'open' must end with End, Loop or JumpMacro",
        "bad.fcs:3: unknown instrument 'x'",
    };
    for (int i = 0; i < 3; ++i) {
        Write("bad.fcs", bad[i]);
        EXPECT_EQ(Run(Path("bad.fcs") + " -o " + Path("bad.mod") + " --cpp " + Path("bad.cpp")), 1);
        EXPECT_NE(err.find(Path(expected[i])), std::string::npos) << err;
        EXPECT_NE(err.find("bad.mod not written"), std::string::npos) << err;
        EXPECT_FALSE(fs::exists(Path("bad.mod")));
        EXPECT_FALSE(fs::exists(Path("bad.cpp")));
        EXPECT_EQ(FileCount(), 1);
    }
}

TEST_F(ModasmCli, UsageAndFileProblems) {
    EXPECT_EQ(Run(""), 2);
    EXPECT_NE(err.find("need a SOURCE and -o MODULE"), std::string::npos) << err;
    EXPECT_EQ(Run("a.fcs -o x.mod --bogus"), 2);
    EXPECT_NE(err.find("unknown option or missing value: --bogus"), std::string::npos) << err;
    EXPECT_EQ(Run(Path("missing.fcs") + " -o " + Path("x.mod")), 2);
    EXPECT_NE(err.find("cannot read " + Path("missing.fcs")), std::string::npos) << err;
    // A FIFO held modasm waiting for a writer, and a huge source was read
    // whole: both are refused before any reading.
    ASSERT_EQ(mkfifo(Path("pipe.fcs").c_str(), 0600), 0);
    EXPECT_EQ(Run(Path("pipe.fcs") + " -o " + Path("x.mod")), 2);
    EXPECT_NE(err.find("it is a FIFO (named pipe), not a file; not a song source"), std::string::npos) << err;
    fs::remove(Path("pipe.fcs"));
    Write("huge.fcs", std::string(17 << 20, ';'));
    EXPECT_EQ(Run(Path("huge.fcs") + " -o " + Path("x.mod")), 2);
    EXPECT_NE(err.find("is larger than 16 MiB; not a song source"), std::string::npos) << err;
    fs::remove(Path("huge.fcs"));
    Write("song.fcs", MinimalSong());
    EXPECT_EQ(Run(Path("song.fcs") + " -o " + Path("no/such/dir/x.mod")), 2);
    EXPECT_NE(err.find("cannot write"), std::string::npos) << err;
    // A C++ file that cannot be written takes the module down with it.
    EXPECT_EQ(Run(Path("song.fcs") + " -o " + Path("x.mod") + " --cpp " + Path("no/x.cpp")), 2);
    EXPECT_FALSE(fs::exists(Path("x.mod")));
    EXPECT_EQ(FileCount(), 1);
}

TEST_F(ModasmCli, ViewPrintsTheSongAsJsonOrTheProblems) {
    Write("song.fcs", MinimalSong());
    ASSERT_EQ(Run("--view " + Path("song.fcs")), 0) << err;
    EXPECT_EQ(out.rfind("{\"format\":\"FC14\",\"blocks\":[{\"kind\":\"format\"", 0), 0u) << out;
    EXPECT_NE(out.find("\"lines\":[{\"row\":0,\"count\":1,\"note\":\"C-2\",\"instrument\":\"note\""),
              std::string::npos) << out;
    Write("bad.fcs", MinimalSong("  H-2\n"));
    EXPECT_EQ(Run("--view " + Path("bad.fcs")), 1);
    EXPECT_NE(err.find("bad.fcs:9: unknown note 'H-2'"), std::string::npos) << err;
    EXPECT_TRUE(out.empty());
    EXPECT_EQ(Run("--view " + Path("song.fcs") + " -o " + Path("x.mod")), 2);
    EXPECT_NE(err.find("--view takes only a SOURCE"), std::string::npos) << err;
}

TEST_F(ModasmCli, DisassemblesAModuleAndRefusesATruncatedOne) {
    const std::vector<uint8_t> image = AssembleText(MinimalSong()).image;
    Write("song.mod", std::string(image.begin(), image.end()));
    ASSERT_EQ(Run("--disassemble " + Path("song.mod") + " -o " + Path("song.fcs")), 0) << err;
    EXPECT_EQ(AssembleText(ReadAll(Path("song.fcs"))).image, image);

    const size_t cut = image.size() - 40;  // the last parts reach past the end
    Write("cut.mod", std::string(image.begin(), image.begin() + static_cast<long>(cut)));
    char reason[256];
    ASSERT_NE(LoadModuleChecked(image.data(), cut, reason, sizeof reason), 0);
    EXPECT_EQ(Run("--disassemble " + Path("cut.mod") + " -o " + Path("cut.fcs")), 1);
    EXPECT_NE(err.find("modasm: " + Path("cut.mod") + ": " + reason), std::string::npos) << err;
    EXPECT_FALSE(fs::exists(Path("cut.fcs")));
    EXPECT_EQ(FileCount(), 3);  // song.mod, song.fcs, cut.mod
}

}  // namespace
