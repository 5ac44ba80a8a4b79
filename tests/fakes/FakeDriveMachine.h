#pragma once

#include "services/DeviceSetup.h"
#include "services/StorageControl.h"
#include "tests/fakes/HandleLedger.h"

#include <cstdint>
#include <deque>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace velmora::fakes {

// An in-memory machine for the storage and device-setup services: drive letters with their NT
// device names and drive types, volumes and interface paths with device numbers, device interfaces
// per class in enumeration order, device instances with status bits, friendly names, parents and
// eject replies. Every open file and device-information set goes through the ledger; every call
// is written to callLog; a close of something not open, or a use of a closed set or file, is
// written to misuse. Service calls may come from several threads at once.
class FakeDriveMachine final : public StorageControl, public DeviceSetup {
public:
    // What a path opens: a volume or a device interface.
    struct Volume {
        std::optional<std::uint32_t> deviceNumber; // nothing: the device-number request fails
        bool inUse = false;                        // lock requests are refused
        int unlockRefusals = 0;                    // the next unlock requests that are refused
    };
    struct Drive {
        std::vector<std::wstring> targets; // the DOS device's targets, first one first
        std::uint32_t driveType = DriveType::NoRootDirectory;
    };
    struct Interface {
        Guid interfaceClass;
        std::wstring devicePath;
        DevInst devInst = 0;
        std::optional<std::uint32_t> detailSize; // nothing: the size the path needs
        bool detailFails = false;
    };
    struct Device {
        std::uint32_t status = 0;
        std::uint32_t problem = 0;
        ConfigRet statusResult = Cr::Success;
        std::optional<std::wstring> friendlyName;
        std::uint32_t friendlyNameType = kRegSz;
        DevInst parent = 0;
        ConfigRet parentResult = Cr::Success;
    };
    struct EjectReply {
        ConfigRet result = Cr::Success;
        std::optional<std::uint32_t> vetoType; // nothing: the veto type is left as it was
        std::wstring vetoName;
    };

    // Maps letter to target with the given drive type, and opens "\\.\X:" as a volume with the
    // given device number.
    Volume& AddDrive(wchar_t letter, std::wstring target, std::uint32_t driveType,
                     std::optional<std::uint32_t> deviceNumber);
    // Adds a present interface of the class, last in enumeration order, whose path opens with the
    // given device number.
    Interface& AddInterface(const Guid& interfaceClass, std::wstring devicePath, DevInst devInst,
                            std::optional<std::uint32_t> deviceNumber);

    HandleLedger ledger;
    std::map<wchar_t, Drive> drives;
    std::map<std::wstring, Volume> volumes;
    std::vector<Interface> interfaces;
    std::map<DevInst, Device> devices;
    std::deque<EjectReply> ejectReplies; // consumed one per request; when empty, success
    bool setCreationFails = false;
    std::vector<DevInst> ejected;
    std::vector<std::wstring> callLog;
    std::vector<std::wstring> misuse;

    std::size_t CallCount(std::wstring_view prefix) const;

    // StorageControl
    std::size_t QueryDosTargets(std::wstring_view dosName, std::span<wchar_t> buffer) override;
    std::uint32_t DriveTypeOf(std::wstring_view rootPath) override;
    std::optional<FileToken> OpenFile(std::wstring_view path, FileAccess access) override;
    std::optional<StorageDeviceNumber> GetDeviceNumber(FileToken file) override;
    bool LockVolume(FileToken file) override;
    bool UnlockVolume(FileToken file) override;
    void CloseFile(FileToken file) override;

    // DeviceSetup
    std::optional<DeviceInfoSet> GetPresentInterfaces(const Guid& interfaceClass) override;
    void DestroyDeviceInfoList(DeviceInfoSet set) override;
    std::optional<DeviceInterface> EnumDeviceInterface(DeviceInfoSet set,
                                                       const Guid& interfaceClass,
                                                       std::uint32_t memberIndex) override;
    std::uint32_t DeviceInterfaceDetailSize(DeviceInfoSet set,
                                            const DeviceInterface& member) override;
    std::optional<DeviceInterfaceDetail>
    ReadDeviceInterfaceDetail(DeviceInfoSet set, const DeviceInterface& member,
                              std::span<std::byte> buffer) override;
    ConfigRet GetDevNodeStatus(std::uint32_t& status, std::uint32_t& problem,
                               DevInst devInst) override;
    ConfigRet GetDevNodeRegistryProperty(DevInst devInst, std::uint32_t property,
                                         std::uint32_t& dataType, std::span<std::byte> buffer,
                                         std::uint32_t& length) override;
    ConfigRet GetParent(DevInst& parent, DevInst devInst) override;
    ConfigRet RequestDeviceEject(DevInst devInst, std::uint32_t& vetoType,
                                 std::span<wchar_t> vetoName) override;

private:
    // Every service call holds it, so the scan thread and the window's thread may share a machine.
    std::recursive_mutex callLock;
    std::map<std::uintptr_t, std::wstring> openFiles;            // token to path
    std::map<std::uintptr_t, std::vector<std::size_t>> openSets; // token to interface indices

    Volume* VolumeOf(FileToken file, const wchar_t* call);
    const std::vector<std::size_t>* MembersOf(DeviceInfoSet set, const wchar_t* call);
    const Interface* InterfaceOf(DeviceInfoSet set, const DeviceInterface& member,
                                 const wchar_t* call);
};

} // namespace velmora::fakes
