// How long the agent takes to load a full settings file and to write one key into it, over
// every implementation of the profile-file services this build has.
//
// The full file: six profiles, every button a macro of 92 events, every text at its longest.

#include <benchmark/benchmark.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <string>

#include "settings/settings_defaults.h"
#include "settings/settings_file.h"
#include "support/profile_files_implementations.h"
#include "support/temp_folder.h"

namespace t47 {
namespace {

template <std::size_t N>
void FillText(TextField<N>& field, char16_t unit) {
    SetText(field, std::u16string(N - 1, unit));
}

SettingData FullSettings() {
    SettingData settings = DefaultSettings();
    FillText(settings.BGFilesPath, u'b');
    for (std::size_t slot = 0; slot < kProfileSlotCount; ++slot) {
        ProfileData& profile = settings.Profiles[slot];
        FillText(profile.Profil_Name, u'n');
        FillText(profile.SYNCFilesPath, u's');
        for (std::size_t b = 0; b < kButtonCount; ++b) {
            FillText(profile.ExePath[b], u'p');
            FillText(profile.ExeName[b], u'e');
            ButtonAssignment& button = profile.ButtonAssigned[b];
            button.FunctionCode = 0xA6;
            button.EventCount = static_cast<std::uint8_t>(kMaxMacroEvents);
            for (std::size_t i = 0; i < kMaxMacroEvents; ++i) {
                button.Events[i] = i % 2 == 0 ? MacroEvent{0x14, 0, 1} : MacroEvent{0xFF, 0, 30};
            }
            button.MacroIndex = static_cast<std::int32_t>(b);
        }
    }
    return settings;
}

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
