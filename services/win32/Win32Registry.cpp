#include "services/win32/Win32Registry.h"

#include <algorithm>
#include <limits>
#include <string>
#include <windows.h>

namespace velmora::win32 {
namespace {

static_assert(REG_SZ == RegistryType::String && REG_EXPAND_SZ == RegistryType::ExpandString &&
              REG_BINARY == RegistryType::Binary && REG_DWORD == RegistryType::Dword &&
              REG_QWORD == RegistryType::Qword);
static_assert((KEY_READ | KEY_WRITE) == 0x2001F);

HKEY KeyOf(RegistryKey key) {
    return reinterpret_cast<HKEY>(static_cast<std::uintptr_t>(key));
}

constexpr std::size_t kLargestData = std::numeric_limits<DWORD>::max();

} // namespace

std::optional<RegistryKey> Win32Registry::CreateUserKey(std::wstring_view path) {
    const std::wstring subKey(path);
    HKEY opened = nullptr;
    if (::RegCreateKeyExW(HKEY_CURRENT_USER, subKey.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                          KEY_READ | KEY_WRITE, nullptr, &opened, nullptr) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    return RegistryKey{reinterpret_cast<std::uintptr_t>(opened)};
}

std::optional<RegistryValue> Win32Registry::ReadValue(RegistryKey key, std::wstring_view name,
                                                      std::span<std::byte> buffer) {
    const std::wstring valueName(name);
    DWORD type = 0;
    // A buffer beyond what the call can describe is offered only as far as it can.
    DWORD size = static_cast<DWORD>(std::min(buffer.size(), kLargestData));
    const LSTATUS status = ::RegQueryValueExW(KeyOf(key), valueName.c_str(), nullptr, &type,
                                              reinterpret_cast<BYTE*>(buffer.data()), &size);
    // With an empty buffer the call only measures the value and still succeeds: the size it gives
    // back is then more than the buffer holds, and nothing was read.
    if (status != ERROR_SUCCESS || size > buffer.size()) {
        return std::nullopt;
    }
    return RegistryValue{type, size};
}

bool Win32Registry::WriteValue(RegistryKey key, std::wstring_view name, std::uint32_t type,
                               std::span<const std::byte> data) {
    if (data.size() > kLargestData) {
        return false;
    }
    const std::wstring valueName(name);
    return ::RegSetValueExW(KeyOf(key), valueName.c_str(), 0, type,
                            reinterpret_cast<const BYTE*>(data.data()),
                            static_cast<DWORD>(data.size())) == ERROR_SUCCESS;
}

void Win32Registry::CloseKey(RegistryKey key) {
    ::RegCloseKey(KeyOf(key));
}

} // namespace velmora::win32
