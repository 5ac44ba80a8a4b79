#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

namespace velmora {

// A list of process ids that one thread replaces as a whole and other threads read without
// waiting for it: each Publish installs a new immutable list, and a reader keeps the list it
// loaded for as long as it holds it. Neither side ever holds anything across a blocking call.
class PublishedPids {
public:
    using Snapshot = std::shared_ptr<const std::vector<std::uint32_t>>;

    PublishedPids();
    PublishedPids(const PublishedPids&) = delete;
    PublishedPids& operator=(const PublishedPids&) = delete;

    // Copies the ids into a fresh list and makes it the current one.
    void Publish(const std::vector<std::uint32_t>& pids);
    // The current list; never null, empty before the first Publish.
    Snapshot Load() const { return current.load(); }

private:
    std::atomic<Snapshot> current;
};

} // namespace velmora
