#pragma once
// In the browser a draw target is the page's canvas, the size of the screen
// surface: every blit goes straight to it as one putImageData of the blitted
// rectangle.
#include "app/intro_geometry.h"

struct DrawTarget {
    int width = ScreenWidth;
    int height = ScreenHeight;
};

extern DrawTarget pageCanvas;
