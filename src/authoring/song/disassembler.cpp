#include "disassembler.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <set>

#include "assembler.h"
#include "disassembly_text.h"
#include "module_view.h"
#include "replayer/replayer.h"

using namespace module_format;

namespace {

enum class Part { Sample, Wave, Freq, Vol, Pattern, Entry };

// A block or sequence line of the written source and the records it stands for.
struct Piece {
    Part part;
    size_t first, count;
    int firstLine, lastLine;
    bool standIn;
};

struct Plan {
    std::set<std::pair<Part, size_t>> standIns;  // records written as stand-ins
    bool skeleton = false;                       // only a minimal song; the raw blocks hold the whole image
};

class SourceWriter {
public:
    void Add(Part part, size_t first, size_t count, const std::string& text, bool standIn) {
        const int lines = Lines(text);
        pieces_.push_back({part, first, count, line_, line_ + lines - 1, standIn});
        Append(text);
    }
    void Append(const std::string& text) {
        text_ += text;
        line_ += Lines(text);
    }
    const std::string& Text() const { return text_; }
    const std::vector<Piece>& Pieces() const { return pieces_; }

private:
    static int Lines(const std::string& text) {
        int lines = 0;
        for (char c : text) lines += c == '\n';
        return lines;
    }
    std::string text_;
    std::vector<Piece> pieces_;
    int line_ = 1;
};

const char StandInNote[] = "  ; a stand-in: the raw blocks keep this record's bytes\n";

void WriteSequence(const ModuleView& view, const Plan& plan, SourceWriter& out) {
    out.Add(Part::Entry, 0, 0, "sequence\n", view.sequence.empty());
    for (size_t e = 0; e < view.sequence.size();) {
        std::optional<std::string> text;
        if (!plan.standIns.count({Part::Entry, e})) text = EntryText(view, e);
        size_t count = 1;
        while (text && e + count < view.sequence.size() && !plan.standIns.count({Part::Entry, e + count}) &&
               EntryText(view, e + count) == text)
            ++count;
        if (text) {
            out.Add(Part::Entry, e, count,
                    "  " + *text + (count > 1 ? " *" + std::to_string(count) : "") + "\n", false);
        } else {
            // Pattern 0 on every voice, the speed kept; the comment shows the entry it stands for.
            const std::string first = PatternName(0, view) + " ";
            const uint8_t speed = view.sequence[e][SequenceSpeedByte];
            const std::optional<std::string> real = EntryText(view, e);
            out.Add(Part::Entry, e, 1,
                    "  " + first + first + first + PatternName(0, view) +
                        (speed ? " speed=" + std::to_string(speed) : "") +
                        (real ? "  ; a stand-in for " + *real + ", which breaks a check\n" : StandInNote),
                    true);
        }
        e += count;
    }
}

// The blocks for every record, stand-ins where the plan says or the bytes have no source form.
void WriteBlocks(const ModuleView& view, const Plan& plan, const std::vector<std::string>& sounds,
                 SourceWriter& out) {
    out.Append(std::string("format ") + (view.format == Format::Fc14 ? "FC14" : "SMOD") + "\n");
    if (plan.skeleton) {
        out.Append("\npattern pattern00\n\nsequence\n  pattern00 pattern00 pattern00 pattern00\n");
        return;
    }
    for (size_t i = 0; i < view.samples.size(); ++i)
        out.Add(Part::Sample, i, 1, "\n" + sounds[i], view.samples[i].words <= 1);
    for (size_t i = 0; i < view.waves.size(); ++i)
        out.Add(Part::Wave, i, 1, "\n" + sounds[view.samples.size() + i], view.waves[i].words <= 1);
    auto add = [&](Part part, size_t count, auto text, auto standIn) {
        for (size_t i = 0; i < count; ++i) {
            std::optional<std::string> written;
            if (!plan.standIns.count({part, i})) written = text(view, static_cast<int>(i));
            // The first line is the block's header; the stand-in note follows it.
            // Appended, not "\n" + ...: GCC 12 warns falsely (-Wrestrict) on that at -O3.
            std::string block = "\n";
            block += written.value_or(standIn(static_cast<int>(i)));
            out.Add(part, i, 1, block, !written);
        }
    };
    add(Part::Freq, view.freqMacros.size(), FreqMacroText,
        [](int i) { return "freq " + FreqName(i) + StandInNote + "  End\n"; });
    add(Part::Vol, view.volMacros.size(), VolMacroText,
        [](int i) { return "vol " + VolName(i) + " freq=" + FreqName(0) + StandInNote + "  End\n"; });
    add(Part::Pattern, view.patterns.size(), PatternText,
        [&](int i) { return "pattern " + PatternName(i, view) + StandInNote; });
    out.Append("\n");
    WriteSequence(view, plan, out);
}

// Widens the plan by the lines the problems name; false when nothing more can be given up.
bool GiveUpOn(const std::vector<Problem>& problems, const std::vector<Piece>& pieces,
              const ModuleView& view, Plan& plan) {
    bool changed = false;
    for (const Problem& problem : problems) {
        const int line = problem.line;
        const Piece* piece = nullptr;
        for (const Piece& p : pieces)
            if (line >= p.firstLine && line <= p.lastLine) piece = &p;
        if (!piece) return false;
        if (!piece->standIn) {
            for (size_t i = 0; i < piece->count; ++i)
                changed |= plan.standIns.insert({piece->part, piece->first + i}).second;
        } else if (piece->part == Part::Entry && !view.patterns.empty()) {
            changed |= plan.standIns.insert({Part::Pattern, 0}).second;  // a stand-in entry plays pattern 0
        } else {
            return false;
        }
    }
    return changed;
}

// The part of the module an offset falls in, for the raw blocks' comments.
std::string RegionOf(const std::vector<uint8_t>& image, const ModuleView& view, size_t at) {
    auto u32 = [&](size_t field) {
        uint32_t value = 0;
        for (size_t i = 0; i < 4; ++i) value = value << 8 | (field + i < image.size() ? image[field + i] : 0);
        return static_cast<size_t>(value);
    };
    const size_t fixed = static_cast<size_t>(FixedPartBytes(view.format));
    struct Region {
        const char* name;
        size_t start, bytes;
    };
    const Region regions[] = {
        {"sequence", fixed, view.sequence.size() * SequenceEntryBytes},
        {"patterns", u32(PatternOffsetField), view.patterns.size() * PatternBytes},
        {"frequency macros", u32(FrequencyMacroOffsetField), view.freqMacros.size() * MacroBytes},
        {"volume macros", u32(VolumeMacroOffsetField), view.volMacros.size() * MacroBytes},
    };
    if (at < fixed) return "header";
    for (const Region& region : regions)
        if (at >= region.start && at - region.start < region.bytes) return region.name;
    return at >= u32(SampleDataOffsetField) ? "sample data" : "between the parts";
}

// Raw blocks that turn `built` into `image`; `kept` counts their bytes.
std::string RawBlocks(std::vector<uint8_t> built, const std::vector<uint8_t>& image, const ModuleView& view,
                      size_t& kept) {
    std::string text;
    if (built.size() != image.size()) text += "\nraw length=" + std::to_string(image.size()) + "\n";
    built.resize(image.size(), 0);
    constexpr size_t Bridge = 8;  // equal bytes a block takes in rather than start a new one
    kept = 0;
    for (size_t at = 0; at < image.size();) {
        if (built[at] == image[at]) {
            ++at;
            continue;
        }
        size_t end = at + 1, last = at;
        while (end < image.size() && end - last <= Bridge) {
            if (built[end] != image[end]) last = end;
            ++end;
        }
        char line[96];
        std::snprintf(line, sizeof line, "\nraw at=0x%zX  ; %zu byte%s in the %s", at, last + 1 - at,
                      last == at ? "" : "s", RegionOf(image, view, at).c_str());
        text += line;
        for (size_t i = at; i <= last; ++i) {
            std::snprintf(line, sizeof line, "%s%02X", (i - at) % 16 == 0 ? "\n  " : " ", image[i]);
            text += line;
        }
        text += "\n";
        kept += last + 1 - at;
        at = last + 1;
    }
    return text;
}

std::string Plural(size_t count, const char* word) {
    return std::to_string(count) + " " + word + (count == 1 ? "" : "s");
}

std::string HeaderComment(const ModuleView& view, size_t imageBytes, const Plan& plan, size_t standIns,
                          size_t kept) {
    const long ticks = SongTicksOf(view);
    const bool fc14 = view.format == Format::Fc14;
    char length[96];
    std::snprintf(length, sizeof length, "%ld ticks = %.2f s", ticks, static_cast<double>(ticks) / 50.0);
    std::string text = std::string("; Disassembled by modasm --disassemble: an ") + (fc14 ? "FC14" : "SMOD") +
                       " module of " + std::to_string(imageBytes) + " bytes with\n; " +
                       std::to_string(view.sequence.size()) +
                       (view.sequence.size() == 1 ? " sequence entry, " : " sequence entries, ") +
                       Plural(view.patterns.size(), "pattern") + ", " +
                       Plural(view.freqMacros.size(), "frequency macro") + ", " +
                       Plural(view.volMacros.size(), "volume macro") + ",\n; " +
                       Plural(view.samples.size(), "sample slot") + ", " +
                       (fc14 ? Plural(view.waves.size(), "wave") : "the built-in waveforms") + ".\n" +
                       "; One pass of the song: " + length + " at 50 ticks a second.\n";
    if (plan.skeleton) {
        text +=
            "; Its records break the source's rules, so the blocks are a minimal song and\n"
            "; raw blocks at the end give the module's bytes.\n";
    } else if (kept > 0) {
        if (standIns > 0)
            text += "; Stand-ins (marked) replace " + Plural(standIns, "record") + " with no source form.\n";
        text += "; Raw blocks at the end keep " + Plural(kept, "byte") + " the blocks do not express.\n";
    }
    return text;
}

}  // namespace

