#pragma once

#include "app/LinkLabel.h"
#include "app/MessageLoop.h"
#include "app/Watchdog.h"
#include "device/DeviceLocator.h"
#include "device/DriveLetterTable.h"
#include "handles/HandleScanner.h"
#include "scan/ScanCycle.h"
#include "scan/ScanPasses.h"
#include "scan/ScanThread.h"
#include "services/win32/CriticalSection.h"
#include "services/win32/Win32ListControl.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>
#include <windows.h>

namespace velmora {

class LoopRegistry;
class DeviceSetup;
class ProcessList;
class Registry;
class Sleeper;
class StorageControl;
class SystemHandles;
class TopLevelWindows;

// What the main window runs over. The product passes the Win32 services; tests pass their own.
struct MainDialogServices {
    LoopRegistry& loops;
    Sleeper& sleeper;
    StorageControl& storage;
    DeviceSetup& setup;
    SystemHandles& handles;
    ProcessList& processes;
    TopLevelWindows& windows;
    Registry& registry;
    ScanThread::CreateThreadFunction createThread = &::CreateThread;
};

// The program's only window, a modeless dialog, and the owner of everything the scan thread
// works on. Members are destroyed in reverse order: the scan thread first, the lock last.
class MainDialog final : public MessageFilter,
                         public ScanBody,
                         private ScanPasses,
                         private WatchdogActions {
public:
    explicit MainDialog(const MainDialogServices& services);
    ~MainDialog();
    MainDialog(const MainDialog&) = delete;
    MainDialog& operator=(const MainDialog&) = delete;

    // Creates the hidden window from IDD_MAIN in the given module; initialisation runs inside and
    // ends by starting the scan thread. Null when the window cannot be created.
    HWND Create(HINSTANCE module);

    bool FilterMessage(MSG& message) override;
    void ScanLoop(ScanThread& thread) override;
    // A faulted scan is over: the watchdog must not take the stalled cycle for a hang while the
    // report is shown.
    void OnScanFault() override { scanActive.store(false); }

private:
    // The scan cycle's passes, each holding the dialog's lock for its whole run.
    void RefreshDeviceList() override;
    void RefreshApplicationList() override;

    // What the watchdog's recovery does, on the window's thread.
    void KillWatchdogTimer() override;
    bool AppendIgnoreEntry(std::wstring_view lowerCaseName) override;
    void ShowHangMessage(const std::wstring& text, const wchar_t* caption) override;
    std::wstring RunningExecutablePath() override;
    void TerminateScan() override;
    void Launch(const std::wstring& path) override;

    static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    // The message map; false sends the message on to the default dialog processing.
    bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

    LRESULT OnInitDialog();
    LRESULT OnDestroy();
    bool OnNotify(const NMHDR& header);
    bool OnCommand(WORD id, WORD code);
    LRESULT OnCloseCommand(WORD id);
    void OnCloseTimer();
    void OnWatchdogTimer();
    void OnDeviceFlush();
    void OnDeviceEject();
    void OnWindowFlush();
    // Clears the status line and gives the letter index (0 for A) of the selected device row.
    std::optional<std::uint32_t> ReadSelectedDriveLetter();

    void CentreWindow();
    void SetIcons();

    MainDialogServices services;
    HWND window = nullptr;

    win32::CriticalSection lock; // held by each refresh pass; never taken on the window's thread
    DriveLetterTable driveTable;
    DeviceLocator locator; // the scan cycle's; Device Eject resolves with a locator of its own
    HandleScanner scanner;
    ScanCycle cycle; // with the rows last written to both lists
    win32::Win32ListControl deviceList;
    win32::Win32ListControl appList;
    LinkLabel linkLabel;
    std::atomic<bool> scanActive{false};
    Watchdog watchdog;
    std::unique_ptr<ScanThread> scanThread;
};

} // namespace velmora
