#include "data/intro_data.h"

// "]" breaks the line, "|" ends the page. Lines hold 32 characters; longer
// ones wrap onto the next line. Text stays within lines 2 to 21, the part of
// the canvas the window shows.
namespace {
const char PageIntro[] =
    "HELLO!]"
    "]"
    "THIS IS A TINY WINDOWS INTRO.]"
    "IT TYPES TEXT IN AN 8X8 FONT,]"
    "ONE LETTER PER FRAME, DOUBLED]"
    "WITH HALF-BRIGHT LINES.]"
    "]"
    "THE MUSIC: A FOUR-VOICE SONG]"
    "ON OUR OWN REPLAYER + MIXER.]"
    "]]]]]]]"
    "PRESS ESC TO LEAVE.|";

const char PageInside[] =
    "NO FILES, NO SETTINGS:]"
    "]"
    "FONT, TEXT AND SONG ALL LIVE INSIDE THE EXE ITSELF]"
    "]]"
    "ALL CODE HERE IS HOME MADE AND WRAPS AT COLUMN 32!]"
    "]"
    "SOUND: 44100 HZ, 16 BIT STEREO.]"
    "]]]]]"
    "GREETINGS!|";
}  // namespace

const char* const IntroPages[] = {PageIntro, PageInside, nullptr};
