// The content's font as a bitmap resource table of the memory platforms:
// apart from intro_content.cpp, which the Windows program links (it takes its
// font from its own bitmap resource).
#include "app/intro_content.h"
#include "app/intro_geometry.h"
#include "display/memory_backing.h"

ResourceSource IntroContentResources() {
    static BitmapResource table[2] = {{0, nullptr, 0}, {0, nullptr, 0}};
    const ContentPack& content = IntroContent();
    table[0] = content.font != nullptr ? BitmapResource{FontResourceId, content.font, content.fontSize}
                                       : BitmapResource{0, nullptr, 0};
    return table;
}
