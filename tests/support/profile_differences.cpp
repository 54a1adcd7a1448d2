#include "support/profile_differences.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string_view>

#include "platform/text_encoding.h"

namespace t47::test {
namespace {

std::string Show(std::int32_t value) {
    std::ostringstream text;
    text << value << " (0x" << std::hex << std::uppercase << static_cast<std::uint32_t>(value)
         << ")";
    return text.str();
}

std::string Show(std::uint8_t value) {
    return Show(std::int32_t{value});
}

std::string Show(const MacroEvent& event) {
    std::ostringstream text;
    text << std::hex << std::uppercase << "{Code 0x" << int{event.Code} << ", 0x"
         << int{event.carriedByte1} << ", Value 0x" << event.Value << "}";
    return text.str();
}

template <std::size_t N>
std::string Show(const TextField<N>& field) {
    return "\"" + Utf8FromUtf16(TextOf(field)) + "\"";
}

class Differences {
  public:
    template <typename T>
    void Field(const std::string& name, const T& expected, const T& actual) {
        if (!(expected == actual)) {
            text_ << name << ": expected " << Show(expected) << ", got " << Show(actual) << "\n";
        }
    }

    template <typename T, std::size_t N>
    void Field(const std::string& name, const std::array<T, N>& expected,
               const std::array<T, N>& actual) {
        for (std::size_t i = 0; i < N; ++i) {
            Field(name + "[" + std::to_string(i) + "]", expected[i], actual[i]);
        }
    }

    template <std::size_t N>
    void Field(const std::string& name, const TextField<N>& expected, const TextField<N>& actual) {
        if (expected != actual) {
            text_ << name << ": expected " << Show(expected) << ", got " << Show(actual) << "\n";
        }
    }

    void Button(const std::string& name, const ButtonAssignment& e, const ButtonAssignment& a) {
        Field(name + ".ButtonNo", e.ButtonNo, a.ButtonNo);
        Field(name + ".FunctionCode", e.FunctionCode, a.FunctionCode);
        Field(name + ".EventCount", e.EventCount, a.EventCount);
        Field(name + ".carriedByte3", e.carriedByte3, a.carriedByte3);
        Field(name + ".Events", e.Events, a.Events);
        Field(name + ".RepeatMode", e.RepeatMode, a.RepeatMode);
        Field(name + ".RepeatCount", e.RepeatCount, a.RepeatCount);
        Field(name + ".carriedBytes374", e.carriedBytes374, a.carriedBytes374);
        Field(name + ".MacroIndex", e.MacroIndex, a.MacroIndex);
    }

    std::string Text() const { return text_.str(); }

  private:
    std::ostringstream text_;
};

}  // namespace

std::string ProfileDifferences(const ProfileData& expected, const ProfileData& actual) {
    Differences d;
    const ProfileData& e = expected;
    const ProfileData& a = actual;
    d.Field("GroupID", e.GroupID, a.GroupID);
    d.Field("Profil_Name", e.Profil_Name, a.Profil_Name);
    d.Field("DPI_Cur", e.DPI_Cur, a.DPI_Cur);
    d.Field("DPI_Color", e.DPI_Color, a.DPI_Color);
    d.Field("DPI_Value", e.DPI_Value, a.DPI_Value);
    d.Field("POLLRATE_VALUE", e.POLLRATE_VALUE, a.POLLRATE_VALUE);
    d.Field("Enable_light", e.Enable_light, a.Enable_light);
    d.Field("Cycle_enable", e.Cycle_enable, a.Cycle_enable);
    d.Field("light_type", e.light_type, a.light_type);
    d.Field("light_Color", e.light_Color, a.light_Color);
    d.Field("light_Cycle", e.light_Cycle, a.light_Cycle);
    d.Field("light_bright_colorID", e.light_bright_colorID, a.light_bright_colorID);
    d.Field("light_bright", e.light_bright, a.light_bright);
    d.Field("light_speed", e.light_speed, a.light_speed);
    d.Field("DBClick_Speed", e.DBClick_Speed, a.DBClick_Speed);
    d.Field("Scroll_Speed", e.Scroll_Speed, a.Scroll_Speed);
    d.Field("Mouse_Speed", e.Mouse_Speed, a.Mouse_Speed);
    d.Field("scroll_page", e.scroll_page, a.scroll_page);
    d.Field("mouse_enhance", e.mouse_enhance, a.mouse_enhance);
    d.Field("SYNCFilesPath", e.SYNCFilesPath, a.SYNCFilesPath);
    d.Field("ExePath", e.ExePath, a.ExePath);
    d.Field("ExeName", e.ExeName, a.ExeName);
    for (std::size_t b = 0; b < kButtonCount; ++b) {
        d.Button("ButtonAssigned[" + std::to_string(b) + "]", e.ButtonAssigned[b],
                 a.ButtonAssigned[b]);
    }
    std::string text = d.Text();
    // A field added to the record later and not listed above still shows.
    if (text.empty() && !(expected == actual)) {
        text = "the profiles differ in a field not listed\n";
    }
    return text;
}

}  // namespace t47::test
