#pragma once
// A recording stand-in for DirectSound and the Win32 kernel under BlockStreamer.
// Every operation is logged by name (with its interesting arguments) in call
// order; results can be scripted per operation. The streaming thread is a real
// std::thread: it starts at the first resume, and a suspension holds it at its
// next event wait, which is where a suspended Win32 thread would be found too.
#include <condition_variable>
#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "block_streamer_logic.h"

struct FakeStreamState {
    // Script: operation name -> result it returns (default StreamOk).
    std::map<std::string, int32_t> results;
    int bufferLostLocks = 0;  // how many Locks in a row report DSERR_BUFFERLOST
    bool failEvent = false;
    bool failThread = false;
    bool failPriority = false;
    uint32_t realWaitCapMs = 30;  // the 500 ms wait, shortened in real time

    // Observations.
    std::vector<std::string> calls;
    std::vector<StreamBufferDesc> buffersCreated;
    StreamFormat primaryFormat{};
    StreamFormat streamFormat{};
    std::vector<NotifyPosition> notifyPositions;
    std::vector<uint8_t> ring;
    uint32_t writeCursor = 0;
    int waitsEntered = 0;
    int waitsTimedOut = 0;
    int signalsConsumed = 0;
    int waitsAtLastConsume = 0;
    bool threadEnded = false;

    // Event and thread emulation.
    bool eventSignalled = false;
    int suspendCount = 0;
    BlockStreamer* owner = nullptr;
    std::thread thread;
    std::mutex mutex;  // guards everything above
    std::condition_variable changed;
    std::mutex fillLock;
};

FakeStreamState& Fake();
void ResetFake();  // joins a thread left over from a failed test, clears everything
const StreamerPlatform* FakePlatform();

// Test-side controls, safe while the streaming thread runs.
void SignalBlockEvent();
void SetWriteCursor(uint32_t cursor);
std::vector<std::string> CallsSnapshot();
// Waits until the thread has entered its event wait `count` times (false after 2 s).
bool WaitForWaitsEntered(int count);
// Signals the block event and waits until the thread has taken the signal and
// come back to its wait, so the pass it ran is complete (false after 2 s).
bool SignalAndSettle();
// Waits until `consumed` signals have been taken and the pass after the last is complete.
bool WaitForSignalHandled(int consumed);
