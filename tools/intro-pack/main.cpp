// intro-pack: a content folder (pages, font art, song) made into an intro
// without a compiler: a content pack, a Windows program made from the
// prebuilt intro.exe, a web folder or one web page, or a video through
// intro-capture.
// INTRO_PACK_DATA_DIR, where the package installs intro.exe and the web
// folder's files, comes from CMake.
#include <cstdio>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "app/program_info.h"
#include "authoring/cpp_source.h"
#include "content_sources.h"
#include "pack_outputs.h"
#include "safe_output.h"

namespace {

constexpr char UsageText[] =
    "Usage: intro-pack FOLDER -o OUT [options]\n"
    "       intro-pack --pages FILE --font FILE --song FILE -o OUT [options]\n"
    "Checks a content folder (pages.txt, font.txt, and song.fcs or song.mod) and\n"
    "makes an intro from it. OUT's ending chooses what is written:\n"
    "  NAME.intro         the content pack, which intro --content FILE plays\n"
    "  NAME.exe           the Windows intro with this content (no compiler needed);\n"
    "                     prints its size and its parts against 64 KiB\n"
    "  NAME.mp4|.mkv|.webp a video, through intro-capture\n"
    "  NAME.html          the web version as one page holding everything, which\n"
    "                     plays when opened from disk; prints its size\n"
    "  NAME/ or NAME      a folder with the web version (index.html, content.intro)\n"
    "Options:\n"
    "  --pages FILE   the text pages, instead of FOLDER/pages.txt\n"
    "  --font FILE    the font art, instead of FOLDER/font.txt\n"
    "  --song FILE    the song: a song source (.fcs) or a module file\n"
    "  --shell FILE   the prebuilt intro.exe to build on\n"
    "                 (default " INTRO_PACK_DATA_DIR "/intro.exe)\n"
    "  --web FILES    the web version's files (default " INTRO_PACK_DATA_DIR "/web)\n"
    "  --seconds N    a video's length (default: the song's first pass)\n"
    "  --cpp FILE     also write the pack as C++ source of BuiltInPack (the build's)\n"
    "  -h, --help     print this help and exit\n"
    "  --version      print the version and licence and exit\n"
    "\n"
    "Exit status:\n"
    "  0  written\n"
    "  1  the content has problems (each as file:line: reason); nothing written\n"
    "  2  a wrong command line, or a file that cannot be read or written\n";

int Usage(const std::string& problem) {
    std::fprintf(stderr, "intro-pack: %s\n%s", problem.c_str(), UsageText);
    return 2;
}

int Fail(const std::string& message) {
    std::fprintf(stderr, "intro-pack: %s\n", message.c_str());
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    if (AnswerHelpOrVersion(argc, argv, "intro-pack", UsageText)) return 0;
    std::string folder, output, cppOutput, seconds;
    ContentSources sources;
    PackData data{INTRO_PACK_DATA_DIR "/intro.exe", INTRO_PACK_DATA_DIR "/web"};
    auto contentFolder = [&](const std::string& arg, std::string& problem) {
        if (!folder.empty()) return problem = "more than one content folder: " + arg, false;
        folder = arg;
        return true;
    };
    CommandLine line;
    line.UnknownWording("unknown option: ", "")
        .Value("-o", &output)
        .Value("--pages", &sources.pages)
        .Value("--font", &sources.font)
        .Value("--song", &sources.song)
        .Value("--shell", &data.shell)
        .Value("--web", &data.webFiles)
        .Value("--seconds", &seconds)
        .Value("--cpp", &cppOutput)
        .Positional(contentFolder, CommandLine::LoneDash::Unknown);
    std::string problem;
    if (!line.Read(argc, argv, problem)) return Usage(problem);
    if (output.empty()) return Usage("need -o OUT");
    if (!folder.empty()) {
        ContentSources found;
        std::string error;
        const bool complete = !sources.pages.empty() && !sources.font.empty() && !sources.song.empty();
        if (!complete && !FindContentSources(folder, &found, &error)) {
            std::fprintf(stderr, "%s\nintro-pack: %s not written\n", error.c_str(), output.c_str());
            return 1;
        }
        if (sources.pages.empty()) sources.pages = found.pages;
        if (sources.font.empty()) sources.font = found.font;
        if (sources.song.empty()) sources.song = found.song;
    } else if (sources.pages.empty() || sources.font.empty() || sources.song.empty()) {
        return Usage("need a FOLDER, or all of --pages, --font and --song");
    }

    BuiltContent content;
    std::vector<std::string> unread;
    const std::vector<Problem> problems = BuildContent(ReadContentSources(sources, &unread), &content);
    if (!unread.empty() || !problems.empty()) {
        // At most 20 problems, then one line saying how many more there were.
        for (const std::string& message : unread) std::fprintf(stderr, "%s\n", message.c_str());
        for (const Problem& problem : problems)
            std::fprintf(stderr, "%s\n", FormatProblem(problem, "intro-pack").c_str());
        std::fprintf(stderr, "intro-pack: %s not written\n", output.c_str());
        return 1;
    }

    // The C++ source is written first under a temporary name and renamed into
    // place only once the main output is whole: a failure leaves neither, and
    // files that were there stay until their replacements are complete.
    std::string error;
    SafeOutput cppFile;
    if (!cppOutput.empty()) {
        const std::string cpp = "// Generated by intro-pack from the content sources; do not edit.\n"
                                "#include \"data/builtin_pack.h\"\n\n" +
                                CppArrayDefinition("const uint8_t BuiltInPack[]", content.pack.data(),
                                                   content.pack.size()) +
                                "const uint32_t BuiltInPackSize = sizeof(BuiltInPack);\n";
        if (!cppFile.Open(cppOutput, error)) return Fail(error);
        if (!cppFile.Write(cpp.data(), cpp.size()) || std::fflush(cppFile.Stream()) != 0)
            return Fail("cannot write '" + cppOutput + "' (disk full?)");
    }
    const std::vector<std::string> inputs = {sources.pages, sources.font, sources.song, data.shell};
    if (!WritePackOutput(output, content, data, inputs, seconds, argv[0], &error))
        return Fail(error);
    if (!cppOutput.empty() && !cppFile.Commit(error)) return Fail(error);
    return 0;
}
