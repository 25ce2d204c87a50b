// The surface backing natively: the memory backing of the core, and blits
// copied into a DrawTarget's pixels, clipped to its size.
#include <cstring>

#include "display/memory_backing.h"
#include "display/rect_clip.h"
#include "native_draw_target.h"

void BlitBacking(SurfaceBacking* backing, DrawTarget* dc, int x, int y, int sourceX,
                 int sourceY, int width, int height) {
    if (backing == nullptr || dc == nullptr) return;
    if (dc->recordBlits) dc->blits.push_back({backing, x, y, sourceX, sourceY, width, height});
    RectCopy r{sourceX, sourceY, x, y, width, height};
    if (!ClipRectCopy(r, backing->width, backing->height, dc->width, dc->height)) return;
    for (int64_t k = 0; k < r.height; ++k) {
        std::memcpy(&dc->pixels[static_cast<size_t>((r.targetY + k) * dc->width + r.targetX)],
                    backing->pixels + (r.sourceY + k) * backing->width + r.sourceX,
                    static_cast<size_t>(r.width) * sizeof(uint32_t));
    }
}
