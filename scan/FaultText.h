#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace velmora {

namespace Exception {
// How a fault on the scan thread is classified; a fault travels as a value of this type.
enum ExceptionProcessor2Error : std::int32_t {
    NormalEnd = 0,
    MemoryAllocation = 1,
    MemoryAccess = 2,
    OperationResult = 3,
    Algorithm = 4,
    OsError = 5,
    InvalidOperation = 6,
};
} // namespace Exception

// The fixed text of a classification; values without a text of their own get the undefined one.
std::wstring_view FaultText(Exception::ExceptionProcessor2Error value);

// The classification of a platform exception code, or nothing for codes that stay untranslated
// (they are reported with the generic head).
std::optional<Exception::ExceptionProcessor2Error> TranslateFault(std::uint32_t code);

// Whether a platform exception code is a fault the scan thread reports. Everything else passes by
// untouched: C++ throws, debugger notifications, thread naming, breakpoints and other warnings.
bool IsReportableFault(std::uint32_t code);

// The report of a classified fault and of any other fault, exactly as the message box shows them.
std::wstring FaultReport(Exception::ExceptionProcessor2Error value);
std::wstring GenericFaultReport();

inline constexpr std::wstring_view kFaultReportCaption = L"Exception";

} // namespace velmora
