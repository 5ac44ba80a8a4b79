#pragma once

#include "services/ProcessList.h"

namespace velmora::win32 {

// Running processes through the process status functions.
class Win32ProcessList final : public ProcessList {
public:
    Win32ProcessList() = default;

    std::optional<std::size_t> ListProcessIds(std::span<std::uint32_t> ids) override;
    std::size_t ExecutableBaseName(std::uint32_t processId, std::span<wchar_t> buffer) override;
};

} // namespace velmora::win32
