#pragma once
// The block streamer: a looping output buffer split into a ring of equal blocks,
// a notification at each block's last byte, and a thread that refills the block
// just played. The logic is written against StreamerPlatform, a thin table of
// the DirectSound and kernel operations it needs, so the same code runs over
// DirectSound on Win32 and over a recording fake in native tests.
#include <atomic>
#include <cstdint>

#include "sound/block_ring.h"

// DirectSound results as the streamer sees them: negative means failure.
constexpr int32_t StreamOk = 0;
constexpr int32_t StreamBufferLost = static_cast<int32_t>(0x88780096);  // DSERR_BUFFERLOST

constexpr uint32_t PrimaryBufferFlags = 0x1;      // DSBCAPS_PRIMARYBUFFER
constexpr uint32_t StreamBufferFlags = 0x18100;   // GETCURRENTPOSITION2|GLOBALFOCUS|CTRLPOSITIONNOTIFY
constexpr uint32_t StreamWaitMilliseconds = 500;  // the event wait; only serves the quit test
constexpr int BytesPerFrame = 4;

// Mirrors WAVEFORMATEX field for field (packed, 18 bytes on Win32).
struct StreamFormat {
    uint16_t formatTag;
    uint16_t channels;
    uint32_t samplesPerSec;
    uint32_t avgBytesPerSec;
    uint16_t blockAlign;
    uint16_t bitsPerSample;
    uint16_t extraSize;
};

// What a DSBUFFERDESC carries; dwSize (20) is the platform's business.
struct StreamBufferDesc {
    uint32_t flags;
    uint32_t bufferBytes;
    const StreamFormat* format;  // none for the primary buffer
};

struct NotifyPosition {
    uint32_t offset;
    void* event;
};

class BlockStreamer;

// Handles are opaque here. Every DirectSound operation returns its HRESULT.
struct StreamerPlatform {
    int32_t (*createDevice)(void** device);  // DirectSoundCreate(default, out, none)
    int32_t (*setCooperativeLevel)(void* device, void* window);  // DSSCL_PRIORITY
    int32_t (*createBuffer)(void* device, const StreamBufferDesc* desc, void** buffer);
    int32_t (*setFormat)(void* buffer, const StreamFormat* format);
    int32_t (*queryNotify)(void* buffer, void** notify);  // IID_IDirectSoundNotify
    int32_t (*setNotificationPositions)(void* notify, int count, const NotifyPosition* positions);
    int32_t (*getWriteCursor)(void* buffer, uint32_t* writeCursor);
    int32_t (*lock)(void* buffer, uint32_t offset, uint32_t bytes, void** region,
                    uint32_t* regionBytes);
    int32_t (*restore)(void* buffer);
    int32_t (*unlock)(void* buffer, void* region, uint32_t regionBytes);
    int32_t (*setCurrentPosition)(void* buffer, uint32_t position);
    int32_t (*playLooping)(void* buffer);  // Play(0, 0, DSBPLAY_LOOPING)
    int32_t (*stop)(void* buffer);
    void (*releaseNotify)(void* notify);
    void (*releaseDevice)(void* device);

    void* (*createEvent)();  // auto-reset, not signalled; none on failure
    void (*closeEvent)(void* event);
    bool (*waitEvent)(void* event, uint32_t milliseconds);  // false on timeout only
    // A suspended thread that will run owner->StreamThread(); none on failure.
    void* (*createSuspendedThread)(BlockStreamer* owner);
    bool (*setTimeCritical)(void* thread);
    void (*resumeThread)(void* thread);
    void (*suspendThread)(void* thread);
    void (*joinThread)(void* thread);  // waits for the end, then frees the handle
    void* (*createLock)();  // the fill lock, initialised
    void (*enterLock)(void* lock);
    void (*leaveLock)(void* lock);
    void (*deleteLock)(void* lock);
};

class BlockStreamer {
public:
    int OpenStream(const StreamerPlatform* platform, FillCallback fillCallback, int rate,
                   int framesPerBlock, int blockCount, void* window);
    int StartStream();
    void PauseStream();
    void CloseStream();
    int32_t WriteBlock(const void* frames);
    int FinishedBlock();
    uint32_t StreamThread();
    void ReleaseDevice();
    // Back to the state before any open; only while not open.
    void Reset();

    int BlockBytes() const { return ring.framesPerBlock * BytesPerFrame; }

    const StreamerPlatform* platform = nullptr;
    void* device = nullptr;
    void* primaryBuffer = nullptr;
    void* streamBuffer = nullptr;
    void* notifyInterface = nullptr;
    void* blockEvent = nullptr;
    NotifyPosition notifyPositions[MaxRingBlocks] = {};
    void* thread = nullptr;
    void* fillLock = nullptr;
    // The blocks live in the device's buffer; the ring keeps their bookkeeping
    // (its nextBlock is changed by the refill only, and read by WriteBlock).
    BlockRing ring;
    int32_t isOpen = 0;  // from a successful open until the close
    // Read across the two threads, hence atomic; changed by the caller only.
    std::atomic<int32_t> suspended = 0;
    std::atomic<int32_t> quit = 0;
    int32_t lastError = 0;

private:
    int FailOpen(int code);
};

StreamFormat PcmStereo16(int rate);
