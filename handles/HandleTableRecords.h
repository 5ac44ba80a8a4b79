#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace velmora {

// The system's handle table as the extended handle-information query returns it, in the platform's
// own layout: full-width process ids and handle values, 16-bit object type numbers.
struct HandleTableHeader {
    std::uintptr_t numberOfHandles;
    std::uintptr_t reserved;
};

struct HandleTableEntry {
    std::uintptr_t object;
    std::uintptr_t processId;
    std::uintptr_t handleValue;
    std::uint32_t grantedAccess;
    std::uint16_t creatorBackTraceIndex;
    std::uint16_t objectTypeIndex;
    std::uint32_t handleAttributes;
    std::uint32_t reserved;
};

static_assert(sizeof(std::uintptr_t) != 8 || sizeof(HandleTableEntry) == 40);
static_assert(sizeof(std::uintptr_t) != 4 || sizeof(HandleTableEntry) == 28);

// A bounded reading of a handle table buffer: whatever count the header claims, only the records
// that lie wholly inside the buffer are ever read.
class HandleTableView {
public:
    explicit HandleTableView(std::span<const std::byte> buffer);

    std::size_t Count() const { return count; }
    // Entry index, which must be below Count().
    HandleTableEntry Entry(std::size_t index) const;

private:
    std::span<const std::byte> buffer;
    std::size_t count = 0;
};

} // namespace velmora
