#pragma once

#include <utility>
#include <windows.h>

namespace velmora::win32 {

// A kernel handle with one owner that closes it. The traits name the kind's "no handle" value:
// null for threads, processes and events, INVALID_HANDLE_VALUE for CreateFileW's files.
template <class Traits> class ScopedHandle {
public:
    ScopedHandle() = default;
    explicit ScopedHandle(HANDLE handle) : handle(handle) {}
    ~ScopedHandle() { reset(); }
    ScopedHandle(ScopedHandle&& other) noexcept : handle(other.release()) {}
    ScopedHandle& operator=(ScopedHandle&& other) noexcept {
        reset(other.release());
        return *this;
    }
    ScopedHandle(const ScopedHandle&) = delete;
    ScopedHandle& operator=(const ScopedHandle&) = delete;

    HANDLE get() const { return handle; }
    explicit operator bool() const { return handle != Traits::Invalid(); }
    HANDLE release() { return std::exchange(handle, Traits::Invalid()); }
    void reset(HANDLE replacement = Traits::Invalid()) {
        const HANDLE old = std::exchange(handle, replacement);
        if (old != Traits::Invalid()) {
            ::CloseHandle(old);
        }
    }

private:
    HANDLE handle = Traits::Invalid();
};

struct NullIsInvalid {
    static HANDLE Invalid() { return nullptr; }
};
struct MinusOneIsInvalid {
    static HANDLE Invalid() { return INVALID_HANDLE_VALUE; }
};

using UniqueHandle = ScopedHandle<NullIsInvalid>;
using UniqueFileHandle = ScopedHandle<MinusOneIsInvalid>;

} // namespace velmora::win32
