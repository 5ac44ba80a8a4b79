#include "scan/ScanCycle.h"

#include "device/DeviceLocator.h"
#include "device/DriveLetterTable.h"
#include "device/InterfaceClass.h"
#include "handles/HandleScanner.h"
#include "tests/fakes/FakeDesktop.h"
#include "tests/fakes/FakeDriveMachine.h"
#include "tests/fakes/FakeHandleTable.h"
#include "tests/fakes/FakeListControl.h"

#include <gtest/gtest.h>

namespace velmora::fakes {
namespace {

using Changes = std::vector<std::wstring>;

// A machine with drives, devices, processes and their open files, the two lists, and one scan
// cycle over them. Every test ends with nothing left open.
class ScanCycleTest : public ::testing::Test {
protected:
    FakeDriveMachine drives;
    HandleLedger handleLedger;
    FakeHandleTable handles{handleLedger};
    FakeDesktop desktop;
    FakeListControl deviceList;
    FakeListControl appList;

    DriveLetterTable driveTable{drives};
    DeviceLocator locator{drives, drives};
    HandleScanner scanner{handles};
    ScanCycle cycle{driveTable, locator, drives, scanner, desktop};

    // A removable drive whose device can be disabled, on its own disk number and volume.
    void PlugStick(wchar_t letter, std::uint32_t number, std::optional<std::wstring> friendlyName) {
        const DevInst device = 0x100 + number;
        drives.AddDrive(letter, VolumeOf(number), DriveType::Removable, number);
        drives.AddInterface(kGuidDevinterfaceDisk,
                            L"\\\\?\\usbstor#disk#" + std::to_wstring(number), device, number);
        drives.devices[device].status = 0x300A;
        drives.devices[device].friendlyName = std::move(friendlyName);
    }
    // Stick E, on which Notes.exe holds a file.
    void PlugStickHeldByNotes() {
        PlugStick(L'E', 9, L"Stick");
        desktop.AddProcess(300, L"Notes.exe");
        handles.AddFile(300, VolumeOf(9) + L"\\todo.txt");
    }
    static std::wstring VolumeOf(std::uint32_t number) {
        return L"\\Device\\HarddiskVolume" + std::to_wstring(number);
    }

    void Cycle() {
        cycle.RefreshDeviceList(deviceList);
        cycle.RefreshApplicationList(deviceList, appList);
    }

