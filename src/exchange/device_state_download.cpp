#include "exchange/device_state_download.h"

#include <array>
#include <span>

#include "contract/companion_contract.h"
#include "protocol/button_macro_report.h"
#include "protocol/button_macro_report_decoding.h"
#include "protocol/settings_report.h"
#include "settings/macro_library_file.h"
#include "settings/settings_file.h"

namespace t47 {
namespace {

// Room for the longer report with a spare byte; report byte k is buffer byte k.
using ReportBuffer = std::array<std::uint8_t, kButtonMacroReportSize + 1>;

// Zeroes the buffer, puts the id in byte 0 and asks the mouse for the report.
bool ReadReport(HidDeviceLink& deviceLink, ReportBuffer& buffer, std::uint8_t id,
                std::size_t length) {
    buffer.fill(0);
    buffer[0] = id;
    return deviceLink.GetFeatureReport(std::span(buffer).first(length)) != 0;
}

const ButtonAssignments& HeldButtons(const SettingData& settings) {
    // Validation keeps Active among the slots; the bound keeps an unvalidated record in range.
    const auto slot = static_cast<std::size_t>(settings.Active);
    return settings.Profiles[slot < kProfileSlotCount ? slot : 0].ButtonAssigned;
}

}  // namespace

std::int32_t DownloadDeviceState(const DownloadContext& download) {
    HidDeviceLink& link = download.deviceLink;
    if (download.clock.TickCount() - download.lastDownloadTick < kDownloadQuietTimeMs) {
        return 1;
    }

    ReportBuffer buffer{};
    if (link.OpenDevice(kSettingsReportSize) == 0) {
        return 0;
    }
    if (!ReadReport(link, buffer, kSettingsReportId, kSettingsReportSize)) {
        link.CloseFeatureHandle();
        return 0;
    }
    DecodeSettingsReport(std::span(buffer).first<kSettingsReportSize>(), download.currentProfile);

    link.CloseFeatureHandle();
    if (link.OpenDevice(kButtonMacroReportSize) == 0) {
        link.CloseFeatureHandle();
        return 0;
    }
    download.clock.Sleep(kTransferPauseBeforeButtonsMs);
    if (!ReadReport(link, buffer, kButtonMacroReportId, kButtonMacroReportSize)) {
        link.CloseFeatureHandle();
        return 0;
    }

    const DecodedButtons decoded = DecodeButtonMacroReport(
        std::span(buffer).first<kButtonMacroReportSize>(), HeldButtons(download.workingSettings));
    download.currentProfile.ButtonAssigned = decoded.buttons;
    for (const LibraryEntry& entry : decoded.libraryEntries) {
        WriteLibraryEntry(download.files, download.bulletSettingPath, entry.number,
                          entry.bulletCount, entry.events);
    }
    WriteProfile(download.files, download.currentProfile, download.workingSettings.Current,
                 download.settingsPath);

    const WindowHandle companion = download.messages.FindTopLevelWindow(kCompanionWindowTitle);
    if (companion != kNoWindow) {
        download.messages.Post(companion, MSG_UI_SETTINGS_READ, 0, 0);
    }
    download.lastDownloadTick = download.clock.TickCount();
    return 1;
}

}  // namespace t47
