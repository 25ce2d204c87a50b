#include "disassembly_text.h"

#include <algorithm>
#include <map>
#include <vector>

#include "replayer/replayer.h"
#include "sound_shapes.h"
#include "source_values.h"

using namespace module_format;

namespace {

std::string Signed(int value) { return (value > 0 ? "+" : "") + std::to_string(value); }

// A note value byte: a relative step 0..127, or a fixed note (bit 7) 0..59.
std::optional<std::string> NoteValue(uint8_t byte) {
    if (byte < 0x80) return std::to_string(byte);
    const int index = byte & 0x7F;
    if (index <= 47) return "=" + NoteName(index);
    if (index <= 59) return "=" + std::to_string(index);
    return std::nullopt;
}

std::optional<std::string> SoundRef(const ModuleView& view, uint8_t entry) {
    if (entry >= 64) return std::nullopt;
    if (entry < SampleCount) return entry < view.samples.size() ? SampleName(entry) : std::to_string(entry);
    const int wave = entry - SampleCount;
    if (view.format == Format::Smod)
        return wave < BuiltinWaveformCount ? "builtin" + std::to_string(wave) : std::to_string(entry);
    return wave < static_cast<int>(view.waves.size()) ? WaveName(wave) : std::to_string(entry);
}

// One decoded macro command or value; positions count from the record's start.
struct Item {
    size_t at = 0;
    size_t size = 1;
    std::string text;
    bool terminal = false;  // End, Loop, JumpMacro: nothing runs past it
    int target = -1;        // Loop: the record position it goes on at
    int volume = -1;        // volume macros: a volume value
};

bool ZeroFrom(const Record& record, size_t at) {
    return std::all_of(record.begin() + static_cast<long>(at), record.end(),
                       [](uint8_t b) { return b == 0; });
}

// Decodes one command at `at`; false when the bytes are no command the source can write.
bool DecodeItem(const ModuleView& view, const Record& r, size_t at, bool volume, Item& item) {
    auto op = [&](size_t k) -> uint8_t { return at + k < r.size() ? r[at + k] : 0; };
    item.at = at;
    const uint8_t code = r[at];
    std::optional<std::string> a, b;
    switch (code) {
    case CodeLoop: item = {at, 2, "Loop", true, op(1)}; return true;
    case CodeEnd: item = {at, 1, "End", true}; return true;
    case CodeHold: item = {at, 2, "Hold " + std::to_string(op(1))}; return true;
    default: break;
    }
    if (volume) {
        if (code == CodeSlide) {
            item = {
                at, 3,
                "VolumeSlide " + std::to_string(static_cast<int8_t>(op(1))) + " " + std::to_string(op(2))};
            return true;
        }
        if (code > 64) return false;
        item = {at, 1, std::to_string(code), false, -1, code};
        return true;
    }
    switch (code) {
    case CodeSetWave:
    case CodeChangeWave:
        a = SoundRef(view, op(1));
        b = NoteValue(op(2));
        item = {at, 3,
                std::string(code == CodeSetWave ? "SetWave " : "ChangeWave ") + a.value_or("") + " " +
                    b.value_or("")};
        return a && b;
    case CodeVibrato:
        b = NoteValue(op(3));
        item = {at, 4,
                "Vibrato " + std::to_string(op(1)) + " " + std::to_string(op(2)) + " " + b.value_or("")};
        return b && op(2) <= 127;
    case CodeSlide:
        b = NoteValue(op(3));
        item = {at, 4,
                "PitchSlide " + std::to_string(op(1)) + " " + std::to_string(op(2)) + " " + b.value_or("")};
        return b.has_value();
    case CodeStopVoice:
        b = NoteValue(op(3));
        item = {at, 4, "StopVoice " + b.value_or("")};
        return b && op(1) == 0 && op(2) == 0;
    case CodeJumpMacro:
        item = {at, 2, "JumpMacro " + FreqName(op(1)), true};
        return op(1) < view.freqMacros.size();
    default:
        a = NoteValue(code);
        item = {at, 1, a.value_or("")};
        return a.has_value();
    }
}

// Commands from `start` to the last one behind which the record holds only zeros.
std::optional<std::vector<Item>> DecodeMacro(const ModuleView& view, const Record& r, size_t start,
                                             bool volume) {
    std::vector<Item> items;
    size_t at = start;
    while (at < r.size() && !(!items.empty() && items.back().terminal && ZeroFrom(r, at))) {
        Item item;
        if (!DecodeItem(view, r, at, volume, item) || at + item.size > r.size()) return std::nullopt;
        at += item.size;
        items.push_back(item);
    }
    if (items.empty() || !items.back().terminal) return std::nullopt;
    return items;
}

// Values from `i` on that Ramp FROM TO COUNT writes exactly; no label may fall inside.
size_t RampLength(const std::vector<Item>& items, size_t i, const std::map<size_t, std::string>& labels) {
    size_t best = 0;
    for (size_t count = 2; count <= 59 && i + count <= items.size(); ++count) {
        const Item& last = items[i + count - 1];
        if (last.volume < 0 || labels.count(last.at)) break;
        const long from = items[i].volume, to = last.volume, steps = static_cast<long>(count);
        bool exact = true;
        for (long k = 0; k < steps && exact; ++k)
            exact = items[i + static_cast<size_t>(k)].volume == from + (to - from) * k / (steps - 1);
        if (exact) best = count;
    }
    return best;
}

// Lays the commands out: a line per label, Loop operands as label names,
// runs of volumes as Ramp, a line break after every end of a path.
std::optional<std::string> MacroBody(std::vector<Item> items) {
    std::map<size_t, std::string> labels;
    for (const Item& item : items) {
        if (item.target < 0) continue;
        auto found = std::find_if(items.begin(), items.end(),
                                  [&](const Item& i) { return i.at == static_cast<size_t>(item.target); });
        if (found == items.end()) return std::nullopt;
        labels[found->at] = "";
    }
    int number = 0;
    for (auto& [at, name] : labels) name = labels.size() == 1 ? "loop" : "loop" + std::to_string(++number);
    std::string text, line;
    size_t onLine = 0;
    for (size_t i = 0; i < items.size(); ++i) {
        const Item& item = items[i];
        auto label = labels.find(item.at);
        if ((label != labels.end() || onLine >= 8) && !line.empty()) {
            text += "  " + line + "\n";
            line.clear();
            onLine = 0;
        }
        if (label != labels.end()) line = label->second + ": ";
        std::string word = item.target >= 0 ? "Loop " + labels[static_cast<size_t>(item.target)] : item.text;
        const size_t ramp = item.volume >= 0 ? RampLength(items, i, labels) : 0;
        if (ramp >= 4) {
            word = "Ramp " + item.text + " " + items[i + ramp - 1].text + " " + std::to_string(ramp);
            i += ramp - 1;
        }
        line += (line.empty() || line.back() == ' ' ? "" : " ") + word;
        ++onLine;
        if (item.terminal) {
            text += "  " + line + "\n";
            line.clear();
            onLine = 0;
        }
    }
    if (!line.empty()) text += "  " + line + "\n";
    return text;
}

}  // namespace

