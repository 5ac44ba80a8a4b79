#include "app/LoopRegistry.h"
#include "app/RunMainWindow.h"
#include "scan/ScanPasses.h"
#include "services/win32/Win32DeviceSetup.h"
#include "services/win32/Win32Sleeper.h"
#include "services/win32/Win32StorageControl.h"
#include "services/win32/Win32SystemHandles.h"
#include "services/win32/Win32TopLevelWindows.h"

#include <commctrl.h>
#include <windows.h>

namespace {

// The scan cycle's passes; they fill the lists once drive resolution and the handle scan are in.
class ProductPasses final : public velmora::ScanPasses {
public:
    void RefreshDeviceList() override {}
    void RefreshApplicationList() override {}
};

} // namespace

int WINAPI wWinMain(HINSTANCE module, HINSTANCE, PWSTR, int showCommand) {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_BAR_CLASSES};
    ::InitCommonControlsEx(&controls);

    velmora::LoopRegistry loops;
    ProductPasses passes;
    velmora::win32::Win32Sleeper sleeper;
    velmora::win32::Win32StorageControl storage;
    velmora::win32::Win32DeviceSetup setup;
    velmora::win32::Win32SystemHandles handles;
    velmora::win32::Win32TopLevelWindows windows;
    return velmora::RunMainWindow(module, showCommand,
                                  {loops, passes, sleeper, storage, setup, handles, windows});
}
