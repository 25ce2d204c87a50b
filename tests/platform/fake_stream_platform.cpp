#include "fake_stream_platform.h"

#include <algorithm>
#include <chrono>

namespace {

FakeStreamState* state = new FakeStreamState;

int Device, PrimaryBuffer, StreamBuffer, Notify, Event, ThreadHandle;

void Log(const std::string& call) {
    std::lock_guard<std::mutex> guard(state->mutex);
    state->calls.push_back(call);
}

int32_t Result(const std::string& name) {
    Log(name);
    std::lock_guard<std::mutex> guard(state->mutex);
    auto found = state->results.find(name);
    return found == state->results.end() ? StreamOk : found->second;
}

int32_t CreateDevice(void** device) {
    int32_t result = Result("DirectSoundCreate");
    *device = result < 0 ? nullptr : &Device;
    return result;
}

int32_t SetCooperativeLevel(void*, void*) { return Result("SetCooperativeLevel"); }

int32_t CreateBuffer(void*, const StreamBufferDesc* desc, void** buffer) {
    const bool primary = desc->flags == PrimaryBufferFlags;
    int32_t result = Result(primary ? "CreatePrimaryBuffer" : "CreateStreamBuffer");
    state->buffersCreated.push_back(*desc);
    if (!primary && desc->format) state->streamFormat = *desc->format;
    if (!primary) state->ring.assign(desc->bufferBytes, 0);
    *buffer = result < 0 ? nullptr : (primary ? &PrimaryBuffer : &StreamBuffer);
    return result;
}

int32_t SetFormat(void*, const StreamFormat* format) {
    state->primaryFormat = *format;
    return Result("SetFormat");
}

int32_t QueryNotify(void*, void** notify) {
    int32_t result = Result("QueryInterface");
    *notify = result < 0 ? nullptr : &Notify;
    return result;
}

int32_t SetNotificationPositions(void*, int count, const NotifyPosition* positions) {
    state->notifyPositions.assign(positions, positions + count);
    return Result("SetNotificationPositions");
}

int32_t GetWriteCursor(void*, uint32_t* writeCursor) {
    Log("GetCurrentPosition");
    std::lock_guard<std::mutex> guard(state->mutex);
    *writeCursor = state->writeCursor;
    return StreamOk;
}

int32_t Lock(void*, uint32_t offset, uint32_t bytes, void** region, uint32_t* regionBytes) {
    Log("Lock " + std::to_string(offset) + " " + std::to_string(bytes));
    std::lock_guard<std::mutex> guard(state->mutex);
    if (state->bufferLostLocks > 0) {
        --state->bufferLostLocks;
        return StreamBufferLost;
    }
    if (offset + bytes > state->ring.size()) return -1;
    *region = state->ring.data() + offset;
    *regionBytes = bytes;
    return StreamOk;
}

int32_t Restore(void*) { return Result("Restore"); }

int32_t Unlock(void*, void* region, uint32_t regionBytes) {
    const auto offset = static_cast<uint8_t*>(region) - state->ring.data();
    Log("Unlock " + std::to_string(offset) + " " + std::to_string(regionBytes));
    return StreamOk;
}

int32_t SetCurrentPosition(void*, uint32_t position) {
    {
        std::lock_guard<std::mutex> guard(state->mutex);
        state->writeCursor = position;
    }
    return Result("SetCurrentPosition " + std::to_string(position));
}
int32_t PlayLooping(void*) { return Result("Play"); }
int32_t Stop(void*) { return Result("Stop"); }
void ReleaseNotify(void*) { Log("ReleaseNotify"); }
void ReleaseDevice(void*) { Log("ReleaseDevice"); }

void* CreateEvent() {
    Log("CreateEvent");
    return state->failEvent ? nullptr : &Event;
}
void CloseEvent(void*) { Log("CloseEvent"); }

bool WaitEvent(void*, uint32_t milliseconds) {
    Log("WaitEvent " + std::to_string(milliseconds));
    std::unique_lock<std::mutex> lock(state->mutex);
    ++state->waitsEntered;
    state->changed.notify_all();
    const auto limit = std::chrono::milliseconds(std::min(milliseconds, state->realWaitCapMs));
    bool signalled = state->changed.wait_for(lock, limit, [] { return state->eventSignalled; });
    state->eventSignalled = false;
    if (signalled) {
        ++state->signalsConsumed;
        state->waitsAtLastConsume = state->waitsEntered;
    }
    // A suspended thread stays here until it is resumed.
    state->changed.wait(lock, [] { return state->suspendCount == 0; });
    if (!signalled) ++state->waitsTimedOut;
    return signalled;
}

void* CreateSuspendedThread(BlockStreamer* owner) {
    Log("CreateThread");
    if (state->failThread) return nullptr;
    std::lock_guard<std::mutex> guard(state->mutex);
    state->owner = owner;
    state->suspendCount = 1;
    return &ThreadHandle;
}

bool SetTimeCritical(void*) {
    Log("SetThreadPriority");
    return !state->failPriority;
}

void ResumeThread(void*) {
    Log("ResumeThread");
    std::lock_guard<std::mutex> guard(state->mutex);
    if (state->suspendCount > 0) --state->suspendCount;
    if (!state->thread.joinable()) {
        state->thread = std::thread([] {
            state->owner->StreamThread();
            std::lock_guard<std::mutex> ended(state->mutex);
            state->threadEnded = true;
        });
    }
    state->changed.notify_all();
}

void SuspendThread(void*) {
    Log("SuspendThread");
    std::lock_guard<std::mutex> guard(state->mutex);
    ++state->suspendCount;
}

void JoinThread(void*) {
    Log("WaitForThread");
    if (state->thread.joinable()) state->thread.join();
}

void* CreateLock() {
    Log("InitializeCriticalSection");
    return &state->fillLock;
}
void EnterLock(void* lock) { static_cast<std::mutex*>(lock)->lock(); }
void LeaveLock(void* lock) { static_cast<std::mutex*>(lock)->unlock(); }
void DeleteLock(void*) { Log("DeleteCriticalSection"); }

const StreamerPlatform Platform = {
    .createDevice = CreateDevice,
    .setCooperativeLevel = SetCooperativeLevel,
    .createBuffer = CreateBuffer,
    .setFormat = SetFormat,
    .queryNotify = QueryNotify,
    .setNotificationPositions = SetNotificationPositions,
    .getWriteCursor = GetWriteCursor,
    .lock = Lock,
    .restore = Restore,
    .unlock = Unlock,
    .setCurrentPosition = SetCurrentPosition,
    .playLooping = PlayLooping,
    .stop = Stop,
    .releaseNotify = ReleaseNotify,
    .releaseDevice = ReleaseDevice,
    .createEvent = CreateEvent,
    .closeEvent = CloseEvent,
    .waitEvent = WaitEvent,
    .createSuspendedThread = CreateSuspendedThread,
    .setTimeCritical = SetTimeCritical,
    .resumeThread = ResumeThread,
    .suspendThread = SuspendThread,
    .joinThread = JoinThread,
    .createLock = CreateLock,
    .enterLock = EnterLock,
    .leaveLock = LeaveLock,
    .deleteLock = DeleteLock,
};

}  // namespace

