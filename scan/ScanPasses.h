#pragma once

namespace velmora {

// The two refresh passes of one scan cycle, run in this order on the scan thread.
class ScanPasses {
public:
    virtual void RefreshDeviceList() = 0;
    virtual void RefreshApplicationList() = 0;

protected:
    ScanPasses() = default;
    ~ScanPasses() = default;
    ScanPasses(const ScanPasses&) = delete;
    ScanPasses& operator=(const ScanPasses&) = delete;
};

} // namespace velmora
