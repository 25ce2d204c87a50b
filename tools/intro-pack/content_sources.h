#pragma once
// A content folder's three files found and read for the authoring library's
// BuildContent (authoring/content_build.h).
//   pages.txt   the text pages
//   font.txt    the font art
//   song.fcs    the song source, or
//   song.mod    a module file ("FC14" or "SMOD")
#include <string>
#include <vector>

#include "authoring/content_build.h"

struct ContentSources {
    std::string pages;
    std::string font;
    std::string song;  // .fcs is assembled; anything else is read as a module file
};

// The folder's pages.txt, font.txt and its one song. False with `error` when a
// file is missing, or when the folder has both song forms or neither.
bool FindContentSources(const std::string& folder, ContentSources* sources, std::string* error);

// The three files' texts, each named by its path. A file that cannot be read
// is marked unread, with the reason in `errors` as intro-pack prints it.
ContentTexts ReadContentSources(const ContentSources& sources, std::vector<std::string>* errors);
