#include "scan/ScanLoop.h"

#include "scan/ScanPasses.h"
#include "services/Sleeper.h"

namespace velmora {

void RunScanLoop(const std::atomic<bool>& stopRequested, std::atomic<bool>& scanActive,
                 ScanPasses& passes, Sleeper& sleeper) {
    if (stopRequested.load()) {
        return;
    }
    do {
        scanActive.store(true);
        passes.RefreshDeviceList();
        passes.RefreshApplicationList();
        scanActive.store(false);
        sleeper.SleepAlertable(kScanPeriodMilliseconds);
    } while (!stopRequested.load());
}

} // namespace velmora
