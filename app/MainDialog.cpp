#include "app/MainDialog.h"

#include "app/Centring.h"
#include "app/LoopRegistry.h"
#include "app/SelectedRows.h"
#include "device/DeviceCommands.h"
#include "handles/WindowFlush.h"
#include "res/resource.h"
#include "scan/ScanLoop.h"
#include "settings/IgnoreList.h"

#include <commctrl.h>
#include <optional>
#include <shellapi.h>

namespace velmora {
namespace {

constexpr UINT_PTR kCloseTimer = 0;
constexpr UINT_PTR kWatchdogTimer = 1;
constexpr UINT kCloseTimerPeriod = 100;
constexpr UINT kWatchdogTimerPeriod = 1000;

constexpr COLORREF kLinkColour = 0x00FF0000;
constexpr COLORREF kVisitedColour = 0x00800080;
constexpr const wchar_t* kHomePage = L"https://tarnwick.example/velmora/";

} // namespace

MainDialog::MainDialog(const MainDialogServices& services)
    : services(services), driveTable(services.storage), locator(services.storage, services.setup),
      scanner(services.handles),
      cycle(driveTable, locator, services.setup, scanner, services.processes),
      deviceList(window, IDC_DEVICE_LIST), appList(window, IDC_APP_LIST),
      linkLabel(kLinkColour, kVisitedColour), watchdog(*this, services.processes) {
    driveTable.Rebuild();
}

MainDialog::~MainDialog() = default;

HWND MainDialog::Create(HINSTANCE module) {
    return ::CreateDialogParamW(module, MAKEINTRESOURCEW(IDD_MAIN), nullptr, &DialogProc,
                                reinterpret_cast<LPARAM>(this));
}

bool MainDialog::FilterMessage(MSG& message) {
    return ::IsDialogMessageW(window, &message) != FALSE;
}

void MainDialog::ScanLoop(ScanThread& thread) {
    RunScanLoop(thread.StopRequested(), scanActive, *this, services.sleeper);
}

void MainDialog::RefreshDeviceList() {
    win32::CriticalSectionGuard guard(lock);
    cycle.RefreshDeviceList(deviceList);
}

void MainDialog::RefreshApplicationList() {
    win32::CriticalSectionGuard guard(lock);
    cycle.RefreshApplicationList(deviceList, appList);
}

INT_PTR CALLBACK MainDialog::DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        ::SetWindowLongPtrW(window, DWLP_USER, lParam);
        reinterpret_cast<MainDialog*>(lParam)->window = window;
    }
    auto* self = reinterpret_cast<MainDialog*>(::GetWindowLongPtrW(window, DWLP_USER));
    LRESULT result = 0;
    if (self == nullptr || !self->HandleMessage(message, wParam, lParam, result)) {
        return FALSE;
    }
    if (message == WM_INITDIALOG) {
        return static_cast<INT_PTR>(result);
    }
    ::SetWindowLongPtrW(window, DWLP_MSGRESULT, result);
    return TRUE;
}

bool MainDialog::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (message) {
    case WM_INITDIALOG:
        result = OnInitDialog();
        return true;
    case WM_DESTROY:
        result = OnDestroy();
        return true;
    case WM_NOTIFY:
        result = 0;
        return OnNotify(*reinterpret_cast<const NMHDR*>(lParam));
    case WM_COMMAND:
        result = 0;
        return OnCommand(LOWORD(wParam), HIWORD(wParam));
    case WM_TIMER:
        if (wParam == kCloseTimer) {
            OnCloseTimer();
        } else if (wParam == kWatchdogTimer) {
            OnWatchdogTimer();
        }
        result = 0;
        return true;
    default:
        return false;
    }
}

bool MainDialog::OnNotify(const NMHDR& header) {
    if (header.code == static_cast<UINT>(NM_CLICK) && header.idFrom == IDC_DEVICE_LIST) {
        if (scanThread) {
            scanThread->Wake();
        }
        return true;
    }
    if (header.code == static_cast<UINT>(NM_CLICK) && header.idFrom == IDC_APP_LIST) {
        return true;
    }
    if (header.code == static_cast<UINT>(NM_DBLCLK) && header.idFrom == IDC_APP_LIST) {
        // Sent, not posted: Window Flush has run when the double click returns.
        ::SendMessageW(window, WM_COMMAND, IDC_WINDOW_FLUSH, 0);
        return true;
    }
    return false;
}

bool MainDialog::OnCommand(WORD id, WORD code) {
    if (id == IDOK || id == IDCANCEL) {
        OnCloseCommand(id);
        return true;
    }
    if (code != BN_CLICKED) {
        return false;
    }
    switch (id) {
    case IDC_DEVICE_FLUSH:
        OnDeviceFlush();
        return true;
    case IDC_DEVICE_EJECT:
        OnDeviceEject();
        return true;
    case IDC_WINDOW_FLUSH:
        OnWindowFlush();
        return true;
    default:
        return false;
    }
}

