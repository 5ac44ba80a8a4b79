#pragma once

#include <functional>

namespace velmora {

// What the thread that runs a body wants done at a fault, each with the context given.
struct FaultSteps {
    // Runs on the faulting thread right before the report is shown.
    void (*beforeReport)(void* context);
    // Runs after the report of a fault whose frames are abandoned, right before the thread exits.
    void (*abandon)(void* context);
    void* context;
};

// Runs body on the calling thread and turns every fault that leaves it into the report box, shown
// by this thread with the desktop as owner:
// - an ExceptionProcessor2Error (a failed allocation raises MemoryAllocation while body runs) and
//   any other C++ exception unwind normally and are reported when they leave body;
// - a hardware fault, or a code raised with RaiseException, is reported where it happens: this
//   toolchain cannot unwind from an arbitrary faulting instruction, so after the report the
//   thread's frames are abandoned, the abandon step runs and the thread exits with code 0.
// Faults on other threads, and while body does not run, are not touched.
void RunReportingFaults(const std::function<void()>& body, const FaultSteps& steps);

// Shows a fault report as the scan thread does.
void ShowFaultReport(const wchar_t* text);

} // namespace velmora
