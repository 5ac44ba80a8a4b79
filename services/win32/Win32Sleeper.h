#pragma once

#include "services/Sleeper.h"

namespace velmora::win32 {

class Win32Sleeper final : public Sleeper {
public:
    void Sleep(std::uint32_t milliseconds) override;
    void SleepAlertable(std::uint32_t milliseconds) override;
};

} // namespace velmora::win32
