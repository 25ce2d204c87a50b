// The intro as a native program on SDL2: the intro's loop in an SDL window,
// with the music through SDL's audio device. Between steps the program sleeps
// until the loop's next step or the next event.
#include <SDL.h>

#include <cstdio>
#include <string>

#include "app/intro_content.h"
#include "app/intro_driver.h"
#include "app/intro_loop.h"
#include "app/intro_music.h"
#include "app/program_info.h"
#include "app/tool_content.h"
#include "audio/audio_control.h"
#include "intro_options.h"
#include "intro_window.h"
#include "native_draw_target.h"
#include "sdl_stream.h"

namespace {

// While inactive no step runs, but SDL still has to be pumped now and then:
// its X11 backend reports a regained focus only on a later pump.
constexpr Uint32 InactiveWaitMs = 100;

IntroWindow introWindow;
DrawTarget* windowPixels = nullptr;  // what the blits of a step land in
bool presentWanted = false;

uint32_t Clock() { return SDL_GetTicks(); }
void Wait(uint32_t milliseconds) { SDL_Delay(milliseconds); }
DrawTarget* BeginPresent(void*) { return windowPixels; }

// Uploads the rectangle that covers this step's blits (one cell while typing)
// and asks for a present.
void EndPresent(void*, DrawTarget* target) {
    if (target == nullptr || target->blits.empty()) return;
    int left = ScreenWidth, top = ScreenHeight, right = 0, bottom = 0;
    for (const BlitRecord& blit : target->blits) {
        left = SDL_min(left, SDL_max(blit.x, 0));
        top = SDL_min(top, SDL_max(blit.y, 0));
        right = SDL_max(right, SDL_min(blit.x + blit.width, ScreenWidth));
        bottom = SDL_max(bottom, SDL_min(blit.y + blit.height, ScreenHeight));
    }
    target->blits.clear();  // keeps its capacity: no allocation after the first steps
    if (left >= right || top >= bottom) return;
    UploadScreen(introWindow, target->pixels.data(), SDL_Rect{left, top, right - left, bottom - top});
    presentWanted = true;
}

int Fail(const std::string& message) {
    std::fprintf(stderr, "intro: %s\n", message.c_str());
    return 1;
}

// SDL falls back to its off-screen driver when no display answers; a window
// nobody sees is a mistake unless SDL_VIDEODRIVER asked for it.
bool HasVisibleDisplay() {
    const char* driver = SDL_GetCurrentVideoDriver();
    if (driver == nullptr) return false;
    if (SDL_getenv("SDL_VIDEODRIVER") != nullptr) return true;
    return SDL_strcmp(driver, "offscreen") != 0 && SDL_strcmp(driver, "dummy") != 0;
}

// Handles one event; false when the program should end.
bool HandleEvent(const SDL_Event& event) {
    switch (event.type) {
    case SDL_QUIT:  // the close box, or SIGINT/SIGTERM
        return false;
    case SDL_KEYDOWN: {
        const SDL_Keycode key = event.key.keysym.sym;
        if (key == SDLK_ESCAPE) return false;
        const bool altEnter = (key == SDLK_RETURN || key == SDLK_KP_ENTER) &&
                              (event.key.keysym.mod & KMOD_ALT) != 0;
        if ((key == SDLK_F11 || altEnter) && event.key.repeat == 0) ToggleFullscreen(introWindow);
        return true;
    }
    case SDL_WINDOWEVENT:
        switch (event.window.event) {
        case SDL_WINDOWEVENT_FOCUS_GAINED: SetIntroActive(true, Clock()); break;
        case SDL_WINDOWEVENT_FOCUS_LOST: SetIntroActive(false, Clock()); break;
        case SDL_WINDOWEVENT_EXPOSED:
        case SDL_WINDOWEVENT_SIZE_CHANGED: presentWanted = true; break;
        default: break;
        }
        return true;
    default:
        return true;
    }
}

void RunLoop(Uint64 endTick) {
    for (;;) {
        const Uint64 now = SDL_GetTicks64();
        if (endTick != 0 && now >= endTick) return;
        Uint32 wait = MillisecondsUntilNextStep(static_cast<Uint32>(now));
        if (wait > InactiveWaitMs) wait = InactiveWaitMs;
        if (endTick != 0 && endTick - now < wait) wait = static_cast<Uint32>(endTick - now);
        SDL_Event event;
        if (SDL_WaitEventTimeout(&event, static_cast<int>(wait))) {
            if (!HandleEvent(event)) return;
            while (SDL_PollEvent(&event)) {
                if (!HandleEvent(event)) return;
            }
        }
        AdvanceIntro(Clock());
        if (presentWanted) {
            presentWanted = false;
            PresentIntroWindow(introWindow);
        }
    }
}

}  // namespace

int main(int argc, char** argv) {
    IntroOptions options;
    std::string error;
    if (AnswerHelpOrVersion(argc, argv, "intro", IntroUsage)) return 0;
    if (!ParseIntroOptions(argc, argv, options, error)) {
        std::fprintf(stderr, "intro: %s\n%s", error.c_str(), IntroUsageLine);
        return 2;
    }
    if (!UseToolContent(options.contentPath, &error)) return Fail(error);
    const Uint64 startTick = SDL_GetTicks64();
    if (SDL_Init(SDL_INIT_VIDEO) != 0)
        return Fail(std::string("cannot use the display (") + SDL_GetError() + "); is DISPLAY set?");
    if (!HasVisibleDisplay()) {
        SDL_Quit();
        return Fail("no display to show the window on (DISPLAY and WAYLAND_DISPLAY are unset); "
                    "start it from a desktop session, or on a virtual display with xvfb-run intro");
    }
    const int scale = options.scale > 0 ? options.scale : LargestScaleThatFits();
    if (!OpenIntroWindow(introWindow, scale, options.fullscreen, error)) {
        CloseIntroWindow(introWindow);
        SDL_Quit();
        return Fail(error);
    }
    DrawTarget pixels(ScreenWidth, ScreenHeight);
    windowPixels = &pixels;

    // The Windows program's first show: start-up with its 600 ms wait, then the
    // background fill, before the window appears.
    introDriver.platform =
        IntroPlatform{Clock, Wait, BeginPresent, EndPresent, IntroMusicStart, IntroMusicStop};
    introDriver.window = &introWindow;
    introDriver.instance = IntroContentResources();
    const bool pictureReady = BeginIntro();
    if (AudioStreamResult() != StreamOpened) {
        std::fprintf(stderr, "intro: %s (%s); running without sound\n",
                     DescribeStreamResult(AudioStreamResult()), SdlStreamDetail());
    }
    int exitCode = 0;
    if (!pictureReady) {
        exitCode = Fail("the picture could not be set up (out of memory, or the font is unreadable)");
    } else {
        UploadScreen(introWindow, pixels.pixels.data(), SDL_Rect{0, 0, ScreenWidth, ScreenHeight});
        ShowIntroWindow(introWindow);
        PresentIntroWindow(introWindow);
        // Shown and raised, as activation follows the show on Windows; focus
        // events take over from here.
        SetIntroActive(true, Clock());
        const Uint64 endTick =
            options.seconds > 0 ? startTick + static_cast<Uint64>(options.seconds * 1000.0 + 0.5) : 0;
        RunLoop(endTick);
    }
    EndIntro();
    CloseIntroWindow(introWindow);
    SDL_Quit();
    return exitCode;
}
