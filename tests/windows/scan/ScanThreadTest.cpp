#include "scan/ScanThread.h"

#include <atomic>
#include <chrono>
#include <functional>
#include <gtest/gtest.h>
#include <new>

namespace velmora {
namespace {

// A body given as a function, so each test says what the thread does.
class Body final : public ScanBody {
public:
    explicit Body(std::function<void(ScanThread&)> run) : run(std::move(run)) {}
    void ScanLoop(ScanThread& thread) override { run(thread); }
    void OnScanFault() override { ++faults; }

    std::atomic<int> faults{0};

private:
    std::function<void(ScanThread&)> run;
};

bool WaitUntil(const std::function<bool()>& condition) {
    for (int i = 0; i < 1000; ++i) {
        if (condition()) {
            return true;
        }
        ::Sleep(5);
    }
    return false;
}

TEST(ScanThread, RunsAtIdlePriorityAndEndsWhenItsBodyReturns) {
    std::atomic<int> priority{0};
    std::atomic<bool> release{false};
    Body body([&](ScanThread&) {
        priority = ::GetThreadPriority(::GetCurrentThread());
        while (!release) {
            ::Sleep(1);
        }
    });
    ScanThread thread(body);
    thread.Start();
    EXPECT_TRUE(thread.IsRunning());
    ASSERT_TRUE(WaitUntil([&] { return priority != 0; }));
    EXPECT_EQ(priority, THREAD_PRIORITY_IDLE);
    release = true;
    EXPECT_TRUE(WaitUntil([&] { return !thread.IsRunning(); }));
}

TEST(ScanThread, WakeCutsAOneSecondAlertableSleepShortAndRequestStopEndsTheLoop) {
    std::atomic<int> sleeps{0};
    std::atomic<long long> lastSleepMs{-1};
    Body body([&](ScanThread& self) {
        while (!self.StopRequested()) {
            const auto start = std::chrono::steady_clock::now();
            ::SleepEx(1000, TRUE);
            lastSleepMs = std::chrono::duration_cast<std::chrono::milliseconds>(
                              std::chrono::steady_clock::now() - start)
                              .count();
            ++sleeps;
        }
    });
    ScanThread thread(body);
    thread.Start();
    ::Sleep(50);
    thread.Wake();
    ASSERT_TRUE(WaitUntil([&] { return sleeps >= 1; }));
    std::printf("woken sleep lasted %lld ms\n", lastSleepMs.load());
    EXPECT_LT(lastSleepMs, 1000);

    thread.RequestStop();
    EXPECT_TRUE(WaitUntil([&] { return !thread.IsRunning(); }));
    EXPECT_LE(sleeps, 3);
}

TEST(ScanThread, TerminateEndsAThreadBlockedForGood) {
    HANDLE never = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    std::atomic<bool> blocked{false};
    Body body([&](ScanThread&) {
        blocked = true;
        ::WaitForSingleObject(never, INFINITE);
    });
    {
        ScanThread thread(body);
        thread.Start();
        ASSERT_TRUE(WaitUntil([&] { return blocked.load(); }));
        thread.Terminate();
        EXPECT_FALSE(thread.IsRunning());
        thread.Terminate(); // a second time does nothing
        thread.Wake();      // and nothing is queued to a thread that is gone
    }
    ::CloseHandle(never);
}

HANDLE WINAPI FailToCreateThread(LPSECURITY_ATTRIBUTES, SIZE_T, LPTHREAD_START_ROUTINE, LPVOID,
                                 DWORD, LPDWORD) {
    return nullptr;
}

TEST(ScanThread, AThreadThatCannotBeCreatedIsNotRunningAndDestroysAtOnce) {
    bool ran = false;
    Body body([&](ScanThread&) { ran = true; });
    {
        ScanThread thread(body, &FailToCreateThread);
        thread.Start();
        EXPECT_FALSE(thread.IsRunning());
        thread.RequestStop();
    }
    EXPECT_FALSE(ran);
}

TEST(ScanThread, FailedAllocationsOfOtherThreadsStayOrdinaryWhileTheScanThreadRuns) {
    std::atomic<bool> release{false};
    Body body([&](ScanThread&) {
        while (!release) {
            ::Sleep(1);
        }
    });
    ScanThread thread(body);
    thread.Start();
    EXPECT_THROW(::operator delete(::operator new (std::size_t{1} << 62)), std::bad_alloc);
    try {
        throw 7;
    } catch (int value) {
        EXPECT_EQ(value, 7);
    }
    release = true;
    EXPECT_TRUE(WaitUntil([&] { return !thread.IsRunning(); }));
}

} // namespace
} // namespace velmora

namespace velmora {
namespace {

int* volatile nowhere = nullptr;

TEST(ScanThread, AFaultIsAnnouncedToTheOwnerBeforeTheReportAndEndsTheThreadAfterIt) {
    const struct {
        const char* name;
        std::function<void()> fault;
    } faults[] = {
        {"access violation", [] { *nowhere = 1; }},
        {"C++ exception", [] { throw 1; }},
    };
    for (const auto& fault : faults) {
        Body body([&](ScanThread&) { fault.fault(); });
        ScanThread thread(body);
        thread.Start();
        HWND box = nullptr;
        ASSERT_TRUE(WaitUntil([&] {
            return (box = ::FindWindowW(L"#32770", L"Exception")) != nullptr;
        })) << fault.name;
        EXPECT_EQ(body.faults, 1) << fault.name;
        EXPECT_TRUE(thread.IsRunning()) << fault.name;
        ::PostMessageW(box, WM_COMMAND, IDOK, 0);
        EXPECT_TRUE(WaitUntil([&] { return !thread.IsRunning(); })) << fault.name;
    }
}

} // namespace
} // namespace velmora
