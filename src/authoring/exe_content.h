#pragma once
// Puts a user's font and content pack into a prebuilt intro.exe, without a
// compiler: the shell's resource section is replaced by one holding exactly
//   BITMAP 103 (INTRO_FONT_RESOURCE_ID)   the font's DIB (the .bmp without its file header)
//   RCDATA 104 (INTRO_CONTENT_RESOURCE_ID) the content pack, byte for byte
// both in language 0x0409, as windres writes them.
#include <cstdint>
#include <string>
#include <vector>

#include "authoring/problem.h"

// `shell` is a PE32+ (x86-64) image as mingw-w64's ld links it, with or
// without a .rsrc section; it is untrusted input. On success `exe` is the
// rewritten image: a trailing .rsrc is dropped and a new one appended, then
// the .reloc that followed it, with headers, section table, data directories
// and checksum updated. Layouts that cannot be rewritten safely (another
// section after .rsrc, an overlay or certificate, no room for a section
// header, ...) are refused: the problem (of `shellName`) names the fault and
// `exe` is left untouched. The same inputs always give the same bytes.
std::vector<Problem> WriteIntroExe(const std::vector<uint8_t>& shell, const std::string& shellName,
                                   const std::vector<uint8_t>& fontBmpFile,
                                   const std::vector<uint8_t>& contentPack, std::vector<uint8_t>* exe);
