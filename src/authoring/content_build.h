#pragma once
// A content folder's three sources, checked with the very code of pagec,
// fontc and modasm, and turned into a content pack.
//   pages.txt   the text pages (pagec's form)
//   font.txt    the font art (fontc's form)
//   song.fcs    the song source (modasm's form), or
//   song.mod    a module file ("FC14" or "SMOD"), checked by the checked loader
#include <cstdint>
#include <string>
#include <vector>

struct ContentSources {
    std::string pages;
    std::string font;
    std::string song;  // .fcs is assembled; anything else is read as a module file
};

// The folder's pages.txt, font.txt and its one song. False with `error` when a
// file is missing, or when the folder has both song forms or neither.
bool FindContentSources(const std::string& folder, ContentSources* sources, std::string* error);

struct BuiltContent {
    std::vector<std::string> pages;  // the typewriter's strings
    std::vector<uint8_t> fontBmp;    // the 4-bit BMP file of resource 103
    std::vector<uint8_t> module;
    std::vector<uint8_t> pack;       // everything, as a .intro file holds it
    std::vector<uint8_t> exePack;    // the same without the font, for a Windows program
};

// Checks and builds all three; every problem found goes to `errors` as
// "file:line: reason" (or "file: reason"), the files' own tools' messages.
bool BuildContent(const ContentSources& sources, BuiltContent* content,
                  std::vector<std::string>* errors);

// True when `bytes` begin like a content pack rather than a module.
bool LooksLikePack(const std::vector<uint8_t>& bytes);
