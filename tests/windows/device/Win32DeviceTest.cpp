// The storage and device-setup adapters against the platform they run on. Wine gives its own
// answers (no Plug and Play disks, for one), so these tests assert what the program does with the
// answers and print every call with its result, prefixed "platform:", for the record.
#include "device/DeviceCommands.h"
#include "device/DeviceLocator.h"
#include "device/DriveLetterTable.h"
#include "device/InterfaceClass.h"
#include "device/QueryDeviceNumber.h"
#include "services/win32/Win32DeviceSetup.h"
#include "services/win32/Win32StorageControl.h"
#include "tests/fakes/HandleLedger.h"

// clang-format off
#include <windows.h>
#include <initguid.h>
#include <cfgmgr32.h>
#include <setupapi.h>
#include <winioctl.h>
#include "tests/windows/support/PlatformReport.h"

#include <gtest/gtest.h>
// clang-format on

#include <array>
#include <cstdio>
#include <cstring>
#include <map>
#include <optional>
#include <string>

namespace velmora::win32 {
namespace {

using fakes::Narrow;
using testing::Report;

// The real storage adapter, with every open file in a ledger and every call reported.
class RecordedStorage final : public StorageControl {
public:
    fakes::HandleLedger ledger;

    std::size_t QueryDosTargets(std::wstring_view dosName, std::span<wchar_t> buffer) override {
        const std::size_t stored = real.QueryDosTargets(dosName, buffer);
        Report("QueryDosDeviceW(" + Narrow(dosName) + ", " + std::to_string(buffer.size()) +
               ") = " + std::to_string(stored) +
               (stored != 0 ? " \"" + Narrow(buffer.data()) + "\""
                            : " error " + std::to_string(::GetLastError())));
        return stored;
    }
    std::uint32_t DriveTypeOf(std::wstring_view rootPath) override {
        const std::uint32_t type = real.DriveTypeOf(rootPath);
        Report("GetDriveTypeW(" + Narrow(rootPath) + ") = " + std::to_string(type));
        return type;
    }
    std::optional<FileToken> OpenFile(std::wstring_view path, FileAccess access) override {
        const auto file = real.OpenFile(path, access);
        Report("CreateFileW(" + Narrow(path) + (access == FileAccess::Read ? ", read" : ", none") +
               ") = " + (file ? "opened" : "failed, error " + std::to_string(::GetLastError())));
        if (file) {
            tokens[static_cast<std::uintptr_t>(*file)] = ledger.Open("file " + Narrow(path));
        }
        return file;
    }
    std::optional<StorageDeviceNumber> GetDeviceNumber(FileToken file) override {
        const auto number = real.GetDeviceNumber(file);
        Report("IOCTL_STORAGE_GET_DEVICE_NUMBER = " +
               (number ? "type " + std::to_string(number->deviceType) + " number " +
                             std::to_string(number->deviceNumber) + " partition " +
                             std::to_string(number->partitionNumber)
                       : "failed, error " + std::to_string(::GetLastError())));
        return number;
    }
    bool LockVolume(FileToken file) override {
        const bool locked = real.LockVolume(file);
        Report("FSCTL_LOCK_VOLUME = " + Outcome(locked));
        return locked;
    }
    bool UnlockVolume(FileToken file) override {
        const bool unlocked = real.UnlockVolume(file);
        Report("FSCTL_UNLOCK_VOLUME = " + Outcome(unlocked));
        return unlocked;
    }
    void CloseFile(FileToken file) override {
        EXPECT_TRUE(ledger.Close(tokens[static_cast<std::uintptr_t>(file)]));
        tokens.erase(static_cast<std::uintptr_t>(file));
        real.CloseFile(file);
    }

private:
    Win32StorageControl real;
    std::map<std::uintptr_t, std::uintptr_t> tokens;

    static std::string Outcome(bool succeeded) {
        return succeeded ? "succeeded" : "failed, error " + std::to_string(::GetLastError());
    }
};

// The real device-setup adapter, with every set in a ledger and every call reported.
class RecordedSetup final : public DeviceSetup {
public:
    fakes::HandleLedger ledger;

