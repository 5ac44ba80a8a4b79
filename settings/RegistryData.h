#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace velmora {

// Registry data as the platform lays it out, on every platform the code is built for: strings as
// little-endian UTF-16 code units (one per character of the text), numbers as little-endian
// 32-bit words.

// The text's code units followed by one terminating null: (characters + 1) x 2 bytes.
std::vector<std::byte> StringData(std::wstring_view text);

// The code units of data, an even number of bytes, up to the first null unit or the end.
std::wstring TextOf(std::span<const std::byte> data);

std::array<std::byte, 4> DwordData(std::uint32_t number);
std::uint32_t DwordOf(std::span<const std::byte, 4> data);

} // namespace velmora
