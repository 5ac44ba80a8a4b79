#pragma once

#include "services/SystemHandles.h"

#include <cstdint>
#include <utility>

namespace velmora {

// Sole owner of one handle handed out by SystemHandles: closes it exactly once, on every path.
class OwnedHandle {
public:
    OwnedHandle(SystemHandles& system, std::uintptr_t handle) : system(&system), handle(handle) {}
    OwnedHandle(OwnedHandle&& other) noexcept
        : system(other.system), handle(std::exchange(other.handle, 0)) {}
    OwnedHandle& operator=(OwnedHandle&&) = delete;
    OwnedHandle(const OwnedHandle&) = delete;
    OwnedHandle& operator=(const OwnedHandle&) = delete;
    ~OwnedHandle() {
        if (handle != 0) {
            system->Close(handle);
        }
    }

    std::uintptr_t Get() const { return handle; }
    explicit operator bool() const { return handle != 0; }

private:
    SystemHandles* system;
    std::uintptr_t handle;
};

} // namespace velmora
