// The intro maker's tools in WebAssembly: the three sources checked and built
// by the authoring library's BuildContent (as intro-pack builds a folder), the
// pack, intro.exe from a prebuilt shell by WriteIntroExe with its parts
// measured, the web intro as one HTML file, and a module back into song
// source. Problems come back as data: MakerProblems gives them as a
// JSON array of {file, line, column, reason, message}, the message worded as
// the tools print it. MakerCharset and MakerInks give the page the font's
// character set and fontc's four inks, so the page keeps no copy of either.
#include <emscripten.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "authoring/content_build.h"
#include "authoring/exe_content.h"
#include "authoring/exe_sizes.h"
#include "authoring/font_art.h"
#include "authoring/problem.h"
#include "authoring/single_html.h"
#include "authoring/song/disassembler.h"
#include "authoring/song/song_view.h"
#include "data/intro_data.h"

namespace {
struct MakerState {
    BuiltContent content;
    bool built = false;
    std::vector<Problem> problems;  // of the last call
    std::string messages;           // the same, one a line, as the tools print them
    std::string problemsJson;
    std::vector<uint8_t> exe;
    std::string exeSizesJson;       // of the last intro.exe built, "" before one
    WebPageFiles webFiles;          // the web version's files, as the page gave them
    std::string html;
    std::string source;             // the last disassembly
    std::string songView;           // the last song view, as JSON
} maker;

std::string Text(const uint8_t* bytes, int size) {
    return std::string(reinterpret_cast<const char*>(bytes), size > 0 ? static_cast<size_t>(size) : 0);
}

void Report(std::vector<Problem> problems) {
    maker.problems = std::move(problems);
    maker.messages.clear();
    for (const Problem& problem : maker.problems) maker.messages += FormatProblem(problem, "maker") + "\n";
    maker.problemsJson = ProblemsAsJson(maker.problems, "maker");
}
}  // namespace

