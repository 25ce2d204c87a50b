#include "block_streamer_logic.h"

#include <cstring>

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
    ring.nextBlock = 0;
    suspended = 1;
    quit = 0;
    platform = ops;

    if (platform->createDevice(&device) < 0) {
        device = nullptr;
        return StreamNoDevice;
    }
    if (platform->setCooperativeLevel(device, window) < 0) return FailOpen(StreamNoCooperation);

    ConfigureRing(ring, fill, frames, count);
    const int blockCount = ring.blockCount;

    const StreamBufferDesc primaryDesc{PrimaryBufferFlags, 0, nullptr};
    if (platform->createBuffer(device, &primaryDesc, &primaryBuffer) < 0) return FailOpen(StreamNoPrimaryBuffer);
    const StreamFormat format = PcmStereo16(rate);
    if (platform->setFormat(primaryBuffer, &format) < 0) return FailOpen(StreamNoFormat);

    const StreamBufferDesc streamDesc{
        StreamBufferFlags, static_cast<uint32_t>(blockCount * BlockBytes()), &format};
    if (platform->createBuffer(device, &streamDesc, &streamBuffer) < 0) return FailOpen(StreamNoBuffer);

    blockEvent = platform->createEvent();
    if (!blockEvent) return FailOpen(StreamNoEvent);
    for (int i = 0; i < blockCount; ++i) {
        notifyPositions[i].offset = static_cast<uint32_t>((i + 1) * BlockBytes() - 1);
        notifyPositions[i].event = blockEvent;
    }
    if (platform->queryNotify(streamBuffer, &notifyInterface) < 0) {
        notifyInterface = nullptr;
        return FailOpen(StreamNoNotify);
    }
    if (platform->setNotificationPositions(notifyInterface, blockCount, notifyPositions) < 0)
        return FailOpen(StreamNoNotifyPositions);

    thread = platform->createSuspendedThread(this);
    if (!thread) return FailOpen(StreamNoThread);
    if (!platform->setTimeCritical(thread)) lastError = StreamNotTimeCritical;
    fillLock = platform->createLock();

    isOpen = 1;
    return StreamOpened;
}

uint32_t BlockStreamer::StreamThread() {
    if (quit) return 0;
    do {
        if (!platform->waitEvent(blockEvent, StreamWaitMilliseconds)) continue;
        // The block test runs under the fill lock, so a pause (which suspends
        // the thread only outside the lock) never leaves a stale decision behind:
        // after a restart the test is made afresh against the new play position.
        platform->enterLock(fillLock);
        if (FinishedBlock() == ring.nextBlock) FillNextBlock(ring);
        platform->leaveLock(fillLock);
    } while (!quit);
    return 0;
}

int BlockStreamer::FinishedBlock() {
    uint32_t writeCursor = 0;
    platform->getWriteCursor(streamBuffer, &writeCursor);
    const int blockIndex = static_cast<int>(writeCursor / BytesPerFrame / ring.framesPerBlock);
    return blockIndex == 0 ? ring.blockCount - 1 : blockIndex - 1;
}

int32_t BlockStreamer::WriteBlock(const void* frames) {
    const uint32_t blockBytes = static_cast<uint32_t>(BlockBytes());
    const uint32_t offset = static_cast<uint32_t>(ring.nextBlock) * blockBytes;
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
    PrefillRing(ring);
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
    ResetRing(ring);
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
