#pragma once
// modplay's use of the sound path. Playback starts the way the intro's music
// does (InitAudio, the checked load, StartAudio with its silent pre-fill) over
// whatever block stream is linked: SDL's device in the program, the in-memory
// ring in the tests. Seeking, resuming, restarting and reloading re-arm the
// path at a block boundary by rendering the song silently from the start, so
// every block that follows is the block modrender writes at that place.
//
// The main thread calls these functions; the stream's thread only runs the
// tick hook inside the mixer. Re-arming happens while the stream is paused,
// so the two never touch the replayer or the mixer at once.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "audio/sound_settings.h"

// Where each sequence entry starts in one pass of the song.
struct SongLayout {
    int entryCount = 0;
    std::vector<int64_t> entryFirstTick;  // song tick that enters the entry; -1 if never
    int64_t passTicks = 0;                // ticks until the song is back at entry 0
    bool capped = false;                  // it did not come back within ten minutes
};

struct VoiceView {
    int note = 0;         // played note index (C-1 = 0), with the entry's transpose
    int instrument = -1;  // volume macro, -1 for none
    int level = 0;        // the channel's volume 0..64, 0 when it is not playing
};

// What the replayer did on the tick being heard.
struct PositionView {
    bool started = false;   // false during the silent start of playback
    int entry = 0;
    int row = 0;
    int speed = 0;
    int64_t songTick = 0;   // song ticks run, counted from the start of the song
    VoiceView voices[4];
};

// Runs the song silently on the replayer to find its layout (so only before
// playback or while it is paused). 0 when the module loads; otherwise `error`
// holds the checked loader's reason.
int MeasureLayout(const std::vector<uint8_t>& image, SongLayout& layout, std::string& error);

// The intro's music start-up on `image`. False with `error` set when the
// module is refused; a missing audio device is the stream's to report.
bool StartPlayback(const std::vector<uint8_t>& image, std::string& error);
void StopPlayback();  // PauseAudio and ShutdownAudio

void PausePlayback();   // the stream stops; the view holds the heard position
void ResumePlayback();  // re-armed at the block being heard when paused
bool PlaybackPaused();

// Goes to the block in which the entry starts (clamped to the song's entries).
void SeekToEntry(int entry);
// The song block in which the entry starts.
int64_t EntryBlock(int entry);
// Re-arms at song block `block` (blocks of the stream after its pre-fill).
void SeekToBlock(int64_t block);

// Plays `image` from the start of the entry being heard (or its last entry).
// False with `error` set when it does not load; the old song then goes on.
bool ReplaceSong(const std::vector<uint8_t>& image, std::string& error);

void SetVoiceMuted(int voice, bool muted);
bool VoiceMuted(int voice);

// The position heard now: one ring of blocks behind what was rendered.
PositionView HeardPosition();
// Song frames heard so far in this run of the stream (the pre-fill excluded),
// counted from the start of the song; a lower bound of what reached the device.
int64_t HeardSongFrames();
// Frames heard since StartPlayback, over all runs of the stream.
int64_t PlayedFrames();
const SongLayout& CurrentLayout();

