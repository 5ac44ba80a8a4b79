#pragma once

#include <atomic>

namespace velmora {

class ScanPasses;
class Sleeper;

// The scan thread's body: cycles of both passes with scanActive set, each followed by a
// one-second alertable sleep, until a stop is found requested before the first cycle or after a
// sleep. A fault that leaves a pass leaves this loop at once, with scanActive still set.
void RunScanLoop(const std::atomic<bool>& stopRequested, std::atomic<bool>& scanActive,
                 ScanPasses& passes, Sleeper& sleeper);

inline constexpr unsigned kScanPeriodMilliseconds = 1000;

} // namespace velmora
