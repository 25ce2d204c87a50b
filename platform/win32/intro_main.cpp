// The program's entry point and its one window: class, window, the polling
// message loop and the window procedure, running the intro through its loop
// (app/intro_loop.h) with GetTickCount as the clock.
#include <windows.h>

#include "app/intro_content.h"
#include "app/intro_driver.h"
#include "app/intro_loop.h"
#include "app/intro_music.h"
#include "data/resource_ids.h"

namespace {

constexpr char ClassName[] = "VUZoroDozEziva";
constexpr char MenuName[] = "VOZozoZidAzuv";
constexpr char Caption[] = "INTRO";
constexpr UINT ClassStyle = CS_VREDRAW | CS_HREDRAW | CS_OWNDC;  // 35
constexpr DWORD WindowStyle = WS_CAPTION | WS_SYSMENU;          // 0x00C80000

uint32_t Clock() { return GetTickCount(); }
void Wait(uint32_t milliseconds) { Sleep(milliseconds); }
// A frame step's presentation is one device context of the window.
DrawTarget* BeginPresent(void* window) {
    return reinterpret_cast<DrawTarget*>(GetDC(static_cast<HWND>(window)));
}
void EndPresent(void* window, DrawTarget* dc) {
    ReleaseDC(static_cast<HWND>(window), reinterpret_cast<HDC>(dc));
}

// Compatibility: signed arithmetic, so a screen smaller than the window gives a
// negative position.
void CentreWindow(HWND window) {
    const int x = (GetSystemMetrics(SM_CXSCREEN) - WindowWidth) / 2;
    const int y = (GetSystemMetrics(SM_CYSCREEN) - WindowHeight) / 2;
    SetWindowPos(window, HWND_TOP, x, y, 0, 0, SWP_NOSIZE);
}

void Paint(HWND window) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    // Guard: a paint can come before the start-up has made the screen.
    if (introDriver.screen) {
        const RECT& r = paint.rcPaint;
        introDriver.screen->Blit(reinterpret_cast<DrawTarget*>(dc), r.left, r.top, r.left, r.top,
                                 r.right - r.left, r.bottom - r.top);
    }
    EndPaint(window, &paint);
}

// The pages and the song are the program's content-pack resource; its font is
// bitmap resource 103, which the font surface loads itself. Guard: a missing
// or damaged pack leaves the intro without content, typing nothing and
// silent, rather than reading what is not there. The song is trusted as an
// embedded module: intro-pack checked it when it wrote the program.
void UseContentResource(HINSTANCE instance) {
    HRSRC found = FindResourceA(instance, MAKEINTRESOURCEA(INTRO_CONTENT_RESOURCE_ID),
                                MAKEINTRESOURCEA(10));  // RT_RCDATA
    HGLOBAL loaded = found != nullptr ? LoadResource(instance, found) : nullptr;
    const void* bytes = loaded != nullptr ? LockResource(loaded) : nullptr;
    if (bytes == nullptr) return;
    UseEmbeddedContentPack(static_cast<const uint8_t*>(bytes), SizeofResource(instance, found),
                           FontBeside);
}

int RunMessageLoop() {
    MSG message;
    for (;;) {
        if (PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE)) {
            if (!GetMessageA(&message, nullptr, 0, 0)) return static_cast<int>(message.wParam);
            TranslateMessage(&message);
            DispatchMessageA(&message);
        } else if (IntroActive()) {
            // Idle: the loop's gate decides whether a step acts now.
            AdvanceIntro(GetTickCount());
        } else {
            WaitMessage();
        }
    }
}

}  // namespace

LRESULT CALLBACK IntroWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_SHOWWINDOW:
        if (!IntroStarted()) BeginIntro();
        CentreWindow(window);
        return 0;
    case WM_PAINT:
        Paint(window);
        return 0;
    case WM_ACTIVATEAPP:
        SetIntroActive(wParam != 0, GetTickCount());
        return 0;
    case WM_KEYDOWN:
        if (wParam == VK_ESCAPE) PostMessageA(window, WM_CLOSE, 0, 0);
        return 0;
    case WM_DESTROY:
        EndIntro();
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previousInstance, LPSTR, int showCommand) {
    introDriver.platform =
        IntroPlatform{Clock, Wait, BeginPresent, EndPresent, IntroMusicStart, IntroMusicStop};
    if (!previousInstance) {
        WNDCLASSA windowClass{};
        windowClass.style = ClassStyle;
        windowClass.lpfnWndProc = IntroWindowProc;
        windowClass.cbClsExtra = 0;
        windowClass.cbWndExtra = 0;
        windowClass.hInstance = instance;
        windowClass.hIcon = LoadIconA(nullptr, IDI_APPLICATION);
        windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
        windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(LTGRAY_BRUSH));
        windowClass.lpszMenuName = MenuName;
        windowClass.lpszClassName = ClassName;
        RegisterClassA(&windowClass);
    }
    introDriver.instance = instance;
    UseContentResource(instance);
    introDriver.window = CreateWindowExA(0, ClassName, Caption, WindowStyle, 0, 0, WindowWidth,
                                         WindowHeight, nullptr, nullptr, instance, nullptr);
    ShowWindow(static_cast<HWND>(introDriver.window), showCommand);
    return RunMessageLoop();
}
