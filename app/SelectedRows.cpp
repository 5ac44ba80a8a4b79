#include "app/SelectedRows.h"

#include "services/ListControl.h"

namespace velmora {
namespace {

template <class Accept>
std::optional<std::size_t> FindSelectedRow(ListControl& list, Accept accept) {
    for (int index = 0; index < list.RowCount(); ++index) {
        const auto row = list.ReadRow(index);
        if (row && row->selected && accept(row->text)) {
            return static_cast<std::size_t>(index);
        }
    }
    return std::nullopt;
}

bool StartsWithDriveLetter(const std::wstring& text) {
    return !text.empty() && text.front() >= L'A' && text.front() <= L'Z';
}

} // namespace

std::optional<std::size_t> FirstSelectedRow(ListControl& list) {
    return FindSelectedRow(list, [](const std::wstring&) { return true; });
}

std::optional<std::uint32_t> SelectedDriveLetter(ListControl& deviceList) {
    std::optional<std::uint32_t> letter;
    FindSelectedRow(deviceList, [&letter](const std::wstring& text) {
        if (StartsWithDriveLetter(text)) {
            letter = static_cast<std::uint32_t>(text.front() - L'A');
        }
        return letter.has_value();
    });
    return letter;
}

} // namespace velmora
