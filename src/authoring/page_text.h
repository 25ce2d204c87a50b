#pragma once
// The intro's text pages in their plain-text form, checked and turned into
// the typewriter's page strings ("]" breaks a line, "|" ends a page).
//
// Text form (pages.txt):
//   page            begins a page
//   <text line>     each following line is one line of the page, typed as is
//   end             ends the page
// Lines starting with ';' are comments anywhere; empty lines outside a page
// are ignored, inside a page they are empty text lines. Page text uses only
// the character set (upper-case letters, digits, space and ><*/\,.'&-:+@!%).
#include <string>
#include <vector>

#include "authoring/problem.h"

// The typewriter's text area: columns 1 to 32, typing starts on line 2, and
// the window's client area shows screen lines up to 21 whole (line 22 is cut
// off at the bottom), so no character may land below line 21.
constexpr int PageColumns = 32;
constexpr int FirstTextLine = 2;
constexpr int LastShownLine = 21;

// Parses and checks `text` (read from `fileName`) against `charset`. On
// success `pages` holds one typewriter string per page and no problem is
// returned; otherwise every problem found (capped as ProblemLog caps them;
// a page running past its lines is reported once). A content pack holds at most
// MaxPackPages pages, so a page past them is a problem here, where it is read.
std::vector<Problem> ParsePages(const std::string& text, const std::string& fileName,
                                const char* charset, std::vector<std::string>* pages);

// A C++ source defining IntroPages (null-terminated) with the page strings.
std::string EmitPagesSource(const std::vector<std::string>& pages, const std::string& sourceName);
