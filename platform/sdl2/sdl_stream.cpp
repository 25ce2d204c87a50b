// SDL2 audio behind the block stream seam.
//
// Threads: SDL's audio thread runs PlayFromRing, which only copies frames out
// of the ring and, at the end of each block, posts `wake`. The feeder thread
// waits on `wake` and refills every block that has been played, by filling the
// ring's next block (the mixer's FillBlock, which comes back through
// WriteBlock) under `fillLock`. The audio callback never takes that lock, so mixing never
// holds up playback. Two counters hand blocks back and forth: the callback
// plays block `blocksPlayed` only while it is below `blocksFilled`, and the
// feeder refills block `blocksFilled` only while that block has been played,
// so the two never touch the same block.
#include "sdl_stream.h"

#include <SDL.h>

#include <atomic>
#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "sound/block_ring.h"

namespace {
// SDL's own buffer: 2048 frames (46 ms) keeps its wake-ups few, and the ring
// in front of it is far longer.
constexpr Uint16 DeviceBufferFrames = 2048;

struct RingStream {
    SDL_AudioDeviceID device;
    SDL_Thread* feeder;
    SDL_sem* wake;
    SDL_mutex* fillLock;
    int isOpen;
    std::atomic<uint32_t> blocksFilled;    // since the last start, pre-fill included
    std::atomic<uint32_t> blocksPlayed;    // since the last start
    int playFrame;                         // in the block being played; audio thread only
    std::atomic<int> refilling;            // the feeder may refill (between start and pause)
    std::atomic<int> quit;
    char failure[200];
    StoredRing blocks;  // its nextBlock is moved on by the feeder or the pre-fill only
};

RingStream stream;

int Fail(int code, const char* format, ...) {
    va_list arguments;
    va_start(arguments, format);
    std::vsnprintf(stream.failure, sizeof stream.failure, format, arguments);
    va_end(arguments);
    return code;
}

void SDLCALL PlayFromRing(void*, Uint8* out, int bytes) {
    int frames = bytes / static_cast<int>(sizeof(StereoFrame));
    while (frames > 0) {
        const uint32_t played = stream.blocksPlayed.load(std::memory_order_relaxed);
        if (stream.blocksFilled.load(std::memory_order_acquire) == played) {
            // The feeder is a whole ring behind: play silence rather than a
            // block it may be writing, and go on with that block next time.
            std::memset(out, 0, static_cast<size_t>(frames) * sizeof(StereoFrame));
            return;
        }
        const BlockRing& ring = stream.blocks.ring;
        const StereoFrame* block =
            RingBlock(stream.blocks, static_cast<int>(played % static_cast<uint32_t>(ring.blockCount)));
        const int count = frames < ring.framesPerBlock - stream.playFrame
                              ? frames
                              : ring.framesPerBlock - stream.playFrame;
        const size_t length = static_cast<size_t>(count) * sizeof(StereoFrame);
        std::memcpy(out, block + stream.playFrame, length);
        out += length;
        frames -= count;
        stream.playFrame += count;
        if (stream.playFrame == ring.framesPerBlock) {
            stream.playFrame = 0;
            stream.blocksPlayed.store(played + 1, std::memory_order_release);
            SDL_SemPost(stream.wake);
        }
    }
}

int SDLCALL FeedRing(void*) {
    // Like the DirectSound thread's time-critical priority; where the system
    // refuses, the ring's 0.7 s of slack is enough at normal priority.
    SDL_SetThreadPriority(SDL_THREAD_PRIORITY_TIME_CRITICAL);
    for (;;) {
        SDL_SemWait(stream.wake);
        if (stream.quit.load()) return 0;
        SDL_LockMutex(stream.fillLock);
        while (stream.refilling.load() &&
               stream.blocksFilled.load(std::memory_order_relaxed) -
                       stream.blocksPlayed.load(std::memory_order_acquire) <
                   static_cast<uint32_t>(stream.blocks.ring.blockCount)) {
            // Blocks are filled in ring order, so the ring's next block is
            // block blocksFilled modulo the count.
            const uint32_t filled = stream.blocksFilled.load(std::memory_order_relaxed);
            FillNextBlock(stream.blocks.ring);
            stream.blocksFilled.store(filled + 1, std::memory_order_release);
        }
        SDL_UnlockMutex(stream.fillLock);
    }
}

void ReleaseAll() {
    if (stream.device != 0) SDL_CloseAudioDevice(stream.device);
    stream.device = 0;
    if (stream.feeder != nullptr) {
        stream.quit = 1;
        SDL_SemPost(stream.wake);
        SDL_WaitThread(stream.feeder, nullptr);
        stream.feeder = nullptr;
    }
    if (stream.wake != nullptr) SDL_DestroySemaphore(stream.wake);
    if (stream.fillLock != nullptr) SDL_DestroyMutex(stream.fillLock);
    stream.wake = nullptr;
    stream.fillLock = nullptr;
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

int FailOpen(int code, const char* what) {
    Fail(code, "%s: %s", what, SDL_GetError());
    ReleaseAll();
    return code;
}

}  // namespace

const char* SdlStreamDetail() { return stream.failure; }

int OpenStream(FillCallback fillCallback, int rate, int framesPerBlock, int blockCount) {
    stream.isOpen = 0;
    stream.quit = 0;
    stream.refilling = 0;
    stream.failure[0] = '\0';
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0)
        return Fail(StreamNoDevice, "%s", SDL_GetError());
    const char* driver = SDL_GetCurrentAudioDriver();
    if (driver != nullptr && std::strcmp(driver, "dummy") == 0) {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return Fail(StreamNoDevice, "SDL's dummy audio driver plays nothing");
    }
    ConfigureRing(stream.blocks.ring, fillCallback, framesPerBlock, blockCount);

