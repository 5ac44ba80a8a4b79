#include "settings/IgnoreList.h"

#include "handles/ProcessLookup.h"
#include "settings/RegistryData.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <limits>
#include <span>

namespace velmora {
namespace {

constexpr std::wstring_view kSizeName = L"Size";
constexpr std::uint32_t kMostEntriesRead = 1024;
// Entry values are read into a buffer of this many UTF-16 characters, terminator included.
constexpr std::size_t kEntryChars = 260;

// The one owner of the store's open key: closed through the registry when it goes, on every path.
class ScopedKey {
public:
    ScopedKey(Registry& registry, std::optional<RegistryKey> key) : registry(registry), key(key) {}
    ~ScopedKey() {
        if (key) {
            registry.CloseKey(*key);
        }
    }
    ScopedKey(const ScopedKey&) = delete;
    ScopedKey& operator=(const ScopedKey&) = delete;

    bool IsOpen() const { return key.has_value(); }
    RegistryKey Get() const { return *key; }

private:
    Registry& registry;
    std::optional<RegistryKey> key;
};

// The number in decimal, read as unsigned: no sign, no leading zeros.
std::wstring EntryName(std::uint32_t number) {
    return L"FileName" + std::to_wstring(number);
}

// "Size", or 0 when it is missing or anything but a REG_DWORD of exactly 4 bytes.
std::uint32_t ReadSize(Registry& registry, RegistryKey key) {
    std::array<std::byte, 4> buffer{};
    const std::optional<RegistryValue> value = registry.ReadValue(key, kSizeName, buffer);
    if (!value || value->type != RegistryType::Dword || value->size != buffer.size()) {
        return 0;
    }
    return DwordOf(buffer);
}

// An entry's name when its value is a string (expandable ones taken literally) of an even number
// of bytes that fits the buffer and ends in a null character, or is empty.
std::optional<std::wstring> ReadEntry(Registry& registry, RegistryKey key, std::uint32_t number) {
    std::array<std::byte, kEntryChars * 2> buffer{};
    const std::optional<RegistryValue> value = registry.ReadValue(key, EntryName(number), buffer);
    if (!value ||
        (value->type != RegistryType::String && value->type != RegistryType::ExpandString)) {
        return std::nullopt;
    }
    if (value->size > buffer.size() || value->size % 2 != 0) {
        return std::nullopt;
    }
    const std::span<const std::byte> data = std::span(buffer).first(value->size);
    if (!data.empty() && (data[data.size() - 2] != std::byte{0} || data.back() != std::byte{0})) {
        return std::nullopt;
    }
    return TextOf(data);
}

} // namespace

std::optional<std::vector<std::wstring>> ReadIgnoreList(Registry& registry) {
    const ScopedKey key(registry, registry.CreateUserKey(kIgnoreListKeyPath));
    if (!key.IsOpen()) {
        return std::nullopt;
    }
    const std::uint32_t count = std::min(ReadSize(registry, key.Get()), kMostEntriesRead);
    std::vector<std::wstring> names;
    for (std::uint32_t number = 1; number <= count; ++number) {
        if (std::optional<std::wstring> name = ReadEntry(registry, key.Get(), number)) {
            names.push_back(std::move(*name));
        }
    }
    return names;
}

bool LoadIgnoreList(Registry& registry, ProcessList& processes,
                    std::vector<std::uint32_t>& ignoredPids) {
    const std::optional<std::vector<std::wstring>> names = ReadIgnoreList(registry);
    if (!names) {
        ignoredPids.clear();
        return false;
    }
    // A failed enumeration leaves one 0 per name: nothing is passed over this run.
    FindProcessIds(processes, *names, ignoredPids);
    return true;
}

bool AppendIgnoreEntry(Registry& registry, std::wstring_view name) {
    const ScopedKey key(registry, registry.CreateUserKey(kIgnoreListKeyPath));
    if (!key.IsOpen()) {
        return false;
    }
    // The program's own executable and the shell are never recorded.
    if (name.empty() || name == L"velmora.exe" || name == L"explorer.exe") {
        return true;
    }
    const std::uint32_t size = ReadSize(registry, key.Get());
    // The largest "Size" has no successor: writing one would wrap it to 0 and cut every entry
    // off the list.
    if (size == std::numeric_limits<std::uint32_t>::max()) {
        return true;
    }
    // "Size" goes first; neither write's outcome stops the other.
    const std::uint32_t number = size + 1;
    registry.WriteValue(key.Get(), kSizeName, RegistryType::Dword, DwordData(number));
    registry.WriteValue(key.Get(), EntryName(number), RegistryType::String, StringData(name));
    return true;
}

} // namespace velmora
