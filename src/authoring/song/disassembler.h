#pragma once
// The module disassembler: turns an "FC14" or "SMOD" module into a song
// source that modasm assembles back to the same bytes. Records with a source
// form become named blocks; whatever the blocks cannot say (a stand-in's
// record, spare bytes, a layout of its own) is kept in raw blocks.
#include <cstdint>
#include <string>
#include <vector>

#include "authoring/problem.h"

// No problem with the source in `source`; else the checked loader's reason
// for refusing the image, as a problem of `fileName`.
std::vector<Problem> DisassembleModule(const std::vector<uint8_t>& image, const std::string& fileName,
                                       std::string* source);
