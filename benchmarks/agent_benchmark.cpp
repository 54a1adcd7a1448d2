// How long the agent takes to serve the companion UI's reload-and-apply request with the full
// settings file: load and validate it, apply the pointer settings, upload both reports to the
// simulated mouse. Pauses are recorded by the in-memory clock rather than slept, so this is the
// agent's own work; the real request adds the upload's one 300 ms pause.

#include <benchmark/benchmark.h>

#include "app/agent_application.h"
#include "contract/companion_contract.h"
#include "full_settings.h"
#include "platform/memory/memory_platform.h"
#include "settings/settings_file.h"
#include "support/temp_folder.h"

namespace t47 {
namespace {

void ReloadAndApplyWithFullSettings(benchmark::State& state) {
    test::TempFolder folder;
    MemoryPlatform platform;
    platform.shell.SetApplicationDataFolder(folder.File(u"AppData"));
    const std::u16string agentData = folder.File(u"AppData") + u"\\Norvane\\T47";
    platform.shell.CreateFolder(agentData);
    WriteAllSettings(platform.files, FullSettings(), agentData + u"\\GamingMouse");
    SimulatedMouse& mouse = platform.hid.AttachMouse();

    CHidApp agent(platform.Services());
    if (agent.InitInstance() != 1) {
        state.SkipWithError("the agent did not start");
        return;
    }
    const WindowHandle window = agent.MainWindow();
    for (auto _ : state) {
        benchmark::DoNotOptimize(platform.windows.Send(window, MSG_RELOAD_APPLY));
    }
    // Two transfers per request: both reports were accepted every time.
    state.counters["transfers"] = static_cast<double>(mouse.Transfers().size());
    agent.ExitInstance();
}
BENCHMARK(ReloadAndApplyWithFullSettings)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace t47

BENCHMARK_MAIN();
