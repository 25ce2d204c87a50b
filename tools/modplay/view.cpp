#include "view.h"

#include <cstdio>

#include "authoring/song/source_values.h"

namespace {

constexpr int LevelBarWidth = 32;

std::string Printf(const char* format, auto... values) {
    char line[256];
    std::snprintf(line, sizeof line, format, values...);
    return line;
}

std::string PositionText(const ViewModel& model) {
    const PositionView& p = model.position;
    if (!p.started) return "starting";
    return Printf("entry %3d/%-3d  row %2d  speed %2d  time %s / %s", p.entry + 1,
                  model.layout.entryCount, p.row, p.speed, FormatSongTime(p.songTick).c_str(),
                  FormatSongTime(model.layout.passTicks).c_str());
}

std::string NoteOf(const VoiceView& voice, bool started) {
    // The name as the song source writes it (modasm's), "---" before a note.
    return started && voice.instrument >= 0 ? NoteName(voice.note) : "---";
}

}  // namespace

std::string FormatSongTime(int64_t ticks) {
    if (ticks < 0) ticks = 0;
    const int64_t centiseconds = ticks * 2;
    return Printf("%lld:%02lld.%02lld", static_cast<long long>(centiseconds / 6000),
                  static_cast<long long>(centiseconds / 100 % 60),
                  static_cast<long long>(centiseconds % 100));
}

std::string StatusLine(const ViewModel& model) {
    std::string line = PositionText(model);
    line += " |";
    for (int v = 0; v < 4; ++v) {
        line += ' ';
        line += model.muted[v] ? std::string("mut") : NoteOf(model.position.voices[v],
                                                             model.position.started);
    }
    if (model.paused) line += " | paused";
    return line;
}

std::vector<std::string> ViewLines(const ViewModel& model) {
    std::vector<std::string> lines;
    lines.push_back("modplay  " + model.title + "  " + model.format +
                    (model.watching ? "  (reloads on save)" : ""));
    lines.push_back("");
    lines.push_back(PositionText(model) + (model.paused ? "   PAUSED" : ""));
    lines.push_back("");
    lines.push_back("voice  note  inst  level");
    for (int v = 0; v < 4; ++v) {
        const VoiceView& voice = model.position.voices[v];
        const bool started = model.position.started;
        const std::string instrument =
            started && voice.instrument >= 0 ? std::to_string(voice.instrument) : "--";
        std::string bar = model.muted[v] ? "(muted)"
                                         : std::string(static_cast<size_t>(
                                                           started ? voice.level * LevelBarWidth / 64 : 0),
                                                       '#');
        lines.push_back(Printf("  %d    %-4s  %4s  ", v + 1, NoteOf(voice, started).c_str(),
                               instrument.c_str()) + bar);
    }
    lines.push_back("");
    lines.push_back(model.muteKeyPending ? "mute or unmute which voice? 1-4"
                                         : "space pause  <- -> entry  r restart  m 1-4 mute  q quit");
    lines.push_back(model.message);
    return lines;
}
