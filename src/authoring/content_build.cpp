#include "content_sources.h"

#include <sys/stat.h>

#include <cstring>

#include "assembler.h"
#include "data/content_pack.h"
#include "data/content_pack_writer.h"
#include "data/intro_data.h"
#include "font_art.h"
#include "input_file.h"
#include "page_text.h"
#include "replayer/replayer.h"

namespace {

bool IsFile(const std::string& path) {
    struct stat info;
    return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

bool ReadText(const std::string& path, const char* expected, std::string* text,
              std::vector<std::string>* errors) {
    std::vector<uint8_t> bytes;
    std::string error;
    if (!ReadInputFile(path, expected, bytes, error)) {
        errors->push_back(error);
        return false;
    }
    text->assign(bytes.begin(), bytes.end());
    return true;
}

bool BuildPages(const std::string& path, std::vector<std::string>* pages,
                std::vector<std::string>* errors) {
    std::string text, error;
    if (!ReadText(path, "a page text", &text, errors)) return false;
    if (ParsePages(text, path, IntroCharset, pages, &error)) return true;
    errors->push_back(error);
    return false;
}

bool BuildFont(const std::string& path, std::vector<uint8_t>* bmp,
               std::vector<std::string>* errors) {
    std::string text, error;
    if (!ReadText(path, "a font art", &text, errors)) return false;
    FontImage image;
    if (!ParseFontArt(text, path, IntroCharset, &image, &error)) {
        errors->push_back(error);
        return false;
    }
    *bmp = BuildFontBmp(image);
    return true;
}

bool EndsWith(const std::string& text, const std::string& end) {
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

bool BuildSong(const std::string& path, std::vector<uint8_t>* module,
               std::vector<std::string>* errors) {
    if (EndsWith(path, ".fcs")) {
        std::string text;
        if (!ReadText(path, "a song source", &text, errors)) return false;
        Diagnostics diagnostics(path);
        AssembledModule assembled;
        if (!AssembleSource(text, diagnostics, assembled)) {
            errors->insert(errors->end(), diagnostics.Messages().begin(),
                           diagnostics.Messages().end());
            return false;
        }
        *module = BuildModuleImage(assembled);
    } else {
        std::string error;
        if (!ReadInputFile(path, "a module", *module, error)) {
            errors->push_back(error);
            return false;
        }
    }
    char reason[256];
    if (CheckModuleImage(module->data(), module->size(), reason, sizeof reason) != 0) {
        errors->push_back(path + ": " + reason);
        return false;
    }
    return true;
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

bool BuildContent(const ContentSources& sources, BuiltContent* content,
                  std::vector<std::string>* errors) {
    // All three are checked even when one fails, so one run shows every problem.
    const bool pages = BuildPages(sources.pages, &content->pages, errors);
    const bool font = BuildFont(sources.font, &content->fontBmp, errors);
    const bool song = BuildSong(sources.song, &content->module, errors);
    if (!pages || !font || !song) return false;
    content->pack = BuildContentPack(content->pages, content->fontBmp, content->module);
    content->exePack = BuildContentPack(content->pages, {}, content->module);
    if (content->pack.size() > MaxPackBytes) {
        errors->push_back(sources.song + ": the content is " +
                          std::to_string(content->pack.size()) + " bytes, more than a pack holds (" +
                          std::to_string(MaxPackBytes) + ")");
        return false;
    }
    return true;
}

bool LooksLikePack(const std::vector<uint8_t>& bytes) {
    return bytes.size() >= sizeof PackMagic &&
           std::memcmp(bytes.data(), PackMagic, sizeof PackMagic) == 0;
}
