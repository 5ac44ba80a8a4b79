#include "tests/e2e/HangRun.h"

#include "services/win32/UniqueHandle.h"
#include "tests/windows/support/WindowDriver.h"

#include <fstream>

namespace velmora::testing {
namespace {

constexpr DWORD kWaitMs = 15000;

HWND WindowOfProcess(const wchar_t* className, const wchar_t* title, DWORD processId) {
    return FindTopLevelWindow(className, title,
                              [processId](HWND, DWORD owner) { return owner == processId; });
}

} // namespace

StoredIgnoreList ReadStoredIgnoreList() {
    StoredIgnoreList list;
    DWORD bytes = sizeof list.size;
    if (::RegGetValueW(HKEY_CURRENT_USER, kIgnoreListKey, L"Size", RRF_RT_REG_DWORD, nullptr,
                       &list.size, &bytes) != ERROR_SUCCESS) {
        list.size = 0;
    }
    for (DWORD number = 1; number <= list.size && number <= 1024; ++number) {
        wchar_t name[300] = {};
        DWORD nameBytes = sizeof name;
        const std::wstring value = L"FileName" + std::to_wstring(number);
        if (::RegGetValueW(HKEY_CURRENT_USER, kIgnoreListKey, value.c_str(), RRF_RT_REG_SZ, nullptr,
                           name, &nameBytes) == ERROR_SUCCESS) {
            list.names.emplace_back(name);
        }
    }
    return list;
}

bool PlantIgnoreList(const std::vector<std::wstring>& names) {
    ::RegDeleteTreeW(HKEY_CURRENT_USER, kIgnoreListKey);
    HKEY key = nullptr;
    if (::RegCreateKeyExW(HKEY_CURRENT_USER, kIgnoreListKey, 0, nullptr, 0, KEY_WRITE, nullptr,
                          &key, nullptr) != ERROR_SUCCESS) {
        return false;
    }
    const auto size = static_cast<DWORD>(names.size());
    bool written =
        ::RegSetValueExW(key, L"Size", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&size),
                         sizeof size) == ERROR_SUCCESS;
    for (std::size_t index = 0; index < names.size(); ++index) {
        const std::wstring value = L"FileName" + std::to_wstring(index + 1);
        const auto bytes = static_cast<DWORD>((names[index].size() + 1) * sizeof(wchar_t));
        written = ::RegSetValueExW(key, value.c_str(), 0, REG_SZ,
                                   reinterpret_cast<const BYTE*>(names[index].c_str()),
                                   bytes) == ERROR_SUCCESS &&
                  written;
    }
    ::RegCloseKey(key);
    return written;
}

ScenarioFile::ScenarioFile(const std::string& text) {
    wchar_t folder[MAX_PATH] = {};
    ::GetTempPathW(MAX_PATH, folder);
    wchar_t file[MAX_PATH] = {};
    ::GetTempFileNameW(folder, L"vsc", 0, file);
    path = file;
    std::ofstream(path.c_str(), std::ios::binary) << text;
}

ScenarioFile::~ScenarioFile() {
    ::DeleteFileW(path.c_str());
}

bool WaitForHungQuery(const Program& program) {
    const std::wstring eventName = L"Local\\VelmoraSimulatedHang." + std::to_wstring(program.Id());
    win32::KernelHandle hung;
    for (int i = 0; i < 500 && !hung; ++i) {
        hung.Reset(::OpenEventW(SYNCHRONIZE, FALSE, eventName.c_str()));
        if (!hung) {
            ::Sleep(10);
        }
    }
    return hung && ::WaitForSingleObject(hung.Get(), kWaitMs) == WAIT_OBJECT_0;
}

HangOutcome FollowHang(const Program& program) {
    HangOutcome outcome;
    outcome.queryHung = WaitForHungQuery(program);
    if (!outcome.queryHung) {
        return outcome;
    }
    const ULONGLONG stood = ::GetTickCount64();

    HWND box = nullptr;
    while (!(box = WindowOfProcess(L"#32770", L"Velmora", program.Id())) &&
           ::GetTickCount64() - stood < kWaitMs) {
        ::Sleep(5);
    }
    if (box == nullptr) {
        return outcome;
    }
    outcome.latencyMs = ::GetTickCount64() - stood;
    outcome.message = MessageBoxText(box);
    DismissMessageBox(box);

    outcome.oldExitCode = program.ExitCode(kWaitMs);
    for (int i = 0; i < 1500 && outcome.newInstance == 0; ++i) {
        if (HWND window = OtherInstanceWindow(program.Id())) {
            ::GetWindowThreadProcessId(window, &outcome.newInstance);
        } else {
            ::Sleep(10);
        }
    }
    return outcome;
}

HWND OtherInstanceWindow(DWORD excludedProcessId) {
    return FindTopLevelWindow(L"#32770", L"Velmora by Tarnwick",
                              [excludedProcessId](HWND window, DWORD owner) {
                                  return owner != excludedProcessId && ::IsWindowVisible(window);
                              });
}

DWORD EndInstance(DWORD processId) {
    win32::KernelHandle process(::OpenProcess(
        SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION | PROCESS_TERMINATE, FALSE, processId));
    if (!process) {
        return STILL_ACTIVE;
    }
    if (HWND window = WindowOfProcess(L"#32770", L"Velmora by Tarnwick", processId)) {
        ::PostMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0);
    }
    DWORD code = STILL_ACTIVE;
    if (::WaitForSingleObject(process.Get(), kWaitMs) == WAIT_OBJECT_0) {
        ::GetExitCodeProcess(process.Get(), &code);
    } else {
        ::TerminateProcess(process.Get(), 99);
    }
    return code;
}

} // namespace velmora::testing