    void TearDown() override {
        locator.Release();
        EXPECT_TRUE(drives.ledger.IsEmpty()) << drives.ledger.Describe();
        EXPECT_TRUE(handleLedger.IsEmpty()) << handleLedger.Describe();
    }
};

TEST_F(ScanCycleTest, TheFirstDrivePluggedInLaterIsSelectedAndItsApplicationsListed) {
    Cycle();
    EXPECT_EQ(deviceList.TakeChanges(), Changes{});
    EXPECT_EQ(appList.TakeChanges(), Changes{});
    EXPECT_TRUE(cycle.SelectFirstDeviceOnce());

    PlugStick(L'E', 9, L"Kingfish Flash USB Device");
    desktop.AddProcess(300, L"Notes.exe");
    handles.AddFile(300, VolumeOf(9) + L"\\todo.txt");
    Cycle();

    EXPECT_EQ(deviceList.TakeChanges(),
              (Changes{L"delete all", L"insert 0 E: (Kingfish Flash USB Device)", L"select 0",
                       L"ensure visible 0"}));
    EXPECT_FALSE(cycle.SelectFirstDeviceOnce());
    EXPECT_EQ(appList.TakeChanges(), (Changes{L"delete all", L"insert 0 Notes.exe"}));
    EXPECT_EQ(*cycle.ListedPids().Load(), std::vector<std::uint32_t>{300});
}

TEST_F(ScanCycleTest, ASecondDriveRebuildsTheListUnselectedAndEmptiesTheApplicationsAtOnce) {
    PlugStickHeldByNotes();
    Cycle();
    deviceList.TakeChanges();
    appList.TakeChanges();

    PlugStick(L'G', 11, L"Card Reader");
    Cycle();

    EXPECT_EQ(deviceList.TakeChanges(),
              (Changes{L"delete all", L"insert 0 E: (Stick)", L"insert 1 G: (Card Reader)"}));
    EXPECT_EQ(appList.TakeChanges(), Changes{L"delete all"});
    EXPECT_TRUE(cycle.AppRows().empty());
    EXPECT_TRUE(cycle.ListedPids().Load()->empty());
}

TEST_F(ScanCycleTest, UnchangedDrivesAndApplicationsSendNothingButTheRowsAreStillRead) {
    PlugStickHeldByNotes();
    Cycle();
    deviceList.TakeChanges();
    appList.TakeChanges();
    const int readsBefore = deviceList.reads;

    Cycle();

    EXPECT_EQ(deviceList.TakeChanges(), Changes{});
    EXPECT_EQ(appList.TakeChanges(), Changes{});
    EXPECT_GT(deviceList.reads, readsBefore);
}

TEST_F(ScanCycleTest, DeviceRowsNameTheFriendlyNameAndAnyDifferenceRebuilds) {
    const struct {
        const char* name;
        std::optional<std::wstring> before, after;
        Changes expected;
    } cases[] = {
        {"missing name gives empty parentheses", std::nullopt, std::nullopt, {}},
        {"case-only change rebuilds",
         L"Kingfish USB",
         L"KINGFISH USB",
         {L"delete all", L"insert 0 E: (KINGFISH USB)"}},
        {"same name sends nothing", L"Kingfish USB", L"Kingfish USB", {}},
    };
    for (const auto& c : cases) {
        FakeDriveMachine machine;
        DriveLetterTable table{machine};
        DeviceLocator own{machine, machine};
        ScanCycle passes{table, own, machine, scanner, desktop};
        FakeListControl list;
        const DevInst device = 0x109;
        machine.AddDrive(L'E', VolumeOf(9), DriveType::Removable, 9);
        machine.AddInterface(kGuidDevinterfaceDisk, L"\\\\?\\usbstor#disk#9", device, 9);
        machine.devices[device].status = 0x300A;
        machine.devices[device].friendlyName = c.before;
        passes.RefreshDeviceList(list);
        if (!c.before) {
            EXPECT_EQ(list.Texts(), Changes{L"E: ()"}) << c.name;
        }
        list.TakeChanges();
        machine.devices[device].friendlyName = c.after;
        passes.RefreshDeviceList(list);
        EXPECT_EQ(list.TakeChanges(), c.expected) << c.name;
        own.Release();
        EXPECT_TRUE(machine.ledger.IsEmpty()) << c.name;
    }
}

TEST_F(ScanCycleTest, ApplicationRowsFollowTheFoundProcessesOneToOne) {
    PlugStick(L'E', 9, L"Stick");
    desktop.AddProcess(300, L"Editor.exe");
    desktop.AddProcess(301, L"Editor.exe");
    desktop.AddProcess(302, L"Locked.exe", /*opens=*/false);
    handles.AddFile(300, VolumeOf(9) + L"\\a.txt");
    handles.AddFile(302, VolumeOf(9) + L"\\b.txt");
    handles.AddFile(301, VolumeOf(9) + L"\\c.txt");
    handles.AddFile(303, VolumeOf(10) + L"\\elsewhere.txt");

    Cycle();

    EXPECT_EQ(appList.Texts(), (Changes{L"Editor.exe", L"", L"Editor.exe"}));
    EXPECT_EQ(*cycle.ListedPids().Load(), (std::vector<std::uint32_t>{300, 302, 301}));
}

TEST_F(ScanCycleTest, NothingSelectedEmptiesAFilledApplicationListAndLeavesAnEmptyOneAlone) {
    PlugStickHeldByNotes();
    Cycle();
    appList.TakeChanges();

    deviceList.Select(-1);
    Cycle();
    EXPECT_EQ(appList.TakeChanges(), Changes{L"delete all"});
    Cycle();
    EXPECT_EQ(appList.TakeChanges(), Changes{});
}

TEST_F(ScanCycleTest, RowsThatCannotServeForAScanContributeNothing) {
    PlugStickHeldByNotes();
    Cycle();
    appList.TakeChanges();

    const struct {
        const char* name;
        std::wstring text;
        bool unreadable;
    } cases[] = {
        {"lower-case letter", L"e: (Stick)", false},
        {"digit", L"9: (Stick)", false},
        {"unmapped letter", L"Q: (Stick)", false},
        {"unreadable row", L"E: (Stick)", true},
        {"empty text", L"", false},
    };
    for (const auto& c : cases) {
        deviceList.rows = {{c.text, true}};
        deviceList.unreadableRows.clear();
        if (c.unreadable) {
            deviceList.unreadableRows.insert(0);
        }
        cycle.RefreshApplicationList(deviceList, appList);
        EXPECT_TRUE(cycle.AppRows().empty()) << c.name;
    }
}

TEST_F(ScanCycleTest, AGoneWindowOrListIsLeftAloneWithItsRowsKept) {
    PlugStick(L'E', 9, L"Stick");
    Cycle();
    deviceList.TakeChanges();

    PlugStick(L'G', 11, L"Card");
    deviceList.exists = false;
    Cycle();
    EXPECT_EQ(deviceList.TakeChanges(), Changes{});
    EXPECT_EQ(cycle.DeviceRows(), Changes{L"E: (Stick)"});
}

TEST_F(ScanCycleTest, AFailedSelectionStillSpendsTheFirstSelection) {
    deviceList.selectFails = true;
    PlugStick(L'E', 9, L"Stick");
    Cycle();
    EXPECT_EQ(deviceList.TakeChanges(),
              (Changes{L"delete all", L"insert 0 E: (Stick)", L"select 0"}));
    EXPECT_FALSE(cycle.SelectFirstDeviceOnce());
}

} // namespace
} // namespace velmora::fakes
