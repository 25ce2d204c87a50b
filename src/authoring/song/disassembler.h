#pragma once
// The module disassembler: turns an "FC14" or "SMOD" module into a song
// source that modasm assembles back to the same bytes. Records with a source
// form become named blocks; whatever the blocks cannot say (a stand-in's
// record, spare bytes, a layout of its own) is kept in raw blocks.
#include <cstdint>
#include <string>
#include <vector>

// False with the checked loader's reason in `error` when the image is refused.
bool DisassembleModule(const std::vector<uint8_t>& image, std::string* source, std::string* error);
