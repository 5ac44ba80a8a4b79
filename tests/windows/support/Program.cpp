#include "tests/windows/support/Program.h"

#include "tests/windows/support/WindowDriver.h"

namespace velmora::testing {

std::wstring ProgramFolder() {
    wchar_t path[MAX_PATH] = {};
    const DWORD length = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    const std::wstring full(path, length);
    return full.substr(0, full.find_last_of(L"\\/") + 1);
}

Program::Program(const wchar_t* exeName, const std::wstring& scenarioPath) {
    std::wstring commandLine = L"\"" + ProgramFolder() + exeName + L"\"";
    ::SetEnvironmentVariableW(L"VELMORA_SCENARIO",
                              scenarioPath.empty() ? nullptr : scenarioPath.c_str());
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started{};
    if (::CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                         &startup, &started)) {
        process.Reset(started.hProcess);
        ::CloseHandle(started.hThread);
        id = started.dwProcessId;
    }
}

Program::~Program() {
    if (process && ::WaitForSingleObject(process.Get(), 0) == WAIT_TIMEOUT) {
        ::TerminateProcess(process.Get(), 99);
        ::WaitForSingleObject(process.Get(), 5000);
    }
}

HWND Program::MainWindow(DWORD timeoutMs) const {
    const ULONGLONG deadline = ::GetTickCount64() + timeoutMs;
    do {
        if (HWND window = FindTopLevelWindow(L"#32770", L"Velmora by Tarnwick",
                                             [this](HWND candidate, DWORD owner) {
                                                 return owner == id && ::IsWindowVisible(candidate);
                                             })) {
            return window;
        }
        ::Sleep(10);
    } while (::GetTickCount64() < deadline);
    return nullptr;
}

DWORD Program::ExitCode(DWORD timeoutMs) const {
    ::WaitForSingleObject(process.Get(), timeoutMs);
    DWORD code = STILL_ACTIVE;
    ::GetExitCodeProcess(process.Get(), &code);
    return code;
}

} // namespace velmora::testing
