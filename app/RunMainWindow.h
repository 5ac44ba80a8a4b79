#pragma once

#include "app/MainDialog.h"

namespace velmora {

// Runs the main window on the calling thread until its loop ends. Returns the exit code: the
// wParam of WM_QUIT, or 0 when the window cannot be created. The dialog template comes from
// `module`.
int RunMainWindow(HINSTANCE module, int showCommand, const MainDialogServices& services);

} // namespace velmora
