// The intro maker's tools in WebAssembly: the three sources checked and built
// by intro-pack's own BuildContent (the code of pagec, fontc and modasm), the
// pack, and intro.exe from a prebuilt shell by WriteIntroExe. The page writes
// the sources into the module's in-memory files, since BuildContent reads
// files, then reads the results through the calls below.
#include <emscripten.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "assembler.h"
#include "content_sources.h"
#include "data/content_pack.h"
#include "data/content_pack_writer.h"
#include "data/intro_data.h"
#include "disassembler.h"
#include "font_art.h"
#include "page_text.h"
#include "replayer/replayer.h"
#include "exe_content.h"

namespace {
struct MakerState {
    BuiltContent content;
    bool built = false;
    std::string messages;      // one problem a line, as the tools print them
    std::vector<uint8_t> exe;
    std::string source;        // the last disassembly
} maker;

std::string Text(const uint8_t* bytes, int size) {
    return std::string(reinterpret_cast<const char*>(bytes), size > 0 ? static_cast<size_t>(size) : 0);
}

// BuildContent's steps (tools/intro-pack/content_sources.cpp) on texts held
// in memory rather than files, with the file names intro-pack gives them.
bool BuildFromTexts(const std::string& pagesText, const std::string& fontText,
                    const std::vector<uint8_t>& song, bool songIsModule, BuiltContent* content,
                    std::vector<std::string>* errors) {
    std::string error;
    const bool pages = ParsePages(pagesText, "pages.txt", IntroCharset, &content->pages, &error);
    if (!pages) errors->push_back(error);
    FontImage image;
    error.clear();
    const bool font = ParseFontArt(fontText, "font.txt", IntroCharset, &image, &error);
    if (font) content->fontBmp = BuildFontBmp(image);
    else errors->push_back(error);
    const std::string songName = songIsModule ? "song.mod" : "song.fcs";
    bool songOk = true;
    if (songIsModule) {
        content->module = song;
    } else {
        Diagnostics diagnostics(songName);
        AssembledModule assembled;
        songOk = AssembleSource(std::string(song.begin(), song.end()), diagnostics, assembled);
        if (songOk) content->module = BuildModuleImage(assembled);
        else errors->insert(errors->end(), diagnostics.Messages().begin(), diagnostics.Messages().end());
    }
    char reason[256];
    if (songOk && CheckModuleImage(content->module.data(), content->module.size(), reason, sizeof reason) != 0) {
        errors->push_back(songName + ": " + reason);
        songOk = false;
    }
    if (!pages || !font || !songOk) return false;
    content->pack = BuildContentPack(content->pages, content->fontBmp, content->module);
    content->exePack = BuildContentPack(content->pages, {}, content->module);
    if (content->pack.size() > MaxPackBytes) {
        errors->push_back(songName + ": the content is " + std::to_string(content->pack.size()) +
                          " bytes, more than a pack holds (" + std::to_string(MaxPackBytes) + ")");
        return false;
    }
    return true;
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
    std::vector<std::string> errors;
    maker.built = BuildFromTexts(Text(pages, pagesSize), Text(font, fontSize),
                                 std::vector<uint8_t>(song, song + (songSize > 0 ? songSize : 0)),
                                 songIsModule != 0, &maker.content, &errors);
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

// A module file back into song source, as modasm --disassemble writes it.
// Returns 1 with the source in MakerSource, or 0 with the reason in MakerMessages.
EMSCRIPTEN_KEEPALIVE int MakerDisassemble(const uint8_t* module, int size) {
    maker.source.clear();
    std::vector<uint8_t> image(module, module + (size > 0 ? size : 0));
    std::string error;
    if (!DisassembleModule(image, &maker.source, &error)) {
        maker.messages = "song.mod: " + error + "\n";
        return 0;
    }
    maker.messages.clear();
    return 1;
}
EMSCRIPTEN_KEEPALIVE const char* MakerSource() { return maker.source.c_str(); }
}
