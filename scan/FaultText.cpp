#include "scan/FaultText.h"

#include <array>
#include <utility>

namespace velmora {
namespace {

using Exception::ExceptionProcessor2Error;

constexpr std::wstring_view kUndefinedText = L"An undefined error occurred.";
constexpr std::wstring_view kReportTail =
    L"Immediately save the date with another name and restart the application.";
constexpr std::wstring_view kGenericHead =
    L"An error has occurred. The command will be cancelled.\r\n";

constexpr std::array<std::pair<std::uint32_t, ExceptionProcessor2Error>, 18> kTranslations{{
    {0x80000001u, Exception::OsError},          // STATUS_GUARD_PAGE_VIOLATION
    {0x80000002u, Exception::MemoryAccess},     // STATUS_DATATYPE_MISALIGNMENT
    {0xC0000005u, Exception::MemoryAccess},     // STATUS_ACCESS_VIOLATION
    {0xC0000006u, Exception::OsError},          // STATUS_IN_PAGE_ERROR
    {0xC0000008u, Exception::MemoryAccess},     // STATUS_INVALID_HANDLE
    {0xC000001Du, Exception::OsError},          // STATUS_ILLEGAL_INSTRUCTION
    {0xC0000025u, Exception::Algorithm},        // STATUS_NONCONTINUABLE_EXCEPTION
    {0xC0000026u, Exception::OsError},          // STATUS_INVALID_DISPOSITION
    {0xC000008Cu, Exception::MemoryAccess},     // STATUS_ARRAY_BOUNDS_EXCEEDED
    {0xC000008Eu, Exception::OperationResult},  // STATUS_FLOAT_DIVIDE_BY_ZERO
    {0xC000008Fu, Exception::OperationResult},  // STATUS_FLOAT_INEXACT_RESULT
    {0xC0000090u, Exception::InvalidOperation}, // STATUS_FLOAT_INVALID_OPERATION
    {0xC0000091u, Exception::OperationResult},  // STATUS_FLOAT_OVERFLOW
    {0xC0000092u, Exception::OperationResult},  // STATUS_FLOAT_STACK_CHECK
    {0xC0000094u, Exception::OperationResult},  // STATUS_INTEGER_DIVIDE_BY_ZERO
    {0xC0000095u, Exception::OperationResult},  // STATUS_INTEGER_OVERFLOW
    {0xC00000FDu, Exception::Algorithm},        // STATUS_STACK_OVERFLOW
    {0xC0000194u, Exception::Algorithm},        // STATUS_POSSIBLE_DEADLOCK
}};

} // namespace

std::wstring_view FaultText(ExceptionProcessor2Error value) {
    switch (value) {
    case Exception::NormalEnd:
        return L"It ended normally.";
    case Exception::MemoryAllocation:
        return L"The memory allocating error occurred.";
    case Exception::MemoryAccess:
        return L"The memory unlawful computer access error occurred.";
    case Exception::OperationResult:
        return L"The operation result error occurred.";
    case Exception::Algorithm:
        return L"The algorithm error occurred.";
    case Exception::OsError:
        return L"OS error occurred.";
    case Exception::InvalidOperation:
        break;
    }
    return kUndefinedText;
}

std::optional<ExceptionProcessor2Error> TranslateFault(std::uint32_t code) {
    for (const auto& [known, value] : kTranslations) {
        if (known == code) {
            return value;
        }
    }
    return std::nullopt;
}

bool IsReportableFault(std::uint32_t code) {
    // Error severity with the customer bit clear covers the system's own faults; 0xE... codes
    // (other compilers' C++ throws) and all informational and warning codes pass, except the two
    // warnings the translation table names.
    return (code >> 28) == 0xCu || TranslateFault(code).has_value();
}

std::wstring FaultReport(ExceptionProcessor2Error value) {
    std::wstring text(FaultText(value));
    text += L"\r\n";
    text += kReportTail;
    return text;
}

std::wstring GenericFaultReport() {
    std::wstring text(kGenericHead);
    text += kReportTail;
    return text;
}

} // namespace velmora
