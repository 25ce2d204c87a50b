#include "preview_audition.h"

#include <cstring>
#include <utility>

#include "replayer/replayer.h"
#include "replayer/replayer_internal.h"
#include "sound/mixer.h"

namespace {
// A pattern slot the song never reaches (the sequence reads pattern numbers
// as signed, so 0..127): it holds the audition's one row while its row step reads it.
constexpr int AuditionPatternSlot = 255;

struct Audition {
    bool sounding;
    bool starting;      // its row step is still to come
    bool endsAfterTick; // its volume macro reached End in the tick being played
    uint8_t noteByte, infoByte;
    VoiceState voice;
    MixChannel channel;
    uint32_t latchedBytes;
    int32_t tickCounter;  // frames of the current tick period rendered, as the mixer counts them
    StereoFrame block[MixBufferFrames];
    int blockFrames, blockAt;  // frames of the current block, and how many were played
    bool endsWithBlock;        // the note ends where the current block ends
} audition;

bool VolumeMacroEnded(const VoiceState& voice) {
    return voice.volumeSustain == 0 && voice.volumeSlideTime == 0 &&
           VolumeMacroByte(voice.volumeMacro, voice.volumePosition) == CodeEnd;
}

// One tick of the audition voice: the replayer's row step (on its first
// tick) and voice update, run on voice 0's place with the audition's voice
// and channel in it, then voice 0 given back untouched.
void RunAuditionTick() {
    std::swap(replayer.voices[0], audition.voice);
    std::swap(mixer.channels[0], audition.channel);
    std::swap(replayer.latchedSegmentBytes[0], audition.latchedBytes);
    if (audition.starting) {
        uint8_t* row = replayer.song.patterns[AuditionPatternSlot];
        std::memset(row, 0, MacroSlotBytes);
        row[0] = audition.noteByte;
        row[1] = audition.infoByte;
        row[2] = PatternEndCode;
        replayer.voices[0].pattern = AuditionPatternSlot;
        replayer.voices[0].rowOffset = 0;
        StepRow(0);
        audition.starting = false;
    }
    UpdateVoice(0);
    audition.endsAfterTick = VolumeMacroEnded(replayer.voices[0]);
    std::swap(replayer.voices[0], audition.voice);
    std::swap(mixer.channels[0], audition.channel);
    std::swap(replayer.latchedSegmentBytes[0], audition.latchedBytes);
}

// The next block of the note, rendered as MixFrames renders a block of the
// stream: the tick before the chunk that completes each tick period (so a
// period split by a block edge is ticked at that edge) and each chunk smoothed
// on its own. Tick and block edges thus fall where a stream started with the
// note has them for the song's voice 0. The block stops short where the tick
// after the one whose volume macro reached End would come: the note ends there.
void RenderAuditionBlock() {
    int frames = mixer.framesPerBlock;
    if (frames > MixBufferFrames) frames = MixBufferFrames;
    if (frames < 1) frames = 1;
    const int32_t perTick = mixer.samplesPerTick > 0 ? mixer.samplesPerTick : 1;
    std::memset(audition.block, 0, sizeof(StereoFrame) * static_cast<size_t>(frames));
    int at = 0;
    while (at < frames) {
        if (audition.tickCounter < 0 || audition.tickCounter >= perTick) audition.tickCounter = 0;
        int chunk = perTick - audition.tickCounter;
        if (chunk > frames - at) chunk = frames - at;
        if (audition.tickCounter + chunk >= perTick) {
            if (audition.endsAfterTick) {
                audition.endsWithBlock = true;
                break;
            }
            RunAuditionTick();
        }
        audition.tickCounter += chunk;
        if (audition.tickCounter >= perTick) audition.tickCounter -= perTick;
        RenderChannel(&audition.channel, audition.block + at, chunk);
        if (mixer.smoothing) SmoothChunk(audition.block + at, chunk);
        at += chunk;
    }
    audition.blockFrames = at;
    audition.blockAt = 0;
}
}  // namespace

void AuditionNoteOn(int note, int instrument) {
    note = note < 0 ? 0 : (note > 47 ? 47 : note);
    instrument = instrument < 0 ? 0 : (instrument > 127 ? 127 : instrument);
    audition.voice = VoiceState{};
    audition.voice.pattern = NoPattern;
    audition.voice.volumeMacro = SilentVolumeMacro;
    audition.voice.frequencyMacro = SilentMacroSlot;
    // Note 0 means no note in a row: C-1 is C-2 transposed down an octave.
    audition.voice.noteTranspose = static_cast<int8_t>(note == 0 ? -12 : 0);
    audition.noteByte = static_cast<uint8_t>(note == 0 ? 12 : note);
    // A row names instruments 0..63; the sound transpose reaches the rest.
    audition.infoByte = static_cast<uint8_t>(instrument & 0x3F);
    audition.voice.soundTranspose = static_cast<int8_t>(instrument & 0x40);
    audition.channel = MixChannel{};
    audition.channel.masterLevel = 64;
    audition.channel.leftLevel = audition.channel.rightLevel = 64;
    audition.latchedBytes = SampleMemoryBytes;
    audition.starting = true;
    audition.endsAfterTick = false;
    audition.tickCounter = 0;
    audition.blockFrames = audition.blockAt = 0;
    audition.endsWithBlock = false;
    audition.sounding = true;
}

void AuditionNoteOff() { audition.sounding = false; }

bool AuditionSounding() { return audition.sounding; }

void MixAudition(float* left, float* right, int count) {
    for (int i = 0; i < count && audition.sounding; ++i) {
        if (audition.blockAt == audition.blockFrames) {
            if (!audition.endsWithBlock) RenderAuditionBlock();
            if (audition.blockAt == audition.blockFrames) {  // nothing more of it
                audition.sounding = false;
                break;
            }
        }
        const StereoFrame& frame = audition.block[audition.blockAt++];
        left[i] += static_cast<float>(frame.left) / 32768.0f;
        right[i] += static_cast<float>(frame.right) / 32768.0f;
    }
}
