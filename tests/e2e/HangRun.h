#pragma once

#include "tests/windows/support/Program.h"

#include <string>
#include <vector>
#include <windows.h>

namespace velmora::testing {

inline constexpr const wchar_t* kIgnoreListKey =
    L"Software\\Quillfen\\Velmora\\DetectIgnoreProcess";

// The ignore list as stored: "Size" (0 when missing) and FileName1 .. FileName<Size>.
struct StoredIgnoreList {
    DWORD size = 0;
    std::vector<std::wstring> names;
};
StoredIgnoreList ReadStoredIgnoreList();
// Replaces the stored ignore list with these names; true when it could be written.
bool PlantIgnoreList(const std::vector<std::wstring>& names);

// Writes a scenario file into the temporary folder and gives its path; removed with the object.
class ScenarioFile {
public:
    explicit ScenarioFile(const std::string& text);
    ~ScenarioFile();
    ScenarioFile(const ScenarioFile&) = delete;
    ScenarioFile& operator=(const ScenarioFile&) = delete;

    const std::wstring& Path() const { return path; }

private:
    std::wstring path;
};

// What one hang of the simulated program came to.
struct HangOutcome {
    bool queryHung = false;  // the simulated name query started to stand still
    std::wstring message;    // the hang message's text, empty when none came
    ULONGLONG latencyMs = 0; // from the query standing still to the message
    DWORD oldExitCode = STILL_ACTIVE;
    DWORD newInstance = 0; // process id of the restarted program, 0 when none showed
};

// Waits until the simulated program's hanging name query stands still (the event stays set).
bool WaitForHungQuery(const Program& program);

// Waits, for the started simulated program, until its name query hangs and the hang message
// shows, dismisses the message, and sees the old instance end and a new one's window. The new
// instance is left running: EndInstance ends it.
HangOutcome FollowHang(const Program& program);

// Closes a program's window as the close box does and waits for it to end; its exit code, or
// STILL_ACTIVE when it did not end (it is then ended by force).
DWORD EndInstance(DWORD processId);

// The shown main window of another instance than the excluded process, or null.
HWND OtherInstanceWindow(DWORD excludedProcessId);

} // namespace velmora::testing
