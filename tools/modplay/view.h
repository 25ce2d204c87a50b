#pragma once
// The player's view as text: the lines of the terminal view and the plain
// status line printed outside a terminal.
#include <string>
#include <vector>

#include "playback.h"

struct ViewModel {
    std::string title;   // the file's name, or "built-in song"
    std::string format;  // "FC14" or "SMOD"
    bool watching = false;
    PositionView position;
    SongLayout layout;
    bool paused = false;
    bool muted[4] = {};
    bool muteKeyPending = false;  // 'm' was pressed, a voice number is awaited
    std::string message;          // the last reload, or why it failed
};

// Song ticks (50 a second) as "m:ss.cc".
std::string FormatSongTime(int64_t ticks);
// One line: position, time and the four voices.
std::string StatusLine(const ViewModel& model);
std::vector<std::string> ViewLines(const ViewModel& model);
