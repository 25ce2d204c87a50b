#pragma once
// The terminal side of the view (ncurses): full-screen lines and keys.
#include <string>
#include <vector>

enum class Key { None, Pause, Previous, Next, Restart, Mute, Quit, Voice1, Voice2, Voice3, Voice4 };

bool OpenTerminal();
void CloseTerminal();
void DrawLines(const std::vector<std::string>& lines);
// Waits up to `milliseconds` for a key.
Key ReadKey(int milliseconds);
