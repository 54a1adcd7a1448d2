#include "platform/linux/desktop_pointer_writer.h"

#include "platform/text_encoding.h"

namespace t47 {
namespace {

// The first line of a program's complaint.
std::string FirstLine(const std::string& text) {
    return text.substr(0, text.find('\n'));
}

std::string Outcome(const std::filesystem::path& program, const ProgramResult& result) {
    const std::string name = program.filename().string();
    if (!result.ran) {
        return name + " did not start";
    }
    std::string line = name + " ended with status " + std::to_string(result.status);
    const std::string complaint = FirstLine(result.errors);
    return complaint.empty() ? line : line + ": " + complaint;
}

}  // namespace

DesktopPointerWriter::DesktopPointerWriter(Desktop which, ProgramRunner& programs,
                                           DebugOutput& debugOutput)
    : desktop(which), runner(programs), debug(debugOutput) {}

void DesktopPointerWriter::Say(const std::string& line) {
    debug.Write(Utf16FromUtf8(line + "\n"));
}

void DesktopPointerWriter::GiveUp(const std::string& reason) {
    Say("Pointer settings are not carried into " + std::string(DesktopName(desktop)) + ": " +
        reason);
    off = true;
}

void DesktopPointerWriter::Bring(const PointerValues& values) {
    if (off) {
        return;
    }
    bool changed = false;
    for (const DesktopWrite& write : DesktopWrites(desktop, values)) {
        const auto last = written.find(write.key);
        if (last != written.end() && last->second == write.value) {
            continue;
        }
        if (!tool) {
            tool = desktop == Desktop::kGnome ? runner.Find("gsettings")
                                              : runner.Find("kwriteconfig6");
            if (!tool && desktop == Desktop::kPlasma) {
                tool = runner.Find("kwriteconfig5");
            }
            if (!tool) {
                GiveUp(desktop == Desktop::kGnome
                           ? "gsettings is not installed"
                           : "neither kwriteconfig6 nor kwriteconfig5 is installed");
                return;
            }
        }
        const ProgramResult result = runner.Run(*tool, write.arguments);
        if (!result.Succeeded()) {
            GiveUp(Outcome(*tool, result));  // a missing schema, a read-only configuration
            return;
        }
        written[write.key] = write.value;
        changed = true;
        Say("Pointer setting into " + std::string(DesktopName(desktop)) + ": " + write.key + " = " +
            write.value);
    }
    if (changed && desktop == Desktop::kPlasma) {
        TellPlasma();
    }
}

// KGlobalSettings' notifyChange(SettingsChanged = 3, SETTINGS_MOUSE = 0): Plasma's input
// handling reads kcminputrc again, and its programs the double-click interval.
void DesktopPointerWriter::TellPlasma() {
    ProgramResult result;
    std::optional<std::filesystem::path> sender = runner.Find("dbus-send");
    if (sender) {
        result =
            runner.Run(*sender, {"--session", "--type=signal", "/KGlobalSettings",
                                 "org.kde.KGlobalSettings.notifyChange", "int32:3", "int32:0"});
    } else if ((sender = runner.Find("gdbus"))) {
        result =
            runner.Run(*sender, {"emit", "--session", "--object-path", "/KGlobalSettings",
                                 "--signal", "org.kde.KGlobalSettings.notifyChange", "3", "0"});
    }
    if (result.Succeeded() || signalFailureSaid) {
        return;
    }
    signalFailureSaid = true;  // no session bus: Plasma takes the settings at its next start
    Say("Plasma was not told to reload its input settings: " +
        (sender ? Outcome(*sender, result)
                : std::string("neither dbus-send nor gdbus is installed")));
}

}  // namespace t47
