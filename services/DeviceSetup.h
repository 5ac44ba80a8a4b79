#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace velmora {

// A GUID, field for field as the platform lays it out.
struct Guid {
    std::uint32_t data1 = 0;
    std::uint16_t data2 = 0;
    std::uint16_t data3 = 0;
    std::array<std::uint8_t, 8> data4{};

    friend bool operator==(const Guid&, const Guid&) = default;
};

// A device-information set (HDEVINFO) as the service handed it out; given back only through
// DestroyDeviceInfoList. A creation that fails yields no token.
enum class DeviceInfoSet : std::uintptr_t {};

// A device instance (DEVINST); 0 is none.
using DevInst = std::uint32_t;

// A configuration manager result (CONFIGRET).
using ConfigRet = std::uint32_t;

namespace Cr {
inline constexpr ConfigRet Success = 0x00;
inline constexpr ConfigRet InvalidDevNode = 0x05;
inline constexpr ConfigRet NoSuchValue = 0x25;
inline constexpr ConfigRet BufferSmall = 0x1A;
inline constexpr ConfigRet RemoveVetoed = 0x17;
} // namespace Cr

// PNP_VETO_TYPE values that the logic and the tests name.
namespace PnpVeto {
inline constexpr std::uint32_t TypeUnknown = 0;
inline constexpr std::uint32_t OutstandingOpen = 6;
} // namespace PnpVeto

// Registry data types and device properties that the logic names.
inline constexpr std::uint32_t kRegSz = 1;
inline constexpr std::uint32_t kCmDrpFriendlyName = 13;

// Device node status bits.
inline constexpr std::uint32_t kDnDisableable = 0x2000;
inline constexpr std::uint32_t kDnRemovable = 0x4000;

// SP_DEVICE_INTERFACE_DATA without its cbSize: what identifies one member of a set between calls.
struct DeviceInterface {
    Guid interfaceClass;
    std::uint32_t flags = 0;
    std::uintptr_t reserved = 0;
};

// What the second SetupDiGetDeviceInterfaceDetailW call gives: the detail record's DevicePath and
// the DevInst of the SP_DEVINFO_DATA passed with it.
struct DeviceInterfaceDetail {
    std::wstring devicePath;
    DevInst devInst = 0;
};

// Device installation (SetupDi...) and configuration manager (CM_...) calls for finding a drive's
// device and ejecting it. The caller owns every buffer and presets every in-out value.
class DeviceSetup {
public:
    // SetupDiGetClassDevsW(class, no enumerator, no window, DIGCF_PRESENT | DIGCF_DEVICEINTERFACE).
    // Nothing when the platform gives INVALID_HANDLE_VALUE.
    virtual std::optional<DeviceInfoSet> GetPresentInterfaces(const Guid& interfaceClass) = 0;

    // SetupDiDestroyDeviceInfoList.
    virtual void DestroyDeviceInfoList(DeviceInfoSet set) = 0;

    // SetupDiEnumDeviceInterfaces(set, no device filter, class, member index). Nothing when the
    // call fails (no more members).
    virtual std::optional<DeviceInterface> EnumDeviceInterface(DeviceInfoSet set,
                                                               const Guid& interfaceClass,
                                                               std::uint32_t memberIndex) = 0;

    // SetupDiGetDeviceInterfaceDetailW with no buffer and size 0: the required size in bytes, from
    // a variable preset to 0; the call's own result is not reported.
    virtual std::uint32_t DeviceInterfaceDetailSize(DeviceInfoSet set,
                                                    const DeviceInterface& member) = 0;

    // SetupDiGetDeviceInterfaceDetailW with buffer (its size is the size passed) as the detail
    // record, whose header cbSize the service sets, and a zero-filled SP_DEVINFO_DATA with its
    // cbSize. Nothing when the call fails or the path has no terminator inside the buffer.
    virtual std::optional<DeviceInterfaceDetail>
    ReadDeviceInterfaceDetail(DeviceInfoSet set, const DeviceInterface& member,
                              std::span<std::byte> buffer) = 0;

    // CM_Get_DevNode_Status(status, problem, device instance, flags 0).
    virtual ConfigRet GetDevNodeStatus(std::uint32_t& status, std::uint32_t& problem,
                                       DevInst devInst) = 0;

    // CM_Get_DevNode_Registry_PropertyW(device instance, property, data type, buffer, length,
    // flags 0); length is the buffer size in bytes on the way in.
    virtual ConfigRet GetDevNodeRegistryProperty(DevInst devInst, std::uint32_t property,
                                                 std::uint32_t& dataType,
                                                 std::span<std::byte> buffer,
                                                 std::uint32_t& length) = 0;

    // CM_Get_Parent(parent, device instance, flags 0).
    virtual ConfigRet GetParent(DevInst& parent, DevInst devInst) = 0;

    // CM_Request_Device_EjectW(device instance, veto type, veto name, its length in characters,
    // flags 0).
    virtual ConfigRet RequestDeviceEject(DevInst devInst, std::uint32_t& vetoType,
                                         std::span<wchar_t> vetoName) = 0;

protected:
    DeviceSetup() = default;
    ~DeviceSetup() = default;
    DeviceSetup(const DeviceSetup&) = delete;
    DeviceSetup& operator=(const DeviceSetup&) = delete;
};

} // namespace velmora
