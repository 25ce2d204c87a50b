#pragma once
// The command bytes of the frequency and volume macros. Every other byte where
// a command may stand is data: a note value or a volume value.
#include <cstdint>

enum MacroCode : uint8_t {
    CodeLoop = 0xE0,
    CodeEnd = 0xE1,
    CodeSetWave = 0xE2,
    CodeVibrato = 0xE3,
    CodeChangeWave = 0xE4,
    CodeJumpMacro = 0xE7,
    CodeHold = 0xE8,
    CodeStopVoice = 0xE9,
    CodeSlide = 0xEA,  // PitchSlide in frequency macros, VolumeSlide in volume macros
};

// A pattern row whose note byte is this ends the pattern early.
constexpr uint8_t PatternEndCode = 0x49;
