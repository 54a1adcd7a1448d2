#include "support/random_valid_profile.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "protocol/key_usage_table.h"
#include "settings/settings_defaults.h"

namespace t47::test {
namespace {

// The standard fixes the sequence of std::mt19937 but not that of its distributions, so the
// numbers are drawn from the engine alone: the same seed gives the same profile everywhere.
class Random {
  public:
    explicit Random(std::uint32_t seed) : engine_(seed) {}

    std::uint32_t Bits() { return static_cast<std::uint32_t>(engine_()); }

    // lo..hi, both included.
    std::int32_t Between(std::int32_t lo, std::int32_t hi) {
        const auto span = static_cast<std::uint32_t>(hi - lo) + 1;
        return lo + static_cast<std::int32_t>(Bits() % span);
    }

    std::uint8_t Byte() { return static_cast<std::uint8_t>(Bits()); }

    bool Percent(std::int32_t percent) { return Between(1, 100) <= percent; }

    template <typename Items>
    auto Pick(const Items& items) {
        return items[static_cast<std::size_t>(
            Between(0, static_cast<std::int32_t>(items.size()) - 1))];
    }

  private:
    std::mt19937 engine_;
};

// Only macros that the wire carries are made, since its entries cannot say more than this:
// - a release comes right after its own press (a delay between is fine): a keyboard entry
//   holds one key, and a mouse-up entry repeats the bytes of the entry before it, so the
//   read-back names the latest event that is no delay;
// - keys are those whose usage byte (the low 8 bits of the usage) no other key code sends: the
//   others read back as the key they share it with, and a key without usage goes out as an
//   empty entry that reads back as a release;
// - presses carry Value 1; delays of 1 ms or more, never first (a first 0xFF event goes out as
//   an empty entry) nor two in a row (the second replaces the first);
// - no macro is empty: an empty macro's place is that of the next button's entries;
// - a bullet macro holds a bullet event (a block without kind 0xC entries reads back as a plain
//   macro), presses only the button of its first event (every button goes out as the first,
//   and the selector gives back one code), holds no keys (they go out as empty entries), and
//   no bullet of Value 0x3300, whose bytes 01 00 are those of a button's release.
constexpr std::array<std::uint8_t, 5> kMouseButtons = {1, 2, 4, 8, 16};

const std::vector<std::uint8_t>& KeysTheWireNames() {
    static const std::vector<std::uint8_t> keys = [] {
        std::array<int, 256> senders{};
        for (std::int32_t code = kFirstKeyCode; code <= kLastKeyCode; ++code) {
            ++senders[static_cast<std::size_t>(KeyCodeToUsage(code) & 0xFF)];
        }
        std::vector<std::uint8_t> named;
        // Key code 0x10 is Code 16, the fifth mouse button.
        for (std::int32_t code = kFirstKeyCode + 1; code <= kLastKeyCode; ++code) {
            const auto usageByte = static_cast<std::size_t>(KeyCodeToUsage(code) & 0xFF);
            if (usageByte != 0 && senders[usageByte] == 1) {
                named.push_back(static_cast<std::uint8_t>(code));
            }
        }
        return named;
    }();
    return keys;
}

// Every valid function code but the two macros.
const std::vector<std::uint8_t>& CodesOtherThanMacros() {
    static const std::vector<std::uint8_t> codes = [] {
        std::vector<std::uint8_t> valid;
        for (const auto& [first, last] :
             {std::pair<int, int>{0xA0, 0xAB}, {0xB0, 0xBA}, {0xC0, 0xC7}, {0xD0, 0xD6}}) {
            for (int code = first; code <= last; ++code) {
                if (code != 0xA6 && code != 0xA7) {
                    valid.push_back(static_cast<std::uint8_t>(code));
                }
            }
        }
        return valid;
    }();
    return codes;
}

class EventsMaker {
  public:
    explicit EventsMaker(Random& random) : random_(random) {}

    void Add(std::uint8_t code, std::uint16_t value) {
        events_.push_back({code, random_.Byte(), value});
    }

    void MaybeDelay() {
        if (random_.Percent(50)) {
            Add(0xFF, static_cast<std::uint16_t>(random_.Percent(90) ? random_.Between(1, 1000)
                                                                     : random_.Between(1, 0xFFFF)));
        }
    }

    // A press, then most of the time its release, each maybe followed by a delay.
    void Stroke(std::uint8_t code, std::uint16_t pressValue, std::int32_t releasePercent) {
        Add(code, pressValue);
        MaybeDelay();
        if (random_.Percent(releasePercent)) {
            Add(code, 0);
            MaybeDelay();
        }
    }

    std::size_t size() const { return events_.size(); }

    // The events cut to `length`, which may leave a press or a delay last.
    std::vector<MacroEvent> Take(std::size_t length) {
        events_.resize(std::min(events_.size(), length));
        return events_;
    }

