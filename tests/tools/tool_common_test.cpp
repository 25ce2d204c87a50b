// SafeOutput leaves either the whole file or nothing: after a commit, a
// failure, a drop without commit and a kill in the middle of writing.
#include <gtest/gtest.h>

#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

#include "authoring/cpp_source.h"
#include "safe_output.h"
#include "temp_folder_test.h"

namespace {

using SafeOutputTest = TempFolderTest;

TEST_F(SafeOutputTest, CommitReplacesTheFileAndDropLeavesNothing) {
    std::string error;
    ASSERT_TRUE(WriteFileSafely(Path("out.bin"), "old", error)) << error;
    {
        SafeOutput dropped;
        ASSERT_TRUE(dropped.Open(Path("other.bin"), error)) << error;
        ASSERT_TRUE(dropped.Write("partial", 7));
        SafeOutput replaced;
        ASSERT_TRUE(replaced.Open(Path("out.bin"), error)) << error;
        ASSERT_TRUE(replaced.Write("new ", 4));
        std::fputs("bytes", replaced.Stream());
        ASSERT_TRUE(replaced.Commit(error)) << error;
    }
    EXPECT_EQ(ReadAll(Path("out.bin")), "new bytes");
    EXPECT_EQ(FileCount(), 1);

    EXPECT_FALSE(WriteFileSafely(Path("no/such/folder/x.bin"), "x", error));
    EXPECT_NE(error.find("cannot write '" + Path("no/such/folder/x.bin") + "'"), std::string::npos);
}

TEST_F(SafeOutputTest, AKilledToolLeavesNoFile) {
    for (int signal : {SIGTERM, SIGINT}) {
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            SafeOutput out;
            std::string error;
            if (!out.Open(Path("out.bin"), error) || !out.Write("half", 4)) _exit(3);
            std::fflush(out.Stream());
            raise(signal);
            _exit(4);  // not reached: the handler ends the process by the signal
        }
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFSIGNALED(status)) << "exit status " << status;
        EXPECT_EQ(WTERMSIG(status), signal);
        EXPECT_EQ(FileCount(), 0);
    }
}

TEST(CppSource, SixteenValuesALineEachWithAComma) {
    uint8_t bytes[17];
    for (int i = 0; i < 17; ++i) bytes[i] = static_cast<uint8_t>(i * 15);
    EXPECT_EQ(CppArrayDefinition("const uint8_t Data[]", bytes, 17),
              "const uint8_t Data[] = {\n"
              "    0, 15, 30, 45, 60, 75, 90, 105, 120, 135, 150, 165, 180, 195, 210, 225,\n"
              "    240,\n};\n");
    EXPECT_EQ(CppArrayDefinition("const char Empty[]", bytes, 0), "const char Empty[] = {\n};\n");
}

}  // namespace
