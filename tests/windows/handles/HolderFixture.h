#pragma once

#include "services/win32/UniqueHandle.h"
#include "services/win32/Win32SystemHandles.h"

#include <cstdint>
#include <string>

namespace velmora::win32::testing {

// A fresh folder under the temporary folder with a file to hold and a file this process holds,
// removed again at the end.
class HolderFolder {
public:
    HolderFolder();
    ~HolderFolder();
    HolderFolder(const HolderFolder&) = delete;
    HolderFolder& operator=(const HolderFolder&) = delete;

    const std::wstring& HeldFile() const { return heldFile; }
    // The name prefix under which the system reports files of the held file's folder, learned
    // from the object name of the file this process holds next to it; empty when not had.
    std::wstring HeldFolderObjectName(Win32SystemHandles& system) const;

private:
    std::wstring root;
    std::wstring heldFile;
    std::wstring ownFile;
    FileHandle own;
};

// The holder child process, ended when the object goes.
class HolderChild {
public:
    HolderChild(const std::wstring& heldFile, bool withWindows);
    ~HolderChild();
    HolderChild(const HolderChild&) = delete;
    HolderChild& operator=(const HolderChild&) = delete;

    bool IsReady() const { return ready; }
    std::uint32_t ProcessId() const { return processId; }
    // Ends the child and waits for it.
    void End();

    static constexpr wchar_t kExecutableName[] = L"velmora_holder.exe";

private:
    KernelHandle process;
    std::uint32_t processId = 0;
    bool ready = false;
};

} // namespace velmora::win32::testing
