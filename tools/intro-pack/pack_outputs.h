#pragma once
// What intro-pack writes, chosen by the output's name.
#include <string>
#include <vector>

#include "content_sources.h"

// The installed files a Windows program and a web folder are made from.
struct PackData {
    std::string shell;     // the prebuilt intro.exe
    std::string webFiles;  // the web version's folder
};

enum class PackOutputKind { Pack, Exe, Video, SingleHtml, WebFolder };

PackOutputKind OutputKindOf(const std::string& output);

// The file in a web folder that lists what intro-pack wrote there, one name a
// line after its first line: only a folder whose every entry it lists is
// ever replaced, and only the listed files are removed.
constexpr char WebFolderListName[] = ".intro-pack-files";
constexpr char WebFolderListHeader[] = "# written by intro-pack; it replaces only these files";

// Writes `content` to `output` as its kind asks; the output appears whole or
// not at all. An exe's parts and a single-file page's size are printed on
// standard output. `seconds` is passed to intro-capture for a video ("" = its
// default); `self` (argv[0]) finds intro-capture beside intro-pack. `inputs`
// are the files this run reads: no output may replace them or a folder
// holding them.
bool WritePackOutput(const std::string& output, const BuiltContent& content, const PackData& data,
                     const std::vector<std::string>& inputs, const std::string& seconds,
                     const std::string& self, std::string* error);
