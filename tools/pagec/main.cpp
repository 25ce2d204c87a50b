// pagec: checks the intro's text pages and writes them as the C++ source of
// IntroPages.
//   pagec <pages.txt> <pages.cpp>
// A page that would not show whole fails with "file:line: reason", exit 1,
// and no output is written.
#include <cstdio>
#include <string>
#include <vector>

#include "app/program_info.h"
#include "authoring/page_text.h"
#include "data/intro_data.h"
#include "safe_output.h"
#include "source_text.h"

namespace {
constexpr char UsageText[] =
    "Usage: pagec PAGES.txt PAGES.cpp\n"
    "Checks the intro's text pages against the font's character set and the\n"
    "lines the window shows, and writes them as the C++ source of IntroPages.\n"
    "intro-pack checks the pages the same way.\n"
    "  -h, --help   print this help and exit\n"
    "  --version    print the version and licence and exit\n"
    "\n"
    "Exit status:\n"
    "  0  PAGES.cpp is written\n"
    "  1  a page would not show whole (file:line: reason), or PAGES.cpp cannot be\n"
    "     written\n"
    "  2  a wrong command line, or PAGES.txt cannot be read\n";

std::string BaseName(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}
}  // namespace

int main(int argc, char** argv) {
    if (AnswerHelpOrVersion(argc, argv, "pagec", UsageText)) return 0;
    if (argc != 3) {
        std::fputs(UsageText, stderr);
        return 2;
    }
    std::string text;
    if (!ReadSourceText("pagec", argv[1], "text pages", text)) return 2;
    std::vector<std::string> pages;
    const std::vector<Problem> problems = ParsePages(text, argv[1], IntroCharset, &pages);
    if (!problems.empty()) {
        for (const Problem& problem : problems)
            std::fprintf(stderr, "%s\n", FormatProblem(problem, "pagec").c_str());
        std::fprintf(stderr, "pagec: %s not written\n", argv[2]);
        return 1;
    }
    std::string error;
    if (!WriteFileSafely(argv[2], EmitPagesSource(pages, BaseName(argv[1])), error)) {
        std::fprintf(stderr, "pagec: %s\n", error.c_str());
        return 1;
    }
    return 0;
}
