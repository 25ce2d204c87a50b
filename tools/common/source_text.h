#pragma once
// A command-line tool's text input, read whole but bounded: a FIFO, a folder
// or a device is named as such without waiting, and a file past 16 MiB is
// refused before it is kept (app/input_file.h). A file that is not there or
// cannot be opened keeps the tools' own wording, "PROGRAM: cannot read PATH".
#include <string>

// False with the message printed to standard error.
bool ReadSourceText(const char* program, const std::string& path, const char* expected,
                    std::string& text);
