#pragma once

#include "services/Registry.h"
#include "tests/fakes/HandleLedger.h"

#include <cstddef>
#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace velmora::fakes {

// An in-memory current-user registry: keys by path, each holding typed values byte for byte. Every
// open key goes through the ledger; every call is written to callLog ("create PATH", "read NAME",
// "write NAME", "close PATH"); a use or close of a key that is not open is written to misuse.
class FakeRegistry final : public Registry {
public:
    struct Value {
        std::uint32_t type = 0;
        std::vector<std::byte> data;

        friend bool operator==(const Value&, const Value&) = default;
    };
    using Values = std::map<std::wstring, Value>;

    // A string value as the platform stores it: UTF-16 code units and a terminating null.
    static Value String(std::wstring_view text, std::uint32_t type = RegistryType::String);
    static Value Dword(std::uint32_t number);
    // Any type with the bytes given, for values the program would never write itself.
    static Value Bytes(std::uint32_t type, std::vector<std::uint8_t> bytes);

    HandleLedger ledger;
    std::map<std::wstring, Values> keys;
    bool creationFails = false;
    std::set<std::wstring> refusedWrites; // value names whose writes fail
    std::vector<std::wstring> callLog;
    std::vector<std::wstring> misuse;

    std::size_t CallCount(std::wstring_view prefix) const;

    std::optional<RegistryKey> CreateUserKey(std::wstring_view path) override;
    std::optional<RegistryValue> ReadValue(RegistryKey key, std::wstring_view name,
                                           std::span<std::byte> buffer) override;
    bool WriteValue(RegistryKey key, std::wstring_view name, std::uint32_t type,
                    std::span<const std::byte> data) override;
    void CloseKey(RegistryKey key) override;

private:
    // The values of an open key; null, and a misuse recorded, when the key is not open.
    Values* OpenValues(RegistryKey key, std::wstring_view call);

    std::map<std::uintptr_t, std::wstring> openKeys; // ledger token to path
};

} // namespace velmora::fakes
