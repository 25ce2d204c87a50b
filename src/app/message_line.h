#pragma once
// One line of text in the intro's font, centred on an otherwise empty screen
// and presented whole to a draw target with the intro's doubled,
// half-bright-line look: a front end's prompt, closing line or failure line.
#include "display/surface.h"

// The font comes from resource FontResourceId of `source`. Characters outside
// the font's set show as blanks; a line longer than the screen is cut. Does
// nothing when the surfaces cannot be had.
void ShowMessageLine(DrawTarget* target, ResourceSource source, const char* text);
