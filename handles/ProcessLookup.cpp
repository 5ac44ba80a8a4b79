#include "handles/ProcessLookup.h"

#include "handles/NameCase.h"

#include <array>
#include <new>
#include <optional>
#include <string_view>

namespace velmora {
namespace {

constexpr std::size_t kBaseNameChars = 260;
constexpr std::size_t kInitialProcessIds = 32;

using BaseNameBuffer = std::array<wchar_t, kBaseNameChars>;

std::wstring_view BaseNameOf(ProcessList& processes, std::uint32_t processId,
                             BaseNameBuffer& buffer) {
    const std::size_t length = processes.ExecutableBaseName(processId, buffer);
    // A name that leaves no room for its terminator did not fit.
    if (length >= buffer.size()) {
        return {};
    }
    return {buffer.data(), length};
}

// The ids of all running processes: the buffer doubles until a reply no longer fills it.
std::optional<std::vector<std::uint32_t>> RunningProcessIds(ProcessList& processes) {
    std::vector<std::uint32_t> ids;
    for (std::size_t capacity = kInitialProcessIds;; capacity *= 2) {
        ids = {};
        ids.resize(capacity);
        const std::optional<std::size_t> filled = processes.ListProcessIds(ids);
        if (!filled) {
            return std::nullopt;
        }
        if (*filled < capacity) {
            ids.resize(*filled);
            return ids;
        }
    }
}

} // namespace

std::wstring ProcessNameOf(ProcessList& processes, std::uint32_t processId) {
    BaseNameBuffer buffer;
    return std::wstring(BaseNameOf(processes, processId, buffer));
}

bool FindProcessIds(ProcessList& processes, std::span<const std::wstring> names,
                    std::vector<std::uint32_t>& pids) {
    std::optional<std::vector<std::uint32_t>> running;
    try {
        pids.assign(names.size(), 0);
    } catch (const std::bad_alloc&) {
        pids.clear();
        return false;
    }
    try {
        running = RunningProcessIds(processes);
    } catch (const std::bad_alloc&) {
        return false;
    }
    if (!running) {
        return false;
    }
    BaseNameBuffer buffer;
    for (const std::uint32_t id : *running) {
        const std::wstring_view name = BaseNameOf(processes, id, buffer);
        if (name.empty()) {
            continue;
        }
        for (std::size_t slot = 0; slot < names.size(); ++slot) {
            if (EqualIgnoringCaseAZ(name, names[slot])) {
                pids[slot] = id;
            }
        }
    }
    return true;
}

} // namespace velmora
