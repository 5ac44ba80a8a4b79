#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace velmora {

// An open key as the registry service handed it out. Only CloseKey gives it back; a creation that
// fails yields no token.
enum class RegistryKey : std::uintptr_t {};

// Registry data types (REG_*) by their platform numbers; any other type passes through unchanged.
namespace RegistryType {
inline constexpr std::uint32_t String = 1;       // REG_SZ
inline constexpr std::uint32_t ExpandString = 2; // REG_EXPAND_SZ
inline constexpr std::uint32_t Binary = 3;       // REG_BINARY
inline constexpr std::uint32_t Dword = 4;        // REG_DWORD, little-endian
inline constexpr std::uint32_t Qword = 11;       // REG_QWORD
} // namespace RegistryType

// What a read stored in the caller's buffer: the value's type and the number of bytes written.
struct RegistryValue {
    std::uint32_t type = 0;
    std::size_t size = 0;
};

// The current user's part of the registry: keys by path, and typed values inside them as the
// registry stores them, byte for byte. Buffers are the caller's, so the limits are decided where
// the logic is.
class Registry {
public:
    // Opens the key at path under HKEY_CURRENT_USER for reading and writing, creating it and any
    // missing keys above it. Nothing when it can be neither opened nor created.
    virtual std::optional<RegistryKey> CreateUserKey(std::wstring_view path) = 0;

    // Copies the named value's data into buffer. Nothing when the value is missing, when its data
    // does not fit the buffer, or when it cannot be read.
    virtual std::optional<RegistryValue> ReadValue(RegistryKey key, std::wstring_view name,
                                                   std::span<std::byte> buffer) = 0;

    // Stores data as the named value with the given type, replacing any value of that name.
    virtual bool WriteValue(RegistryKey key, std::wstring_view name, std::uint32_t type,
                            std::span<const std::byte> data) = 0;

    // Closes a key that CreateUserKey gave.
    virtual void CloseKey(RegistryKey key) = 0;

protected:
    Registry() = default;
    ~Registry() = default;
    Registry(const Registry&) = delete;
    Registry& operator=(const Registry&) = delete;
};

} // namespace velmora
