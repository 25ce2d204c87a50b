#include "block_streamer_logic.h"

#include <cstring>

int ClampBlockCount(int blockCount) {
    if (blockCount < MinBlockCount) return MinBlockCount;
    if (blockCount > MaxBlockCount) return MaxBlockCount;
    return blockCount;
}

StreamFormat PcmStereo16(int rate) {
    StreamFormat format{};
    format.formatTag = 1;  // WAVE_FORMAT_PCM
    format.channels = 2;
    format.samplesPerSec = static_cast<uint32_t>(rate);
    format.avgBytesPerSec = static_cast<uint32_t>(rate) * BytesPerFrame;
    format.blockAlign = BytesPerFrame;
    format.bitsPerSample = 16;
    format.extraSize = 0;
    return format;
}

int BlockStreamer::FailOpen(int code) {
    // An event made before the failing step is closed too: a failed open
    // leaves nothing behind, as the close would.
    if (blockEvent) platform->closeEvent(blockEvent);
    blockEvent = nullptr;
    ReleaseDevice();
    lastError = code;
    return code;
}

int BlockStreamer::OpenStream(const StreamerPlatform* ops, FillCallback fill, int rate,
                              int frames, int count, void* window) {
    isOpen = 0;
    notifyInterface = nullptr;
    device = nullptr;
    lastError = 0;
    nextBlock = 0;
    suspended = 1;
    quit = 0;
    platform = ops;

    if (platform->createDevice(&device) < 0) {
        device = nullptr;
        return 100;
    }
    if (platform->setCooperativeLevel(device, window) < 0) return FailOpen(101);

    fillCallback = fill;
    blockCount = ClampBlockCount(count);
    // The mixer's clamp, so that each block copies exactly the frames the
    // mixer rendered; it also keeps the ring arithmetic defined.
    framesPerBlock = ClampFramesPerBlock(frames);

    const StreamBufferDesc primaryDesc{PrimaryBufferFlags, 0, nullptr};
    if (platform->createBuffer(device, &primaryDesc, &primaryBuffer) < 0) return FailOpen(110);
    const StreamFormat format = PcmStereo16(rate);
    if (platform->setFormat(primaryBuffer, &format) < 0) return FailOpen(111);

    const StreamBufferDesc streamDesc{
        StreamBufferFlags, static_cast<uint32_t>(blockCount * BlockBytes()), &format};
    if (platform->createBuffer(device, &streamDesc, &streamBuffer) < 0) return FailOpen(120);

    blockEvent = platform->createEvent();
    if (!blockEvent) return FailOpen(121);
    for (int i = 0; i < blockCount; ++i) {
        notifyPositions[i].offset = static_cast<uint32_t>((i + 1) * BlockBytes() - 1);
        notifyPositions[i].event = blockEvent;
    }
    if (platform->queryNotify(streamBuffer, &notifyInterface) < 0) {
        notifyInterface = nullptr;
        return FailOpen(122);
    }
    if (platform->setNotificationPositions(notifyInterface, blockCount, notifyPositions) < 0)
        return FailOpen(123);

    thread = platform->createSuspendedThread(this);
    if (!thread) return FailOpen(130);
    if (!platform->setTimeCritical(thread)) lastError = 131;
    fillLock = platform->createLock();

    isOpen = 1;
    return 0;
}

uint32_t BlockStreamer::StreamThread() {
    if (quit) return 0;
    do {
        if (!platform->waitEvent(blockEvent, StreamWaitMilliseconds)) continue;
        // The block test runs under the fill lock, so a pause (which suspends
        // the thread only outside the lock) never leaves a stale decision behind:
        // after a restart the test is made afresh against the new play position.
        platform->enterLock(fillLock);
        if (FinishedBlock() == nextBlock) {
            if (fillCallback) fillCallback();
            int next = nextBlock + 1;
            nextBlock = next == blockCount ? 0 : next;
        }
        platform->leaveLock(fillLock);
    } while (!quit);
    return 0;
}

int BlockStreamer::FinishedBlock() {
    uint32_t writeCursor = 0;
    platform->getWriteCursor(streamBuffer, &writeCursor);
    const int blockIndex = static_cast<int>(writeCursor / BytesPerFrame / framesPerBlock);
    return blockIndex == 0 ? blockCount - 1 : blockIndex - 1;
}

int32_t BlockStreamer::WriteBlock(const void* frames) {
    const uint32_t blockBytes = static_cast<uint32_t>(BlockBytes());
    const uint32_t offset = static_cast<uint32_t>(nextBlock) * blockBytes;
    void* region = nullptr;
    uint32_t regionBytes = 0;
    int32_t result = platform->lock(streamBuffer, offset, blockBytes, &region, &regionBytes);
    if (result == StreamBufferLost) {
        platform->restore(streamBuffer);
        result = platform->lock(streamBuffer, offset, blockBytes, &region, &regionBytes);
    }
    if (result < 0) return result;
    // Never write past what the lock granted, whatever the device reports.
    std::memcpy(region, frames, regionBytes < blockBytes ? regionBytes : blockBytes);
    return platform->unlock(streamBuffer, region, regionBytes);
}

int BlockStreamer::StartStream() {
    if (!isOpen) return 1;
    nextBlock = 0;
    for (int i = 0; i < blockCount; ++i) {
        if (fillCallback) fillCallback();
        int next = nextBlock + 1;
        nextBlock = next == blockCount ? 0 : next;
    }
    platform->setCurrentPosition(streamBuffer, 0);
    suspended = 0;
    platform->resumeThread(thread);
    platform->playLooping(streamBuffer);
    return 0;
}

void BlockStreamer::PauseStream() {
    // Guard: a thread that is suspended already (never started, or paused)
    // would be suspended twice, and the close resumes it only once.
    if (!isOpen || suspended) return;
    suspended = 1;
    platform->stop(streamBuffer);
    // Suspend only while holding the fill lock: the thread is then never held
    // in the middle of a refill, and a later pre-fill cannot race with one.
    platform->enterLock(fillLock);
    platform->suspendThread(thread);
    platform->leaveLock(fillLock);
}

void BlockStreamer::CloseStream() {
    if (!isOpen) return;
    platform->stop(streamBuffer);
    quit = 1;
    if (suspended == 1) platform->resumeThread(thread);
    platform->joinThread(thread);
    thread = nullptr;
    if (blockEvent) platform->closeEvent(blockEvent);
    blockEvent = nullptr;
    platform->deleteLock(fillLock);
    ReleaseDevice();
    // Guard: the device objects are gone, so any later call must do nothing.
    isOpen = 0;
}

void BlockStreamer::Reset() {
    if (isOpen) return;
    platform = nullptr;
    device = primaryBuffer = streamBuffer = notifyInterface = blockEvent = nullptr;
    for (NotifyPosition& position : notifyPositions) position = {};
    thread = fillLock = nullptr;
    fillCallback = nullptr;
    framesPerBlock = blockCount = 0;
    nextBlock = 0;
    suspended = 0;
    quit = 0;
    lastError = 0;
}

void BlockStreamer::ReleaseDevice() {
    // The buffers belong to the device object and go with it.
    if (notifyInterface) platform->releaseNotify(notifyInterface);
    notifyInterface = nullptr;
    if (device) platform->releaseDevice(device);
    device = nullptr;
}
