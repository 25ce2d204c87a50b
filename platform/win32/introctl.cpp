// Drives the running intro from outside, for the end-to-end tests:
//   introctl close    posts WM_CLOSE, the message a click on the close box leads to
//   introctl reshow   moves the window to (10, 10), hides it and shows it again,
//                     so that it receives a second WM_SHOWWINDOW
// Exit code 0 when done, 1 when no intro window is open, 2 for a bad command.
#include <windows.h>

#include <cstdio>
#include <cstring>

int main(int argc, char** argv) {
    const char* command = argc == 2 ? argv[1] : "";
    if (std::strcmp(command, "close") != 0 && std::strcmp(command, "reshow") != 0) {
        std::fprintf(stderr, "usage: introctl close|reshow\n");
        return 2;
    }
    HWND window = FindWindowA("VUZoroDozEziva", nullptr);
    if (!window) {
        std::fprintf(stderr, "introctl: no window of class VUZoroDozEziva is open\n");
        return 1;
    }
    if (std::strcmp(command, "close") == 0) {
        PostMessageA(window, WM_CLOSE, 0, 0);
        return 0;
    }
    SetWindowPos(window, nullptr, 10, 10, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    ShowWindow(window, SW_HIDE);
    ShowWindow(window, SW_SHOW);
    RECT rect;
    GetWindowRect(window, &rect);
    std::printf("introctl: window at (%ld, %ld)\n", rect.left, rect.top);
    return 0;
}
