#include "scan/FaultGuard.h"

#include "scan/FaultText.h"

#include <cstdint>
#include <new>
#include <string>
#include <windows.h>

#if !defined(__x86_64__) && !defined(_M_X64)
#error "The fault landing below redirects an x86-64 thread context."
#endif

namespace velmora {
namespace {

// Stack kept free below an overflow so the report can still be shown.
constexpr ULONG kStackGuarantee = 128 * 1024;
constexpr SIZE_T kPageSize = 4096;

// The per-thread arming: while body runs the slot holds its fault steps, which live in
// RunReportingFaults' frame (a fault abandons that frame but never pops it), and null otherwise. A
// TLS slot, not thread_local, because the handlers below must not allocate.
class FaultRouting {
public:
    static FaultRouting& Instance() {
        static FaultRouting routing;
        return routing;
    }

    FaultSteps* Armed() const { return static_cast<FaultSteps*>(::TlsGetValue(slot)); }
    void Arm(FaultSteps* run) const { ::TlsSetValue(slot, run); }
    void Disarm() const { ::TlsSetValue(slot, nullptr); }

private:
    FaultRouting() : slot(::TlsAlloc()) {
        previousNewHandler = std::set_new_handler(&OnAllocationFailure);
        ::AddVectoredExceptionHandler(1, &TranslateFaultHandler);
    }

    static void OnAllocationFailure();
    static LONG CALLBACK TranslateFaultHandler(EXCEPTION_POINTERS* pointers);

    DWORD slot;
    std::new_handler previousNewHandler = nullptr;
};

[[noreturn]] void ReportAndAbandon(DWORD code, FaultSteps* run) {
    const auto value = TranslateFault(code);
    const std::wstring text = value ? FaultReport(*value) : GenericFaultReport();
    run->beforeReport(run->context);
    ShowFaultReport(text.c_str());
    run->abandon(run->context);
    ::ExitThread(0);
}

void FaultRouting::OnAllocationFailure() {
    auto& routing = Instance();
    if (routing.Armed() != nullptr) {
        throw Exception::MemoryAllocation;
    }
    if (routing.previousNewHandler != nullptr) {
        routing.previousNewHandler();
        return;
    }
    throw std::bad_alloc();
}

LONG CALLBACK FaultRouting::TranslateFaultHandler(EXCEPTION_POINTERS* pointers) {
    auto& routing = Instance();
    FaultSteps* run = routing.Armed();
    const DWORD code = pointers->ExceptionRecord->ExceptionCode;
    if (run == nullptr || !IsReportableFault(code)) {
        return EXCEPTION_CONTINUE_SEARCH;
    }
    routing.Disarm();
    // Continue in ReportAndAbandon as if the faulting instruction had called it: the faulting
    // frame stays on the stack below it, so stack walks inside the report still make sense.
    CONTEXT& thread = *pointers->ContextRecord;
    DWORD64 stack = (thread.Rsp - 128) & ~DWORD64{15};
    stack -= 8;
    *reinterpret_cast<DWORD64*>(stack) = thread.Rip;
    thread.Rsp = stack;
    thread.Rip = reinterpret_cast<DWORD64>(&ReportAndAbandon);
    thread.Rcx = code;
    thread.Rdx = reinterpret_cast<DWORD64>(run);
    return EXCEPTION_CONTINUE_EXECUTION;
}

// Leaves room on this thread's stack for the report after an overflow. Windows keeps the
// guarantee itself. Wine commits the whole stack and keeps one guard page at its bottom, too low
// to handle anything; a guard page of our own above the guarantee makes it raise the overflow
// while the guarantee is still free. On Windows that page is only reserved at this point, so the
// second step finds nothing to do.
void ReserveStackForReport() {
    ULONG guarantee = kStackGuarantee;
    ::SetThreadStackGuarantee(&guarantee);

    MEMORY_BASIC_INFORMATION here{};
    if (::VirtualQuery(&here, &here, sizeof here) == 0) {
        return;
    }
    auto* const guard =
        static_cast<char*>(here.AllocationBase) + kPageSize + kStackGuarantee + kPageSize;
    MEMORY_BASIC_INFORMATION page{};
    if (::VirtualQuery(guard, &page, sizeof page) == 0 || page.State != MEM_COMMIT ||
        (page.Protect & PAGE_GUARD) != 0) {
        return;
    }
    DWORD previous = 0;
    ::VirtualProtect(guard, kPageSize, PAGE_READWRITE | PAGE_GUARD, &previous);
}

} // namespace

void ShowFaultReport(const wchar_t* text) {
    ::MessageBoxW(::GetDesktopWindow(), text, kFaultReportCaption.data(), MB_OK | MB_ICONWARNING);
}

void RunReportingFaults(const std::function<void()>& body, const FaultSteps& steps) {
    auto& routing = FaultRouting::Instance();
    ReserveStackForReport();
    FaultSteps run = steps;
    routing.Arm(&run);
    try {
        body();
        routing.Disarm();
    } catch (Exception::ExceptionProcessor2Error value) {
        routing.Disarm();
        steps.beforeReport(steps.context);
        ShowFaultReport(FaultReport(value).c_str());
    } catch (...) {
        routing.Disarm();
        steps.beforeReport(steps.context);
        ShowFaultReport(GenericFaultReport().c_str());
    }
}

} // namespace velmora
