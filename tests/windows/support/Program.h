#pragma once

#include "services/win32/UniqueHandle.h"

#include <string>
#include <windows.h>

namespace velmora::testing {

// A started copy of a program beside this test program (velmora.exe, velmora_sim.exe), with
// VELMORA_SCENARIO set when a scenario path is given; ended by force if a test leaves it running.
class Program {
public:
    explicit Program(const wchar_t* exeName, const std::wstring& scenarioPath = {});
    ~Program();
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    bool Started() const { return static_cast<bool>(process); }
    DWORD Id() const { return id; }
    // The program's main window once it is shown; null after the timeout.
    HWND MainWindow(DWORD timeoutMs = 10000) const;
    // The exit code once the program has ended, or STILL_ACTIVE after the timeout.
    DWORD ExitCode(DWORD timeoutMs = 10000) const;

private:
    win32::KernelHandle process;
    DWORD id = 0;
};

// The folder of this test program, with its trailing separator.
std::wstring ProgramFolder();

} // namespace velmora::testing
