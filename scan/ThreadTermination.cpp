#include "scan/ThreadTermination.h"

namespace velmora {
namespace {

// How long the termination, which completes asynchronously, is waited for.
constexpr DWORD kTerminationWaitMilliseconds = 1000;

// Suspends the thread and waits until it has really stopped: SuspendThread only asks for it, and
// reading the thread's registers completes the request.
bool SuspendFully(HANDLE thread) {
    if (::SuspendThread(thread) == static_cast<DWORD>(-1)) {
        return false;
    }
    CONTEXT context{};
    context.ContextFlags = CONTEXT_CONTROL;
    ::GetThreadContext(thread, &context);
    return true;
}

} // namespace

bool TerminateAtSafePoint(HANDLE thread, const std::function<bool()>& atSafePoint,
                          DWORD patienceMilliseconds) {
    const ULONGLONG deadline = ::GetTickCount64() + patienceMilliseconds;
    // A thread that cannot be suspended is ended at once, wherever it stands.
    while (SuspendFully(thread) && !atSafePoint() && ::GetTickCount64() < deadline) {
        ::ResumeThread(thread);
        ::Sleep(1);
    }
    const bool terminated = ::TerminateThread(thread, 0) != FALSE;
    if (terminated) {
        ::WaitForSingleObject(thread, kTerminationWaitMilliseconds);
    }
    return terminated;
}

} // namespace velmora
