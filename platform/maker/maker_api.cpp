// The intro maker's tools in WebAssembly: the three sources checked and built
// by intro-pack's own BuildContent (the code of pagec, fontc and modasm), the
// pack, and intro.exe from a prebuilt shell by WriteIntroExe. The page writes
// the sources into the module's in-memory files, since BuildContent reads
// files, then reads the results through the calls below.
#include <emscripten.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "content_sources.h"
#include "exe_content.h"

namespace {
struct MakerState {
    BuiltContent content;
    bool built = false;
    std::string messages;      // one problem a line, as the tools print them
    std::vector<uint8_t> exe;
} maker;

bool WriteFile(const char* name, const uint8_t* bytes, int size) {
    FILE* file = std::fopen(name, "wb");
    if (file == nullptr) return false;
    const bool written = size <= 0 || std::fwrite(bytes, 1, static_cast<size_t>(size), file) ==
                                          static_cast<size_t>(size);
    return std::fclose(file) == 0 && written;
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
    maker.messages.clear();
    const char* songName = songIsModule ? "song.mod" : "song.fcs";
    std::remove(songIsModule ? "song.fcs" : "song.mod");
    if (!WriteFile("pages.txt", pages, pagesSize) || !WriteFile("font.txt", font, fontSize) ||
        !WriteFile(songName, song, songSize)) {
        maker.messages = "maker: cannot hold the sources in memory\n";
        return maker.built = false;
    }
    ContentSources sources{"pages.txt", "font.txt", songName};
    std::vector<std::string> errors;
    maker.built = BuildContent(sources, &maker.content, &errors);
    for (const std::string& error : errors) maker.messages += error + "\n";
    return maker.built;
}

EMSCRIPTEN_KEEPALIVE const char* MakerMessages() { return maker.messages.c_str(); }
EMSCRIPTEN_KEEPALIVE const uint8_t* MakerPack() { return maker.content.pack.data(); }
EMSCRIPTEN_KEEPALIVE int MakerPackSize() { return static_cast<int>(maker.content.pack.size()); }

// intro.exe from the prebuilt `shell` and the last valid build, as
// intro-pack --shell writes it. Returns its size, or 0 with the reason in
// MakerMessages.
EMSCRIPTEN_KEEPALIVE int MakerBuildExe(const uint8_t* shell, int shellSize) {
    maker.exe.clear();
    if (!maker.built) {
        maker.messages = "maker: the content has problems; no intro.exe\n";
        return 0;
    }
    std::vector<uint8_t> image(shell, shell + (shellSize > 0 ? shellSize : 0));
    std::string error;
    if (!WriteIntroExe(image, maker.content.fontBmp, maker.content.exePack, &maker.exe, &error)) {
        maker.messages = "intro.exe: " + error + "\n";
        return 0;
    }
    return static_cast<int>(maker.exe.size());
}
EMSCRIPTEN_KEEPALIVE const uint8_t* MakerExe() { return maker.exe.data(); }
}
