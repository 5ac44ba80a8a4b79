#pragma once

#include <algorithm>
#include <optional>
#include <span>
#include <string>

namespace velmora {

// The text of a platform buffer up to its first terminator, never reading past the buffer. A text
// whose terminator is not inside the buffer did not fit: nothing.
inline std::optional<std::wstring> TerminatedText(std::span<const wchar_t> buffer) {
    const auto end = std::find(buffer.begin(), buffer.end(), L'\0');
    if (end == buffer.end()) {
        return std::nullopt;
    }
    return std::wstring(buffer.begin(), end);
}

} // namespace velmora
