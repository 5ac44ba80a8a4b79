#include "tests/fakes/FakeRegistry.h"

#include "settings/RegistryData.h"

#include <algorithm>

namespace velmora::fakes {

FakeRegistry::Value FakeRegistry::String(std::wstring_view text, std::uint32_t type) {
    return {type, StringData(text)};
}

FakeRegistry::Value FakeRegistry::Dword(std::uint32_t number) {
    const auto data = DwordData(number);
    return {RegistryType::Dword, {data.begin(), data.end()}};
}

FakeRegistry::Value FakeRegistry::Bytes(std::uint32_t type, std::vector<std::uint8_t> bytes) {
    Value value{type, {}};
    for (const std::uint8_t byte : bytes) {
        value.data.push_back(std::byte{byte});
    }
    return value;
}

std::size_t FakeRegistry::CallCount(std::wstring_view prefix) const {
    return static_cast<std::size_t>(
        std::count_if(callLog.begin(), callLog.end(), [&](const std::wstring& call) {
            return std::wstring_view(call).starts_with(prefix);
        }));
}

std::optional<RegistryKey> FakeRegistry::CreateUserKey(std::wstring_view path) {
    callLog.push_back(L"create " + std::wstring(path));
    if (creationFails) {
        return std::nullopt;
    }
    keys.try_emplace(std::wstring(path));
    const std::uintptr_t token = ledger.Open("registry key");
    openKeys[token] = path;
    return RegistryKey{token};
}

std::optional<RegistryValue> FakeRegistry::ReadValue(RegistryKey key, std::wstring_view name,
                                                     std::span<std::byte> buffer) {
    callLog.push_back(L"read " + std::wstring(name));
    const Values* values = OpenValues(key, L"read");
    if (values == nullptr) {
        return std::nullopt;
    }
    const auto found = values->find(std::wstring(name));
    // Like the platform, a value too large for the buffer gives no data at all.
    if (found == values->end() || found->second.data.size() > buffer.size()) {
        return std::nullopt;
    }
    const Value& value = found->second;
    std::copy(value.data.begin(), value.data.end(), buffer.begin());
    return RegistryValue{value.type, value.data.size()};
}

bool FakeRegistry::WriteValue(RegistryKey key, std::wstring_view name, std::uint32_t type,
                              std::span<const std::byte> data) {
    callLog.push_back(L"write " + std::wstring(name));
    Values* values = OpenValues(key, L"write");
    if (values == nullptr || refusedWrites.count(std::wstring(name)) != 0) {
        return false;
    }
    (*values)[std::wstring(name)] = Value{type, {data.begin(), data.end()}};
    return true;
}

void FakeRegistry::CloseKey(RegistryKey key) {
    const auto token = static_cast<std::uintptr_t>(key);
    const auto open = openKeys.find(token);
    callLog.push_back(L"close " + (open != openKeys.end() ? open->second : L"?"));
    if (open == openKeys.end() || !ledger.Close(token)) {
        misuse.push_back(L"close of a key that is not open");
        return;
    }
    openKeys.erase(open);
}

FakeRegistry::Values* FakeRegistry::OpenValues(RegistryKey key, std::wstring_view call) {
    const auto open = openKeys.find(static_cast<std::uintptr_t>(key));
    if (open == openKeys.end()) {
        misuse.push_back(std::wstring(call) + L" through a key that is not open");
        return nullptr;
    }
    return &keys[open->second];
}

} // namespace velmora::fakes