  private:
    Random& random_;
    std::vector<MacroEvent> events_;
};

std::vector<MacroEvent> PlainEvents(Random& random, std::size_t length) {
    EventsMaker events(random);
    while (events.size() < length) {
        const std::uint8_t code =
            random.Percent(25) ? random.Pick(kMouseButtons) : random.Pick(KeysTheWireNames());
        events.Stroke(code, 1, 80);
    }
    return events.Take(length);
}

std::uint16_t BulletValue(Random& random) {
    const auto value = static_cast<std::uint16_t>(random.Between(1, 0xFFFF));
    return value == 0x3300 ? 0x3301 : value;
}

std::vector<MacroEvent> BulletEvents(Random& random, std::size_t length) {
    EventsMaker events(random);
    const bool bulletsOnly = random.Percent(10);
    const auto button = static_cast<std::uint8_t>(random.Between(1, 11));
    if (!bulletsOnly) {
        events.Stroke(button, 1, 80);
    }
    while (events.size() < length) {
        if (bulletsOnly || random.Percent(50)) {
            events.Stroke(12, BulletValue(random), 60);
        } else {
            events.Stroke(button, 1, 80);
        }
    }
    std::vector<MacroEvent> taken = events.Take(length);
    const bool holdsBullet = std::any_of(taken.begin(), taken.end(), [](const MacroEvent& e) {
        return e.Code == 12 && e.Value != 0;
    });
    if (!holdsBullet) {
        taken.back() = {12, random.Byte(), BulletValue(random)};
    }
    return taken;
}

ButtonAssignment RandomMacro(Random& random, std::size_t buttonIndex, bool crowded) {
    ButtonAssignment macro = DefaultButtonAssignment(buttonIndex);
    const bool bullet = random.Percent(50);
    macro.FunctionCode = bullet ? 0xA7 : 0xA6;
    std::int32_t length = random.Between(1, 24);
    if (crowded) {
        length = random.Between(40, kMaxMacroEvents);
    } else if (random.Percent(10)) {
        length = random.Between(60, kMaxMacroEvents);
    }
    const std::vector<MacroEvent> events = bullet ? BulletEvents(random, std::size_t(length))
                                                  : PlainEvents(random, std::size_t(length));
    std::copy(events.begin(), events.end(), macro.Events.begin());
    macro.EventCount = static_cast<std::uint8_t>(events.size());
    // Validation takes a record with a valid code as it is, whatever else it holds.
    if (random.Percent(5)) {
        macro.EventCount = random.Byte();
    }
    if (events.size() + 1 < kMaxMacroEvents && random.Percent(5)) {
        macro.Events[events.size() + 1] = {random.Byte(), 0, 1};  // after the end of the list
    }
    if (random.Percent(5)) {
        macro.ButtonNo = random.Byte();
    }
    macro.RepeatMode = static_cast<std::uint8_t>(random.Percent(85) ? random.Between(0, 14)
                                                                    : random.Between(15, 255));
    macro.RepeatCount = random.Byte();
    macro.MacroIndex = random.Percent(50) ? kNoMacroIndex : random.Between(0, 40);
    return macro;
}

ButtonAssignment RandomButton(Random& random, std::size_t buttonIndex, bool crowded) {
    ButtonAssignment button = DefaultButtonAssignment(buttonIndex);
    const bool eighth = buttonIndex == kButtonCount - 1;
    if (eighth && random.Percent(30)) {
        // Its default record, whose code 0x00 validation gives it back.
    } else if (random.Percent(crowded ? 70 : 35)) {
        button = RandomMacro(random, buttonIndex, crowded);
    } else {
        button.FunctionCode = random.Pick(CodesOtherThanMacros());
        if (random.Percent(20)) {  // left over from a macro the button held before
            button.EventCount = random.Byte();
            button.Events[0] = {0x14, 0, 1};
            button.RepeatMode = random.Byte();
            button.MacroIndex = random.Between(-1, 40);
        }
    }
    button.carriedByte3 = random.Byte();
    button.carriedBytes374 = {random.Byte(), random.Byte()};
    return button;
}

template <std::size_t N>
void RandomText(Random& random, TextField<N>& field) {
    std::u16string text = u"T47 ";
    for (std::int32_t i = random.Between(0, 12); i > 0; --i) {
        text += static_cast<char16_t>(random.Percent(90) ? random.Between(u'a', u'z')
                                                         : random.Between(0x100, 0xD7FF));
    }
    SetText(field, text);
}

std::int32_t RandomColor(Random& random) {
    // Now and then black, which the read-back takes for the light off.
    return random.Percent(10) ? 0 : static_cast<std::int32_t>(random.Bits());
}

}  // namespace

ProfileData RandomValidProfile(std::uint32_t seed) {
    Random random(seed);
    ProfileData profile = DefaultProfile();
    profile.GroupID = random.Between(0, 20);
    RandomText(random, profile.Profil_Name);
    profile.DPI_Cur = random.Between(0, 7);
    for (std::size_t i = 0; i < kDpiStageCount; ++i) {
        profile.DPI_Color[i] = RandomColor(random);
        profile.DPI_Value[i] = random.Between(0, 8);
    }
    profile.POLLRATE_VALUE = random.Between(0, 3);
    profile.Enable_light = random.Percent(80) ? 1 : 0;
    profile.Cycle_enable = random.Between(0, 1);
    profile.light_type = random.Between(0, 6);
    for (std::size_t i = 0; i < kLightColorCount; ++i) {
        profile.light_Color[i] = RandomColor(random);
        profile.light_Cycle[i] = RandomColor(random);
    }
    profile.light_bright_colorID = random.Between(0, 6);
    profile.light_bright = random.Between(0, 5);
    profile.light_speed = random.Between(1, 5);
    profile.DBClick_Speed = random.Between(1, 10);
    profile.Scroll_Speed = random.Between(1, 10);
    profile.Mouse_Speed = random.Between(1, 10);
    profile.scroll_page = random.Between(0, 1);
    profile.mouse_enhance = random.Between(0, 1);
    RandomText(random, profile.SYNCFilesPath);
    for (std::size_t i = 0; i < kProgramSlotCount; ++i) {
        RandomText(random, profile.ExePath[i]);
        RandomText(random, profile.ExeName[i]);
    }
    // A quarter of the profiles have long macros on most buttons, more than report 4 holds.
    const bool crowded = random.Percent(25);
    for (std::size_t b = 0; b < kButtonCount; ++b) {
        profile.ButtonAssigned[b] = RandomButton(random, b, crowded);
    }
    return profile;
}

}  // namespace t47::test