FakeStreamState& Fake() { return *state; }

void ResetFake() {
    if (state->thread.joinable()) {
        {
            std::lock_guard<std::mutex> guard(state->mutex);
            state->suspendCount = 0;
            state->eventSignalled = true;
            if (state->owner) state->owner->quit = 1;
            state->changed.notify_all();
        }
        state->thread.join();
    }
    delete state;
    state = new FakeStreamState;
}

const StreamerPlatform* FakePlatform() { return &Platform; }

void SignalBlockEvent() {
    std::lock_guard<std::mutex> guard(state->mutex);
    state->eventSignalled = true;
    state->changed.notify_all();
}

void SetWriteCursor(uint32_t cursor) {
    std::lock_guard<std::mutex> guard(state->mutex);
    state->writeCursor = cursor;
}

std::vector<std::string> CallsSnapshot() {
    std::lock_guard<std::mutex> guard(state->mutex);
    return state->calls;
}

bool WaitForWaitsEntered(int count) {
    std::unique_lock<std::mutex> lock(state->mutex);
    return state->changed.wait_for(lock, std::chrono::seconds(2),
                                   [count] { return state->waitsEntered >= count; });
}

bool WaitForSignalHandled(int consumed) {
    std::unique_lock<std::mutex> lock(state->mutex);
    return state->changed.wait_for(lock, std::chrono::seconds(2), [consumed] {
        return state->signalsConsumed >= consumed &&
               state->waitsEntered > state->waitsAtLastConsume;
    });
}

bool SignalAndSettle() {
    int target = 0;
    {
        std::lock_guard<std::mutex> guard(state->mutex);
        target = state->signalsConsumed + 1;
        state->eventSignalled = true;
        state->changed.notify_all();
    }
    return WaitForSignalHandled(target);
}