std::vector<Problem> DisassembleModule(const std::vector<uint8_t>& image, const std::string& fileName,
                                       std::string* source) {
    auto fail = [&](const std::string& reason) { return std::vector<Problem>{Problem{fileName, 0, 0, reason}}; };
    char reason[256] = "";
    ModuleView view;
    if (LoadModuleChecked(image.data(), image.size(), reason, sizeof reason) != 0 ||
        !ReadModuleView(image, view))
        return fail(reason[0] ? reason : "not a module");
    if (image.size() > RawImageLimit)
        return fail("the module is " + std::to_string(image.size()) + " bytes; a source holds at most " +
                    std::to_string(RawImageLimit));
    std::vector<std::string> sounds;  // written once: finding a generator takes the time
    for (size_t i = 0; i < view.samples.size(); ++i)
        sounds.push_back(SoundText(view.samples[i], true, static_cast<int>(i)));
    for (size_t i = 0; i < view.waves.size(); ++i)
        sounds.push_back(SoundText(view.waves[i], false, static_cast<int>(i)));
    // Writes the blocks and assembles them; a record the assembler refuses
    // becomes a stand-in, until everything assembles. The raw blocks then
    // put back every byte the blocks lay out differently.
    Plan plan;
    SourceWriter out;
    AssembledModule module;
    for (int round = 0;; ++round) {
        out = SourceWriter();
        WriteBlocks(view, plan, sounds, out);
        ProblemLog problems("disassembly", SIZE_MAX);  // every line a retry gives up
        module = AssembledModule();
        if (AssembleSource(out.Text(), problems, module)) break;
        if (plan.skeleton)
            return fail("internal error: the minimal song does not assemble: " +
                        FormatProblem(problems.Problems().front(), "disassembly"));
        if (round >= 16 || !GiveUpOn(problems.Problems(), out.Pieces(), view, plan)) plan.skeleton = true;
    }
    size_t kept = 0;
    const std::string raw = RawBlocks(BuildModuleImage(module), image, view, kept);
    size_t standIns = 0;
    for (const Piece& piece : out.Pieces()) standIns += piece.standIn && piece.count > 0;
    const std::string text =
        HeaderComment(view, image.size(), plan, standIns, kept) + "\n" + out.Text() + raw;

    ProblemLog problems("disassembly");
    AssembledModule check;
    if (!AssembleSource(text, problems, check) || BuildModuleImage(check) != image)
        return fail("internal error: the source does not assemble back to the module");
    *source = text;
    return {};
}
