#include "intro_window.h"

#include "display/surface.h"

namespace {
constexpr char Caption[] = "INTRO";
}

int LargestScaleThatFits() {
    SDL_Rect usable{};
    if (SDL_GetDisplayUsableBounds(0, &usable) != 0) return 1;
    const int scale = SDL_min(usable.w / ScreenWidth, usable.h / ScreenHeight);
    return scale < 1 ? 1 : scale;
}

bool OpenIntroWindow(IntroWindow& w, int scale, bool fullscreen, std::string& error) {
    // Nearest-neighbour scaling: every screen pixel stays a sharp block.
    SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "nearest");
    // SDL's software renderer drawing straight into the X11 shared-memory
    // framebuffer costs the least where OpenGL itself is rendered in software
    // (Xvfb, virtual machines): measured 1.3 % of a core against 4.3 % for
    // OpenGL on llvmpipe. Defaults only: SDL_RENDER_DRIVER=opengl in the
    // environment chooses the GPU instead.
    SDL_SetHintWithPriority(SDL_HINT_RENDER_DRIVER, "software", SDL_HINT_DEFAULT);
    SDL_SetHintWithPriority(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0", SDL_HINT_DEFAULT);
    Uint32 flags = SDL_WINDOW_HIDDEN | SDL_WINDOW_RESIZABLE;
    if (fullscreen) flags |= SDL_WINDOW_FULLSCREEN_DESKTOP;
    w.window = SDL_CreateWindow(Caption, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED,
                                ScreenWidth * scale, ScreenHeight * scale, flags);
    if (w.window == nullptr) return error = std::string("cannot open a window: ") + SDL_GetError(), false;
    SDL_SetWindowMinimumSize(w.window, ScreenWidth / 4, ScreenHeight / 4);
    w.renderer = SDL_CreateRenderer(w.window, -1, 0);
    if (w.renderer == nullptr) return error = std::string("cannot draw in the window: ") + SDL_GetError(), false;
    // 0x00RRGGBB, the pixel format of every surface.
    w.texture = SDL_CreateTexture(w.renderer, SDL_PIXELFORMAT_RGB888, SDL_TEXTUREACCESS_STREAMING,
                                  ScreenWidth, ScreenHeight);
    if (w.texture == nullptr) return error = std::string("cannot make the screen texture: ") + SDL_GetError(), false;
    return true;
}

void ShowIntroWindow(IntroWindow& w) {
    SDL_ShowWindow(w.window);
    SDL_RaiseWindow(w.window);
}

SDL_Rect FitScreen(int outputWidth, int outputHeight) {
    const int scale = SDL_min(outputWidth / ScreenWidth, outputHeight / ScreenHeight);
    int width = ScreenWidth * scale, height = ScreenHeight * scale;
    if (scale < 1) {
        // Smaller than the screen: shrink, keeping the aspect ratio.
        if (outputWidth * ScreenHeight < outputHeight * ScreenWidth) {
            width = outputWidth;
            height = outputWidth * ScreenHeight / ScreenWidth;
        } else {
            height = outputHeight;
            width = outputHeight * ScreenWidth / ScreenHeight;
        }
    }
    return SDL_Rect{(outputWidth - width) / 2, (outputHeight - height) / 2, width, height};
}

void UploadScreen(IntroWindow& w, const uint32_t* pixels, const SDL_Rect& area) {
    const uint32_t* first = pixels + area.y * ScreenWidth + area.x;
    SDL_UpdateTexture(w.texture, &area, first, ScreenWidth * static_cast<int>(sizeof(uint32_t)));
}

void PresentIntroWindow(IntroWindow& w) {
    int outputWidth = 0, outputHeight = 0;
    if (SDL_GetRendererOutputSize(w.renderer, &outputWidth, &outputHeight) != 0) return;
    const SDL_Rect target = FitScreen(outputWidth, outputHeight);
    if (target.w != outputWidth || target.h != outputHeight) {
        SDL_SetRenderDrawColor(w.renderer, BackgroundRed, BackgroundGreen, BackgroundBlue, 255);
        SDL_RenderClear(w.renderer);
    }
    SDL_RenderCopy(w.renderer, w.texture, nullptr, &target);
    SDL_RenderPresent(w.renderer);
}

void ToggleFullscreen(IntroWindow& w) {
    const bool full = (SDL_GetWindowFlags(w.window) & SDL_WINDOW_FULLSCREEN_DESKTOP) != 0;
    SDL_SetWindowFullscreen(w.window, full ? 0 : SDL_WINDOW_FULLSCREEN_DESKTOP);
}

void CloseIntroWindow(IntroWindow& w) {
    if (w.texture != nullptr) SDL_DestroyTexture(w.texture);
    if (w.renderer != nullptr) SDL_DestroyRenderer(w.renderer);
    if (w.window != nullptr) SDL_DestroyWindow(w.window);
    w = IntroWindow{};
}