    SDL_AudioSpec wanted{};
    wanted.freq = rate;
    wanted.format = AUDIO_S16SYS;
    wanted.channels = 2;
    wanted.samples = DeviceBufferFrames;
    wanted.callback = PlayFromRing;
    SDL_AudioSpec obtained{};
    // No changes allowed: where the device differs, SDL converts after the callback.
    stream.device = SDL_OpenAudioDevice(nullptr, 0, &wanted, &obtained, 0);
    if (stream.device == 0) return FailOpen(StreamNoBuffer, "SDL_OpenAudioDevice");
    stream.wake = SDL_CreateSemaphore(0);
    stream.fillLock = SDL_CreateMutex();
    if (stream.wake == nullptr || stream.fillLock == nullptr)
        return FailOpen(StreamNoEvent, "SDL_CreateSemaphore");
    stream.feeder = SDL_CreateThread(FeedRing, "intro-audio", nullptr);
    if (stream.feeder == nullptr) return FailOpen(StreamNoThread, "SDL_CreateThread");
    stream.isOpen = 1;
    return StreamOpened;
}

// Runs while the device is paused and the feeder idle (just opened, or after
// PauseStream), so nothing else touches the ring or the counters.
int StartStream() {
    if (!stream.isOpen) return 1;
    stream.playFrame = 0;
    stream.blocksPlayed.store(0);
    PrefillRing(stream.blocks.ring);
    stream.blocksFilled.store(static_cast<uint32_t>(stream.blocks.ring.blockCount),
                              std::memory_order_release);
    stream.refilling = 1;
    SDL_PauseAudioDevice(stream.device, 0);
    return 0;
}

void PauseStream() {
    if (!stream.isOpen || !stream.refilling) return;
    // Returns only once the callback has left, and no later callback plays.
    SDL_PauseAudioDevice(stream.device, 1);
    // Taking the fill lock waits out a refill in progress.
    SDL_LockMutex(stream.fillLock);
    stream.refilling = 0;
    SDL_UnlockMutex(stream.fillLock);
}

void CloseStream() {
    if (!stream.isOpen) return;
    ReleaseAll();
    stream.isOpen = 0;
}

int WriteBlock(const StereoFrame* frames) {
    if (!stream.isOpen) return 1;
    return WriteRingBlock(stream.blocks, frames);
}

void ResetStream() {
    if (stream.isOpen) return;  // never while open: the threads still use it
    ResetRing(stream.blocks.ring);
    stream.failure[0] = '\0';
}
