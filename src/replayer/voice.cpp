#include "replayer/module_format.h"
#include "replayer/replayer.h"
#include "replayer/replayer_internal.h"
#include "sound/channel_operations.h"

namespace {

constexpr int PeriodMin = 113;
constexpr int PeriodMax = 3424;

// Hands the channel the segment of `words` words at byte `offset` of sample
// memory. Guard: the segment is shortened so that it ends inside sample
// memory; one that keeps no word stops the channel (the mixer's rule for 0
// words), and as the mixer then keeps its previous length, the address handed
// with it is moved to the start of sample memory when that length would not
// fit behind `offset`.
void LatchSegment(int v, uint32_t offset, uint32_t words) {
    uint32_t room = offset < SampleMemoryBytes ? SampleMemoryBytes - offset : 0;
    if (words > room / 2) words = room / 2;
    if (words == 0) {
        bool fits = offset < SampleMemoryBytes && replayer.latchedSegmentBytes[v] <= room;
        SetChannelSample(v, replayer.song.sampleMemory + (fits ? offset : 0));
        SetChannelLength(v, 0);
        return;
    }
    SetChannelSample(v, replayer.song.sampleMemory + offset);
    SetChannelLength(v, static_cast<uint16_t>(words));
    replayer.latchedSegmentBytes[v] = words * 2;
}

void SetWave(int v, VoiceState& voice, uint8_t waveform) {
    if (replayer.soundEnabled) {
        const SampleEntry& entry = replayer.song.sampleTable[waveform & 0x3F];
        StopChannel(v);
        LatchSegment(v, entry.start, entry.length);
        StartChannel(v);
        LatchSegment(v, entry.start + entry.repeatStart, entry.repeatLength);
    }
    voice.volumePosition = 0;
    voice.volumeCounter = 1;
}

void ChangeWave(int v, uint8_t waveform) {
    if (!replayer.soundEnabled) return;
    const SampleEntry& entry = replayer.song.sampleTable[waveform & 0x3F];
    LatchSegment(v, entry.start, entry.length);
}

void RunFrequencyMacro(int v, VoiceState& voice) {
    if (voice.frequencySustain != 0) {
        --voice.frequencySustain;
        return;
    }
    // Compatibility: right after a Loop, E0 and E1 at the target are note values.
    bool atLoopTarget = false;
    for (int executed = 0; executed < MacroStepByteLimit; ++executed) {
        ++replayer.macroBytesExecuted;
        const int32_t slot = voice.frequencyMacro;
        const uint32_t at = voice.frequencyPosition;
        auto operand = [&](uint32_t n) { return FrequencyMacroByte(slot, at + n); };
        const uint8_t code = FrequencyMacroByte(slot, at);
        const bool noteValue = atLoopTarget && (code == CodeLoop || code == CodeEnd);
        if (code == CodeLoop && !noteValue) {
            voice.frequencyPosition = operand(1) & 0x3F;
            atLoopTarget = true;
            continue;
        }
        atLoopTarget = false;
        switch (noteValue ? uint8_t{0} : code) {
        case CodeEnd:
            return;
        case CodeSetWave:
            SetWave(v, voice, operand(1));
            voice.macroNote = static_cast<int8_t>(operand(2));
            voice.frequencyPosition = at + 3;
            return;
        case CodeVibrato:
            voice.vibratoSpeed = operand(1);
            voice.vibratoDepth = operand(2);
            voice.macroNote = static_cast<int8_t>(operand(3));
            voice.frequencyPosition = at + 4;
            return;
        case CodeChangeWave:
            ChangeWave(v, operand(1));
            voice.macroNote = static_cast<int8_t>(operand(2));
            voice.frequencyPosition = at + 3;
            return;
        case CodeJumpMacro: {
            // Compatibility: 128..255 are negative and name no slot: silent macro.
            int target = static_cast<int8_t>(operand(1));
            voice.frequencyMacro = target < 0 ? SilentMacroSlot : target;
            voice.frequencyPosition = 0;
            continue;
        }
        case CodeHold:
            voice.frequencySustain = operand(1);
            voice.frequencyPosition = at + 2;
            if (voice.frequencySustain != 0) {
                --voice.frequencySustain;
                return;
            }
            continue;
        case CodeStopVoice:
            if (replayer.soundEnabled) StopChannel(v);
            voice.macroNote = static_cast<int8_t>(operand(3));
            voice.frequencyPosition = at + 4;
            return;
        case CodeSlide:
            voice.pitchSlideSpeed = operand(1);
            voice.pitchSlideTime = operand(2);
            voice.macroNote = static_cast<int8_t>(operand(3));
            voice.frequencyPosition = at + 4;
            return;
        default:
            voice.macroNote = static_cast<int8_t>(code);
            voice.frequencyPosition = at + 1;
            return;
        }
    }
}

void VolumeSlideStep(VoiceState& voice) {
    voice.volumeSlidePhase = static_cast<uint8_t>(~voice.volumeSlidePhase);
    if (voice.volumeSlidePhase == 0) return;
    --voice.volumeSlideTime;
    voice.volume = static_cast<int8_t>(voice.volume + voice.volumeSlideSpeed);
    // Compatibility: a falling slide silences at its first step instead of fading.
    if (voice.volumeSlideSpeed < 0) {
        voice.volume = 0;
        voice.volumeSlideTime = 0;
    }
}

void RunVolumeMacro(VoiceState& voice) {
    if (voice.volumeSustain != 0) {
        --voice.volumeSustain;
        return;
    }
    if (voice.volumeSlideTime != 0) {
        VolumeSlideStep(voice);
        return;
    }
    voice.volumeCounter = static_cast<uint8_t>(voice.volumeCounter - 1);
    if (voice.volumeCounter != 0) return;
    voice.volumeCounter = voice.volumeSpeed;
    for (int executed = 0; executed < MacroStepByteLimit; ++executed) {
        ++replayer.macroBytesExecuted;
        const int32_t at = voice.volumePosition;
        auto operand = [&](int32_t n) { return VolumeMacroByte(voice.volumeMacro, at + n); };
        uint8_t code = VolumeMacroByte(voice.volumeMacro, at);
        switch (code) {
        case CodeLoop:
            // Compatibility: targets count from the header's first byte, so 0..4
            // land in the header.
            voice.volumePosition = (operand(1) & 0x3F) - VolumeMacroHeaderBytes;
            continue;
        case CodeEnd:
            return;
        case CodeHold:
            voice.volumeSustain = operand(1);
            voice.volumePosition = at + 2;
            return;
        case CodeSlide:
            voice.volumeSlideSpeed = static_cast<int8_t>(operand(1));
            voice.volumeSlideTime = operand(2);
            voice.volumePosition = at + 3;
            VolumeSlideStep(voice);
            return;
        default:
            voice.volume = static_cast<int8_t>(code);
            voice.volumePosition = at + 1;
            return;
        }
    }
}

int OctaveShift(int index) {
    if (index < 12) return 4;
    if (index < 24) return 3;
    if (index < 36) return 2;
    if (index < 48) return 1;
    return 0;
}

// Vibrato offset for this tick, already scaled by the octave of `index`.
int VibratoOffset(VoiceState& voice, int index) {
    if (voice.vibratoDelay != 0) {
        --voice.vibratoDelay;
        return 0;
    }
    uint8_t top = static_cast<uint8_t>(voice.vibratoDepth * 2);
    int centre = top / 2;
    if (voice.vibratoFlags & 0x20) {
        voice.vibratoValue = static_cast<uint8_t>(voice.vibratoValue + voice.vibratoSpeed);
        if (voice.vibratoValue >= top) {
            voice.vibratoValue = top;
            voice.vibratoFlags &= static_cast<uint8_t>(~0x20);
        }
    } else if (voice.vibratoValue >= voice.vibratoSpeed) {
        voice.vibratoValue = static_cast<uint8_t>(voice.vibratoValue - voice.vibratoSpeed);
    } else {
        voice.vibratoValue = 0;
        voice.vibratoFlags |= 0x20;
    }
    return (voice.vibratoValue - centre) * (1 << OctaveShift(index));
}

void ApplyPortamento(VoiceState& voice) {
    voice.portamentoPhase ^= 1;
    if (voice.portamentoPhase == 0 || voice.portamento == 0) return;
    if (voice.portamento < 32)
        voice.pitchOffset = static_cast<int16_t>(voice.pitchOffset - voice.portamento);
    else
        voice.pitchOffset = static_cast<int16_t>(voice.pitchOffset + (voice.portamento & 31));
}

void ApplyPitchSlide(VoiceState& voice) {
    voice.pitchSlidePhase ^= 1;
    if (voice.pitchSlidePhase == 0 || voice.pitchSlideTime == 0) return;
    --voice.pitchSlideTime;
    voice.pitchOffset = static_cast<int16_t>(voice.pitchOffset - voice.pitchSlideSpeed);
}

}  // namespace

void UpdateVoice(int v) {
    if (v < 0 || v > 3) return;
    VoiceState& voice = replayer.voices[v];
    RunFrequencyMacro(v, voice);
    RunVolumeMacro(voice);

    int index = voice.macroNote < 0
                    ? voice.macroNote & 0x7F
                    : static_cast<uint8_t>(voice.macroNote + voice.note + voice.noteTranspose) & 0x7F;
    int16_t period = PeriodTable[index];
    period = static_cast<int16_t>(period + VibratoOffset(voice, index));
    ApplyPortamento(voice);
    ApplyPitchSlide(voice);

    int final = static_cast<int16_t>(period + voice.pitchOffset);
    if (final <= 112) final = PeriodMin;
    if (final > PeriodMax) final = PeriodMax;
    if (replayer.soundEnabled) {
        SetChannelPeriod(v, final);
        SetChannelVolume(v, voice.volume);
    }
}