extern "C" {

EMSCRIPTEN_KEEPALIVE uint8_t* MakerAlloc(int size) {
    return static_cast<uint8_t*>(std::malloc(size > 0 ? static_cast<size_t>(size) : 1));
}
EMSCRIPTEN_KEEPALIVE void MakerFree(uint8_t* block) { std::free(block); }

// Checks and builds pages.txt, font.txt and the song (song.fcs, or song.mod
// when `songIsModule`). Returns 1 when all three are valid; MakerMessages
// then is empty and MakerPack holds the pack.
EMSCRIPTEN_KEEPALIVE int MakerBuild(const uint8_t* pages, int pagesSize, const uint8_t* font,
                                    int fontSize, const uint8_t* song, int songSize,
                                    int songIsModule) {
    maker.content = BuiltContent{};
    ContentTexts texts;
    texts.pages = {"pages.txt", Text(pages, pagesSize)};
    texts.font = {"font.txt", Text(font, fontSize)};
    texts.songIsModule = songIsModule != 0;
    texts.song = {texts.songIsModule ? "song.mod" : "song.fcs", Text(song, songSize)};
    Report(BuildContent(texts, &maker.content));
    maker.built = maker.problems.empty();
    return maker.built;
}

// The song source `song` (song.fcs) assembled and nothing more, to check an
// edit before it is written: 1 when it assembles, else 0 with the reasons as
// the problems.
EMSCRIPTEN_KEEPALIVE int MakerSongCheck(const uint8_t* song, int songSize) {
    ProblemLog log("song.fcs");
    AssembledModule module;
    const bool assembled = AssembleSource(Text(song, songSize), log, module);
    Report(log.Problems());
    return assembled ? 1 : 0;
}

// The song source `song` (song.fcs) assembled into its view: the sequence,
// patterns, macros and sounds with the line and columns each came from, as
// the JSON `modasm --view` prints. Returns the JSON, or "" when the source
// does not assemble (the reasons are then the problems).
EMSCRIPTEN_KEEPALIVE const char* MakerSongView(const uint8_t* song, int songSize) {
    ProblemLog log("song.fcs");
    SongView view;
    maker.songView = AssembleSongView(Text(song, songSize), log, view) ? SongViewAsJson(view) : "";
    Report(log.Problems());
    return maker.songView.c_str();
}

// The last call's problems: as the tools print them, one a line, and as data.
EMSCRIPTEN_KEEPALIVE const char* MakerMessages() { return maker.messages.c_str(); }
EMSCRIPTEN_KEEPALIVE const char* MakerProblems() { return maker.problemsJson.c_str(); }
EMSCRIPTEN_KEEPALIVE const uint8_t* MakerPack() { return maker.content.pack.data(); }
EMSCRIPTEN_KEEPALIVE int MakerPackSize() { return static_cast<int>(maker.content.pack.size()); }

// intro.exe from the prebuilt `shell` and the last valid build, as
// intro-pack --shell writes it. Returns its size, or 0 with the reason in the
// problems.
EMSCRIPTEN_KEEPALIVE int MakerBuildExe(const uint8_t* shell, int shellSize) {
    maker.exe.clear();
    if (!maker.built) {
        Report({Problem{"", 0, 0, "the content has problems; no intro.exe"}});
        return 0;
    }
    std::vector<uint8_t> image(shell, shell + (shellSize > 0 ? shellSize : 0));
    Report(WriteIntroExe(image, "intro.exe", maker.content.fontBmp, maker.content.exePack, &maker.exe));
    maker.exeSizesJson.clear();
    ExeSizes sizes;
    std::string unmeasured;
    if (maker.problems.empty() && MeasureIntroExe(maker.exe, &sizes, &unmeasured))
        maker.exeSizesJson = ExeSizesJson(sizes);
    return maker.problems.empty() ? static_cast<int>(maker.exe.size()) : 0;
}
EMSCRIPTEN_KEEPALIVE const uint8_t* MakerExe() { return maker.exe.data(); }

// The last intro.exe's size and parts against 64 KiB, as JSON
// {"file","code","pages","font","song","rest","limit","left","text"} (bytes;
// "text" the lines intro-pack prints), or "" when none was built.
EMSCRIPTEN_KEEPALIVE const char* MakerExeSizes() { return maker.exeSizesJson.c_str(); }

// Hands over one of the files the web page is made of (`name` zero-terminated,
// as in the web folder: "intro.wasm"), replacing an earlier one. Returns 1, or
// 0 for a name the page is not made of.
EMSCRIPTEN_KEEPALIVE int MakerAddWebFile(const char* name, const uint8_t* bytes, int size) {
    const int index = name != nullptr ? WebPageFileIndex(name) : -1;
    if (index < 0) return 0;
    maker.webFiles[index].assign(bytes, bytes + (size > 0 ? size : 0));
    return 1;
}

// intro.html of the files handed over and the last valid build's pack, as
// intro-pack NAME.html writes it. Returns its size, or 0 with the reason in
// the problems (a missing file is named).
EMSCRIPTEN_KEEPALIVE int MakerSingleHtml() {
    maker.html.clear();
    if (!maker.built) {
        Report({Problem{"", 0, 0, "the content has problems; no intro.html"}});
        return 0;
    }
    Report(WriteSingleHtml(maker.webFiles, maker.content.pack, &maker.html));
    return maker.problems.empty() ? static_cast<int>(maker.html.size()) : 0;
}
EMSCRIPTEN_KEEPALIVE const uint8_t* MakerHtml() { return reinterpret_cast<const uint8_t*>(maker.html.data()); }

// A module file back into song source, as modasm --disassemble writes it.
// Returns 1 with the source in MakerSource, or 0 with the reason in the problems.
EMSCRIPTEN_KEEPALIVE int MakerDisassemble(const uint8_t* module, int size) {
    maker.source.clear();
    std::vector<uint8_t> image(module, module + (size > 0 ? size : 0));
    Report(DisassembleModule(image, "song.mod", &maker.source));
    return maker.problems.empty() ? 1 : 0;
}
EMSCRIPTEN_KEEPALIVE const char* MakerSource() { return maker.source.c_str(); }

// The font's characters in glyph order, as pages.txt and font.txt are checked against.
EMSCRIPTEN_KEEPALIVE const char* MakerCharset() { return IntroCharset; }

// fontc's palette for the inks '.', '#', '+' and 'o' (entries 0 to 3), as
// "#rrggbb" four times, read from the palette of the BMP that fontc writes.
EMSCRIPTEN_KEEPALIVE const char* MakerInks() {
    static std::string inks;
    if (inks.empty()) {
        const std::vector<uint8_t> bmp = BuildFontBmp(FontImage{});
        constexpr size_t PaletteAt = 14 + 40;  // after the file and info headers; blue, green, red, 0
        static const char Hex[] = "0123456789abcdef";
        for (size_t entry = 0; entry < 4; ++entry) {
            inks += '#';
            for (size_t channel : {2u, 1u, 0u}) {
                const uint8_t value = bmp[PaletteAt + 4 * entry + channel];
                inks += Hex[value >> 4];
                inks += Hex[value & 15];
            }
        }
    }
    return inks.c_str();
}
}
