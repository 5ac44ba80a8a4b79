#pragma once

#include <string>
#include <string_view>

namespace velmora::fakes {

// Text for logs and assertion messages: ASCII kept, every other character shown as '?'.
inline std::string Narrow(std::wstring_view text) {
    std::string narrow;
    for (const wchar_t c : text) {
        narrow += c < 0x80 ? static_cast<char>(c) : '?';
    }
    return narrow;
}

} // namespace velmora::fakes
