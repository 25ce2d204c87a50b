#include "playback.h"

#include <atomic>

#include "audio/audio_control.h"
#include "audio/sound_path.h"
#include "replayer/replayer.h"
#include "sound/block_stream.h"
#include "sound/mixer.h"

namespace {

constexpr int RingFrames = IntroRingFrames;
constexpr int BlockFrames = IntroSound.framesPerBlock;
constexpr int SnapshotSlots = 256;  // seven times the ring's 36 ticks

// One tick's view, published by the stream's thread and read by the main
// thread without a lock: the stamp is the tick call's number once the fields
// are complete and 0 while they are written (a sequence lock on atomics). The
// fields are stored with release and loaded with acquire rather than fenced,
// which keeps the same guarantee in a form ThreadSanitizer can follow: a
// reader that sees any field of a rewrite also sees the stamp cleared.
struct SnapshotSlot {
    std::atomic<int64_t> stamp{0};
    std::atomic<int64_t> songTick{0};
    std::atomic<uint32_t> position{0};  // entry | row << 8 | speed << 16 | started << 24
    std::atomic<uint32_t> voices[4]{};  // note | (instrument + 1) << 8 | level << 16
};

struct PlaybackState {
    std::vector<uint8_t> image;
    SongLayout layout;
    std::atomic<int64_t> tickCalls{0};  // since the channels were last reset
    int64_t songTicks = 0;              // ticks the replayer ran; the tick's thread only
    int64_t streamStartFrame = 0;       // frame (since the reset) the stream plays first
    int64_t playedBefore = 0;           // frames heard in earlier runs of the stream
    bool paused = false;
    int64_t heardFloorCall = 0;         // the tick call that enters a sought entry
    int32_t soundEnabled = 0;           // as InitAudio left it
    std::atomic<uint32_t> muteMask{0};
    SnapshotSlot slots[SnapshotSlots];
};

PlaybackState state;
StereoFrame scratchBlock[BlockFrames];

uint32_t PackVoice(int v) {
    const VoiceState& voice = replayer.voices[v];
    const MixChannel& channel = mixer.channels[v];
    const int note = (voice.note + voice.noteTranspose) & 0xFF;
    const int instrument = voice.volumeMacro == SilentVolumeMacro
                               ? -1
                               : (voice.volumeMacro - VolumeMacroHeaderBytes) / MacroSlotBytes;
    const int level = channel.active ? channel.volume : 0;
    return static_cast<uint32_t>(note) | static_cast<uint32_t>((instrument + 1) & 0xFF) << 8 |
           static_cast<uint32_t>(level) << 16;
}

void Publish(int64_t call, bool songRunning) {
    SnapshotSlot& slot = state.slots[call % SnapshotSlots];
    slot.stamp.store(0, std::memory_order_relaxed);
    const SongState& song = replayer.song;
    const uint32_t row = replayer.voices[0].rowOffset >= 2 ? (replayer.voices[0].rowOffset - 2) / 2 : 0;
    const uint32_t entry = static_cast<uint32_t>(song.songPosition / 16) & 0xFF;
    slot.position.store(entry | (row & 0xFF) << 8 | static_cast<uint32_t>(song.speed) << 16 |
                            static_cast<uint32_t>(songRunning) << 24,
                        std::memory_order_release);
    slot.songTick.store(state.songTicks, std::memory_order_release);
    for (int v = 0; v < 4; ++v) slot.voices[v].store(PackVoice(v), std::memory_order_release);
    slot.stamp.store(call, std::memory_order_release);
}

// The mixer's tick: mutes at the mixer (a muted channel's master level is 0,
// so it renders nothing while the replayer drives it as always), runs the
// replayer and publishes what it did. Runs inside the mix: no lock, no
// allocation, no I/O.
int PlaybackTick() {
    const uint32_t muted = state.muteMask.load(std::memory_order_relaxed);
    for (int v = 0; v < 4; ++v) mixer.channels[v].masterLevel = (muted >> v & 1) ? 0 : 64;
    const int result = ReplayerTick();
    if (result == 0) ++state.songTicks;
    const int64_t call = state.tickCalls.load(std::memory_order_relaxed) + 1;
    Publish(call, state.songTicks > 0);
    state.tickCalls.store(call, std::memory_order_release);
    return result;
}

// The frame (counted from the channel reset) being heard: one ring behind the
// last tick, never before the first frame the stream played.
int64_t HeardFrame() {
    const int64_t rendered = state.tickCalls.load(std::memory_order_acquire) * IntroFramesPerTick;
    const int64_t heard = rendered - RingFrames;
    return heard > state.streamStartFrame ? heard : state.streamStartFrame;
}

// The start of playback is a ring of silence: song frame 0 is frame RingFrames
// after the reset, whether the stream's pre-fill or the silent render made it.
int64_t HeardSongBlock() {
    const int64_t songFrame = HeardFrame() - RingFrames;
    return songFrame > 0 ? songFrame / BlockFrames : 0;
}

// Back to the state modrender's stream has after `block` song blocks: the
// replayer as at program start with the module loaded, the channels reset, a
// ring of silence with idle ticks, then the song rendered block by block
// exactly as the stream would, with the output thrown away.
void Arm(int64_t block) {
    // The image loaded when MeasureLayout took it in.
    LoadReplayer(state.image.data(), state.image.size(), state.soundEnabled, nullptr, 0);
    ResetChannels();
    state.tickCalls.store(0, std::memory_order_release);
    state.songTicks = 0;
    for (int i = 0; i < IntroSound.blockCount; ++i) MixFrames(scratchBlock, BlockFrames);
    SetReplayerPlaying(true);
    for (int64_t i = 0; i < block; ++i) MixFrames(scratchBlock, BlockFrames);
    state.streamStartFrame = RingFrames + block * BlockFrames;
    state.heardFloorCall = 0;
}

// Frames heard in the current run of the stream; the ring of silence that
// starts playback does not count.
int64_t RunFrames() {
    if (state.paused) return 0;
    const int64_t start = state.streamStartFrame > RingFrames ? state.streamStartFrame : RingFrames;
    const int64_t frames = HeardFrame() - start;
    return frames > 0 ? frames : 0;
}

void EndRun() { state.playedBefore += RunFrames(); }

// Song tick t is tick call t + 36 after the reset (the ring of 32000 silent
// frames holds 36 whole tick periods).
int64_t CallOfEntry(int entry) {
    if (entry < 0 || entry >= state.layout.entryCount) return 1;
    const int64_t songTick = state.layout.entryFirstTick[static_cast<size_t>(entry)];
    return (songTick < 1 ? 1 : songTick) + RingFrames / IntroFramesPerTick;
}

// The call comes inside the block that completes its tick period.
int64_t BlockOfCall(int64_t call) {
    const int64_t block = (call * IntroFramesPerTick - 1) / BlockFrames - IntroSound.blockCount;
    return block > 0 ? block : 0;
}

}  // namespace

