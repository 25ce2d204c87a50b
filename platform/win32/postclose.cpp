// Posts WM_CLOSE to the intro's window, the message a click on its close box
// leads to. Exit code 0 when the window was found, 1 when it was not.
#include <windows.h>

#include <cstdio>

int main() {
    HWND window = FindWindowA("VUZoroDozEziva", nullptr);
    if (!window) {
        std::fprintf(stderr, "postclose: no window of class VUZoroDozEziva is open\n");
        return 1;
    }
    PostMessageA(window, WM_CLOSE, 0, 0);
    return 0;
}
