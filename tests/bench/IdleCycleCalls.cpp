// Counts the platform calls of one idle scan cycle (nothing changes between cycles) on a machine
// with three listed drives, the first selected, and a handle table of a few processes: the
// baseline for work on the cycle's cost. Prints one line per service and the total.
#include "device/DeviceLocator.h"
#include "device/DriveLetterTable.h"
#include "handles/HandleScanner.h"
#include "scan/ScanCycle.h"
#include "tests/fakes/FakeListControl.h"
#include "tests/sim/Scenario.h"
#include "tests/sim/SimulatedMachine.h"

#include <cstdio>
#include <map>
#include <string>

namespace {

using namespace velmora;

// Forwards to another service and counts each call by name.
class CountingHandles final : public SystemHandles {
public:
    explicit CountingHandles(SystemHandles& inner) : inner(inner) {}
    std::map<std::string, int> calls;

    bool CanReadHandleTable() const override { return inner.CanReadHandleTable(); }
    bool CanQueryObjectNames() const override { return inner.CanQueryObjectNames(); }
    HandleTableStatus ReadHandleTable(std::span<std::byte> buffer) override {
        ++calls["NtQuerySystemInformation"];
        return inner.ReadHandleTable(buffer);
    }
    std::uintptr_t OpenProcessForCopy(std::uint32_t processId) override {
        ++calls["OpenProcess"];
        return inner.OpenProcessForCopy(processId);
    }
    std::uintptr_t CopyHandleOf(std::uintptr_t process, std::uintptr_t handleValue) override {
        ++calls["DuplicateHandle"];
        return inner.CopyHandleOf(process, handleValue);
    }
    bool IsDiskFile(std::uintptr_t handle) override {
        ++calls["GetFileType"];
        return inner.IsDiskFile(handle);
    }
    bool QueryObjectName(std::uintptr_t handle, std::span<std::byte> buffer) override {
        ++calls["NtQueryObject"];
        return inner.QueryObjectName(handle, buffer);
    }
    OwnFile OpenOwnFile() override { return inner.OpenOwnFile(); }
    void Close(std::uintptr_t handle) override {
        ++calls["CloseHandle"];
        inner.Close(handle);
    }

private:
    SystemHandles& inner;
};

class CountingProcesses final : public ProcessList {
public:
    explicit CountingProcesses(ProcessList& inner) : inner(inner) {}
    int calls = 0;
    std::optional<std::size_t> ListProcessIds(std::span<std::uint32_t> ids) override {
        ++calls;
        return inner.ListProcessIds(ids);
    }
    std::size_t ExecutableBaseName(std::uint32_t processId, std::span<wchar_t> buffer) override {
        ++calls;
        return inner.ExecutableBaseName(processId, buffer);
    }

private:
    ProcessList& inner;
};

constexpr std::wstring_view kMachine = LR"(drive C fixed "System Disk" not-disableable
drive E removable "Kingfish Flash USB Device"
drive F removable "Tallow SD Card Reader"
drive G removable "Brindle Portable Disk"
process 300 notes.exe
process 301 PhotoBox.exe
process 302 backup.exe
file 300 E \notes\todo.txt
file 301 E \pictures\harbour.jpg
file 302 F \archive\2026.zip
file 302 G \archive\2025.zip
)";

} // namespace

int main() {
    std::wstring error;
    const auto scenario = sim::ParseScenario(kMachine, error);
    if (!scenario) {
        std::fprintf(stderr, "bad scenario: %ls\n", error.c_str());
        return 1;
    }
    sim::SimulatedMachine machine(*scenario);
    CountingHandles handles(machine.handles);
    CountingProcesses processes(machine.desktop);
    fakes::FakeListControl deviceList;
    fakes::FakeListControl appList;
    DriveLetterTable driveTable(machine.drives);
    DeviceLocator locator(machine.drives, machine.drives);
    HandleScanner scanner(handles);
    ScanCycle cycle(driveTable, locator, machine.drives, scanner, processes);

    const auto runCycle = [&] {
        cycle.RefreshDeviceList(deviceList);
        cycle.RefreshApplicationList(deviceList, appList);
    };
    runCycle(); // fills both lists and selects the first drive
    machine.drives.callLog.clear();
    handles.calls.clear();
    processes.calls = 0;
    const int readsBefore = deviceList.reads;
    runCycle(); // the idle cycle that is counted

    std::map<std::string, int> storage;
    for (const std::wstring& call : machine.drives.callLog) {
        const std::wstring name = call.substr(0, call.find(L' '));
        storage[std::string(name.begin(), name.end())]++;
    }
    int total = 0;
    std::printf("one idle cycle, %zu listed drives, first selected:\n", cycle.DeviceRows().size());
    for (const auto& [name, count] : storage) {
        std::printf("  storage/device setup %-32s %6d\n", name.c_str(), count);
        total += count;
    }
    for (const auto& [name, count] : handles.calls) {
        std::printf("  handles              %-32s %6d\n", name.c_str(), count);
        total += count;
    }
    std::printf("  processes            %-32s %6d\n", "EnumProcesses+GetModuleBaseName",
                processes.calls);
    std::printf("  list messages        %-32s %6d\n", "LVM_GETITEMCOUNT+LVM_GETITEMW",
                deviceList.reads - readsBefore);
    total += processes.calls + (deviceList.reads - readsBefore);
    std::printf("  total (list row reads counted, item counts not)   %6d\n", total);
    return 0;
}
