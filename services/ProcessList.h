#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace velmora {

// The running processes, by id and by the base name of their executable.
class ProcessList {
public:
    // Fills ids with the ids of the running processes, as many as fit, and gives how many it
    // wrote; nothing when the system refuses the enumeration. A count equal to ids.size() means
    // the list may have been cut short.
    virtual std::optional<std::size_t> ListProcessIds(std::span<std::uint32_t> ids) = 0;
    // Writes the base name of the process's executable image (its first module) into buffer and
    // gives the number of characters written; 0 when the process cannot be opened or its image
    // or name cannot be had.
    virtual std::size_t ExecutableBaseName(std::uint32_t processId, std::span<wchar_t> buffer) = 0;

protected:
    ProcessList() = default;
    ~ProcessList() = default;
    ProcessList(const ProcessList&) = delete;
    ProcessList& operator=(const ProcessList&) = delete;
};

} // namespace velmora
