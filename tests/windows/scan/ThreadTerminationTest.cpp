#include "scan/ThreadTermination.h"

#include "services/win32/UniqueHandle.h"

#include <atomic>
#include <cstdlib>
#include <gtest/gtest.h>

namespace velmora {
namespace {

using win32::KernelHandle;

// Allocates from both heaps the program uses, then spends a stretch without any lock, as a scan
// thread alternates between its own work and the handle queries.
struct Churn {
    std::atomic<long> rounds{0};
    std::atomic<bool> lockFree{false};

    static DWORD WINAPI Run(void* parameter) {
        auto& self = *static_cast<Churn*>(parameter);
        const HANDLE heap = ::GetProcessHeap();
        for (unsigned i = 1;; ++i) {
            void* block = ::HeapAlloc(heap, 0, 16 + (i * 37) % 5000);
            void* other = std::malloc(8 + (i * 91) % 70000);
            ::HeapFree(heap, 0, block);
            std::free(other);
            self.lockFree.store(true);
            for (int k = 0; k < 300; k = k + 1) {
                self.rounds.fetch_add(0, std::memory_order_relaxed);
            }
            self.lockFree.store(false);
            self.rounds.fetch_add(1);
        }
    }
};

// Waits for a go, then allocates from both heaps; made before the termination, so that creating
// it cannot itself wait on a heap that a dead thread left locked.
struct Probe {
    KernelHandle go{::CreateEventW(nullptr, TRUE, FALSE, nullptr)};

    static DWORD WINAPI Run(void* parameter) {
        ::WaitForSingleObject(static_cast<Probe*>(parameter)->go.Get(), INFINITE);
        ::HeapFree(::GetProcessHeap(), 0, ::HeapAlloc(::GetProcessHeap(), 0, 100));
        std::free(std::malloc(100000));
        return 0;
    }
};

// Under Wine, ending this thread with a plain TerminateThread leaves the process heap locked for
// good within a few rounds; ending it while holding the heap's lock stalls a later allocation for
// five seconds now and then (a wake-up handed to the dead waiter) and sometimes for good.
TEST(TerminateAtSafePoint, EndsABusyThreadWithoutLeavingAHeapLockedOrStalled) {
    for (int round = 0; round < 100; ++round) {
        Churn churn;
        const KernelHandle thread(::CreateThread(nullptr, 0, &Churn::Run, &churn, 0, nullptr));
        Probe probe;
        const KernelHandle prober(::CreateThread(nullptr, 0, &Probe::Run, &probe, 0, nullptr));
        ASSERT_TRUE(thread && probe.go && prober);
        while (churn.rounds.load() < 20 + (round % 7) * 15) {
            ::Sleep(0);
        }

        const std::function<bool()> lockFree = [&churn] { return churn.lockFree.load(); };
        ASSERT_TRUE(TerminateAtSafePoint(thread.Get(), lockFree, 2000));
        const bool endedOnReturn = ::WaitForSingleObject(thread.Get(), 0) == WAIT_OBJECT_0;
        ::SetEvent(probe.go.Get());
        const DWORD probeWait = ::WaitForSingleObject(prober.Get(), 2000);
        if (probeWait != WAIT_OBJECT_0) {
            // Lets a stalled probe finish before the handles go, so the failure is reported.
            ::WaitForSingleObject(prober.Get(), 20000);
        }
        ASSERT_EQ(probeWait, WAIT_OBJECT_0) << "the heaps stalled after round " << round;
        ASSERT_TRUE(endedOnReturn) << round;
    }
}

DWORD WINAPI BlockForGood(void* event) {
    return ::WaitForSingleObject(static_cast<HANDLE>(event), INFINITE);
}

TEST(TerminateAtSafePoint, EndsABlockedThreadAtOnceWhenSafeAndAfterThePatienceOtherwise) {
    for (const bool safe : {true, false}) {
        const KernelHandle never(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
        const KernelHandle thread(
            ::CreateThread(nullptr, 0, &BlockForGood, never.Get(), 0, nullptr));
        ASSERT_TRUE(thread);
        ::Sleep(20);

        const ULONGLONG start = ::GetTickCount64();
        EXPECT_TRUE(TerminateAtSafePoint(
            thread.Get(), [safe] { return safe; }, 300));
        const ULONGLONG elapsed = ::GetTickCount64() - start;
        EXPECT_EQ(::WaitForSingleObject(thread.Get(), 0), WAIT_OBJECT_0) << safe;
        DWORD exitCode = STILL_ACTIVE;
        EXPECT_TRUE(::GetExitCodeThread(thread.Get(), &exitCode));
        EXPECT_EQ(exitCode, 0u);
        if (safe) {
            EXPECT_LT(elapsed, 200u);
        } else {
            EXPECT_GE(elapsed, 290u);
            EXPECT_LT(elapsed, 1500u);
        }
    }
}

} // namespace
} // namespace velmora
