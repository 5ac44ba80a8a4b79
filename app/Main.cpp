#include "app/LoopRegistry.h"
#include "app/RunMainWindow.h"
#include "services/win32/Win32DeviceSetup.h"
#include "services/win32/Win32ProcessList.h"
#include "services/win32/Win32Registry.h"
#include "services/win32/Win32Sleeper.h"
#include "services/win32/Win32StorageControl.h"
#include "services/win32/Win32SystemHandles.h"
#include "services/win32/Win32TopLevelWindows.h"

#include <commctrl.h>
#include <windows.h>

int WINAPI wWinMain(HINSTANCE module, HINSTANCE, PWSTR, int showCommand) {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_BAR_CLASSES};
    ::InitCommonControlsEx(&controls);

    velmora::LoopRegistry loops;
    velmora::win32::Win32Sleeper sleeper;
    velmora::win32::Win32StorageControl storage;
    velmora::win32::Win32DeviceSetup setup;
    velmora::win32::Win32SystemHandles handles;
    velmora::win32::Win32ProcessList processes;
    velmora::win32::Win32TopLevelWindows windows;
    velmora::win32::Win32Registry registry;
    return velmora::RunMainWindow(
        module, showCommand,
        {loops, sleeper, storage, setup, handles, processes, windows, registry});
}
