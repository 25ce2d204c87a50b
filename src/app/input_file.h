#pragma once
// Reading a whole input file, bounded so that a wrong path (a device, a FIFO,
// a folder, a huge file) gives a message instead of waiting or exhausting
// memory.
#include <cstdint>
#include <string>
#include <vector>

constexpr int64_t MaxInputFileBytes = 16 * 1024 * 1024;

// Reads the regular file `path` into `bytes`. On failure `error` says what
// went wrong: a path that is a folder, a FIFO, a device or a socket is named
// as such (and never waited on); a file over MaxInputFileBytes is refused as
// "... is larger than 16 MiB; not <expected>".
bool ReadInputFile(const std::string& path, const char* expected, std::vector<uint8_t>& bytes,
                   std::string& error);

bool IsRegularFile(const std::string& path);

// What `path` is when it is there but not a regular file: "a folder", "a FIFO
// (named pipe)", "a device", "a socket"; "" for a regular file or nothing.
std::string NonFileKind(const std::string& path);
