#pragma once

// Entry points loaded at run time and the few declarations the toolchain's headers lack.

#include <windows.h>
#include <winternl.h>

namespace velmora::native {

// Information classes not named by the toolchain's headers.
inline constexpr auto SystemExtendedHandleInformation = static_cast<SYSTEM_INFORMATION_CLASS>(64);
inline constexpr auto ObjectNameInformationClass = static_cast<OBJECT_INFORMATION_CLASS>(1);

inline constexpr NTSTATUS kStatusSuccess = 0;
inline constexpr NTSTATUS kStatusInfoLengthMismatch = static_cast<NTSTATUS>(0xC0000004);

using NtQuerySystemInformationFn = decltype(&::NtQuerySystemInformation);
using NtQueryObjectFn = decltype(&::NtQueryObject);

// GetProcAddress's result as the entry point's own type; the detour through a function type
// without parameters is the one cast the compiler accepts without a warning.
template <typename Function> Function EntryPoint(HMODULE module, const char* name) {
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

} // namespace velmora::native
