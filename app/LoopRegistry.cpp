#include "app/LoopRegistry.h"

namespace velmora {

bool LoopRegistry::Register(std::uint32_t threadId, MessageLoop& loop) {
    std::lock_guard guard(lock);
    return loops.emplace(threadId, &loop).second;
}

void LoopRegistry::Unregister(std::uint32_t threadId) {
    std::lock_guard guard(lock);
    loops.erase(threadId);
}

MessageLoop* LoopRegistry::Find(std::uint32_t threadId) const {
    std::lock_guard guard(lock);
    const auto found = loops.find(threadId);
    return found == loops.end() ? nullptr : found->second;
}

} // namespace velmora
