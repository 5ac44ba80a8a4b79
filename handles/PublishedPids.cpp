#include "handles/PublishedPids.h"

namespace velmora {

PublishedPids::PublishedPids() : current(std::make_shared<const std::vector<std::uint32_t>>()) {}

void PublishedPids::Publish(const std::vector<std::uint32_t>& pids) {
    current.store(std::make_shared<const std::vector<std::uint32_t>>(pids));
}

} // namespace velmora
