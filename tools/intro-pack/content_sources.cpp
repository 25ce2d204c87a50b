#include "content_sources.h"

#include <sys/stat.h>

#include "app/input_file.h"

namespace {

bool IsFile(const std::string& path) {
    struct stat info;
    return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

bool EndsWith(const std::string& text, const std::string& end) {
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

SourceText ReadSource(const std::string& path, const char* expected, std::vector<std::string>* errors) {
    SourceText source;
    source.name = path;
    std::vector<uint8_t> bytes;
    std::string error;
    source.read = ReadInputFile(path, expected, bytes, error);
    if (source.read) source.text.assign(bytes.begin(), bytes.end());
    else errors->push_back(error);
    return source;
}

}  // namespace

bool FindContentSources(const std::string& folder, ContentSources* sources, std::string* error) {
    const std::string base = folder.empty() || folder.back() == '/' ? folder : folder + "/";
    struct stat info;
    if (stat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) {
        *error = folder + ": not a folder (a content folder holds pages.txt, font.txt and "
                          "song.fcs or song.mod)";
        return false;
    }
    for (const char* name : {"pages.txt", "font.txt", "song.fcs", "song.mod"}) {
        if (!NonFileKind(base + name).empty()) {
            *error = base + name + ": is " + NonFileKind(base + name) + ", not a file";
            return false;
        }
    }
    for (const char* name : {"pages.txt", "font.txt"}) {
        if (!IsFile(base + name)) {
            *error = base + name + ": missing (a content folder holds pages.txt, font.txt and "
                                   "song.fcs or song.mod)";
            return false;
        }
    }
    const bool source = IsFile(base + "song.fcs");
    const bool module = IsFile(base + "song.mod");
    if (source == module) {
        *error = base + (source ? ": has both song.fcs and song.mod; keep the one to use"
                                : ": has no song: add song.fcs (a song source) or song.mod "
                                  "(an \"FC14\" or \"SMOD\" module)");
        return false;
    }
    sources->pages = base + "pages.txt";
    sources->font = base + "font.txt";
    sources->song = base + (source ? "song.fcs" : "song.mod");
    return true;
}

ContentTexts ReadContentSources(const ContentSources& sources, std::vector<std::string>* errors) {
    ContentTexts texts;
    texts.songIsModule = !EndsWith(sources.song, ".fcs");
    texts.pages = ReadSource(sources.pages, "a page text", errors);
    texts.font = ReadSource(sources.font, "a font art", errors);
    texts.song = ReadSource(sources.song, texts.songIsModule ? "a module" : "a song source", errors);
    return texts;
}
