#include "scan/ScanThread.h"

#include "scan/FaultGuard.h"
#include "scan/ThreadTermination.h"
#include "services/win32/UniqueHandle.h"

namespace velmora {
namespace {

void CALLBACK WakeUp(ULONG_PTR) {}

} // namespace

ScanThread::ScanThread(ScanBody& owner, CreateThreadFunction createThread)
    : owner(owner), createThread(createThread) {}

ScanThread::~ScanThread() {
    stopRequested.store(true);
    while (IsRunning()) {
        ::Sleep(1);
    }
}

void ScanThread::Start() {
    win32::CriticalSectionGuard guard(threadLock);
    threadHandle = createThread(nullptr, 0, &ThreadMain, this, CREATE_SUSPENDED, nullptr);
    if (threadHandle != nullptr) {
        ::SetThreadPriority(threadHandle, THREAD_PRIORITY_IDLE);
        if (::ResumeThread(threadHandle) != static_cast<DWORD>(-1)) {
            return;
        }
    }
    Terminate();
}

bool ScanThread::IsRunning() {
    win32::CriticalSectionGuard guard(threadLock);
    return threadHandle != nullptr;
}

void ScanThread::Wake() {
    win32::CriticalSectionGuard guard(threadLock);
    if (threadHandle != nullptr) {
        ::QueueUserAPC(&WakeUp, threadHandle, 0);
    }
}

void ScanThread::RequestStop() {
    stopRequested.store(true);
    Wake();
}

void ScanThread::Terminate(const std::function<bool()>& atSafePoint) {
    win32::KernelHandle own;
    {
        win32::CriticalSectionGuard guard(threadLock);
        if (threadHandle == nullptr) {
            return;
        }
        // Waiting for a safe point must not hold the lock that the thread takes in its last step,
        // so that wait works on a handle of its own.
        HANDLE copy = nullptr;
        if (!atSafePoint ||
            !::DuplicateHandle(::GetCurrentProcess(), threadHandle, ::GetCurrentProcess(), &copy, 0,
                               FALSE, DUPLICATE_SAME_ACCESS)) {
            ::TerminateThread(threadHandle, 0);
            ::CloseHandle(threadHandle);
            threadHandle = nullptr;
            return;
        }
        own.Reset(copy);
    }
    TerminateAtSafePoint(own.Get(), atSafePoint, kScanTerminationPatienceMilliseconds);
    ::WaitForSingleObject(own.Get(), INFINITE);
    DropHandle();
}

void ScanThread::DropHandle() {
    win32::CriticalSectionGuard guard(threadLock);
    if (threadHandle != nullptr) {
        ::CloseHandle(threadHandle);
        threadHandle = nullptr;
    }
}

DWORD WINAPI ScanThread::ThreadMain(void* parameter) {
    auto& self = *static_cast<ScanThread*>(parameter);
    const FaultSteps steps{
        [](void* thread) { static_cast<ScanThread*>(thread)->owner.OnScanFault(); },
        [](void* thread) { static_cast<ScanThread*>(thread)->DropHandle(); }, &self};
    RunReportingFaults([&self] { self.owner.ScanLoop(self); }, steps);
    self.DropHandle();
    return 0;
}

} // namespace velmora
