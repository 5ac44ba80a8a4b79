#pragma once

#include "services/DeviceSetup.h"

namespace velmora::win32 {

// Device installation and configuration manager calls over setupapi and cfgmgr32. The records'
// cbSize values are the platform's own sizes for the word size that is built.
class Win32DeviceSetup final : public DeviceSetup {
public:
    Win32DeviceSetup() = default;

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
};

} // namespace velmora::win32
