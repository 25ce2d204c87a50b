#pragma once
// The module replayer: its state records and run flags, its constant tables,
// the loaders for "FC14" and "SMOD" modules, and the 50 Hz tick. All state is
// in one fixed-size record; the replayer reaches the channels only through
// the channel operations (sound/channel_operations.h).
#include <atomic>
#include <cstddef>
#include <cstdint>

struct SampleEntry {
    uint32_t start;
    uint16_t length;
    uint16_t repeatStart;
    uint16_t repeatLength;
};

constexpr int SampleMemoryBytes = 81920;
constexpr int MacroSlotBytes = 64;
constexpr int MacroSlotCount = 256;
constexpr int MacroStoreBytes = MacroSlotBytes * MacroSlotCount;
constexpr int SilentMacroSlot = 255;
constexpr int VolumeMacroHeaderBytes = 5;
constexpr int SampleTableEntries = 128;
constexpr int BuiltinWaveformCount = 47;
constexpr int BuiltinWaveformBytes = 1344;

struct SongState {
    int32_t sequenceCount;
    int32_t patternCount;
    int32_t frequencyMacroCount;
    int32_t volumeMacroCount;
    uint8_t sequence[256][16];
    int32_t sequenceEnd;
    int32_t songPosition;
    int32_t positionAdvanced;
    uint8_t speed;
    uint8_t speedCounter;
    uint8_t patterns[256][MacroSlotBytes];
    uint8_t frequencyMacros[256][MacroSlotBytes];
    uint8_t volumeMacros[256][MacroSlotBytes];
    SampleEntry sampleTable[128];
    int8_t sampleMemory[SampleMemoryBytes];
};

// Macro and pattern references are kept as store indices rather than raw
// pointers, so that every read can be bounded to its store.
constexpr int32_t NoPattern = -1;
// `volumeMacro` of a voice bound to the silent volume macro: byte 0 of slot 255,
// which holds its End code (a real macro's body begins at byte 5 of its slot).
constexpr int32_t SilentVolumeMacro = SilentMacroSlot * MacroSlotBytes;

struct VoiceState {
    int32_t pattern;  // slot of `patterns` (0..127), or NoPattern
    uint32_t rowOffset;
    int16_t pitchOffset;
    int8_t volume;
    int8_t noteTranspose;
    int8_t soundTranspose;
    uint8_t note;
    uint8_t portamento;
    uint8_t portamentoPhase;
    uint8_t volumeSpeed;
    uint8_t volumeCounter;
    uint8_t volumeSustain;
    int32_t volumeMacro;  // byte offset of the macro body in the `volumeMacros` store
    int32_t volumePosition;
    int32_t frequencyMacro;  // slot of `frequencyMacros`
    uint32_t frequencyPosition;
    uint8_t frequencySustain;
    uint8_t vibratoSpeed;
    uint8_t vibratoDepth;
    uint8_t vibratoValue;
    uint8_t vibratoDelay;
    uint8_t vibratoFlags;
    uint8_t pitchSlideSpeed;
    uint8_t pitchSlideTime;
    uint8_t pitchSlidePhase;
    int8_t macroNote;
    int8_t volumeSlideSpeed;
    uint8_t volumeSlideTime;
    uint8_t volumeSlidePhase;
};

// A run flag: written on the main thread and read by the tick on the audio
// thread, so a relaxed atomic of a plain flag's width (no lock, no ordering
// beyond the flag itself: the streamer's thread hand-offs order the rest).
// Reads and writes like an int32_t, so the record around it stays a value.
class RunFlag {
public:
    constexpr RunFlag(int32_t value = 0) : value_(value) {}
    RunFlag(const RunFlag& other) : value_(static_cast<int32_t>(other)) {}
    RunFlag& operator=(const RunFlag& other) { return *this = static_cast<int32_t>(other); }
    RunFlag& operator=(int32_t value) {
        value_.store(value, std::memory_order_relaxed);
        return *this;
    }
    operator int32_t() const { return value_.load(std::memory_order_relaxed); }

private:
    std::atomic<int32_t> value_;
};
static_assert(sizeof(RunFlag) == sizeof(int32_t));

// Everything the replayer changes while it runs, in one record: the loaded
// song, the four voices, the run flags and the bookkeeping kept beside them.
struct ReplayerState {
    SongState song;
    VoiceState voices[4];
    RunFlag soundEnabled;
    RunFlag replayerReady;
    RunFlag playing;
    // Set by a successful load, cleared with the stores: the tick refuses to
    // run on voices that were never given a song.
    int32_t moduleLoaded;
    // Macro byte codes executed since the last reset; the fuzz target watches
    // how much one tick adds.
    uint32_t macroBytesExecuted;
    // Largest byte length each mixer channel may still hold latched from the
    // replayer (the mixer keeps its latched length when handed 0 words).
    // Starts at the whole sample memory, as nothing is known about the
    // channel yet.
    uint32_t latchedSegmentBytes[4] = {SampleMemoryBytes, SampleMemoryBytes, SampleMemoryBytes,
                                       SampleMemoryBytes};
};

extern ReplayerState replayer;

// Guard: upper bound on byte codes one macro step may execute. A well-formed step
// needs a handful; a macro looping on itself is cut off here and its step ends
// as if it had met End, to resume (and be cut off again) on the next tick.
constexpr int MacroStepByteLimit = 128;

extern const int16_t PeriodTable[128];
// Lengths in 16-bit words, 672 in all.
inline constexpr uint8_t BuiltinWaveformLengths[BuiltinWaveformCount] = {
    16, 16, 16, 16, 16, 16, 16, 16, 16, 16, 16, 16, 16, 16, 16, 16,
    16, 16, 16, 16, 16, 16, 16, 16, 16, 16, 16, 16, 16, 16, 16, 16,
    8,  8,  8,  8,  8,  8,  8,  8,  16, 8,  16, 16, 8,  8,  24,
};
// Generated at compile time from the waveform formulas; a reference to the
// constant block so it reads as a plain array.
extern const int8_t (&BuiltinWaveforms)[BuiltinWaveformBytes];

uint16_t ReadU16BE(const uint8_t* p);
uint32_t ReadU32BE(const uint8_t* p);

// The embedded-image entry: no size is known, the image is trusted.
// 0 loaded, 1 unknown magic (nothing changed).
int LoadModule(const uint8_t* image);
int LoadFc14(const uint8_t* image);
int LoadSmod(const uint8_t* image);

// The checked entry for images of known size (files). 0 loaded; otherwise
// nothing changed and `reason` (if given) holds a message naming the field,
// its value and the image size.
int LoadModuleChecked(const uint8_t* image, size_t size, char* reason, size_t reasonSize);
// LoadModuleChecked's checks alone: 0 when it would load `image`, else 1 with
// the same reason. Nothing in the replayer changes.
int CheckModuleImage(const uint8_t* image, size_t size, char* reason, size_t reasonSize);

int ReplayerTick();
void StepRow(int voice);
void UpdateVoice(int voice);

// Back to program-start state (every record and flag zero, each channel's
// latched length the whole sample memory): for tests and tools.
void ResetReplayerState();
// What audio initialisation clears before a load: the sample table, sequence,
// patterns and both macro stores; the song counts as not loaded afterwards.
void ClearReplayerStores();
