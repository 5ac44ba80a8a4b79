#pragma once

#include <functional>
#include <windows.h>

namespace velmora {

// Ends a thread wherever it stands, but preferably where it holds no lock of the process: the
// thread is suspended, and ended only once atSafePoint() says it stands in a stretch that takes
// no lock (for the scan thread: inside a handle query, where a hung scan stands); otherwise it is
// resumed and asked again a millisecond later. After patienceMilliseconds it is ended wherever it
// stands. The handle stays open; the caller closes it. Gives TerminateThread's result.
//
// Holding the heap's lock across TerminateThread instead is not safe: the thread may be ended
// while it waits for that lock, and under Wine the lock then hands its next wake-up to the dead
// waiter, which stalls or corrupts the heap for the threads that remain.
bool TerminateAtSafePoint(HANDLE thread, const std::function<bool()>& atSafePoint,
                          DWORD patienceMilliseconds);

// Patience for the scan thread: its queries follow each other within milliseconds while it moves.
inline constexpr DWORD kScanTerminationPatienceMilliseconds = 2000;

} // namespace velmora
