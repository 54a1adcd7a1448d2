#pragma once

// A scenario helper for the agent over the in-memory platform: a temporary application-data
// folder and agent folder, a simulated mouse, the companion UI's window, and the agent itself.
//
//   AgentScenario s;
//   s.AttachMouse();
//   s.OpenCompanion();
//   s.Start();
//   s.mouse->PressDpiButton();
//   s.PumpUntilDpiNotices(1);
//   EXPECT_EQ(s.ProfileInt(0, u"DPI_Cur"), 4);

#include <chrono>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "app/agent_application.h"
#include "contract/companion_contract.h"
#include "platform/memory/memory_platform.h"
#include "platform/text_encoding.h"
#include "settings/settings_file_keys.h"
#include "support/memory_printers.h"
#include "support/temp_folder.h"

namespace t47::test {

class AgentScenario {
  public:
    static constexpr std::chrono::milliseconds kPatience{10000};

    TempFolder folder;
    MemoryPlatform platform;
    SimulatedMouse* mouse = nullptr;
    WindowHandle companion = kNoWindow;
    std::optional<CHidApp> agent;

    AgentScenario() {
        platform.shell.SetApplicationDataFolder(folder.File(u"AppData"));
        platform.shell.SetExecutableFolder(folder.File(u"Agent"));
    }

    SimulatedMouse& AttachMouse(SimulatedMouse::Setup setup = {}) {
        mouse = &platform.hid.AttachMouse(std::move(setup));
        return *mouse;
    }
    WindowHandle OpenCompanion() {
        return companion = platform.windows.OpenWindow(kCompanionWindowTitle);
    }

    std::u16string SettingsPath() const {
        return folder.File(u"AppData") + u"\\Norvane\\T47\\GamingMouse";
    }
    std::u16string LibraryPath() const {
        return folder.File(u"AppData") + u"\\Norvane\\T47\\BulletSetting";
    }

    std::string SettingsFileBytes() const { return ReadFileBytes(PathFromUtf16(SettingsPath())); }

    // A key of the settings file, written as the companion UI would before or while the
    // agent runs.
    void WriteSetting(std::u16string_view section, std::u16string_view key, std::int32_t value) {
        platform.shell.CreateFolder(folder.File(u"AppData") + u"\\Norvane\\T47");
        platform.files.WriteProfileString(section, key, DecimalText(value), SettingsPath());
    }
    std::int32_t SettingInt(std::u16string_view section, std::u16string_view key) {
        return platform.files.GetProfileInt(section, key, -999, SettingsPath());
    }
    std::int32_t ProfileInt(std::int32_t slot, std::u16string_view key) {
        return SettingInt(ProfileSectionName(slot), key);
    }

    // InitInstance of a new agent; the agent window, or null when it did not start.
    CMyWnd* Start() {
        agent.emplace(platform.Services());
        started = agent->InitInstance();
        return agent->AgentWindow();
    }
    CMyWnd& Window() { return *agent->AgentWindow(); }
    WindowHandle AgentWindowHandle() { return agent->MainWindow(); }

    // Posts to the agent window as another program would, then lets the agent handle what is
    // queued.
    void PostToAgent(MessageId id, WParam wParam = 0, LParam lParam = 0) {
        platform.windows.Post(AgentWindowHandle(), id, wParam, lParam);
        Pump();
    }
    void Pump() { platform.windows.PumpMessages(); }

    // Pumps until `count` DPI notices of the listener thread have reached the agent window.
    bool PumpUntilDpiNotices(std::size_t count) {
        const auto end = std::chrono::steady_clock::now() + kPatience;
        while (std::chrono::steady_clock::now() < end) {
            std::size_t notices = 0;
            for (const PostedMessage& message : platform.windows.Received(AgentWindowHandle())) {
                notices += message.id == MSG_DEVICE_DPI ? 1 : 0;
            }
            Pump();
            if (notices >= count) {
                return true;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        return false;
    }

    std::vector<PostedMessage> CompanionReceived() const {
        return platform.windows.Received(companion);
    }
    std::size_t MouseReads() const {
        std::size_t reads = 0;
        for (const Transfer& transfer : mouse->Transfers()) {
            reads += transfer.kind == TransferKind::kGet ? 1 : 0;
        }
        return reads;
    }

    int started = -1;
};

}  // namespace t47::test
