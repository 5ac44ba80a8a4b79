#include "handles/ObjectNameRecord.h"

#include <cstring>

namespace velmora {

std::wstring_view ObjectNameIn(std::span<const std::byte> buffer) {
    if (buffer.size() < sizeof(ObjectNameHeader)) {
        return {};
    }
    ObjectNameHeader header;
    std::memcpy(&header, buffer.data(), sizeof header);
    // Compared as addresses, so that a pointer from anywhere can be judged without forming it.
    const auto start = reinterpret_cast<std::uintptr_t>(buffer.data());
    const auto at = reinterpret_cast<std::uintptr_t>(header.characters);
    if (at < start || at - start >= buffer.size() || at % alignof(wchar_t) != 0) {
        return {};
    }
    const auto* characters = reinterpret_cast<const wchar_t*>(buffer.data() + (at - start));
    const std::size_t room = (buffer.size() - (at - start)) / sizeof(wchar_t);
    for (std::size_t length = 0; length < room; ++length) {
        if (characters[length] == L'\0') {
            return {characters, length};
        }
    }
    return {};
}

} // namespace velmora
