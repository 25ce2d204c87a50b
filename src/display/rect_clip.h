#pragma once
// Clipping of a rectangle copy between two pixel images, shared by the
// surface's own copy and the native blit.
#include <algorithm>
#include <cstdint>

// A width x height rectangle copied from (sourceX, sourceY) to (targetX,
// targetY). 64-bit, so that no combination of arguments can overflow.
struct RectCopy {
    int64_t sourceX, sourceY, targetX, targetY, width, height;
};

// Cuts the copy to what lies inside both images, on all four edges; false
// when nothing is left to copy.
inline bool ClipRectCopy(RectCopy& r, int64_t sourceWidth, int64_t sourceHeight,
                         int64_t targetWidth, int64_t targetHeight) {
    if (r.sourceX < 0) { r.width += r.sourceX; r.targetX -= r.sourceX; r.sourceX = 0; }
    if (r.sourceY < 0) { r.height += r.sourceY; r.targetY -= r.sourceY; r.sourceY = 0; }
    if (r.targetX < 0) { r.width += r.targetX; r.sourceX -= r.targetX; r.targetX = 0; }
    if (r.targetY < 0) { r.height += r.targetY; r.sourceY -= r.targetY; r.targetY = 0; }
    r.width = std::min({r.width, sourceWidth - r.sourceX, targetWidth - r.targetX});
    r.height = std::min({r.height, sourceHeight - r.sourceY, targetHeight - r.targetY});
    return r.width > 0 && r.height > 0;
}
