#pragma once

#include "handles/PublishedPids.h"
#include "services/TopLevelWindows.h"

#include <cstddef>
#include <cstdint>
#include <optional>

namespace velmora {

// Window Flush: brings every visible top-level window of the application in the selected row
// forward, restoring minimised ones. Row i of the application list stands for entry i of
// foundPids. Nothing happens without a selection or when the row has no entry. Reads the
// published list only, so it never waits for a scan in progress.
void WindowFlush(std::optional<std::size_t> selectedRow, const PublishedPids& foundPids,
                 TopLevelWindows& windows);

// One step of the window enumeration: restores and raises the window when it belongs to the
// process and is visible. Always asks the enumeration to go on.
bool RaiseProcessWindow(TopLevelWindows& windows, WindowId window, std::uint32_t processId);

} // namespace velmora
