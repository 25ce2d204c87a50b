// modasm: assembles a module source (.fcs) into an "FC14" or "SMOD" module,
// and optionally into a C++ file that carries the bytes as a constant array;
// with --disassemble, turns a module back into a source; with --view, prints
// the song's structure with where each element was written, as JSON.
// INTRO_DOC_DIR, the installed documentation folder, comes from CMake.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "app/program_info.h"
#include "authoring/song/assembler.h"
#include "authoring/song/disassembler.h"
#include "authoring/song/song_view.h"
#include "output_files.h"
#include "safe_output.h"
#include "source_text.h"

namespace {

constexpr char UsageText[] =
    "Usage: modasm SOURCE -o MODULE [--cpp FILE [--symbol NAME]] [--summary]\n"
    "       modasm --disassemble MODULE -o SOURCE\n"
    "       modasm --view SOURCE\n"
    "Assembles a module source into an \"FC14\" or \"SMOD\" module, or turns a\n"
    "module into a source that assembles back to the same bytes. The source\n"
    "format is described in " INTRO_DOC_DIR "/module-source.md.\n"
    "  -o FILE        the module (or, with --disassemble, the source) to write\n"
    "  --disassemble  read MODULE and write its source\n"
    "  --view         print SOURCE's sequence, patterns, macros and sounds as\n"
    "                 JSON, each with its line and columns in SOURCE; no file\n"
    "                 is written\n"
    "  --cpp FILE     also write the bytes as C++ (const uint8_t NAME[], NAMESize)\n"
    "  --symbol NAME  the array's name (default ModuleImage)\n"
    "  --summary      print counts, size and song length\n"
    "  -h, --help     print this help and exit\n"
    "  --version      print the version and licence and exit\n"
    "\n"
    "Exit status:\n"
    "  0  the module (or the source, or the view) is written\n"
    "  1  the source does not assemble (each problem as file:line: reason), or\n"
    "     the file to disassemble is no module the loader accepts (file: reason)\n"
    "  2  a wrong command line, or a file that cannot be read or written\n";

int Usage(const char* problem) {
    std::fprintf(stderr, "modasm: %s\n%s", problem, UsageText);
    return 2;
}

std::string BaseName(const std::string& path) {
    size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// --disassemble: the module's bytes in, its source out.
int Disassemble(const std::string& modulePath, const std::string& output) {
    std::vector<uint8_t> image;
    std::FILE* in = std::fopen(modulePath.c_str(), "rb");
    if (in) {
        uint8_t buffer[65536];
        for (size_t got; (got = std::fread(buffer, 1, sizeof buffer, in)) > 0;)
            image.insert(image.end(), buffer, buffer + got);
    }
    if (!in || std::ferror(in)) {
        std::fprintf(stderr, "modasm: %s: cannot read the file (%s)\n", modulePath.c_str(),
                     std::strerror(errno));
        if (in) std::fclose(in);
        return 2;
    }
    std::fclose(in);
    std::string source, error;
    const std::vector<Problem> problems = DisassembleModule(image, modulePath, &source);
    if (!problems.empty()) {
        for (const Problem& problem : problems)
            std::fprintf(stderr, "modasm: %s\n", FormatProblem(problem, "modasm").c_str());
        std::fprintf(stderr, "modasm: %s not written\n", output.c_str());
        return 1;
    }
    if (!WriteFileSafely(output, source, error)) {
        std::fprintf(stderr, "modasm: %s\n", error.c_str());
        return 2;
    }
    return 0;
}

// --view: the source's structure as JSON on the standard output.
int PrintView(const std::string& sourcePath) {
    std::string text;
    if (!ReadSourceText("modasm", sourcePath, "a song source", text)) return 2;
    ProblemLog log(sourcePath);
    SongView view;
    if (!AssembleSongView(text, log, view)) {
        for (const Problem& problem : log.Problems())
            std::fprintf(stderr, "%s\n", FormatProblem(problem, "modasm").c_str());
        return 1;
    }
    const std::string json = SongViewAsJson(view) + "\n";
    if (std::fwrite(json.data(), 1, json.size(), stdout) != json.size() || std::fflush(stdout) != 0) {
        std::fprintf(stderr, "modasm: cannot write the view to the standard output (%s)\n",
                     std::strerror(errno));
        return 2;
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    std::string source, output, cppOutput, symbol = "ModuleImage";
    bool summary = false, disassemble = false, view = false;
    if (AnswerHelpOrVersion(argc, argv, "modasm", UsageText)) return 0;
    auto sourceFile = [&](const std::string& arg, std::string& problem) {
        if (!source.empty()) return problem = "more than one source file: " + arg, false;
        source = arg;
        return true;
    };
    CommandLine line;
    line.UnknownWording("unknown option or missing value: ", "")
        .MissingValueReadsAsUnknown()
        .Value("-o", &output)
        .Value("--cpp", &cppOutput)
        .Value("--symbol", &symbol)
        .Flag("--summary", &summary)
        .Flag("--disassemble", &disassemble)
        .Flag("--view", &view)
        .Positional(sourceFile, CommandLine::LoneDash::Unknown);
    std::string problem;
    if (!line.Read(argc, argv, problem)) return Usage(problem.c_str());
    if (disassemble) {
        if (source.empty() || output.empty()) return Usage("--disassemble needs a MODULE and -o SOURCE");
        if (summary || view || !cppOutput.empty()) return Usage("--disassemble takes only MODULE and -o SOURCE");
        return Disassemble(source, output);
    }
    if (view) {
        if (source.empty() || !output.empty() || summary || !cppOutput.empty())
            return Usage("--view takes only a SOURCE");
        return PrintView(source);
    }
    if (source.empty() || output.empty()) return Usage("need a SOURCE and -o MODULE");

    std::string text;
    if (!ReadSourceText("modasm", source, "a song source", text)) return 2;

    AssembledModule module;
    const std::vector<Problem> problems = AssembleSource(text, source, module);
    if (!problems.empty()) {
        // At most 20, then one line saying how many more there were.
        for (const Problem& problem : problems)
            std::fprintf(stderr, "%s\n", FormatProblem(problem, "modasm").c_str());
        std::fprintf(stderr, "modasm: %s not written\n", output.c_str());
        return 1;
    }
    std::vector<uint8_t> image = BuildModuleImage(module);
    std::string error;
    if (!WriteFileSafely(output, image.data(), image.size(), error)) {
        std::fprintf(stderr, "modasm: %s\n", error.c_str());
        return 2;
    }
    if (!cppOutput.empty() &&
        !WriteFileSafely(cppOutput, ModuleAsCpp(image, symbol, BaseName(source)), error)) {
        std::remove(output.c_str());
        std::fprintf(stderr, "modasm: %s\n", error.c_str());
        return 2;
    }
    if (summary) std::printf("%s: %s\n", source.c_str(), DescribeModule(module, image.size()).c_str());
    return 0;
}
