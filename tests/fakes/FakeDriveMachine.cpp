#include "tests/fakes/FakeDriveMachine.h"

#include "device/DriveName.h"
#include "tests/fakes/NarrowText.h"

#include <algorithm>
#include <cstring>

namespace velmora::fakes {

namespace {

std::wstring Number(std::uintmax_t value) {
    return std::to_wstring(value);
}

// Writes a terminated text into a buffer, cut to fit.
void WriteText(std::wstring_view text, std::span<wchar_t> buffer) {
    if (buffer.empty()) {
        return;
    }
    const std::size_t count = std::min(text.size(), buffer.size() - 1);
    std::copy_n(text.begin(), count, buffer.begin());
    buffer[count] = L'\0';
}

} // namespace

FakeDriveMachine::Volume& FakeDriveMachine::AddDrive(wchar_t letter, std::wstring target,
                                                     std::uint32_t driveType,
                                                     std::optional<std::uint32_t> deviceNumber) {
    drives[letter] = Drive{{std::move(target)}, driveType};
    Volume& volume = volumes[VolumePathOf(static_cast<std::uint32_t>(letter - L'A'))];
    volume.deviceNumber = deviceNumber;
    return volume;
}

FakeDriveMachine::Interface&
FakeDriveMachine::AddInterface(const Guid& interfaceClass, std::wstring devicePath, DevInst devInst,
                               std::optional<std::uint32_t> deviceNumber) {
    volumes[devicePath].deviceNumber = deviceNumber;
    return interfaces.emplace_back(Interface{interfaceClass, std::move(devicePath), devInst, {}});
}

std::size_t FakeDriveMachine::CallCount(std::wstring_view prefix) const {
    return static_cast<std::size_t>(
        std::count_if(callLog.begin(), callLog.end(), [&](const std::wstring& call) {
            return std::wstring_view(call).substr(0, prefix.size()) == prefix;
        }));
}

std::size_t FakeDriveMachine::QueryDosTargets(std::wstring_view dosName,
                                              std::span<wchar_t> buffer) {
    const std::lock_guard hold(callLock);
    callLog.push_back(L"QueryDosTargets " + std::wstring(dosName) + L" " + Number(buffer.size()));
    if (dosName.size() != 2 || dosName[1] != L':') {
        return 0;
    }
    const auto drive = drives.find(dosName[0]);
    if (drive == drives.end() || drive->second.targets.empty()) {
        return 0;
    }
    // A list of terminated names and one more terminator; a list that does not fit fails.
    std::size_t required = 1;
    for (const auto& target : drive->second.targets) {
        required += target.size() + 1;
    }
    if (required > buffer.size()) {
        return 0;
    }
    std::size_t at = 0;
    for (const auto& target : drive->second.targets) {
        std::copy(target.begin(), target.end(), buffer.begin() + static_cast<std::ptrdiff_t>(at));
        at += target.size();
        buffer[at++] = L'\0';
    }
    buffer[at++] = L'\0';
    return at;
}

std::uint32_t FakeDriveMachine::DriveTypeOf(std::wstring_view rootPath) {
    const std::lock_guard hold(callLock);
    callLog.push_back(L"DriveTypeOf " + std::wstring(rootPath));
    if (rootPath.size() != 3 || rootPath.substr(1) != L":\\") {
        return DriveType::NoRootDirectory;
    }
    const auto drive = drives.find(rootPath[0]);
    return drive == drives.end() ? DriveType::NoRootDirectory : drive->second.driveType;
}

std::optional<FileToken> FakeDriveMachine::OpenFile(std::wstring_view path, FileAccess access) {
    const std::lock_guard hold(callLock);
    callLog.push_back(L"OpenFile " + std::wstring(path) +
                      (access == FileAccess::Read ? L" read" : L" none"));
    if (volumes.count(std::wstring(path)) == 0) {
        return std::nullopt;
    }
    const std::uintptr_t token = ledger.Open("file " + Narrow(path));
    openFiles.emplace(token, std::wstring(path));
    return FileToken{token};
}

FakeDriveMachine::Volume* FakeDriveMachine::VolumeOf(FileToken file, const wchar_t* call) {
    const auto open = openFiles.find(static_cast<std::uintptr_t>(file));
    if (open == openFiles.end()) {
        misuse.push_back(std::wstring(call) + L" on a file that is not open");
        return nullptr;
    }
    return &volumes.at(open->second);
}

std::optional<StorageDeviceNumber> FakeDriveMachine::GetDeviceNumber(FileToken file) {
    const std::lock_guard hold(callLock);
    callLog.push_back(L"GetDeviceNumber");
    const Volume* volume = VolumeOf(file, L"GetDeviceNumber");
    if (volume == nullptr || !volume->deviceNumber) {
        return std::nullopt;
    }
    return StorageDeviceNumber{7, *volume->deviceNumber, 1};
}

bool FakeDriveMachine::LockVolume(FileToken file) {
    const std::lock_guard hold(callLock);
    callLog.push_back(L"LockVolume");
    const Volume* volume = VolumeOf(file, L"LockVolume");
    return volume != nullptr && !volume->inUse;
}

bool FakeDriveMachine::UnlockVolume(FileToken file) {
    const std::lock_guard hold(callLock);
    callLog.push_back(L"UnlockVolume");
    Volume* volume = VolumeOf(file, L"UnlockVolume");
    if (volume == nullptr) {
        return false;
    }
    if (volume->unlockRefusals > 0) {
        --volume->unlockRefusals;
        return false;
    }
    return true;
}

void FakeDriveMachine::CloseFile(FileToken file) {
    const std::lock_guard hold(callLock);
    callLog.push_back(L"CloseFile");
    const auto token = static_cast<std::uintptr_t>(file);
    if (!ledger.Close(token)) {
        misuse.push_back(L"CloseFile of a file that is not open");
    }
    openFiles.erase(token);
}

std::optional<DeviceInfoSet> FakeDriveMachine::GetPresentInterfaces(const Guid& interfaceClass) {
    const std::lock_guard hold(callLock);
    callLog.push_back(L"GetPresentInterfaces");
    if (setCreationFails) {
        return std::nullopt;
    }
    std::vector<std::size_t> members;
    for (std::size_t i = 0; i < interfaces.size(); ++i) {
        if (interfaces[i].interfaceClass == interfaceClass) {
            members.push_back(i);
        }
    }
    const std::uintptr_t token = ledger.Open("device-information set");
    openSets.emplace(token, std::move(members));
    return DeviceInfoSet{token};
}

void FakeDriveMachine::DestroyDeviceInfoList(DeviceInfoSet set) {
    const std::lock_guard hold(callLock);
    callLog.push_back(L"DestroyDeviceInfoList");
    const auto token = static_cast<std::uintptr_t>(set);
    if (!ledger.Close(token)) {
        misuse.push_back(L"DestroyDeviceInfoList of a set that is not open");
    }
    openSets.erase(token);
}

const std::vector<std::size_t>* FakeDriveMachine::MembersOf(DeviceInfoSet set,
                                                            const wchar_t* call) {
    const auto open = openSets.find(static_cast<std::uintptr_t>(set));
    if (open == openSets.end()) {
        misuse.push_back(std::wstring(call) + L" on a set that is not open");
        return nullptr;
    }
    return &open->second;
}

std::optional<DeviceInterface> FakeDriveMachine::EnumDeviceInterface(DeviceInfoSet set,
                                                                     const Guid& interfaceClass,
                                                                     std::uint32_t memberIndex) {
    const std::lock_guard hold(callLock);
    callLog.push_back(L"EnumDeviceInterface " + Number(memberIndex));
    const auto* members = MembersOf(set, L"EnumDeviceInterface");
    if (members == nullptr || memberIndex >= members->size()) {
        return std::nullopt;
    }
    const std::size_t index = (*members)[memberIndex];
    if (!(interfaces[index].interfaceClass == interfaceClass)) {
        return std::nullopt;
    }
    // The reserved field names the interface, as the platform's names its internal record.
    return DeviceInterface{interfaceClass, 1, index + 1};
}

const FakeDriveMachine::Interface* FakeDriveMachine::InterfaceOf(DeviceInfoSet set,
                                                                 const DeviceInterface& member,
                                                                 const wchar_t* call) {
    if (MembersOf(set, call) == nullptr) {
        return nullptr;
    }
    if (member.reserved == 0 || member.reserved > interfaces.size()) {
        misuse.push_back(std::wstring(call) + L" with a member the set did not give");
        return nullptr;
    }
    return &interfaces[member.reserved - 1];
}

std::uint32_t FakeDriveMachine::DeviceInterfaceDetailSize(DeviceInfoSet set,
                                                          const DeviceInterface& member) {
    const std::lock_guard hold(callLock);
    callLog.push_back(L"DeviceInterfaceDetailSize");
    const Interface* iface = InterfaceOf(set, member, L"DeviceInterfaceDetailSize");
    if (iface == nullptr) {
        return 0;
    }
    // The record's header is its 4-byte cbSize; the path follows with its terminator.
    return iface->detailSize.value_or(
        static_cast<std::uint32_t>(4 + (iface->devicePath.size() + 1) * sizeof(wchar_t)));
}

std::optional<DeviceInterfaceDetail>
FakeDriveMachine::ReadDeviceInterfaceDetail(DeviceInfoSet set, const DeviceInterface& member,
                                            std::span<std::byte> buffer) {
    const std::lock_guard hold(callLock);
    callLog.push_back(L"ReadDeviceInterfaceDetail " + Number(buffer.size()));
    const Interface* iface = InterfaceOf(set, member, L"ReadDeviceInterfaceDetail");
    if (iface == nullptr || iface->detailFails ||
        buffer.size() < 4 + (iface->devicePath.size() + 1) * sizeof(wchar_t)) {
        return std::nullopt;
    }
    return DeviceInterfaceDetail{iface->devicePath, iface->devInst};
}

ConfigRet FakeDriveMachine::GetDevNodeStatus(std::uint32_t& status, std::uint32_t& problem,
                                             DevInst devInst) {
    const std::lock_guard hold(callLock);
    callLog.push_back(L"GetDevNodeStatus " + Number(devInst));
    const auto device = devices.find(devInst);
    if (device == devices.end()) {
        return Cr::InvalidDevNode;
    }
    if (device->second.statusResult == Cr::Success) {
        status = device->second.status;
        problem = device->second.problem;
    }
    return device->second.statusResult;
}

ConfigRet FakeDriveMachine::GetDevNodeRegistryProperty(DevInst devInst, std::uint32_t property,
                                                       std::uint32_t& dataType,
                                                       std::span<std::byte> buffer,
                                                       std::uint32_t& length) {
    const std::lock_guard hold(callLock);
    callLog.push_back(L"GetDevNodeRegistryProperty " + Number(devInst) + L" " + Number(property) +
                      L" " + Number(length));
    const auto device = devices.find(devInst);
    if (device == devices.end()) {
        return Cr::InvalidDevNode;
    }
    if (property != kCmDrpFriendlyName || !device->second.friendlyName) {
        return Cr::NoSuchValue;
    }
    const std::wstring& name = *device->second.friendlyName;
    const std::size_t needed = (name.size() + 1) * sizeof(wchar_t);
    dataType = device->second.friendlyNameType;
    if (needed > length || needed > buffer.size()) {
        length = static_cast<std::uint32_t>(needed);
        return Cr::BufferSmall;
    }
    std::memcpy(buffer.data(), name.c_str(), needed);
    length = static_cast<std::uint32_t>(needed);
    return Cr::Success;
}

ConfigRet FakeDriveMachine::GetParent(DevInst& parent, DevInst devInst) {
    const std::lock_guard hold(callLock);
    callLog.push_back(L"GetParent " + Number(devInst));
    const auto device = devices.find(devInst);
    if (device == devices.end()) {
        return Cr::InvalidDevNode;
    }
    if (device->second.parentResult == Cr::Success) {
        parent = device->second.parent;
    }
    return device->second.parentResult;
}

ConfigRet FakeDriveMachine::RequestDeviceEject(DevInst devInst, std::uint32_t& vetoType,
                                               std::span<wchar_t> vetoName) {
    const std::lock_guard hold(callLock);
    callLog.push_back(L"RequestDeviceEject " + Number(devInst) + L" " + Number(vetoName.size()));
    if (devices.count(devInst) == 0) {
        return Cr::InvalidDevNode;
    }
    EjectReply reply;
    if (!ejectReplies.empty()) {
        reply = ejectReplies.front();
        ejectReplies.pop_front();
    }
    if (reply.vetoType) {
        vetoType = *reply.vetoType;
    }
    if (!reply.vetoName.empty()) {
        WriteText(reply.vetoName, vetoName);
    }
    if (reply.result == Cr::Success && (!reply.vetoType || *reply.vetoType == 0)) {
        ejected.push_back(devInst);
    }
    return reply.result;
}

} // namespace velmora::fakes