    std::optional<DeviceInfoSet> GetPresentInterfaces(const Guid& interfaceClass) override {
        const auto set = real.GetPresentInterfaces(interfaceClass);
        Report("SetupDiGetClassDevsW(" + std::to_string(interfaceClass.data1) + ") = " +
               (set ? "set" : "INVALID_HANDLE_VALUE, error " + std::to_string(::GetLastError())));
        if (set) {
            tokens[static_cast<std::uintptr_t>(*set)] = ledger.Open("device-information set");
        }
        return set;
    }
    void DestroyDeviceInfoList(DeviceInfoSet set) override {
        EXPECT_TRUE(ledger.Close(tokens[static_cast<std::uintptr_t>(set)]));
        tokens.erase(static_cast<std::uintptr_t>(set));
        real.DestroyDeviceInfoList(set);
    }
    std::optional<DeviceInterface> EnumDeviceInterface(DeviceInfoSet set,
                                                       const Guid& interfaceClass,
                                                       std::uint32_t memberIndex) override {
        const auto member = real.EnumDeviceInterface(set, interfaceClass, memberIndex);
        Report("SetupDiEnumDeviceInterfaces(" + std::to_string(memberIndex) +
               ") = " + (member ? "member" : "none, error " + std::to_string(::GetLastError())));
        return member;
    }
    std::uint32_t DeviceInterfaceDetailSize(DeviceInfoSet set,
                                            const DeviceInterface& member) override {
        const std::uint32_t size = real.DeviceInterfaceDetailSize(set, member);
        Report("SetupDiGetDeviceInterfaceDetailW(size) = " + std::to_string(size));
        return size;
    }
    std::optional<DeviceInterfaceDetail>
    ReadDeviceInterfaceDetail(DeviceInfoSet set, const DeviceInterface& member,
                              std::span<std::byte> buffer) override {
        const auto detail = real.ReadDeviceInterfaceDetail(set, member, buffer);
        Report("SetupDiGetDeviceInterfaceDetailW(" + std::to_string(buffer.size()) + ") = " +
               (detail ? "\"" + Narrow(detail->devicePath) + "\" DevInst " +
                             std::to_string(detail->devInst)
                       : "failed, error " + std::to_string(::GetLastError())));
        return detail;
    }
    ConfigRet GetDevNodeStatus(std::uint32_t& status, std::uint32_t& problem,
                               DevInst devInst) override {
        const ConfigRet result = real.GetDevNodeStatus(status, problem, devInst);
        Report("CM_Get_DevNode_Status(" + std::to_string(devInst) +
               ") = " + std::to_string(result) + " status " + std::to_string(status) + " problem " +
               std::to_string(problem));
        return result;
    }
    ConfigRet GetDevNodeRegistryProperty(DevInst devInst, std::uint32_t property,
                                         std::uint32_t& dataType, std::span<std::byte> buffer,
                                         std::uint32_t& length) override {
        const ConfigRet result =
            real.GetDevNodeRegistryProperty(devInst, property, dataType, buffer, length);
        Report("CM_Get_DevNode_Registry_PropertyW(" + std::to_string(devInst) + ", " +
               std::to_string(property) + ") = " + std::to_string(result) + " type " +
               std::to_string(dataType) + " length " + std::to_string(length));
        return result;
    }
    ConfigRet GetParent(DevInst& parent, DevInst devInst) override {
        const ConfigRet result = real.GetParent(parent, devInst);
        Report("CM_Get_Parent(" + std::to_string(devInst) + ") = " + std::to_string(result) +
               " parent " + std::to_string(parent));
        return result;
    }
    ConfigRet RequestDeviceEject(DevInst devInst, std::uint32_t& vetoType,
                                 std::span<wchar_t> vetoName) override {
        const ConfigRet result = real.RequestDeviceEject(devInst, vetoType, vetoName);
        Report("CM_Request_Device_EjectW(" + std::to_string(devInst) +
               ") = " + std::to_string(result) + " veto type " + std::to_string(vetoType));
        return result;
    }

private:
    Win32DeviceSetup real;
    std::map<std::uintptr_t, std::uintptr_t> tokens;
};

// A letter that the platform does not map, for the missing-drive cases.
std::optional<std::uint32_t> UnmappedLetterIndex() {
    for (std::uint32_t i = 25; i > 2; --i) {
        const wchar_t name[] = {static_cast<wchar_t>(L'A' + i), L':', L'\0'};
        wchar_t target[4096];
        if (::QueryDosDeviceW(name, target, 4096) == 0) {
            return i;
        }
    }
    return std::nullopt;
}

class Win32DeviceTest : public ::testing::Test {
protected:
    RecordedStorage storage;
    RecordedSetup setup;

