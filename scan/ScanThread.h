#pragma once

#include "services/win32/CriticalSection.h"

#include <atomic>
#include <functional>
#include <windows.h>

namespace velmora {

class ScanThread;

// The operation a ScanThread runs. It must return once it finds the thread's stop requested,
// look at least after every sleep, and sleep only in alertable waits so that Wake ends them.
class ScanBody {
public:
    virtual void ScanLoop(ScanThread& thread) = 0;
    // Called on the scan thread when a fault has left ScanLoop, before it is reported.
    virtual void OnScanFault() = 0;

protected:
    ScanBody() = default;
    ~ScanBody() = default;
    ScanBody(const ScanBody&) = delete;
    ScanBody& operator=(const ScanBody&) = delete;
};

// The background thread, at idle priority, that runs its owner's scan loop and reports every
// fault of that loop in a message box before it ends. The window's thread asks it whether it
// runs, wakes it, asks it to stop and, when it hangs, ends it by force.
class ScanThread {
public:
    // CreateThread, or a stand-in that fails, so a test can see a thread that never starts.
    using CreateThreadFunction = decltype(&::CreateThread);

    explicit ScanThread(ScanBody& owner, CreateThreadFunction createThread = &::CreateThread);
    // Asks the thread to stop and waits until it no longer runs; queues no wake-up.
    ~ScanThread();
    ScanThread(const ScanThread&) = delete;
    ScanThread& operator=(const ScanThread&) = delete;

    // Creates the thread suspended, lowers it to idle priority and resumes it; on any failure the
    // thread is ended and IsRunning stays false.
    void Start();
    bool IsRunning();
    // Ends the thread's current or next alertable sleep.
    void Wake();
    void RequestStop();
    // Ends the thread wherever it stands, also inside a blocked call or holding a lock. Given a
    // safe point (a stretch where the thread holds no lock of the process), the thread is ended
    // there when it reaches one soon, and wherever it stands otherwise.
    void Terminate(const std::function<bool()>& atSafePoint = {});

    const std::atomic<bool>& StopRequested() const { return stopRequested; }

private:
    static DWORD WINAPI ThreadMain(void* parameter);
    // The thread's last step: it closes and forgets its own handle.
    void DropHandle();

    ScanBody& owner;
    CreateThreadFunction createThread;
    win32::CriticalSection threadLock;
    HANDLE threadHandle = nullptr; // guarded by threadLock; this object closes it
    std::atomic<bool> stopRequested{false};
};

} // namespace velmora
