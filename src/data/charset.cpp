#include "data/intro_data.h"

// A character's position in this string is its glyph number in the font image.
const char IntroCharset[] = " ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789><*/\\,.'&-:+@!%";
static_assert(sizeof(IntroCharset) == 53, "52 characters and the terminating zero");
