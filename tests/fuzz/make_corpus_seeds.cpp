// Writes the seed inputs of each fuzz target: reports built by the encoders from realistic
// profiles, and the edge cases the decoders must survive. The saved corpus in
// tests/fuzz/corpus/ began as this program's output:
//
//     make_corpus_seeds tests/fuzz/corpus

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>
#include <vector>

#include "protocol/button_macro_report.h"
#include "protocol/function_code_table.h"
#include "protocol/macro_encoding.h"
#include "protocol/settings_report.h"
#include "settings/little_endian.h"
#include "settings/settings_defaults.h"

namespace t47 {
namespace {

using Bytes = std::vector<std::uint8_t>;

class SeedWriter {
  public:
    explicit SeedWriter(std::filesystem::path folder) : folder_(std::move(folder)) {}

    void Write(const std::string& target, const std::string& name, const Bytes& bytes) {
        std::filesystem::create_directories(folder_ / target);
        std::ofstream file(folder_ / target / name, std::ios::binary);
        file.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
        ++written_;
    }

    int written() const { return written_; }

  private:
    std::filesystem::path folder_;
    int written_ = 0;
};

template <typename... Parts>
Bytes Join(const Parts&... parts) {
    Bytes bytes;
    (bytes.insert(bytes.end(), std::begin(parts), std::end(parts)), ...);
    return bytes;
}

Bytes ProfileFields(const ProfileData& p) {  // the order settings_report_fuzz reads them
    Bytes bytes;
    const auto add = [&bytes](std::int32_t value) {
        for (int i = 0; i < 4; ++i) {
            bytes.push_back(std::uint8_t(std::uint32_t(value) >> (8 * i)));
        }
    };
    for (std::int32_t value :
         {p.DPI_Cur, p.POLLRATE_VALUE, p.Enable_light, p.Cycle_enable, p.light_type,
          p.light_bright_colorID, p.light_bright, p.light_speed}) {
        add(value);
    }
    for (std::size_t i = 0; i < kLightColorCount; ++i) {
        add(p.light_Color[i]);
        add(p.DPI_Value[i]);
        add(p.DPI_Color[i]);
    }
    return bytes;
}

Bytes Records(const ButtonAssignments& buttons) {
    Bytes bytes;
    for (const ButtonAssignment& button : buttons) {
        const ButtonAssignmentBytes record = ButtonAssignmentToBytes(button);
        bytes.insert(bytes.end(), record.begin(), record.end());
    }
    return bytes;
}

ButtonAssignment Macro(std::uint8_t code, std::vector<MacroEvent> events, std::uint8_t mode = 0,
                       std::uint8_t count = 0) {
    ButtonAssignment macro;
    macro.FunctionCode = code;
    macro.EventCount = std::uint8_t(events.size());
    std::copy(events.begin(), events.end(), macro.Events.begin());
    macro.RepeatMode = mode;
    macro.RepeatCount = count;
    macro.MacroIndex = 3;
    return macro;
}

// One key press or bullet per entry: a macro of `entries` entries.
ButtonAssignment LongMacro(std::uint8_t code, std::size_t entries) {
    ButtonAssignment macro;
    macro.FunctionCode = code;
    for (std::size_t i = 0; i < entries; ++i) {
        macro.Events[i] = {std::uint8_t(code == kPlainMacroCode ? 0x14 : 12), 0, 0x3301};
    }
    return macro;
}

ButtonAssignments MacroButtons() {
    ButtonAssignments buttons = DefaultProfile().ButtonAssigned;
    buttons[0] = Macro(kPlainMacroCode,
                       {{0x88, 0, 1},
                        {0x26, 0, 1},
                        {0xFF, 0, 20},
                        {0x26, 0, 0},
                        {0x88, 0, 0},
                        {0xFF, 0, 300},
                        {4, 0, 1},
                        {4, 0, 0}},
                       1, 3);
    buttons[2] = Macro(kBulletMacroCode,
                       {{5, 0, 1},
                        {5, 0, 0},
                        {12, 0, 0x3705},
                        {0xFF, 0, 60},
                        {12, 0, 0x40FF},
                        {5, 0, 1},
                        {5, 0, 0}},
                       2);
    buttons[3].FunctionCode = kDoubleClickCode;
    buttons[4] = Macro(kBulletMacroCode, {});
    buttons[5].FunctionCode = 0xB9;
    return buttons;
}

ButtonMacroReport ReportWithOffsets(std::initializer_list<std::uint16_t> words) {
    ButtonMacroReport report = BuildButtonMacroReport(MacroButtons());
    std::size_t b = 0;
    for (std::uint16_t word : words) {
        WriteU16LE(report, 1 + 2 * b++, word);
    }
    return report;
}

Bytes EntriesSeed(std::int16_t count, const EntryBuffer& entries) {
    return Join(Bytes{std::uint8_t(count), std::uint8_t(std::uint16_t(count) >> 8)}, entries);
}

void WriteSeeds(SeedWriter& out) {
    // settings_report_fuzz: report, then the profile it is read over.
    const ProfileData profile = DefaultProfile();
    out.Write("settings_report_fuzz", "default_profile",
              Join(BuildSettingsReport(profile), ProfileFields(profile)));
    ProfileData lit = profile;
    lit.light_type = 1;
    lit.light_bright_colorID = 4;
    lit.light_bright = 3;
    lit.light_Color[0] = 0xFFFFFF;
    out.Write("settings_report_fuzz", "type_1_dimmed",
              Join(BuildSettingsReport(lit), ProfileFields(lit)));
    ProfileData off = profile;
    off.Enable_light = 0;
    out.Write("settings_report_fuzz", "light_off",
              Join(BuildSettingsReport(off), ProfileFields(off)));
    SettingsReport beyond = BuildSettingsReport(profile);
    beyond[3] = 0xF5;  // a type beyond the seven colours
    ProfileData dark = profile;
    dark.light_bright = 0;
    out.Write("settings_report_fuzz", "type_beyond_colours", Join(beyond, ProfileFields(dark)));
    out.Write("settings_report_fuzz", "all_ff", Bytes(kSettingsReportSize + 4 * 29, 0xFF));

    // macro_decoding_fuzz: a count, then the entry buffer.
    const ButtonAssignments buttons = MacroButtons();
    EntryBuffer plain{};
    const std::int32_t plainCount = EncodePlainMacro(buttons[0], plain);
    out.Write("macro_decoding_fuzz", "plain_macro", EntriesSeed(std::int16_t(plainCount), plain));
    EntryBuffer bullet{};
    const std::int32_t bulletCount = EncodeBulletMacro(buttons[2], bullet);
    out.Write("macro_decoding_fuzz", "bullet_macro",
              EntriesSeed(std::int16_t(bulletCount), bullet));
    EntryBuffer full{};  // a press and a delay in every entry: more events than a record holds
    for (std::size_t at = 0; at < full.size(); at += kReportEntrySize) {
        full[at] = 0x20;
        full[at + 1] = 1;
        full[at + 7] = 0x10;
        full[at + 8] = 7;
    }
    out.Write("macro_decoding_fuzz", "press_and_delay_everywhere", EntriesSeed(1000, full));
    out.Write("macro_decoding_fuzz", "negative_count", EntriesSeed(-5, bullet));
    // A bullet released right after it, and a button release that names another code.
    EntryBuffer oneBullet{};
    const std::int32_t oneBulletCount = EncodeBulletMacro(
        Macro(kBulletMacroCode, {{3, 0, 1}, {12, 0, 0x3705}, {12, 0, 0}, {3, 0, 0}}), oneBullet);
    out.Write("macro_decoding_fuzz", "one_bullet_released",
              EntriesSeed(std::int16_t(oneBulletCount), oneBullet));
    // Usage bytes of usages above 0xFF, one that no key has, and releases with delays of their
    // own right after presses without one.
    EntryBuffer usages{};
    const std::uint8_t usageBytes[] = {0x83, 0x00, 0xC9, 0x00, 0x64, 0x00, 0xC8, 0x00};
    for (std::size_t i = 0; i < std::size(usageBytes); ++i) {
        const ReportEntry entry = WritableEntryAt(usages, i);
        entry[0] = kKeyboardEntry;
        entry[2] = usageBytes[i];
        entry[7] = 0x10;
        entry[8] = usageBytes[i] == 0 ? 30 : 0;
    }
    out.Write("macro_decoding_fuzz", "usage_bytes",
              EntriesSeed(std::int16_t(std::size(usageBytes)), usages));

    // button_macro_report_fuzz: the report, then the held records.
    out.Write(
        "button_macro_report_fuzz", "default_profile",
        Join(BuildButtonMacroReport(profile.ButtonAssigned), Records(profile.ButtonAssigned)));
    out.Write("button_macro_report_fuzz", "macros_as_held",
              Join(BuildButtonMacroReport(buttons), Records(buttons)));
    out.Write("button_macro_report_fuzz", "macros_against_defaults",
              Join(BuildButtonMacroReport(buttons), Records(profile.ButtonAssigned)));
    ButtonAssignments crowded = buttons;
    for (std::size_t b = 0; b < 7; ++b) {
        crowded[b] = LongMacro(b % 2 ? kBulletMacroCode : kPlainMacroCode, 92);
    }
    out.Write("button_macro_report_fuzz", "macros_beyond_200_entries",
              Join(BuildButtonMacroReport(crowded), Records(crowded)));
    out.Write("button_macro_report_fuzz", "macros_beyond_200_entries_against_defaults",
              Join(BuildButtonMacroReport(crowded), Records(profile.ButtonAssigned)));
    out.Write("button_macro_report_fuzz", "offsets_odd",
              Join(ReportWithOffsets({0x0830, 0xFFFF, 48, 48, 2043, 2049, 0x08FF, 2047}),
                   Records(buttons)));
    out.Write("button_macro_report_fuzz", "block_past_entry_buffer",
              Join(ReportWithOffsets({48, 1100, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF}),
                   Records(buttons)));

    // button_macro_report_build_fuzz: eight button records.
    out.Write("button_macro_report_build_fuzz", "default_profile", Records(profile.ButtonAssigned));
    out.Write("button_macro_report_build_fuzz", "macros", Records(buttons));
    out.Write("button_macro_report_build_fuzz", "macros_beyond_200_entries", Records(crowded));
}

}  // namespace
}  // namespace t47

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: make_corpus_seeds <corpus folder>\n";
        return 2;
    }
    t47::SeedWriter writer(argv[1]);
    t47::WriteSeeds(writer);
    std::cout << "wrote " << writer.written() << " seeds\n";
    return 0;
}
