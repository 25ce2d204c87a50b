#pragma once
// One line of text in the intro's font, centred on an otherwise empty screen
// and shown on the canvas with the intro's doubled, half-bright-line look:
// the page's start prompt and its closing line.
struct DrawTarget;

// Characters outside the font's set show as blanks. Does nothing when the
// surfaces cannot be had.
void ShowMessageLine(DrawTarget* canvas, const char* text);
