#include "terminal.h"

#include <curses.h>

bool OpenTerminal() {
    if (!initscr()) return false;
    cbreak();
    noecho();
    keypad(stdscr, TRUE);
    curs_set(0);
    // Escape on its own quits; wait only briefly for the rest of an arrow key.
    set_escdelay(25);
    return true;
}

void CloseTerminal() { endwin(); }

void DrawLines(const std::vector<std::string>& lines) {
    erase();
    for (size_t i = 0; i < lines.size() && static_cast<int>(i) < LINES; ++i)
        mvaddnstr(static_cast<int>(i), 0, lines[i].c_str(), COLS);
    refresh();
}

Key ReadKey(int milliseconds) {
    timeout(milliseconds);
    switch (getch()) {
        case ' ': return Key::Pause;
        case KEY_LEFT: return Key::Previous;
        case KEY_RIGHT: return Key::Next;
        case 'r': case 'R': return Key::Restart;
        case 'm': case 'M': return Key::Mute;
        case 'q': case 'Q': case 27: return Key::Quit;
        case '1': return Key::Voice1;
        case '2': return Key::Voice2;
        case '3': return Key::Voice3;
        case '4': return Key::Voice4;
        default: return Key::None;
    }
}
