#include "device/DriveLetterTable.h"

#include "device/BoundedText.h"
#include "device/DriveName.h"

#include <array>
#include <new>

namespace velmora {

namespace {
// Characters of the buffer a mapping is read into; a longer mapping counts as unreadable.
constexpr std::size_t kMappingChars = 4096;
} // namespace

void DriveLetterTable::Rebuild() {
    try {
        slots.resize(kDriveLetterCount);
    } catch (const std::bad_alloc&) {
        return;
    }
    std::array<wchar_t, kMappingChars> buffer{};
    for (std::uint32_t i = 0; i < kDriveLetterCount; ++i) {
        const std::size_t stored = storage.QueryDosTargets(DriveNameOf(i), buffer);
        // Only the first name of the list counts; the stored count bounds what is read.
        const auto name = TerminatedText(std::span(buffer).first(std::min(stored, buffer.size())));
        slots[i] = name.value_or(std::wstring());
    }
}

std::wstring DriveLetterTable::DeviceNameOf(wchar_t letter) const {
    if (letter < L'A' || static_cast<std::size_t>(letter - L'A') >= slots.size()) {
        return {};
    }
    return slots[static_cast<std::size_t>(letter - L'A')];
}

} // namespace velmora
