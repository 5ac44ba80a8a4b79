#include "device/DeviceLocator.h"

#include "tests/unit/device/DeviceTestMachine.h"

#include <functional>
#include <string>

namespace velmora::fakes {
namespace {

using State = DeviceLocator::State;

struct ResolveCase {
    const char* name;
    std::function<void(FakeDriveMachine&)> arrange;
    bool resolved;
    State state;
    const Guid* interfaceClass;
};

void PrintTo(const ResolveCase& c, std::ostream* os) {
    *os << c.name;
}

void Drive(FakeDriveMachine& m, std::wstring target, std::uint32_t type) {
    m.AddDrive(L'E', std::move(target), type, kStickNumber);
}

void DriveWithInterface(FakeDriveMachine& m, std::wstring target, std::uint32_t type,
                        const Guid& interfaceClass) {
    Drive(m, std::move(target), type);
    m.AddInterface(interfaceClass, L"\\\\?\\member", kStick, kStickNumber);
}

const ResolveCase kResolveCases[] = {
    {"removable_disk", [](auto& m) { AddUsbStick(m); }, true, State::Resolved,
     &kGuidDevinterfaceDisk},
    {"removable_floppy",
     [](auto& m) {
         DriveWithInterface(m, L"\\Device\\Floppy0", DriveType::Removable, kGuidDevinterfaceFloppy);
     },
     true, State::Resolved, &kGuidDevinterfaceFloppy},
    {"floppy_in_other_capitals_is_a_disk",
     [](auto& m) {
         DriveWithInterface(m, L"\\Device\\FLOPPY0", DriveType::Removable, kGuidDevinterfaceFloppy);
     },
     true, State::ResolvedNoDevice, &kGuidDevinterfaceDisk},
    {"fixed_disk",
     [](auto& m) {
         DriveWithInterface(m, L"\\Device\\HarddiskVolume1", DriveType::Fixed,
                            kGuidDevinterfaceDisk);
     },
     true, State::Resolved, &kGuidDevinterfaceDisk},
    {"cdrom",
     [](auto& m) {
         DriveWithInterface(m, L"\\Device\\CdRom0", DriveType::CdRom, kGuidDevinterfaceCdrom);
     },
     true, State::Resolved, &kGuidDevinterfaceCdrom},
    {"no_matching_interface",
     [](auto& m) {
         Drive(m, L"\\Device\\HarddiskVolume9", DriveType::Removable);
         m.AddInterface(kGuidDevinterfaceDisk, L"\\\\?\\other", 0x10, kStickNumber + 1);
         m.AddInterface(kGuidDevinterfaceCdrom, L"\\\\?\\cd", 0x11, kStickNumber);
     },
     true, State::ResolvedNoDevice, &kGuidDevinterfaceDisk},
    {"remote", [](auto& m) { Drive(m, L"\\Device\\Mup", DriveType::Remote); }, false,
     State::Cleared, nullptr},
    {"ram_disk", [](auto& m) { Drive(m, L"\\Device\\Ram0", DriveType::RamDisk); }, false,
     State::Cleared, nullptr},
    {"no_root_directory", [](auto& m) { Drive(m, L"\\Device\\X", DriveType::NoRootDirectory); },
     false, State::Cleared, nullptr},
    {"unknown_type", [](auto& m) { Drive(m, L"\\Device\\X", DriveType::Unknown); }, false,
     State::Cleared, nullptr},
    {"no_drive", [](auto&) {}, false, State::Cleared, nullptr},
    {"volume_without_device_number",
     [](auto& m) {
         m.AddDrive(L'E', L"\\Device\\HarddiskVolume9", DriveType::Removable, std::nullopt);
     },
     false, State::Cleared, nullptr},
    {"target_fills_260_characters",
     [](auto& m) {
         DriveWithInterface(m, L"\\Device\\" + std::wstring(250, L'v'), DriveType::Fixed,
                            kGuidDevinterfaceDisk);
     },
     true, State::Resolved, &kGuidDevinterfaceDisk},
    {"target_longer_than_260_characters",
     [](auto& m) {
         DriveWithInterface(m, L"\\Device\\" + std::wstring(251, L'v'), DriveType::Fixed,
                            kGuidDevinterfaceDisk);
     },
     false, State::Cleared, nullptr},
    {"set_creation_fails",
     [](auto& m) {
         AddUsbStick(m);
         m.setCreationFails = true;
     },
     false, State::SetFailed, &kGuidDevinterfaceDisk},
};

class ResolveTest : public DeviceTest, public ::testing::WithParamInterface<ResolveCase> {};

TEST_P(ResolveTest, ChoosesTheClassByDriveTypeAndFindsTheDevice) {
    const auto& c = GetParam();
    c.arrange(machine);
    DeviceLocator locator(machine, machine);

    EXPECT_EQ(locator.Resolve(4), c.resolved);
    EXPECT_EQ(locator.CurrentState(), c.state);
    EXPECT_EQ(locator.InterfaceClass(), c.interfaceClass);
    EXPECT_EQ(locator.DeviceInstance(), c.state == State::Resolved ? kStick : 0u);
    EXPECT_EQ(machine.CallCount(L"GetPresentInterfaces"), c.interfaceClass != nullptr ? 1u : 0u);
    EXPECT_EQ(locator.RequiredStatus(), kDnDisableable);
    if (c.interfaceClass != nullptr) {
        EXPECT_EQ(machine.CallCount(L"QueryDosTargets E: 260"), 1u);
        EXPECT_EQ(machine.CallCount(L"DriveTypeOf E:\\"), 1u);
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, ResolveTest, ::testing::ValuesIn(kResolveCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(DeviceTest, WithoutADeviceInstanceStatusAndNameAskNothingOfThePlatform) {
    Drive(machine, L"\\Device\\HarddiskVolume9", DriveType::Removable);
    DeviceLocator locator(machine, machine);
    ASSERT_TRUE(locator.Resolve(4));
    ASSERT_EQ(locator.CurrentState(), State::ResolvedNoDevice);
    const auto callsBefore = machine.callLog.size();

    EXPECT_FALSE(locator.HasRequiredStatus());
    EXPECT_EQ(QueryFriendlyName(machine, locator.DeviceInstance()), L"");
    EXPECT_FALSE(locator.Eject(sleeper));
    EXPECT_EQ(machine.callLog.size(), callsBefore);
}

TEST_F(DeviceTest, FindDeviceInstancePassesOverUnreadableMembersAndTakesTheFirstMatch) {
    Drive(machine, L"\\Device\\HarddiskVolume9", DriveType::Fixed);
    const Guid& disk = kGuidDevinterfaceDisk;
    machine.AddInterface(disk, L"\\\\?\\size_zero", 1, kStickNumber).detailSize = 0;
    machine.AddInterface(disk, L"\\\\?\\too_large", 2, kStickNumber).detailSize = 2049;
    machine.AddInterface(disk, L"\\\\?\\unreadable", 3, kStickNumber).detailFails = true;
    machine.AddInterface(disk, L"\\\\?\\unopenable", 4, kStickNumber);
    machine.volumes.erase(L"\\\\?\\unopenable");
    machine.AddInterface(disk, L"\\\\?\\no_number", 5, std::nullopt);
    machine.AddInterface(disk, L"\\\\?\\other_disk", 6, kStickNumber + 1);
    machine.AddInterface(disk, L"\\\\?\\largest", 7, kStickNumber).detailSize = 2048;
    machine.AddInterface(disk, L"\\\\?\\second_match", 8, kStickNumber);

    DeviceLocator locator(machine, machine);
    ASSERT_TRUE(locator.Resolve(4));
    EXPECT_EQ(locator.DeviceInstance(), 7u);
    // The detail is read with the size the platform asked for, at most 2048 bytes.
    EXPECT_EQ(machine.CallCount(L"ReadDeviceInterfaceDetail 2048"), 1u);
    EXPECT_EQ(machine.CallCount(L"ReadDeviceInterfaceDetail"), 5u);
    EXPECT_EQ(machine.CallCount(L"EnumDeviceInterface 7"), 0u) << "stops at the first match";
}

TEST_F(DeviceTest, ResolvingAnIndexAbove25LeavesAResolvedLocatorAsItWas) {
    AddUsbStick(machine);
    DeviceLocator locator(machine, machine);
    ASSERT_TRUE(locator.Resolve(4));
    const auto callsBefore = machine.callLog.size();

    EXPECT_FALSE(locator.Resolve(26));
    EXPECT_FALSE(locator.Resolve(0xFFFFFFFFu));
    EXPECT_EQ(locator.CurrentState(), State::Resolved);
    EXPECT_EQ(locator.DeviceInstance(), kStick);
    EXPECT_EQ(machine.callLog.size(), callsBefore);
    EXPECT_EQ(machine.ledger.OpenCount(), 1u) << "the set is still held";
}

TEST_F(DeviceTest, AFailingResolveAfterAGoodOneGivesBackTheEarlierSet) {
    AddUsbStick(machine);
    DeviceLocator locator(machine, machine);
    ASSERT_TRUE(locator.Resolve(4));
    ASSERT_EQ(machine.ledger.OpenCount(), 1u);

    EXPECT_FALSE(locator.Resolve(5)); // F: is not mapped
    EXPECT_EQ(locator.CurrentState(), State::Cleared);
    EXPECT_EQ(locator.DeviceInstance(), 0u);
    EXPECT_EQ(locator.InterfaceClass(), nullptr);
    EXPECT_EQ(machine.CallCount(L"DestroyDeviceInfoList"), 1u);
    EXPECT_TRUE(machine.ledger.IsEmpty());
}

TEST_F(DeviceTest, AFailedSetCreationIsReplacedWithoutBeingDestroyed) {
    AddUsbStick(machine);
    machine.setCreationFails = true;
    DeviceLocator locator(machine, machine);
    ASSERT_FALSE(locator.Resolve(4));
    ASSERT_EQ(locator.CurrentState(), State::SetFailed);

    machine.setCreationFails = false;
    EXPECT_TRUE(locator.Resolve(4));
    EXPECT_EQ(locator.CurrentState(), State::Resolved);
    locator.Release();
    EXPECT_EQ(locator.CurrentState(), State::Cleared);
    EXPECT_EQ(machine.CallCount(L"DestroyDeviceInfoList"), 1u);
}

struct StatusCase {
    const char* name;
    std::uint32_t status;
    ConfigRet result;
    bool expected;
};

void PrintTo(const StatusCase& c, std::ostream* os) {
    *os << c.name;
}

class HasRequiredStatusTest : public DeviceTest,
                              public ::testing::WithParamInterface<StatusCase> {};

TEST_P(HasRequiredStatusTest, NeedsTheDisableableBit) {
    const auto& c = GetParam();
    AddUsbStick(machine);
    machine.devices[kStick].status = c.status;
    machine.devices[kStick].statusResult = c.result;
    DeviceLocator locator(machine, machine);
    ASSERT_TRUE(locator.Resolve(4));
    EXPECT_EQ(locator.HasRequiredStatus(), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, HasRequiredStatusTest,
    ::testing::Values(StatusCase{"disableable", 0x2000, Cr::Success, true},
                      StatusCase{"disableable_and_removable", 0x601A, Cr::Success, true},
                      StatusCase{"removable_only", 0x4000, Cr::Success, false},
                      StatusCase{"neither", 0x180A, Cr::Success, false},
                      StatusCase{"status_call_fails", 0x2000, Cr::InvalidDevNode, false}),
    [](const auto& info) { return std::string(info.param.name); });

struct NameCase {
    const char* name;
    std::optional<std::wstring> stored;
    std::uint32_t dataType;
    std::wstring expected;
};

void PrintTo(const NameCase& c, std::ostream* os) {
    *os << c.name;
}

class QueryFriendlyNameTest : public DeviceTest, public ::testing::WithParamInterface<NameCase> {};

TEST_P(QueryFriendlyNameTest, ReadsOnlyPlainStringsThatFit) {
    const auto& c = GetParam();
    machine.devices[kStick].friendlyName = c.stored;
    machine.devices[kStick].friendlyNameType = c.dataType;
    EXPECT_EQ(QueryFriendlyName(machine, kStick), c.expected);
    const std::wstring bufferBytes = std::to_wstring(2048 * sizeof(wchar_t));
    EXPECT_EQ(machine.CallCount(L"GetDevNodeRegistryProperty 66 13 " + bufferBytes), 1u);
}

INSTANTIATE_TEST_SUITE_P(Cases, QueryFriendlyNameTest,
                         ::testing::Values(NameCase{"plain_string", L"Kingfish Flash USB Device",
                                                    kRegSz, L"Kingfish Flash USB Device"},
                                           NameCase{"empty_string", L"", kRegSz, L""},
                                           NameCase{"multi_string", L"Kingfish", 7, L""},
                                           NameCase{"expandable_string", L"Kingfish", 2, L""},
                                           NameCase{"fills_2048_characters",
                                                    std::wstring(2047, L'k'), kRegSz,
                                                    std::wstring(2047, L'k')},
                                           NameCase{"longer_than_2048_characters",
                                                    std::wstring(2048, L'k'), kRegSz, L""},
                                           NameCase{"missing", std::nullopt, kRegSz, L""}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(DeviceTest, FriendlyNameOfDeviceInstanceZeroAsksNothing) {
    EXPECT_EQ(QueryFriendlyName(machine, 0), L"");
    EXPECT_TRUE(machine.callLog.empty());
}

} // namespace
} // namespace velmora::fakes
