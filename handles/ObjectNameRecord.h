#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

namespace velmora {

// The record an object-name query writes at the start of its buffer: a counted string whose
// characters lie further on in the same buffer and end with a null character.
struct ObjectNameHeader {
    std::uint16_t length;
    std::uint16_t maximumLength;
    const wchar_t* characters;
};

// The name held by a filled object-name buffer, up to its first null character. Empty when the
// character pointer is null, points outside the buffer or is misaligned, or when no null character
// follows inside the buffer; the counted length is not trusted. The view points into the buffer.
std::wstring_view ObjectNameIn(std::span<const std::byte> buffer);

} // namespace velmora
