#include "replayer/module_format.h"
#include "replayer/replayer.h"
#include "replayer/replayer_internal.h"
#include "sound/channel_operations.h"

namespace {

constexpr int32_t SongPositionLimit = 4096;

void AdvanceSong() {
    replayer.song.songPosition += 16;
    if (replayer.song.songPosition >= replayer.song.sequenceEnd ||
        replayer.song.songPosition >= SongPositionLimit)
        replayer.song.songPosition = 0;
    uint8_t speed = replayer.song.sequence[replayer.song.songPosition / 16][12];
    if (speed != 0) {
        replayer.song.speed = speed;
        replayer.song.speedCounter = speed;
    }
}

// Binds the voice's volume macro `instrument` and the frequency macro its
// header names. Numbers that name no loaded macro leave the voice silent.
void BindInstrument(VoiceState& voice, int instrument) {
    if (instrument < 0 || instrument >= replayer.song.volumeMacroCount) {
        voice.volumeSpeed = voice.volumeCounter = 0;
        voice.vibratoSpeed = voice.vibratoDepth = voice.vibratoDelay = 0;
        voice.vibratoFlags = 0;
        voice.volumeMacro = SilentVolumeMacro;
        voice.frequencyMacro = SilentMacroSlot;
        return;
    }
    const uint8_t* header = replayer.song.volumeMacros[instrument];
    voice.volumeSpeed = voice.volumeCounter = header[0];
    int frequencyMacro = static_cast<int8_t>(header[1]);
    if (frequencyMacro >= replayer.song.frequencyMacroCount)
        frequencyMacro = replayer.song.frequencyMacroCount - 1;
    voice.vibratoSpeed = header[2];
    voice.vibratoDepth = voice.vibratoValue = header[3];
    voice.vibratoDelay = header[4];
    voice.vibratoFlags = 0x40;
    voice.volumeMacro = instrument * MacroSlotBytes + VolumeMacroHeaderBytes;
    // Compatibility: a negative number (header byte 128..255, or no frequency
    // macros loaded) names no slot: the voice gets the silent frequency macro, which never
    // starts the channel.
    voice.frequencyMacro = frequencyMacro < 0 ? SilentMacroSlot : frequencyMacro;
}

}  // namespace

int ReplayerTick() {
    if (!replayer.replayerReady || !replayer.playing || !replayer.moduleLoaded) return 1;
    replayer.song.speedCounter = static_cast<uint8_t>(replayer.song.speedCounter - 1);
    if (replayer.song.speedCounter == 0) {
        replayer.song.speedCounter = replayer.song.speed;
        replayer.song.positionAdvanced = 0;
        for (int v = 0; v < 4; ++v) StepRow(v);
        replayer.song.positionAdvanced = 0;
    }
    for (int v = 0; v < 4; ++v) UpdateVoice(v);
    return 0;
}

void StepRow(int v) {
    if (v < 0 || v > 3) return;
    VoiceState& voice = replayer.voices[v];
    if (voice.rowOffset >= 64 || PatternByte(voice.pattern, voice.rowOffset) == PatternEndCode) {
        voice.rowOffset = 0;
        if (replayer.song.positionAdvanced == 0) {
            replayer.song.positionAdvanced = 1;
            AdvanceSong();
        }
        const uint8_t* entry = replayer.song.sequence[(replayer.song.songPosition / 16) & 0xFF];
        // Compatibility: pattern numbers are signed; 128..255 name no slot and
        // play as empty rows.
        int pattern = static_cast<int8_t>(entry[3 * v]);
        voice.pattern = pattern < 0 ? NoPattern : pattern;
        voice.noteTranspose = static_cast<int8_t>(entry[3 * v + 1]);
        voice.soundTranspose = static_cast<int8_t>(entry[3 * v + 2]);
    }
    uint8_t noteByte = PatternByte(voice.pattern, voice.rowOffset);
    uint8_t info = PatternByte(voice.pattern, voice.rowOffset + 1);
    // Compatibility: the portamento operand sits in the next row's info byte
    // (row 31 reads on into row 0 of the next slot).
    uint8_t nextInfo = PatternByte(voice.pattern, voice.rowOffset + 3);
    if (noteByte != 0) {
        voice.pitchOffset = 0;
        voice.portamento = (info & 0x80) ? nextInfo : 0;
    } else if (info & 0xC0) {
        voice.portamento = (info & 0x80) ? nextInfo : 0;
    }
    if ((noteByte & 0x7F) == 0) {
        voice.rowOffset += 2;
        return;
    }
    voice.note = noteByte & 0x7F;
    if (replayer.soundEnabled) StopChannel(v);
    int instrument = static_cast<int8_t>(static_cast<uint8_t>((info & 0x3F) + voice.soundTranspose));
    voice.volumePosition = 0;
    voice.volumeSustain = 0;
    voice.frequencyPosition = 0;
    voice.frequencySustain = 0;
    BindInstrument(voice, instrument);
    voice.rowOffset += 2;
}
