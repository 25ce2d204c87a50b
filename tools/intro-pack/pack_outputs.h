#pragma once
// What intro-pack writes, chosen by the output's name.
#include <string>

#include "content_sources.h"

// The installed files a Windows program and a web folder are made from.
struct PackData {
    std::string shell;     // the prebuilt intro.exe
    std::string webFiles;  // the web version's folder
};

enum class PackOutputKind { Pack, Exe, Video, WebFolder };

PackOutputKind OutputKindOf(const std::string& output);

// Writes `content` to `output` as its kind asks; the output appears whole or
// not at all. `seconds` is passed to intro-capture for a video ("" = its
// default); `self` (argv[0]) finds intro-capture beside intro-pack.
bool WritePackOutput(const std::string& output, const BuiltContent& content, const PackData& data,
                     const std::string& seconds, const std::string& self, std::string* error);
