#pragma once
// The content a tool plays: a content pack named on its command line
// (--content FILE), or the built-in pack.
#include <cstdint>
#include <string>
#include <vector>

// Makes the pack at `path` the intro's content (app/intro_content.h), or the
// built-in pack when `path` is empty. False with `error` naming the file and
// what is wrong with it.
bool UseToolContent(const std::string& path, std::string* error);

// The song of the content in use, as module bytes.
std::vector<uint8_t> ToolContentSong();

// A file a sound tool was given: a module, or a content pack whose song it
// plays. A pack is replaced by its song; false with `error` when it is not a
// readable pack.
bool SongFromPackFile(const std::string& path, std::vector<uint8_t>* bytes, std::string* error);