    void TearDown() override {
        EXPECT_TRUE(storage.ledger.IsEmpty()) << storage.ledger.Describe();
        EXPECT_TRUE(setup.ledger.IsEmpty()) << setup.ledger.Describe();
    }
};

TEST(Win32DeviceRecords, InterfaceClassesAndRecordSizesAreThePlatformsOwn) {
    EXPECT_EQ(std::memcmp(&kGuidDevinterfaceDisk, &GUID_DEVINTERFACE_DISK, sizeof(GUID)), 0);
    EXPECT_EQ(std::memcmp(&kGuidDevinterfaceCdrom, &GUID_DEVINTERFACE_CDROM, sizeof(GUID)), 0);
    EXPECT_EQ(std::memcmp(&kGuidDevinterfaceFloppy, &GUID_DEVINTERFACE_FLOPPY, sizeof(GUID)), 0);
    Report("sizeof SP_DEVICE_INTERFACE_DATA " + std::to_string(sizeof(SP_DEVICE_INTERFACE_DATA)) +
           ", SP_DEVINFO_DATA " + std::to_string(sizeof(SP_DEVINFO_DATA)) +
           ", SP_DEVICE_INTERFACE_DETAIL_DATA_W " +
           std::to_string(sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W)));
#ifdef _WIN64
    EXPECT_EQ(sizeof(SP_DEVICE_INTERFACE_DATA), 32u);
    EXPECT_EQ(sizeof(SP_DEVINFO_DATA), 32u);
    EXPECT_EQ(sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W), 8u);
#else
    EXPECT_EQ(sizeof(SP_DEVICE_INTERFACE_DATA), 28u);
    EXPECT_EQ(sizeof(SP_DEVINFO_DATA), 28u);
    EXPECT_EQ(sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W), 6u);
#endif
}

TEST_F(Win32DeviceTest, RebuildHoldsThePlatformsFirstTargetOfEveryLetter) {
    DriveLetterTable table(storage);
    table.Rebuild();
    ASSERT_EQ(table.SlotCount(), 26u);
    for (wchar_t letter = L'A'; letter <= L'Z'; ++letter) {
        const wchar_t name[] = {letter, L':', L'\0'};
        wchar_t target[4096] = {};
        const bool mapped = ::QueryDosDeviceW(name, target, 4096) != 0;
        EXPECT_EQ(table.DeviceNameOf(letter), mapped ? std::wstring(target) : std::wstring())
            << Narrow(name);
    }
    EXPECT_FALSE(table.DeviceNameOf(L'C').empty()) << "the system drive is mapped";
    EXPECT_EQ(table.DeviceNameOf(L'c'), L"");
}

TEST_F(Win32DeviceTest, AMappingThatDoesNotFitItsBufferFails) {
    std::array<wchar_t, 4096> whole{};
    ASSERT_NE(storage.QueryDosTargets(L"C:", whole), 0u);
    const std::wstring name(whole.data());
    // Around the name's own length: either a failure, or the whole name with its terminator.
    for (std::size_t size = name.size() - 1; size <= name.size() + 2; ++size) {
        std::array<wchar_t, 4096> small{};
        const std::size_t stored = storage.QueryDosTargets(L"C:", std::span(small).first(size));
        EXPECT_LE(stored, size);
        if (stored != 0) {
            EXPECT_EQ(std::wstring(small.data()), name) << size;
        }
    }
    EXPECT_EQ(storage.QueryDosTargets(L"C:", std::span(whole).first(name.size())), 0u);
}

TEST_F(Win32DeviceTest, DeviceNumberOfTheSystemVolumeAndOfAMissingDrive) {
    const std::int32_t system = QueryDeviceNumber(storage, L"\\\\.\\C:");
    Report("QueryDeviceNumber(\\\\.\\C:) = " + std::to_string(system));
    EXPECT_GE(system, -1);

    const auto missing = UnmappedLetterIndex();
    ASSERT_TRUE(missing.has_value()) << "every letter is mapped";
    const std::wstring path =
        std::wstring(L"\\\\.\\") + static_cast<wchar_t>(L'A' + *missing) + L":";
    EXPECT_EQ(QueryDeviceNumber(storage, path), -1);
}

