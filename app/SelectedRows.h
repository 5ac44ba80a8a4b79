#pragma once

#include <cstdint>
#include <optional>

namespace velmora {

class ListControl;

// The first selected row of a list, walking the rows with the row count asked anew before each;
// a row that cannot be read counts as not selected.
std::optional<std::size_t> FirstSelectedRow(ListControl& list);

// The letter index (0 for A) of the first selected device row whose text begins with a capital
// letter; selected rows that begin with anything else are passed over.
std::optional<std::uint32_t> SelectedDriveLetter(ListControl& deviceList);

} // namespace velmora