LRESULT MainDialog::OnInitDialog() {
    CentreWindow();
    SetIcons();
    if (MessageLoop* loop = services.loops.Find(::GetCurrentThreadId())) {
        loop->AddFilter(*this);
    }
    linkLabel.Attach(::GetDlgItem(window, IDC_LINK));
    linkLabel.SetTarget(kHomePage);
    InsertListColumn(::GetDlgItem(window, IDC_DEVICE_LIST), L"Device Name");
    InsertListColumn(::GetDlgItem(window, IDC_APP_LIST), L"Application Name");
    LoadIgnoreList(services.registry, services.processes, scanner.IgnoredPids());
    ::SetTimer(window, kCloseTimer, kCloseTimerPeriod, nullptr);
    ::SetTimer(window, kWatchdogTimer, kWatchdogTimerPeriod, nullptr);
    scanThread = std::make_unique<ScanThread>(*this, services.createThread);
    scanThread->Start();
    return 1;
}

void MainDialog::CentreWindow() {
    HMONITOR monitor = ::MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST);
    MONITORINFO info{};
    info.cbSize = sizeof info;
    RECT bounds{};
    if (monitor == nullptr || !::GetMonitorInfoW(monitor, &info) ||
        !::GetWindowRect(window, &bounds)) {
        return;
    }
    const RECT& work = info.rcWork;
    const ScreenPoint place =
        CentreInWorkArea({work.left, work.top, work.right, work.bottom}, bounds.right - bounds.left,
                         bounds.bottom - bounds.top);
    ::SetWindowPos(window, nullptr, place.x, place.y, 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void MainDialog::SetIcons() {
    const HINSTANCE module = ::GetModuleHandleW(nullptr);
    const auto load = [module](int widthMetric, int heightMetric) {
        return ::LoadImageW(module, MAKEINTRESOURCEW(IDI_MAIN), IMAGE_ICON,
                            ::GetSystemMetrics(widthMetric), ::GetSystemMetrics(heightMetric),
                            LR_DEFAULTCOLOR);
    };
    ::SendMessageW(window, WM_SETICON, ICON_BIG,
                   reinterpret_cast<LPARAM>(load(SM_CXICON, SM_CYICON)));
    ::SendMessageW(window, WM_SETICON, ICON_SMALL,
                   reinterpret_cast<LPARAM>(load(SM_CXSMICON, SM_CYSMICON)));
}

LRESULT MainDialog::OnDestroy() {
    if (MessageLoop* loop = services.loops.Find(::GetCurrentThreadId())) {
        loop->RemoveFilter(*this);
    }
    return 0;
}

LRESULT MainDialog::OnCloseCommand(WORD id) {
    if (scanThread) {
        scanThread->RequestStop();
        return 0;
    }
    ::DestroyWindow(window);
    ::PostQuitMessage(id);
    return 0;
}

void MainDialog::OnCloseTimer() {
    if (scanThread && !scanThread->IsRunning()) {
        ::KillTimer(window, kCloseTimer);
        ::DestroyWindow(window);
        ::PostQuitMessage(1);
    }
}

void MainDialog::OnWatchdogTimer() {
    watchdog.Tick(ReadScan(scanActive, scanner));
}

void MainDialog::KillWatchdogTimer() {
    ::KillTimer(window, kWatchdogTimer);
}

bool MainDialog::AppendIgnoreEntry(std::wstring_view lowerCaseName) {
    return velmora::AppendIgnoreEntry(services.registry, lowerCaseName);
}

void MainDialog::ShowHangMessage(const std::wstring& text, const wchar_t* caption) {
    ::MessageBoxW(window, text.c_str(), caption, MB_OK);
}

std::wstring MainDialog::RunningExecutablePath() {
    constexpr DWORD kCapacity = 1024;
    wchar_t path[kCapacity + 1] = {};
    const DWORD length = ::GetModuleFileNameW(nullptr, path, kCapacity + 1);
    if (length == 0 || length > kCapacity) {
        return {};
    }
    return std::wstring(path, length);
}

void MainDialog::TerminateScan() {
    if (scanThread) {
        scanThread->Terminate([this] { return scanner.HandleQueryUnderWay(); });
    }
}

void MainDialog::Launch(const std::wstring& path) {
    ::ShellExecuteW(::GetDesktopWindow(), L"open", path.c_str(), nullptr, nullptr, SW_SHOW);
}

std::optional<std::uint32_t> MainDialog::ReadSelectedDriveLetter() {
    ::SetDlgItemTextW(window, IDC_STATUS_TEXT, L"");
    if (!::IsWindowVisible(::GetDlgItem(window, IDC_DEVICE_LIST))) {
        return std::nullopt;
    }
    return SelectedDriveLetter(deviceList);
}

void MainDialog::OnDeviceFlush() {
    if (const auto letter = ReadSelectedDriveLetter()) {
        ::SetDlgItemTextW(window, IDC_STATUS_TEXT,
                          StatusText(FlushDrive(services.storage, *letter)).data());
    }
}

void MainDialog::OnDeviceEject() {
    if (const auto letter = ReadSelectedDriveLetter()) {
        const EjectOutcome outcome =
            EjectDrive(services.storage, services.setup, services.sleeper, *letter);
        ::SetDlgItemTextW(window, IDC_STATUS_TEXT, StatusText(outcome).data());
    }
}

void MainDialog::OnWindowFlush() {
    WindowFlush(FirstSelectedRow(appList), cycle.ListedPids(), services.windows);
}

} // namespace velmora
