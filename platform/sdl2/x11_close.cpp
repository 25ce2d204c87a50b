// A helper for the end-to-end tests: asks the intro's window to close the way a
// window manager's close button does, with a WM_DELETE_WINDOW client message.
//   intro-x11-close WINDOW_ID     (decimal or 0x hex, as xdotool prints it)
// Exit code 0 when sent, 1 when the display or window cannot be used, 2 for a
// bad argument.
#include <X11/Xlib.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    errno = 0;
    char* end = nullptr;
    const unsigned long id = argc == 2 ? std::strtoul(argv[1], &end, 0) : 0;
    if (argc != 2 || errno != 0 || end == argv[1] || *end != '\0' || id == 0) {
        std::fprintf(stderr, "usage: intro-x11-close WINDOW_ID\n");
        return 2;
    }
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) {
        std::fprintf(stderr, "intro-x11-close: cannot open the display (is DISPLAY set?)\n");
        return 1;
    }
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = id;
    event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    const Status sent = XSendEvent(display, id, False, NoEventMask, &event);
    XSync(display, False);
    XCloseDisplay(display);
    if (sent == 0) {
        std::fprintf(stderr, "intro-x11-close: could not send to window %s\n", argv[1]);
        return 1;
    }
    return 0;
}