std::string SampleName(int slot) { return "sample" + std::to_string(slot); }
std::string WaveName(int index) { return "wave" + std::to_string(index); }
std::string FreqName(int slot) { return "freq" + std::to_string(slot); }
std::string VolName(int slot) { return "vol" + std::to_string(slot); }
std::string PatternName(int slot, const ModuleView& view) {
    std::string digits = std::to_string(slot);
    const size_t width = view.patterns.size() > 100 ? 3 : 2;
    return "pattern" + std::string(digits.size() < width ? width - digits.size() : 0, '0') + digits;
}

std::optional<std::string> FreqMacroText(const ModuleView& view, int slot) {
    auto items = DecodeMacro(view, view.freqMacros.at(static_cast<size_t>(slot)), 0, false);
    auto body = items ? MacroBody(*items) : std::nullopt;
    if (!body) return std::nullopt;
    return "freq " + FreqName(slot) + "\n" + *body;
}

std::optional<std::string> VolMacroText(const ModuleView& view, int slot) {
    const Record& r = view.volMacros.at(static_cast<size_t>(slot));
    if (r[0] == 0 || r[1] >= view.freqMacros.size() || r[3] > 127) return std::nullopt;
    auto items = DecodeMacro(view, r, VolumeMacroHeaderBytes, true);
    auto body = items ? MacroBody(*items) : std::nullopt;
    if (!body) return std::nullopt;
    std::string header = "vol " + VolName(slot) + " freq=" + FreqName(r[1]);
    if (r[0] != 1) header += " speed=" + std::to_string(r[0]);
    if (r[2] || r[3] || r[4])
        header +=
            " vibrato=" + std::to_string(r[2]) + "," + std::to_string(r[3]) + "," + std::to_string(r[4]);
    return header + "\n" + *body;
}

