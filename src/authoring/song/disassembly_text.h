#pragma once
// Source text for the records of a module view, one block or sequence entry
// at a time. Each returns nothing when the bytes have no source form (the
// disassembler then writes a stand-in and keeps the bytes raw).
#include <optional>
#include <string>

#include "module_view.h"

std::string SampleName(int slot);
std::string WaveName(int index);
std::string FreqName(int slot);
std::string VolName(int slot);
std::string PatternName(int slot, const ModuleView& view);

std::string SoundText(const ModuleView::Sound& sound, bool isSample, int index);
std::optional<std::string> FreqMacroText(const ModuleView& view, int slot);
std::optional<std::string> VolMacroText(const ModuleView& view, int slot);
std::optional<std::string> PatternText(const ModuleView& view, int slot);
// One sequence entry, without a repeat count.
std::optional<std::string> EntryText(const ModuleView& view, size_t entry);
