#pragma once

#include "handles/PublishedPids.h"

#include <string>
#include <vector>

namespace velmora {

class DriveLetterTable;
class DeviceLocator;
class DeviceSetup;
class HandleScanner;
class ListControl;
class ProcessList;

// The two refresh passes that keep the window's lists current: the device list with one row per
// drive whose device can be disabled, and the application list with the executables holding the
// selected drive. Each pass builds all its rows and touches its list only when they differ from
// the rows it wrote last, so selection and scrolling survive while nothing changes. The caller
// holds the dialog's lock around each pass.
class ScanCycle {
public:
    ScanCycle(DriveLetterTable& driveTable, DeviceLocator& locator, DeviceSetup& setup,
              HandleScanner& scanner, ProcessList& processes)
        : driveTable(driveTable), locator(locator), setup(setup), scanner(scanner),
          processes(processes) {}
    ScanCycle(const ScanCycle&) = delete;
    ScanCycle& operator=(const ScanCycle&) = delete;

    void RefreshDeviceList(ListControl& deviceList);
    void RefreshApplicationList(ListControl& deviceList, ListControl& appList);

    const std::vector<std::wstring>& DeviceRows() const { return deviceRows; }
    const std::vector<std::wstring>& AppRows() const { return appRows; }
    bool SelectFirstDeviceOnce() const { return selectFirstDeviceOnce; }
    // The process of each application row, row i standing for entry i, published once the list
    // shows those rows; readable from any thread without the dialog's lock.
    const PublishedPids& ListedPids() const { return listedPids; }

private:
    DriveLetterTable& driveTable;
    DeviceLocator& locator;
    DeviceSetup& setup;
    HandleScanner& scanner;
    ProcessList& processes;

    std::vector<std::wstring> deviceRows; // the texts last written to the device list
    std::vector<std::wstring> appRows;    // the texts last written to the application list
    bool selectFirstDeviceOnce = true;    // cleared at the first rebuild that has rows
    PublishedPids listedPids;
};

} // namespace velmora
