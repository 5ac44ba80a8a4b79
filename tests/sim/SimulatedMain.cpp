// velmora_sim.exe: the real program (window, scan thread, registry) over a simulated machine read
// from the scenario file named by VELMORA_SCENARIO. Exit code 3 when the scenario can't be read.
// A hanging name query sets the event Local\VelmoraSimulatedHang.<process id> when it starts to
// stand still.
#include "app/LoopRegistry.h"
#include "app/RunMainWindow.h"
#include "services/win32/UniqueHandle.h"
#include "services/win32/Win32Registry.h"
#include "services/win32/Win32Sleeper.h"
#include "tests/fakes/InterferingStorage.h"
#include "tests/sim/SimulatedMachine.h"
#include "tests/sim/SimulatedWindows.h"

#include <commctrl.h>
#include <fstream>
#include <iterator>
#include <string>
#include <windows.h>

namespace {

constexpr int kBadScenario = 3;

std::optional<std::wstring> ReadScenarioText() {
    wchar_t path[MAX_PATH] = {};
    const DWORD length = ::GetEnvironmentVariableW(L"VELMORA_SCENARIO", path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) {
        return std::nullopt;
    }
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        return std::nullopt;
    }
    const std::string bytes{std::istreambuf_iterator<char>(file), {}};
    std::wstring text(bytes.size(), L'\0');
    text.resize(static_cast<std::size_t>(
        ::MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), text.data(),
                              static_cast<int>(text.size()))));
    return text;
}

volatile int zero = 0;
int* volatile nowhere = nullptr;

// What the scenario does to each device pass: a fault, a pause, or nothing.
std::function<void()> InterferenceOf(const velmora::sim::Scenario& scenario) {
    if (scenario.devicePassPauseMs != 0) {
        return [pause = scenario.devicePassPauseMs] { ::Sleep(pause); };
    }
    switch (scenario.devicePassFault) {
    case velmora::sim::Scenario::Fault::AccessViolation:
        return [] { *nowhere = 1; };
    case velmora::sim::Scenario::Fault::DivideByZero:
        return [] { zero = 1 / zero; };
    case velmora::sim::Scenario::Fault::None:
        break;
    }
    return {};
}

} // namespace

int WINAPI wWinMain(HINSTANCE module, HINSTANCE, PWSTR, int showCommand) {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_BAR_CLASSES};
    ::InitCommonControlsEx(&controls);

    const auto text = ReadScenarioText();
    std::wstring error;
    const auto scenario = text ? velmora::sim::ParseScenario(*text, error) : std::nullopt;
    if (!scenario) {
        return kBadScenario;
    }
    velmora::sim::SimulatedMachine machine(*scenario);
    // A test outside sees the moment a hanging query starts to stand still by this event.
    const std::wstring hangEvent =
        L"Local\\VelmoraSimulatedHang." + std::to_wstring(::GetCurrentProcessId());
    velmora::win32::KernelHandle hung(::CreateEventW(nullptr, TRUE, FALSE, hangEvent.c_str()));
    machine.handles.OnBlocked([&hung] { ::SetEvent(hung.Get()); });
    velmora::sim::SimulatedWindows windows(scenario->windows);
    velmora::fakes::InterferingStorage storage(machine.drives, InterferenceOf(*scenario));

    velmora::LoopRegistry loops;
    velmora::win32::Win32Sleeper sleeper;
    velmora::win32::Win32Registry registry;
    return velmora::RunMainWindow(module, showCommand,
                                  {loops, sleeper, storage, machine.drives, machine.handles,
                                   machine.desktop, windows, registry});
}
