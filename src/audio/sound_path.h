#pragma once
// The whole sound path at once, for tools and tests that run it outside the
// intro's start-up and teardown: resetting it, arming the replayer, and
// scanning a song for its length.
#include <cstddef>
#include <cstdint>

#include "audio/sound_settings.h"

// Back to program-start state: the replayer's records and flags, audio
// control, the mixer and the stream (which must not be open).
void ResetSoundPath();

// Sets the replayer running on `image` without the streamer's pre-fill: the
// sound path reset, the audio set up as InitAudio(rate, IntroSound's block
// size and count) does, the module loaded through the checked loader, the
// channels silenced and `playing` raised. The caller then drives it with
// ReplayerTick or MixFrames. A rate of 0 or less arms it without sound: the
// tick runs and touches no channel. Returns LoadModuleChecked's result (0
// loaded); after a refusal nothing plays and `reason` says why.
int ArmReplayer(const uint8_t* image, size_t size, int rate, char* reason, size_t reasonSize);

// The replayer alone back at program start with `image` loaded through the
// checked loader, and its run flags as InitAudio leaves them: ready, sound as
// `withSound`, not playing. Touches neither the mixer nor the stream, so it
// may run while a stream is open but paused. Returns LoadModuleChecked's result.
int LoadReplayer(const uint8_t* image, size_t size, bool withSound, char* reason,
                 size_t reasonSize);
// StartAudio's last step and PauseAudio's flag, for a caller that renders the
// ring itself: the tick runs only while `playing` is raised.
void SetReplayerPlaying(bool playing);

// True after a tick that entered a sequence entry: a row tick in which some
// voice changed pattern (it has just read row 0; a pattern change always
// comes with the one advance of its pass).
bool TickEnteredEntry();

constexpr int MaxSongEntries = 256;
constexpr int64_t SongScanCapTicks = int64_t{TicksPerSecond} * 60 * 10;  // ten minutes

// Where a song goes, found by running the replayer alone without sound.
struct SongScan {
    int entryCount;
    int64_t entryFirstTick[MaxSongEntries];  // the tick that first enters it; -1 never
    int64_t ticks;  // until the sequence has come back to entry 0 `loops` times
    bool capped;    // it had not by the cap; `ticks` is the cap
};

// Scans `loops` passes of the song (at most `capTicks` ticks) with the replayer
// alone, then resets the replayer; the mixer and the stream are not touched.
// Returns LoadModuleChecked's result; `scan` is all zero after a refusal.
int ScanSong(const uint8_t* image, size_t size, int64_t loops, int64_t capTicks, SongScan& scan,
             char* reason, size_t reasonSize);

// A place in a song: a sequence entry, a row of its patterns, and a tick
// within the row (0 = the row's first).
struct SongPlace {
    int entry = 0;
    int row = 0;
    int tickInRow = 0;
};

// The place the replayer's latest tick played.
SongPlace ReplayerPlace();

// With a song just loaded (not yet ticked): the song tick (from 1) that
// first plays `place` within one pass of the song, found by running the
// replayer alone, without sound, as ScanSong does; the entry's first tick
// when the row or tick is never played there, 1 when the entry is not;
// `played`, when given, says whether the place itself was found. The
// replayer is left where it ran to, not playing: load the song again to play it.
int64_t FindSongTick(const SongPlace& place, bool* played = nullptr);

// With a song loaded and the channels reset: runs song ticks 1 .. tick - 1
// through the mixer one tick period at a time, every channel at master level
// 0 and no smoothing, so nothing is rendered and the replayer and channels
// end as a render ticking at each period's start leaves them, at the start
// of tick `tick`. Leaves the replayer playing and the levels as they were.
void SkipSongTicks(int64_t tick);
