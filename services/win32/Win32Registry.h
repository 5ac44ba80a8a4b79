#pragma once

#include "services/Registry.h"

namespace velmora::win32 {

// The current user's registry through the Win32 registry calls.
class Win32Registry final : public Registry {
public:
    Win32Registry() = default;

    std::optional<RegistryKey> CreateUserKey(std::wstring_view path) override;
    std::optional<RegistryValue> ReadValue(RegistryKey key, std::wstring_view name,
                                           std::span<std::byte> buffer) override;
    bool WriteValue(RegistryKey key, std::wstring_view name, std::uint32_t type,
                    std::span<const std::byte> data) override;
    void CloseKey(RegistryKey key) override;
};

} // namespace velmora::win32
