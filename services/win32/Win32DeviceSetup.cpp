#include "services/win32/Win32DeviceSetup.h"

#include "device/BoundedText.h"

// clang-format off
#include <windows.h>
#include <cfgmgr32.h>
#include <setupapi.h>
// clang-format on

#include <algorithm>
#include <cstddef>
#include <iterator>

namespace velmora::win32 {

namespace {

static_assert(sizeof(Guid) == sizeof(GUID));
static_assert((DIGCF_PRESENT | DIGCF_DEVICEINTERFACE) == 0x12);
static_assert(CR_SUCCESS == Cr::Success && CR_BUFFER_SMALL == Cr::BufferSmall);
static_assert(CM_DRP_FRIENDLYNAME == kCmDrpFriendlyName && REG_SZ == kRegSz);
static_assert(DN_DISABLEABLE == kDnDisableable && DN_REMOVABLE == kDnRemovable);
static_assert(PNP_VetoTypeUnknown == PnpVeto::TypeUnknown);

HDEVINFO SetOf(DeviceInfoSet set) {
    return reinterpret_cast<HDEVINFO>(static_cast<std::uintptr_t>(set));
}

GUID PlatformGuid(const Guid& guid) {
    GUID platform{guid.data1, guid.data2, guid.data3, {}};
    std::copy(guid.data4.begin(), guid.data4.end(), platform.Data4);
    return platform;
}

Guid PortableGuid(const GUID& platform) {
    Guid guid{platform.Data1, platform.Data2, platform.Data3, {}};
    std::copy(std::begin(platform.Data4), std::end(platform.Data4), guid.data4.begin());
    return guid;
}

SP_DEVICE_INTERFACE_DATA PlatformInterface(const DeviceInterface& member) {
    SP_DEVICE_INTERFACE_DATA data{};
    data.cbSize = sizeof(data);
    data.InterfaceClassGuid = PlatformGuid(member.interfaceClass);
    data.Flags = member.flags;
    data.Reserved = member.reserved;
    return data;
}

} // namespace

std::optional<DeviceInfoSet> Win32DeviceSetup::GetPresentInterfaces(const Guid& interfaceClass) {
    const GUID platformClass = PlatformGuid(interfaceClass);
    const HDEVINFO set = ::SetupDiGetClassDevsW(&platformClass, nullptr, nullptr,
                                                DIGCF_PRESENT | DIGCF_DEVICEINTERFACE);
    if (set == INVALID_HANDLE_VALUE) {
        return std::nullopt;
    }
    return DeviceInfoSet{reinterpret_cast<std::uintptr_t>(set)};
}

void Win32DeviceSetup::DestroyDeviceInfoList(DeviceInfoSet set) {
    ::SetupDiDestroyDeviceInfoList(SetOf(set));
}

std::optional<DeviceInterface> Win32DeviceSetup::EnumDeviceInterface(DeviceInfoSet set,
                                                                     const Guid& interfaceClass,
                                                                     std::uint32_t memberIndex) {
    const GUID platformClass = PlatformGuid(interfaceClass);
    SP_DEVICE_INTERFACE_DATA data{};
    data.cbSize = sizeof(data);
    if (!::SetupDiEnumDeviceInterfaces(SetOf(set), nullptr, &platformClass, memberIndex, &data)) {
        return std::nullopt;
    }
    return DeviceInterface{PortableGuid(data.InterfaceClassGuid), data.Flags, data.Reserved};
}

std::uint32_t Win32DeviceSetup::DeviceInterfaceDetailSize(DeviceInfoSet set,
                                                          const DeviceInterface& member) {
    SP_DEVICE_INTERFACE_DATA data = PlatformInterface(member);
    DWORD required = 0;
    ::SetupDiGetDeviceInterfaceDetailW(SetOf(set), &data, nullptr, 0, &required, nullptr);
    return required;
}

std::optional<DeviceInterfaceDetail>
Win32DeviceSetup::ReadDeviceInterfaceDetail(DeviceInfoSet set, const DeviceInterface& member,
                                            std::span<std::byte> buffer) {
    using Detail = SP_DEVICE_INTERFACE_DETAIL_DATA_W;
    // The record must fit and be aligned as the platform lays it out before it is written.
    if (buffer.size() < sizeof(Detail) || buffer.size() > MAXDWORD ||
        reinterpret_cast<std::uintptr_t>(buffer.data()) % alignof(Detail) != 0) {
        return std::nullopt;
    }
    auto* detail = reinterpret_cast<Detail*>(buffer.data());
    detail->cbSize = sizeof(Detail);
    SP_DEVINFO_DATA info{};
    info.cbSize = sizeof(info);
    SP_DEVICE_INTERFACE_DATA data = PlatformInterface(member);
    if (!::SetupDiGetDeviceInterfaceDetailW(SetOf(set), &data, detail,
                                            static_cast<DWORD>(buffer.size()), nullptr, &info)) {
        return std::nullopt;
    }
    const std::size_t pathChars =
        (buffer.size() - offsetof(Detail, DevicePath)) / sizeof(detail->DevicePath[0]);
    auto path = TerminatedText(std::span<const wchar_t>(detail->DevicePath, pathChars));
    if (!path) {
        return std::nullopt;
    }
    return DeviceInterfaceDetail{std::move(*path), info.DevInst};
}

ConfigRet Win32DeviceSetup::GetDevNodeStatus(std::uint32_t& status, std::uint32_t& problem,
                                             DevInst devInst) {
    ULONG platformStatus = status;
    ULONG platformProblem = problem;
    const CONFIGRET result = ::CM_Get_DevNode_Status(&platformStatus, &platformProblem, devInst, 0);
    status = platformStatus;
    problem = platformProblem;
    return result;
}

ConfigRet Win32DeviceSetup::GetDevNodeRegistryProperty(DevInst devInst, std::uint32_t property,
                                                       std::uint32_t& dataType,
                                                       std::span<std::byte> buffer,
                                                       std::uint32_t& length) {
    ULONG platformType = dataType;
    // Never announce more room than the buffer has.
    ULONG platformLength = static_cast<ULONG>(std::min<std::size_t>(length, buffer.size()));
    const CONFIGRET result = ::CM_Get_DevNode_Registry_PropertyW(devInst, property, &platformType,
                                                                 buffer.data(), &platformLength, 0);
    dataType = platformType;
    length = platformLength;
    return result;
}

ConfigRet Win32DeviceSetup::GetParent(DevInst& parent, DevInst devInst) {
    DEVINST platformParent = parent;
    const CONFIGRET result = ::CM_Get_Parent(&platformParent, devInst, 0);
    parent = platformParent;
    return result;
}

ConfigRet Win32DeviceSetup::RequestDeviceEject(DevInst devInst, std::uint32_t& vetoType,
                                               std::span<wchar_t> vetoName) {
    auto platformType = static_cast<PNP_VETO_TYPE>(vetoType);
    const CONFIGRET result = ::CM_Request_Device_EjectW(
        devInst, &platformType, vetoName.empty() ? nullptr : vetoName.data(),
        static_cast<ULONG>(std::min<std::size_t>(vetoName.size(), MAXDWORD)), 0);
    vetoType = static_cast<std::uint32_t>(platformType);
    return result;
}

} // namespace velmora::win32
