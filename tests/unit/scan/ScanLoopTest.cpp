#include "scan/ScanLoop.h"

#include "scan/ScanPasses.h"
#include "services/Sleeper.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace velmora {
namespace {

// Records the order of passes and sleeps, and what scanActive read at each, and asks for a stop
// at a chosen sleep.
class Recorder final : public ScanPasses, public Sleeper {
public:
    Recorder(std::atomic<bool>& stop, std::atomic<bool>& active, int stopAtSleep)
        : stop(stop), active(active), stopAtSleep(stopAtSleep) {}

    void RefreshDeviceList() override { Note("device"); }
    void RefreshApplicationList() override { Note("application"); }
    void Sleep(std::uint32_t) override { Note("plain sleep"); }
    void SleepAlertable(std::uint32_t milliseconds) override {
        Note("sleep " + std::to_string(milliseconds));
        if (++sleeps == stopAtSleep) {
            stop = true;
        }
    }

    std::vector<std::string> log;

private:
    void Note(const std::string& what) { log.push_back(what + (active ? " active" : "")); }

    std::atomic<bool>& stop;
    std::atomic<bool>& active;
    int stopAtSleep;
    int sleeps = 0;
};

TEST(ScanLoop, RunsBothPassesWhileActiveThenSleepsASecondUntilStopped) {
    std::atomic<bool> stop{false};
    std::atomic<bool> active{false};
    Recorder recorder(stop, active, 2);

    RunScanLoop(stop, active, recorder, recorder);

    const std::vector<std::string> expected{"device active", "application active", "sleep 1000",
                                            "device active", "application active", "sleep 1000"};
    EXPECT_EQ(recorder.log, expected);
    EXPECT_FALSE(active);
}

TEST(ScanLoop, StopRequestedBeforeTheStartRunsNoPassAndNeverSetsActive) {
    std::atomic<bool> stop{true};
    std::atomic<bool> active{false};
    Recorder recorder(stop, active, 1);

    RunScanLoop(stop, active, recorder, recorder);

    EXPECT_TRUE(recorder.log.empty());
    EXPECT_FALSE(active);
}

TEST(ScanLoop, StopRequestedDuringAPassTakesEffectAfterThatCyclesSleep) {
    std::atomic<bool> stop{false};
    std::atomic<bool> active{false};
    struct StopInPass final : ScanPasses {
        std::atomic<bool>& stop;
        int passes = 0;
        explicit StopInPass(std::atomic<bool>& stop) : stop(stop) {}
        void RefreshDeviceList() override {
            ++passes;
            stop = true;
        }
        void RefreshApplicationList() override { ++passes; }
    } passes(stop);
    Recorder sleeper(stop, active, 0);

    RunScanLoop(stop, active, passes, sleeper);

    EXPECT_EQ(passes.passes, 2);
    EXPECT_EQ(sleeper.log, std::vector<std::string>{"sleep 1000"});
    EXPECT_FALSE(active);
}

TEST(ScanLoop, AFaultLeavingAPassLeavesActiveSet) {
    std::atomic<bool> stop{false};
    std::atomic<bool> active{false};
    struct Throwing final : ScanPasses {
        void RefreshDeviceList() override {}
        void RefreshApplicationList() override { throw 42; }
    } passes;
    Recorder sleeper(stop, active, 0);

    EXPECT_THROW(RunScanLoop(stop, active, passes, sleeper), int);
    EXPECT_TRUE(active);
    EXPECT_TRUE(sleeper.log.empty());
}

} // namespace
} // namespace velmora
