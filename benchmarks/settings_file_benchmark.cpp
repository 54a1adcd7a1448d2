// How long the agent takes to load a full settings file and to write one key into it, over
// every implementation of the profile-file services this build has.

#include <benchmark/benchmark.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <string>

#include "full_settings.h"
#include "settings/settings_file.h"
#include "support/profile_files_implementations.h"
#include "support/temp_folder.h"

namespace t47 {
namespace {

class FullSettingsFile {
  public:
    explicit FullSettingsFile(const test::ProfileFilesImplementation& implementation)
        : files(implementation.make()), path(folder.File(u"GamingMouse")) {
        WriteAllSettings(*files, FullSettings(), path);
    }

    std::unique_ptr<ProfileFiles> files;
    test::TempFolder folder;
    std::u16string path;
};

// `ahead`: the file dated an hour ahead, as one from a machine whose clock runs fast. Such a
// file must not be read again at every key.
void LoadFullSettings(benchmark::State& state, const test::ProfileFilesImplementation& impl,
                      bool ahead) {
    FullSettingsFile file(impl);
    if (ahead) {
        const std::filesystem::path path(file.path);
        std::filesystem::last_write_time(
            path, std::filesystem::file_time_type::clock::now() + std::chrono::hours(1));
    }
    auto working = std::make_unique<SettingData>();
    auto applied = std::make_unique<SettingData>();
    auto current = std::make_unique<ProfileData>();
    for (auto _ : state) {
        LoadSettings(*file.files, file.path, *working, *applied, *current);
        benchmark::DoNotOptimize(current->DPI_Cur);
    }
    state.counters["file_bytes"] =
        static_cast<double>(std::filesystem::file_size(std::filesystem::path(file.path)));
}

// A missing file, created whole by each load.
void CreateSettingsFile(benchmark::State& state, const test::ProfileFilesImplementation& impl) {
    const std::unique_ptr<ProfileFiles> files = impl.make();
    test::TempFolder folder;
    const std::u16string path = folder.File(u"GamingMouse");
    auto working = std::make_unique<SettingData>();
    auto applied = std::make_unique<SettingData>();
    auto current = std::make_unique<ProfileData>();
    for (auto _ : state) {
        state.PauseTiming();
        std::filesystem::remove(std::filesystem::path(path));
        state.ResumeTiming();
        LoadSettings(*files, path, *working, *applied, *current);
    }
}

void WriteDpiCurIntoFullFile(benchmark::State& state,
                             const test::ProfileFilesImplementation& impl) {
    FullSettingsFile file(impl);
    std::int32_t stage = 1;
    for (auto _ : state) {
        // A new value each time: writing the same value again leaves the file alone.
        stage = stage % 7 + 1;
        WriteDpiCur(*file.files, file.path, 3, stage);
    }
}

void RegisterBenchmarks() {
    for (const test::ProfileFilesImplementation& impl : test::ProfileFilesImplementations()) {
        benchmark::RegisterBenchmark(("LoadSettings/" + impl.name).c_str(), LoadFullSettings, impl,
                                     false)
            ->Unit(benchmark::kMicrosecond);
        benchmark::RegisterBenchmark(("LoadSettings/" + impl.name + "/dated_ahead").c_str(),
                                     LoadFullSettings, impl, true)
            ->Unit(benchmark::kMicrosecond);
        benchmark::RegisterBenchmark(("LoadSettings/" + impl.name + "/missing_file").c_str(),
                                     CreateSettingsFile, impl)
            ->Unit(benchmark::kMicrosecond);
        benchmark::RegisterBenchmark(("WriteDpiCur/" + impl.name).c_str(), WriteDpiCurIntoFullFile,
                                     impl)
            ->Unit(benchmark::kMicrosecond);
    }
}

}  // namespace
}  // namespace t47

int main(int argc, char** argv) {
    t47::RegisterBenchmarks();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
