#include "app/RunMainWindow.h"

#include "app/LoopRegistry.h"
#include "app/MessageLoop.h"

namespace velmora {

int RunMainWindow(HINSTANCE module, int showCommand, const MainDialogServices& services) {
    const DWORD thread = ::GetCurrentThreadId();
    MessageLoop loop;
    services.loops.Register(thread, loop);
    WPARAM result = 0;
    {
        MainDialog dialog(services);
        const HWND window = dialog.Create(module);
        if (window == nullptr) {
            services.loops.Unregister(thread);
            return 0;
        }
        ::ShowWindow(window, showCommand);
        result = loop.Run();
        services.loops.Unregister(thread);
    }
    return static_cast<int>(result);
}

} // namespace velmora
