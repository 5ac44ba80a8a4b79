#include "services/win32/Win32ProcessList.h"

#include "services/win32/UniqueHandle.h"

#include <algorithm>
#include <limits>
#include <psapi.h>

namespace velmora::win32 {

std::optional<std::size_t> Win32ProcessList::ListProcessIds(std::span<std::uint32_t> ids) {
    const std::size_t capacity =
        std::min<std::size_t>(ids.size(), std::numeric_limits<DWORD>::max() / sizeof(DWORD));
    DWORD bytesReturned = 0;
    static_assert(sizeof(DWORD) == sizeof(std::uint32_t));
    if (!EnumProcesses(reinterpret_cast<DWORD*>(ids.data()),
                       static_cast<DWORD>(capacity * sizeof(DWORD)), &bytesReturned)) {
        return std::nullopt;
    }
    return std::min<std::size_t>(bytesReturned / sizeof(DWORD), capacity);
}

std::size_t Win32ProcessList::ExecutableBaseName(std::uint32_t processId,
                                                 std::span<wchar_t> buffer) {
    const KernelHandle process(
        OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, processId));
    if (!process) {
        return 0;
    }
    HMODULE image = nullptr;
    DWORD bytesNeeded = 0;
    if (!EnumProcessModules(process.Get(), &image, sizeof image, &bytesNeeded)) {
        return 0;
    }
    return GetModuleBaseNameW(process.Get(), image, buffer.data(),
                              static_cast<DWORD>(std::min<std::size_t>(
                                  buffer.size(), std::numeric_limits<DWORD>::max())));
}

} // namespace velmora::win32
