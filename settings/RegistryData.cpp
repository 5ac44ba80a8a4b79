#include "settings/RegistryData.h"

namespace velmora {

std::vector<std::byte> StringData(std::wstring_view text) {
    std::vector<std::byte> data;
    data.reserve((text.size() + 1) * 2);
    for (const wchar_t unit : text) {
        const auto code = static_cast<std::uint16_t>(unit);
        data.push_back(static_cast<std::byte>(code & 0xFF));
        data.push_back(static_cast<std::byte>(code >> 8));
    }
    data.insert(data.end(), 2, std::byte{0});
    return data;
}

std::wstring TextOf(std::span<const std::byte> data) {
    std::wstring text;
    for (std::size_t at = 0; at + 1 < data.size(); at += 2) {
        const auto unit = static_cast<wchar_t>(std::to_integer<std::uint16_t>(data[at]) |
                                               (std::to_integer<std::uint16_t>(data[at + 1]) << 8));
        if (unit == L'\0') {
            break;
        }
        text.push_back(unit);
    }
    return text;
}

std::array<std::byte, 4> DwordData(std::uint32_t number) {
    return {static_cast<std::byte>(number & 0xFF), static_cast<std::byte>((number >> 8) & 0xFF),
            static_cast<std::byte>((number >> 16) & 0xFF), static_cast<std::byte>(number >> 24)};
}

std::uint32_t DwordOf(std::span<const std::byte, 4> data) {
    std::uint32_t number = 0;
    for (std::size_t at = 4; at-- > 0;) {
        number = (number << 8) | std::to_integer<std::uint32_t>(data[at]);
    }
    return number;
}

} // namespace velmora
