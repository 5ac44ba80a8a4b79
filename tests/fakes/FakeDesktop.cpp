#include "tests/fakes/FakeDesktop.h"

#include <algorithm>
#include <stdexcept>

namespace velmora::fakes {

WindowId FakeDesktop::AddWindow(std::uint32_t ownerProcessId, bool visible, bool minimised,
                                bool exists) {
    const WindowId id = 0x10000 + 2 * windows.size();
    windows.push_back({id, ownerProcessId, visible, minimised, exists});
    return id;
}

std::optional<std::size_t> FakeDesktop::ListProcessIds(std::span<std::uint32_t> ids) {
    listSizes.push_back(ids.size());
    if (enumerationFails) {
        return std::nullopt;
    }
    const std::size_t count = std::min(ids.size(), processes.size());
    for (std::size_t index = 0; index < count; ++index) {
        ids[index] = processes[index].id;
    }
    return count;
}

std::size_t FakeDesktop::ExecutableBaseName(std::uint32_t processId, std::span<wchar_t> buffer) {
    const auto found = std::find_if(processes.begin(), processes.end(),
                                    [&](const Process& p) { return p.id == processId; });
    if (found == processes.end() || !found->opens || buffer.empty()) {
        return 0;
    }
    // Cut short to fit, terminator included, as the system does.
    const std::size_t length = std::min(found->name.size(), buffer.size() - 1);
    std::copy_n(found->name.begin(), length, buffer.begin());
    buffer[length] = L'\0';
    return length;
}

void FakeDesktop::ForEachTopLevelWindow(const std::function<bool(WindowId)>& visit) {
    for (const Window& window : windows) {
        if (!visit(window.id)) {
            return;
        }
    }
}

FakeDesktop::Window& FakeDesktop::Find(WindowId window) {
    const auto found = std::find_if(windows.begin(), windows.end(),
                                    [&](const Window& w) { return w.id == window; });
    if (found == windows.end()) {
        throw std::logic_error("no such window");
    }
    return *found;
}

} // namespace velmora::fakes
