#pragma once

#include <cstdint>
#include <map>
#include <mutex>

namespace velmora {

class MessageLoop;

// The process's table from thread id to the message loop that thread runs. Code inside a window
// finds its loop here by the id of the thread it runs on.
class LoopRegistry {
public:
    // False when the thread already has a loop registered.
    bool Register(std::uint32_t threadId, MessageLoop& loop);
    void Unregister(std::uint32_t threadId);
    MessageLoop* Find(std::uint32_t threadId) const;

private:
    mutable std::mutex lock;
    std::map<std::uint32_t, MessageLoop*> loops;
};

} // namespace velmora
