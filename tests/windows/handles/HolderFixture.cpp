#include "tests/windows/handles/HolderFixture.h"

#include "handles/ObjectNameRecord.h"
#include "handles/OwnedHandle.h"

#include <array>

namespace velmora::win32::testing {
namespace {

std::wstring DirectoryOfThisExecutable() {
    std::array<wchar_t, MAX_PATH + 1> path{};
    const DWORD length = GetModuleFileNameW(nullptr, path.data(), MAX_PATH);
    std::wstring text(path.data(), length);
    return text.substr(0, text.find_last_of(L"\\/") + 1);
}

void WriteFile(const std::wstring& path) {
    const FileHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    ::WriteFile(file.Get(), "held", 4, &written, nullptr);
}

} // namespace

HolderFolder::HolderFolder() {
    std::array<wchar_t, MAX_PATH + 1> temp{};
    GetTempPathW(MAX_PATH, temp.data());
    root = std::wstring(temp.data()) + L"velmora-handles-" +
           std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(GetTickCount());
    CreateDirectoryW(root.c_str(), nullptr);
    CreateDirectoryW((root + L"\\held").c_str(), nullptr);
    heldFile = root + L"\\held\\file.txt";
    ownFile = root + L"\\own.txt";
    WriteFile(heldFile);
    WriteFile(ownFile);
    own = FileHandle(CreateFileW(ownFile.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                 OPEN_EXISTING, 0, nullptr));
}

HolderFolder::~HolderFolder() {
    own = FileHandle();
    DeleteFileW(ownFile.c_str());
    DeleteFileW(heldFile.c_str());
    RemoveDirectoryW((root + L"\\held").c_str());
    RemoveDirectoryW(root.c_str());
}

std::wstring HolderFolder::HeldFolderObjectName(Win32SystemHandles& system) const {
    const OwnedHandle self(system, system.OpenProcessForCopy(GetCurrentProcessId()));
    const OwnedHandle copy(
        system, system.CopyHandleOf(self.Get(), reinterpret_cast<std::uintptr_t>(own.Get())));
    alignas(std::uintptr_t) std::array<std::byte, 4096> buffer{};
    if (!copy || !system.QueryObjectName(copy.Get(), buffer)) {
        return {};
    }
    const std::wstring name(ObjectNameIn(buffer));
    const std::wstring leaf = L"own.txt";
    if (name.size() < leaf.size() || name.compare(name.size() - leaf.size(), leaf.size(), leaf)) {
        return {};
    }
    return name.substr(0, name.size() - leaf.size()) + L"held\\";
}

HolderChild::HolderChild(const std::wstring& heldFile, bool withWindows) {
    const std::wstring eventName = L"VelmoraHolderReady-" + std::to_wstring(GetCurrentProcessId()) +
                                   L"-" + std::to_wstring(GetTickCount());
    const KernelHandle readyEvent(CreateEventW(nullptr, TRUE, FALSE, eventName.c_str()));
    const std::wstring executable = DirectoryOfThisExecutable() + kExecutableName;
    std::wstring commandLine = L"\"" + executable + L"\" \"" + heldFile + L"\" " + eventName +
                               (withWindows ? L" window" : L"");
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started{};
    if (!readyEvent || !CreateProcessW(executable.c_str(), commandLine.data(), nullptr, nullptr,
                                       FALSE, 0, nullptr, nullptr, &startup, &started)) {
        return;
    }
    CloseHandle(started.hThread);
    process = KernelHandle(started.hProcess);
    processId = started.dwProcessId;
    const HANDLE waits[] = {readyEvent.Get(), process.Get()};
    ready = WaitForMultipleObjects(2, waits, FALSE, 20000) == WAIT_OBJECT_0;
}

HolderChild::~HolderChild() {
    End();
}

void HolderChild::End() {
    if (process) {
        TerminateProcess(process.Get(), 0);
        WaitForSingleObject(process.Get(), 10000);
        process = KernelHandle();
    }
}

} // namespace velmora::win32::testing
