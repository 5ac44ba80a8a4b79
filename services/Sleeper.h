#pragma once

#include <cstdint>

namespace velmora {

// Waiting, as a service, so the logic's pauses can be proved without spending the time.
class Sleeper {
public:
    // A plain pause.
    virtual void Sleep(std::uint32_t milliseconds) = 0;
    // A pause that a wake-up queued to the calling thread cuts short.
    virtual void SleepAlertable(std::uint32_t milliseconds) = 0;

protected:
    Sleeper() = default;
    ~Sleeper() = default;
    Sleeper(const Sleeper&) = delete;
    Sleeper& operator=(const Sleeper&) = delete;
};

} // namespace velmora
