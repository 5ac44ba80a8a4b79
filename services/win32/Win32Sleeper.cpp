#include "services/win32/Win32Sleeper.h"

#include <windows.h>

namespace velmora::win32 {

void Win32Sleeper::Sleep(std::uint32_t milliseconds) {
    ::Sleep(milliseconds);
}

void Win32Sleeper::SleepAlertable(std::uint32_t milliseconds) {
    ::SleepEx(milliseconds, TRUE);
}

} // namespace velmora::win32
