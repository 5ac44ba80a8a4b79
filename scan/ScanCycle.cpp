#include "scan/ScanCycle.h"

#include "device/DeviceLocator.h"
#include "device/DriveLetterTable.h"
#include "handles/HandleScanner.h"
#include "handles/ProcessLookup.h"
#include "services/ListControl.h"

namespace velmora {
namespace {

constexpr std::uint32_t kLetterCount = 26;

// Replaces every row of the list; rows are never updated one by one.
void RewriteRows(ListControl& list, const std::vector<std::wstring>& rows) {
    list.DeleteAllRows();
    for (std::size_t index = 0; index < rows.size(); ++index) {
        list.InsertRow(static_cast<int>(index), rows[index]);
    }
}

} // namespace

void ScanCycle::RefreshDeviceList(ListControl& deviceList) {
    if (!deviceList.Exists()) {
        return;
    }
    driveTable.Rebuild();
    std::vector<std::wstring> rows;
    for (std::uint32_t index = 0; index < kLetterCount; ++index) {
        if (!locator.Resolve(index) || !locator.HasRequiredStatus()) {
            continue;
        }
        std::wstring row(1, static_cast<wchar_t>(L'A' + index));
        row += L": (";
        if (locator.DeviceInstance() != 0) {
            row += QueryFriendlyName(setup, locator.DeviceInstance());
        }
        row += L")";
        rows.push_back(std::move(row));
    }
    // Ordinal comparison, code unit by code unit: any difference in count, order, case or text.
    if (rows == deviceRows) {
        return;
    }
    RewriteRows(deviceList, rows);
    deviceRows = rows;
    if (selectFirstDeviceOnce && !rows.empty()) {
        if (deviceList.SelectAndFocusRow(0)) {
            deviceList.EnsureVisible(0);
        }
        selectFirstDeviceOnce = false;
    }
}

void ScanCycle::RefreshApplicationList(ListControl& deviceList, ListControl& appList) {
    if (!deviceList.Exists() || !appList.Exists()) {
        return;
    }
    std::vector<std::wstring> rows;
    std::vector<std::uint32_t> pids;
    for (int index = 0; index < deviceList.RowCount(); ++index) {
        const auto row = deviceList.ReadRow(index);
        if (!row || !row->selected || row->text.empty()) {
            continue;
        }
        const std::wstring deviceName = driveTable.DeviceNameOf(row->text.front());
        if (deviceName.empty() || !scanner.ScanDevice(deviceName)) {
            continue;
        }
        for (const std::uint32_t processId : scanner.FoundPids()) {
            rows.push_back(ProcessNameOf(processes, processId));
            pids.push_back(processId);
        }
    }
    if (rows != appRows) {
        appRows = rows;
        RewriteRows(appList, rows);
    }
    // Equal rows may still stand for new processes of the same names: the list then names the
    // newest ones.
    if (*listedPids.Load() != pids) {
        listedPids.Publish(pids);
    }
}

} // namespace velmora
