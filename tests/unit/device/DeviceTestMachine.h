#pragma once

#include "device/InterfaceClass.h"
#include "tests/fakes/FakeDriveMachine.h"
#include "tests/fakes/FakeSleeper.h"

#include <gtest/gtest.h>

namespace velmora::fakes {

// A machine, a sleeper that writes its pauses into the machine's call log, and the check that
// ends every test: nothing left open and nothing closed twice or used after its close.
class DeviceTest : public ::testing::Test {
protected:
    FakeDriveMachine machine;
    FakeSleeper sleeper{machine.callLog};

    void TearDown() override {
        EXPECT_TRUE(machine.ledger.IsEmpty()) << machine.ledger.Describe();
        EXPECT_TRUE(machine.misuse.empty()) << (machine.misuse.empty() ? L"" : machine.misuse[0]);
    }
};

inline constexpr DevInst kStick = 0x42;
inline constexpr DevInst kStickParent = 0x41;
inline constexpr std::uint32_t kStickNumber = 3;

// A USB stick at a letter: a removable volume on disk number 3, one disk interface for it behind
// an unrelated fixed disk's interface, a disableable device instance with a friendly name, and
// its parent.
inline void AddUsbStick(FakeDriveMachine& machine, wchar_t letter = L'E') {
    machine.AddDrive(letter, L"\\Device\\HarddiskVolume9", DriveType::Removable, kStickNumber);
    machine.AddInterface(kGuidDevinterfaceDisk, L"\\\\?\\ide#disk&ven_fixed#0", 0x10, 0);
    machine.AddInterface(kGuidDevinterfaceDisk, L"\\\\?\\usbstor#disk&ven_kingfish#1", kStick,
                         kStickNumber);
    machine.devices[0x10].status = 0x180A;
    auto& stick = machine.devices[kStick];
    stick.status = 0x300A;
    stick.friendlyName = L"Kingfish Flash USB Device";
    stick.parent = kStickParent;
    machine.devices[kStickParent].status = 0x180A;
}

} // namespace velmora::fakes