int MeasureLayout(const std::vector<uint8_t>& image, SongLayout& layout, std::string& error) {
    static SongScan scan;  // main thread only; kept off the stack
    char reason[256] = "";
    const int result =
        ScanSong(image.data(), image.size(), 1, SongScanCapTicks, scan, reason, sizeof reason);
    if (result != 0) {
        error = reason[0] ? reason : "the module was refused";
        return result;
    }
    layout = SongLayout{};
    layout.entryCount = scan.entryCount;
    layout.entryFirstTick.assign(scan.entryFirstTick, scan.entryFirstTick + scan.entryCount);
    layout.passTicks = scan.ticks;
    layout.capped = scan.capped;
    return 0;
}

bool StartPlayback(const std::vector<uint8_t>& image, std::string& error) {
    SongLayout layout;
    if (MeasureLayout(image, layout, error) != 0) return false;
    state.image = image;
    state.layout = layout;
    state.paused = false;
    state.playedBefore = 0;
    state.streamStartFrame = 0;
    InitAudio(IntroSound.rate, IntroSound.framesPerBlock, IntroSound.blockCount);
    mixer.tickCallback = PlaybackTick;
    state.soundEnabled = replayer.soundEnabled;
    char reason[256] = "";
    if (LoadModuleChecked(image.data(), image.size(), reason, sizeof reason) != 0) {
        error = reason;
        return false;
    }
    // StartAudio resets the channels, so the tick calls count from here.
    state.tickCalls.store(0, std::memory_order_release);
    state.songTicks = 0;
    StartAudio();
    return true;
}

void StopPlayback() {
    PauseAudio();
    ShutdownAudio();
}