namespace {

struct RowText {
    std::string text;
    bool repeatable = true;   // a portamento row cannot take *COUNT
    bool plainEmpty = false;  // may be left off at the end
};

std::optional<int> DefaultInstrument(const Record& p, size_t volCount) {
    std::map<int, int> uses;
    for (size_t r = 0; r < PatternRows; ++r) {
        const uint8_t note = p[2 * r];
        if (note >= 1 && note <= 47) ++uses[p[2 * r + 1] & 0x3F];
    }
    auto most =
        std::max_element(uses.begin(), uses.end(), [](auto& a, auto& b) { return a.second < b.second; });
    if (most == uses.end() || static_cast<size_t>(most->first) >= volCount) return std::nullopt;
    return most->first;
}

std::optional<std::vector<RowText>> PatternRowTexts(const Record& p, std::optional<int> inst,
                                                    size_t volCount) {
    std::vector<RowText> rows;
    for (size_t r = 0; r < PatternRows; ++r) {
        const uint8_t note = p[2 * r], info = p[2 * r + 1];
        if (note == PatternEndCode) {
            if (r == 0 || info != 0 || !ZeroFrom(p, 2 * r + 2)) return std::nullopt;
            rows.push_back({"end", false});
            return rows;
        }
        RowText row;
        const int instrument = info & 0x3F, flags = info & 0xC0;
        if (note == 0) {
            if (instrument != 0) return std::nullopt;
            row.text = "---";
            row.plainEmpty = flags == 0;
        } else if (note <= 47) {
            row.text = NoteName(note);
            if (!inst || instrument != *inst)
                row.text += " " + (static_cast<size_t>(instrument) < volCount ? VolName(instrument)
                                                                              : std::to_string(instrument));
        } else {
            return std::nullopt;
        }
        if (flags == 0x40) row.text += " porta off";
        if (flags == 0xC0) return std::nullopt;
        if (flags == 0x80) {  // the amount rides in the next row, a plain empty one
            const uint8_t amount = r + 1 < PatternRows ? p[2 * r + 3] : 0;
            const bool up = amount >= 1 && amount <= 31, down = amount >= 0x21 && amount <= 0x3F;
            if (r + 1 >= PatternRows || p[2 * r + 2] != 0 || !(up || down)) return std::nullopt;
            row.text += std::string(up ? " porta up " : " porta down ") + std::to_string(amount & 0x1F);
            row.repeatable = false;
            rows.push_back(row);
            rows.push_back({"---", true, false});
            ++r;
            continue;
        }
        rows.push_back(row);
    }
    while (!rows.empty() && rows.back().plainEmpty) rows.pop_back();
    return rows;
}

}  // namespace

std::optional<std::string> PatternText(const ModuleView& view, int slot) {
    const Record& p = view.patterns.at(static_cast<size_t>(slot));
    const std::optional<int> inst = DefaultInstrument(p, view.volMacros.size());
    auto rows = PatternRowTexts(p, inst, view.volMacros.size());
    if (!rows) return std::nullopt;
    std::string text = "pattern " + PatternName(slot, view) + (inst ? " inst=" + VolName(*inst) : "") + "\n";
    for (size_t r = 0; r < rows->size();) {
        size_t count = 1;
        while ((*rows)[r].repeatable && r + count < rows->size() && (*rows)[r + count].repeatable &&
               (*rows)[r + count].text == (*rows)[r].text)
            ++count;
        text += "  " + (*rows)[r].text + (count > 1 ? " *" + std::to_string(count) : "") + "\n";
        r += count;
    }
    return text;
}

std::optional<std::string> EntryText(const ModuleView& view, size_t entry) {
    const auto& e = view.sequence.at(entry);
    std::string text;
    for (size_t v = 0; v < 4; ++v) {
        if (e[3 * v] >= view.patterns.size()) return std::nullopt;
        if (v) text += ' ';
        text += PatternName(e[3 * v], view);
        const int note = static_cast<int8_t>(e[3 * v + 1]), sound = static_cast<int8_t>(e[3 * v + 2]);
        if (note != 0) text += Signed(note);
        if (sound != 0) text += "/" + std::to_string(sound);
    }
    if (e[SequenceSpeedByte] != 0) text += " speed=" + std::to_string(e[SequenceSpeedByte]);
    return text;
}

std::string SoundText(const ModuleView::Sound& sound, bool isSample, int index) {
    std::vector<int8_t> data = sound.data;
    if (data.size() < 4) data.assign(4, 0);  // an empty slot before used ones: a 2-word stand-in
    const size_t bytes = data.size();
    const std::optional<WaveShape> shape = sound.words > 1 ? RecognizeShape(data) : std::nullopt;
    std::string text = std::string(isSample ? "sample " + SampleName(index) : "wave " + WaveName(index)) +
                       " " + (shape ? ShapeParameters(*shape) : "data words=" + std::to_string(bytes / 2));
    const size_t start = sound.repeatStart, words = sound.repeatWords;
    if (isSample && words >= 2 && start % 2 == 0 && start + 2 * words <= bytes)
        text += " loop=" + std::to_string(start) + "," + std::to_string(words);
    if (sound.words <= 1) text += "  ; a stand-in for an empty slot; the raw blocks keep its bytes";
    for (size_t i = 0; !shape && i < bytes; ++i)
        text += (i % 16 == 0 ? "\n  " : " ") + std::to_string(data[i]);
    return text + "\n";
}
