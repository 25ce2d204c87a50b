#pragma once
// In the browser a draw target is the page's 528x384 canvas: every blit goes
// straight to it as one putImageData of the blitted rectangle.
constexpr int CanvasWidth = 528, CanvasHeight = 384;

struct DrawTarget {
    int width = CanvasWidth;
    int height = CanvasHeight;
};

extern DrawTarget pageCanvas;
