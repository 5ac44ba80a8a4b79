#pragma once

#include <windows.h>

namespace velmora::win32 {

// A re-entrant lock of the platform's own kind.
class CriticalSection {
public:
    CriticalSection() { ::InitializeCriticalSection(&section); }
    ~CriticalSection() { ::DeleteCriticalSection(&section); }
    CriticalSection(const CriticalSection&) = delete;
    CriticalSection& operator=(const CriticalSection&) = delete;

    void Enter() { ::EnterCriticalSection(&section); }
    void Leave() { ::LeaveCriticalSection(&section); }

private:
    CRITICAL_SECTION section;
};

class CriticalSectionGuard {
public:
    explicit CriticalSectionGuard(CriticalSection& lock) : lock(lock) { lock.Enter(); }
    ~CriticalSectionGuard() { lock.Leave(); }
    CriticalSectionGuard(const CriticalSectionGuard&) = delete;
    CriticalSectionGuard& operator=(const CriticalSectionGuard&) = delete;

private:
    CriticalSection& lock;
};

} // namespace velmora::win32
