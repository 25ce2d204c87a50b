// The block streamer over DirectSound and the Win32 kernel: the operation table
// that BlockStreamer runs on, and the sound/block_stream.h entry points over
// the program's one streamer.
#include <cstddef>

#include <windows.h>
#include <mmsystem.h>
#include <dsound.h>

#include "sound/block_stream.h"
#include "block_streamer_logic.h"

namespace {

// The stream's state: the streamer and the critical section behind its fill lock.
struct DirectSoundStream {
    BlockStreamer streamer;
    CRITICAL_SECTION fillLockSection;
} stream;
BlockStreamer& streamer = stream.streamer;

// Ours rather than dxguid's, so the program links against dsound.dll alone.
const GUID NotifyInterfaceId = {
    0xB0210783, 0x89CD, 0x11D0, {0xAF, 0x08, 0x00, 0xA0, 0xC9, 0x25, 0xCD, 0x16}};

static_assert(sizeof(NotifyPosition) == sizeof(DSBPOSITIONNOTIFY));
static_assert(offsetof(NotifyPosition, event) == offsetof(DSBPOSITIONNOTIFY, hEventNotify));

IDirectSound* Device(void* device) { return static_cast<IDirectSound*>(device); }
IDirectSoundBuffer* Buffer(void* buffer) { return static_cast<IDirectSoundBuffer*>(buffer); }

WAVEFORMATEX ToWaveFormat(const StreamFormat& format) {
    WAVEFORMATEX wave{};
    wave.wFormatTag = format.formatTag;
    wave.nChannels = format.channels;
    wave.nSamplesPerSec = format.samplesPerSec;
    wave.nAvgBytesPerSec = format.avgBytesPerSec;
    wave.nBlockAlign = format.blockAlign;
    wave.wBitsPerSample = format.bitsPerSample;
    wave.cbSize = format.extraSize;
    return wave;
}

int32_t CreateDevice(void** device) {
    IDirectSound* created = nullptr;
    HRESULT result = DirectSoundCreate(nullptr, &created, nullptr);
    *device = created;
    return result;
}

int32_t SetCooperativeLevel(void* device, void* window) {
    return Device(device)->SetCooperativeLevel(static_cast<HWND>(window), DSSCL_PRIORITY);
}

int32_t CreateBuffer(void* device, const StreamBufferDesc* desc, void** buffer) {
    WAVEFORMATEX wave{};
    if (desc->format) wave = ToWaveFormat(*desc->format);
    // The DirectX 3 layout (no 3D algorithm GUID). Its size is 20 bytes on
    // 32-bit Windows but 24 on x86_64, where the format pointer is 8-byte
    // aligned; DirectSound refuses any other size, so it is taken from the type.
    DSBUFFERDESC1 dsDesc{};
    dsDesc.dwSize = sizeof(DSBUFFERDESC1);
    dsDesc.dwFlags = desc->flags;
    dsDesc.dwBufferBytes = desc->bufferBytes;
    dsDesc.dwReserved = 0;
    dsDesc.lpwfxFormat = desc->format ? &wave : nullptr;
    IDirectSoundBuffer* created = nullptr;
    HRESULT result = Device(device)->CreateSoundBuffer(reinterpret_cast<DSBUFFERDESC*>(&dsDesc),
                                                       &created, nullptr);
    *buffer = created;
    return result;
}

int32_t SetFormat(void* buffer, const StreamFormat* format) {
    WAVEFORMATEX wave = ToWaveFormat(*format);
    return Buffer(buffer)->SetFormat(&wave);
}

int32_t QueryNotify(void* buffer, void** notify) {
    return Buffer(buffer)->QueryInterface(NotifyInterfaceId, notify);
}

int32_t SetNotificationPositions(void* notify, int count, const NotifyPosition* positions) {
    return static_cast<IDirectSoundNotify*>(notify)->SetNotificationPositions(
        static_cast<DWORD>(count), reinterpret_cast<LPCDSBPOSITIONNOTIFY>(positions));
}

int32_t GetWriteCursor(void* buffer, uint32_t* writeCursor) {
    DWORD cursor = 0;
    HRESULT result = Buffer(buffer)->GetCurrentPosition(nullptr, &cursor);
    *writeCursor = cursor;
    return result;
}

int32_t Lock(void* buffer, uint32_t offset, uint32_t bytes, void** region,
             uint32_t* regionBytes) {
    DWORD size = 0;
    HRESULT result = Buffer(buffer)->Lock(offset, bytes, region, &size, nullptr, nullptr, 0);
    *regionBytes = size;
    return result;
}

int32_t Restore(void* buffer) { return Buffer(buffer)->Restore(); }

int32_t Unlock(void* buffer, void* region, uint32_t regionBytes) {
    return Buffer(buffer)->Unlock(region, regionBytes, nullptr, 0);
}

int32_t SetCurrentPosition(void* buffer, uint32_t position) {
    return Buffer(buffer)->SetCurrentPosition(position);
}

int32_t PlayLooping(void* buffer) { return Buffer(buffer)->Play(0, 0, DSBPLAY_LOOPING); }
int32_t Stop(void* buffer) { return Buffer(buffer)->Stop(); }
void ReleaseNotify(void* notify) { static_cast<IDirectSoundNotify*>(notify)->Release(); }
void ReleaseDirectSound(void* device) { Device(device)->Release(); }

void* CreateBlockEvent() { return CreateEventA(nullptr, FALSE, FALSE, nullptr); }
void CloseBlockEvent(void* event) { CloseHandle(static_cast<HANDLE>(event)); }

bool WaitBlockEvent(void* event, uint32_t milliseconds) {
    return WaitForSingleObject(static_cast<HANDLE>(event), milliseconds) != WAIT_TIMEOUT;
}

// The thread takes no argument: there is one streamer, at file level.
DWORD WINAPI StreamThread(LPVOID) { return streamer.StreamThread(); }

void* CreateSuspendedThread(BlockStreamer*) {
    return CreateThread(nullptr, 0, StreamThread, nullptr, CREATE_SUSPENDED, nullptr);
}

bool SetTimeCritical(void* thread) {
    return SetThreadPriority(static_cast<HANDLE>(thread), THREAD_PRIORITY_TIME_CRITICAL) != 0;
}

void ResumeStreamThread(void* thread) { ResumeThread(static_cast<HANDLE>(thread)); }
void SuspendStreamThread(void* thread) { SuspendThread(static_cast<HANDLE>(thread)); }

void JoinStreamThread(void* thread) {
    WaitForSingleObject(static_cast<HANDLE>(thread), INFINITE);
    CloseHandle(static_cast<HANDLE>(thread));
}

void* CreateFillLock() {
    InitializeCriticalSection(&stream.fillLockSection);
    return &stream.fillLockSection;
}
void EnterFillLock(void* lock) { EnterCriticalSection(static_cast<CRITICAL_SECTION*>(lock)); }
void LeaveFillLock(void* lock) { LeaveCriticalSection(static_cast<CRITICAL_SECTION*>(lock)); }
void DeleteFillLock(void* lock) { DeleteCriticalSection(static_cast<CRITICAL_SECTION*>(lock)); }

const StreamerPlatform DirectSoundPlatform = {
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
    .releaseDevice = ReleaseDirectSound,
    .createEvent = CreateBlockEvent,
    .closeEvent = CloseBlockEvent,
    .waitEvent = WaitBlockEvent,
    .createSuspendedThread = CreateSuspendedThread,
    .setTimeCritical = SetTimeCritical,
    .resumeThread = ResumeStreamThread,
    .suspendThread = SuspendStreamThread,
    .joinThread = JoinStreamThread,
    .createLock = CreateFillLock,
    .enterLock = EnterFillLock,
    .leaveLock = LeaveFillLock,
    .deleteLock = DeleteFillLock,
};

}  // namespace

// DirectSound cooperates with the window in the foreground at this moment.
int OpenStream(FillCallback fillCallback, int rate, int framesPerBlock, int blockCount) {
    return streamer.OpenStream(&DirectSoundPlatform, fillCallback, rate, framesPerBlock,
                               blockCount, GetForegroundWindow());
}

int StartStream() { return streamer.StartStream(); }
void PauseStream() { streamer.PauseStream(); }
void CloseStream() { streamer.CloseStream(); }
int WriteBlock(const StereoFrame* frames) { return streamer.WriteBlock(frames); }
void ResetStream() { streamer.Reset(); }
