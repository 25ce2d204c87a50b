#include "authoring/content_build.h"

#include <cstring>

#include "authoring/content_pack_writer.h"
#include "authoring/font_art.h"
#include "authoring/page_text.h"
#include "authoring/song/assembler.h"
#include "data/content_pack.h"
#include "data/intro_data.h"
#include "replayer/replayer.h"

namespace {

bool BuildPages(const SourceText& source, std::vector<std::string>* pages, ProblemLog& log) {
    if (!source.read) return false;
    const std::vector<Problem> problems = ParsePages(source.text, source.name, IntroCharset, pages);
    for (const Problem& problem : problems) log.Add(problem);
    return problems.empty();
}

bool BuildFont(const SourceText& source, std::vector<uint8_t>* bmp, ProblemLog& log) {
    if (!source.read) return false;
    FontImage image;
    const std::vector<Problem> problems = ParseFontArt(source.text, source.name, IntroCharset, &image);
    for (const Problem& problem : problems) log.Add(problem);
    if (!problems.empty()) return false;
    *bmp = BuildFontBmp(image);
    return true;
}

bool BuildSong(const SourceText& source, bool isModule, std::vector<uint8_t>* module, ProblemLog& log) {
    if (!source.read) return false;
    if (isModule) {
        module->assign(source.text.begin(), source.text.end());
    } else {
        ProblemLog songLog(source.name);
        AssembledModule assembled;
        const bool assembles = AssembleSource(source.text, songLog, assembled);
        log.Absorb(songLog);
        if (!assembles) return false;
        *module = BuildModuleImage(assembled);
    }
    char reason[256];
    if (CheckModuleImage(module->data(), module->size(), reason, sizeof reason) != 0) {
        log.Add(Problem{source.name, 0, 0, reason});
        return false;
    }
    return true;
}

}  // namespace

std::vector<Problem> BuildContent(const ContentTexts& texts, BuiltContent* content) {
    ProblemLog log("");
    const bool pages = BuildPages(texts.pages, &content->pages, log);
    const bool font = BuildFont(texts.font, &content->fontBmp, log);
    const bool song = BuildSong(texts.song, texts.songIsModule, &content->module, log);
    if (!pages || !font || !song) return log.Problems();
    content->pack = BuildContentPack(content->pages, content->fontBmp, content->module);
    content->exePack = BuildContentPack(content->pages, {}, content->module);
    if (content->pack.size() > MaxPackBytes) {
        log.Add(Problem{texts.song.name, 0, 0,
                        "the content is " + std::to_string(content->pack.size()) +
                            " bytes, more than a pack holds (" + std::to_string(MaxPackBytes) + ")"});
    }
    return log.Problems();
}

bool LooksLikePack(const std::vector<uint8_t>& bytes) {
    return bytes.size() >= sizeof PackMagic &&
           std::memcmp(bytes.data(), PackMagic, sizeof PackMagic) == 0;
}
