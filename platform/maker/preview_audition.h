#pragma once
// The maker's audition voice: one note of one of the loaded song's
// instruments, sounded outside the song as a fifth voice. It runs the
// replayer's own row step and voice update on a voice record of its own
// (swapped into voice 0 for the moment of its tick) and renders its own
// channel with the mixer's channel renderer, a block at a time with the ticks
// and smoothing where the mixer puts them, so the note sounds exactly as the
// song's voice 0 plays it in a stream started with the note, centred (both
// sides at voice 0's left level). It is mixed into the output as it is played
// out, not into the ring rendered ahead, so it starts within one render quantum.
//
// Everything runs on the audio thread's turn: no allocation, no lock.
#include "sound/stereo_frame.h"

// Starts `note` (period index, C-1 = 0 .. B-4 = 47; clamped) with volume
// macro `instrument` (0..127, clamped) of the song in the replayer; the note
// replaces a sounding one. Its first tick is the next rendered frame.
void AuditionNoteOn(int note, int instrument);
// Silences it at once.
void AuditionNoteOff();
// True from AuditionNoteOn until AuditionNoteOff or until the tick in which
// its volume macro has reached its End is played out.
bool AuditionSounding();
// Adds the audition's next `count` frames to `frames` (left samples then
// right samples, each sample / 32768, as the worklet takes them).
void MixAudition(float* left, float* right, int count);
