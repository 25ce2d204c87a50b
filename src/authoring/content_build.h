#pragma once
// A content folder's three sources, checked and built into a content pack:
// the one way intro-pack, the build of the built-in pack and the maker make
// content.
//   pages.txt   the text pages (pagec's form)
//   font.txt    the font art (fontc's form)
//   song.fcs    the song source (modasm's form), or
//   song.mod    a module file ("FC14" or "SMOD"), checked by the checked loader
#include <cstdint>
#include <string>
#include <vector>

#include "authoring/problem.h"

// One source as read: `name` is what its problems name (a path, or the file
// name the maker shows). A source the caller could not read (and said so) is
// not checked; the others are.
struct SourceText {
    std::string name;
    std::string text;
    bool read = true;
};

struct ContentTexts {
    SourceText pages;
    SourceText font;
    SourceText song;
    bool songIsModule = false;  // song.text holds a module's bytes, not a source
};

struct BuiltContent {
    std::vector<std::string> pages;  // the typewriter's strings
    std::vector<uint8_t> fontBmp;    // the 4-bit BMP file of resource 103
    std::vector<uint8_t> module;
    std::vector<uint8_t> pack;       // everything, as a .intro file holds it
    std::vector<uint8_t> exePack;    // the same without the font, for a Windows program
};

// Checks and builds all three, even when one fails, so one run shows every
// problem (at most MaxProblemsKept, then one counting the rest). No problem:
// `content` is complete.
std::vector<Problem> BuildContent(const ContentTexts& texts, BuiltContent* content);

// True when `bytes` begin like a content pack rather than a module.
bool LooksLikePack(const std::vector<uint8_t>& bytes);