TEST_F(Win32DeviceTest, ResolveRunsThroughTheRealCallsAndLeavesNothingOpen) {
    DeviceLocator locator(storage, setup);
    const bool resolved = locator.Resolve(2);
    Report("Resolve(C) = " + std::string(resolved ? "true" : "false") + ", state " +
           std::to_string(static_cast<int>(locator.CurrentState())) + ", instance " +
           std::to_string(locator.DeviceInstance()));
    // The system drive is a fixed disk with a device number: it resolves among disk interfaces,
    // whether or not the platform lists one for it.
    ASSERT_TRUE(resolved);
    EXPECT_EQ(locator.InterfaceClass(), &kGuidDevinterfaceDisk);
    EXPECT_EQ(setup.ledger.OpenCount(), 1u);
    if (locator.DeviceInstance() != 0) {
        Report("friendly name \"" + Narrow(QueryFriendlyName(setup, locator.DeviceInstance())) +
               "\", required status " + (locator.HasRequiredStatus() ? "yes" : "no"));
    }

    const auto missing = UnmappedLetterIndex();
    ASSERT_TRUE(missing.has_value());
    EXPECT_FALSE(locator.Resolve(*missing));
    EXPECT_EQ(locator.CurrentState(), DeviceLocator::State::Cleared);
    EXPECT_TRUE(setup.ledger.IsEmpty()) << "a failing resolve gives back the earlier set";

    // Every letter in turn, as the device list's refresh resolves them: one set at a time.
    for (std::uint32_t index = 0; index < 26; ++index) {
        const bool letterResolved = locator.Resolve(index);
        EXPECT_LE(setup.ledger.OpenCount(), 1u);
        if (letterResolved) {
            Report(std::string(1, static_cast<char>('A' + index)) + ": resolves, instance " +
                   std::to_string(locator.DeviceInstance()));
        }
    }
    locator.Release();
    EXPECT_TRUE(setup.ledger.IsEmpty());
}

TEST_F(Win32DeviceTest, EnumeratesEveryClassAndAsksTheConfigurationManager) {
    for (const Guid* interfaceClass :
         {&kGuidDevinterfaceDisk, &kGuidDevinterfaceCdrom, &kGuidDevinterfaceFloppy}) {
        const auto set = setup.GetPresentInterfaces(*interfaceClass);
        ASSERT_TRUE(set.has_value());
        for (std::uint32_t index = 0; index < 64; ++index) {
            const auto member = setup.EnumDeviceInterface(*set, *interfaceClass, index);
            if (!member) {
                break;
            }
            EXPECT_EQ(member->interfaceClass, *interfaceClass);
            const std::uint32_t size = setup.DeviceInterfaceDetailSize(*set, *member);
            alignas(8) std::array<std::byte, 2048> buffer{};
            if (size != 0 && size <= buffer.size()) {
                const auto detail =
                    setup.ReadDeviceInterfaceDetail(*set, *member, std::span(buffer).first(size));
                if (detail) {
                    QueryDeviceNumber(storage, detail->devicePath);
                    std::uint32_t status = 0;
                    std::uint32_t problem = 0;
                    setup.GetDevNodeStatus(status, problem, detail->devInst);
                    DevInst parent = 0;
                    setup.GetParent(parent, detail->devInst);
                    QueryFriendlyName(setup, detail->devInst);
                }
            }
            // A detail record too small for its own header is refused before the platform call.
            EXPECT_FALSE(setup.ReadDeviceInterfaceDetail(*set, *member, std::span(buffer).first(2))
                             .has_value());
        }
        setup.DestroyDeviceInfoList(*set);
    }
}

TEST_F(Win32DeviceTest, AnInvalidDeviceInstanceHasNoParentAndNoFriendlyName) {
    constexpr DevInst kInvalid = 0x7FFFFFF0;
    DevInst parent = 0;
    EXPECT_NE(setup.GetParent(parent, kInvalid), Cr::Success);
    EXPECT_EQ(QueryFriendlyName(setup, kInvalid), L"");
    // Reported only: some platforms answer these for any instance.
    std::uint32_t status = 0;
    std::uint32_t problem = 0;
    setup.GetDevNodeStatus(status, problem, kInvalid);
    std::uint32_t vetoType = PnpVeto::TypeUnknown;
    std::array<wchar_t, 260> vetoName{};
    setup.RequestDeviceEject(kInvalid, vetoType, vetoName);
}

TEST_F(Win32DeviceTest, FlushOfTheSystemDriveAndOfAMissingDriveEndWithAStatus) {
    const FlushOutcome system = FlushDrive(storage, 2);
    Report("FlushDrive(C) = " + Narrow(StatusText(system)));
    EXPECT_EQ(FlushDrive(storage, *UnmappedLetterIndex()), FlushOutcome::Failed);
}

} // namespace
} // namespace velmora::win32
