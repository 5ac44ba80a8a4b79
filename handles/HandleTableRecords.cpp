#include "handles/HandleTableRecords.h"

#include <algorithm>
#include <cstring>

namespace velmora {

HandleTableView::HandleTableView(std::span<const std::byte> buffer) : buffer(buffer) {
    if (buffer.size() < sizeof(HandleTableHeader)) {
        return;
    }
    HandleTableHeader header;
    std::memcpy(&header, buffer.data(), sizeof header);
    const std::size_t room = (buffer.size() - sizeof header) / sizeof(HandleTableEntry);
    count = std::min<std::size_t>(header.numberOfHandles, room);
}

HandleTableEntry HandleTableView::Entry(std::size_t index) const {
    HandleTableEntry entry;
    std::memcpy(&entry, buffer.data() + sizeof(HandleTableHeader) + index * sizeof entry,
                sizeof entry);
    return entry;
}

} // namespace velmora