void PausePlayback() {
    if (state.paused) return;
    PauseStream();
    EndRun();
    state.paused = true;
}

void ResumePlayback() {
    if (!state.paused) return;
    Arm(HeardSongBlock());
    state.paused = false;
    StartStream();
}

bool PlaybackPaused() { return state.paused; }

void SeekToBlock(int64_t block) {
    if (block < 0) block = 0;
    if (!state.paused) PauseStream();
    EndRun();
    Arm(block);
    if (!state.paused) StartStream();
}

void SeekToEntry(int entry) {
    if (state.layout.entryCount <= 0) return;
    if (entry < 0) entry = 0;
    if (entry >= state.layout.entryCount) entry = state.layout.entryCount - 1;
    const int64_t call = CallOfEntry(entry);
    SeekToBlock(BlockOfCall(call));
    // The view shows the entry at once, not the end of the one before that
    // sounds first in its block.
    state.heardFloorCall = call;
}

int64_t EntryBlock(int entry) { return BlockOfCall(CallOfEntry(entry)); }

bool ReplaceSong(const std::vector<uint8_t>& image, std::string& error) {
    const int entry = HeardPosition().entry;
    int64_t block = HeardSongBlock();
    int64_t floorCall = 0;
    if (!state.paused) PauseStream();
    EndRun();
    SongLayout layout;
    const bool loaded = MeasureLayout(image, layout, error) == 0;
    if (loaded) {
        state.image = image;
        state.layout = layout;
        const int newEntry = entry < layout.entryCount ? entry : layout.entryCount - 1;
        floorCall = CallOfEntry(newEntry);
        block = BlockOfCall(floorCall);
    }
    // A refused song leaves the old one playing from where it was heard.
    Arm(block);
    state.heardFloorCall = floorCall;
    if (!state.paused) StartStream();
    return loaded;
}

void SetVoiceMuted(int voice, bool muted) {
    if (voice < 0 || voice > 3) return;
    const uint32_t bit = 1u << voice;
    if (muted) {
        state.muteMask.fetch_or(bit, std::memory_order_relaxed);
    } else {
        state.muteMask.fetch_and(~bit, std::memory_order_relaxed);
    }
}

bool VoiceMuted(int voice) {
    return voice >= 0 && voice <= 3 && (state.muteMask.load(std::memory_order_relaxed) >> voice & 1);
}

PositionView HeardPosition() {
    PositionView view;
    const int64_t latest = state.tickCalls.load(std::memory_order_acquire);
    int64_t call = HeardFrame() / IntroFramesPerTick + 1;
    if (call < state.heardFloorCall) call = state.heardFloorCall;
    if (call > latest) call = latest;
    if (call < 1 || latest - call >= SnapshotSlots) return view;
    const SnapshotSlot& slot = state.slots[call % SnapshotSlots];
    const int64_t before = slot.stamp.load(std::memory_order_acquire);
    const uint32_t position = slot.position.load(std::memory_order_acquire);
    const int64_t songTick = slot.songTick.load(std::memory_order_acquire);
    uint32_t voices[4];
    for (int v = 0; v < 4; ++v) voices[v] = slot.voices[v].load(std::memory_order_acquire);
    // A slot being rewritten (the stream a whole snapshot ring ahead) is skipped.
    if (before != call || slot.stamp.load(std::memory_order_relaxed) != call) return view;
    view.started = (position >> 24 & 1) != 0;
    view.entry = static_cast<int>(position & 0xFF);
    view.row = static_cast<int>(position >> 8 & 0xFF);
    view.speed = static_cast<int>(position >> 16 & 0xFF);
    view.songTick = songTick;
    for (int v = 0; v < 4; ++v) {
        view.voices[v].note = static_cast<int>(voices[v] & 0xFF);
        view.voices[v].instrument = static_cast<int>(voices[v] >> 8 & 0xFF) - 1;
        view.voices[v].level = static_cast<int>(voices[v] >> 16 & 0xFF);
    }
    return view;
}

int64_t HeardSongFrames() {
    const int64_t songFrame = HeardFrame() - RingFrames;
    return songFrame > 0 ? songFrame : 0;
}

int64_t PlayedFrames() { return state.playedBefore + RunFrames(); }

const SongLayout& CurrentLayout() { return state.layout; }
