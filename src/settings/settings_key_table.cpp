#include "settings/settings_key_table.h"

#include <algorithm>
#include <charconv>
#include <cstddef>

#include "settings/ini_file.h"
#include "settings/settings_file_keys.h"
#include "settings/text_field.h"

namespace t47 {
namespace {

constexpr std::int32_t kColorMax = 0xFFFFFF;

// Collects the keys as the file's reader and writer walk them.
template <typename Record>
class KeyCollector {
  public:
    explicit KeyCollector(const Record& record) : owner(record) {}

    void Int(std::u16string_view name, std::int32_t& field, std::int32_t /*defaultValue*/) {
        const std::optional<IntegerRange> range = ValidRange(owner, field);
        keys.push_back({std::u16string(name),
                        range ? KeyKind::kInteger : KeyKind::kColor,
                        &field,
                        {},
                        range.value_or(IntegerRange{0, kColorMax})});
    }

    template <std::size_t N>
    void Text(std::u16string_view name, TextField<N>& field) {
        keys.push_back({std::u16string(name), KeyKind::kText, nullptr, field, {}});
    }

    void Button(std::u16string_view, ButtonAssignment&) {}

    std::vector<SettingsKey> keys;

  private:
    const Record& owner;
};

char16_t Folded(char16_t unit) {
    return unit >= u'a' && unit <= u'z' ? static_cast<char16_t>(unit - u'a' + u'A') : unit;
}

bool SameName(std::u16string_view a, std::u16string_view b) {
    return std::ranges::equal(a, b, [](char16_t x, char16_t y) { return Folded(x) == Folded(y); });
}

// Digits of the base, all of them, nothing else; none for text that is no such number.
std::optional<std::int64_t> Number(std::u16string_view text, int base) {
    std::string ascii;
    for (const char16_t unit : text) {
        if (unit > 0x7F) {
            return std::nullopt;
        }
        ascii.push_back(static_cast<char>(unit));
    }
    std::int64_t value = 0;
    const char* end = ascii.data() + ascii.size();
    const auto [stop, error] = std::from_chars(ascii.data(), end, value, base);
    if (ascii.empty() || error != std::errc() || stop != end || ascii[0] == '+') {
        return std::nullopt;
    }
    return value;
}

bool IsBlank(char16_t unit) {
    return unit == u' ' || unit == u'\t';
}

// What the file gives back as it was written: no line breaks or other control characters, no
// blanks at the ends (trimmed on reading), no pair of quotes around it (taken off on reading).
bool FileKeepsText(std::u16string_view text) {
    if (std::ranges::any_of(text, [](char16_t unit) { return unit < 0x20 || unit == 0x7F; })) {
        return false;
    }
    if (!text.empty() && (IsBlank(text.front()) || IsBlank(text.back()))) {
        return false;
    }
    const bool quoted = text.size() >= 2 && text.front() == text.back() &&
                        (text.front() == u'"' || text.front() == u'\'');
    return !quoted;
}

}  // namespace

std::vector<SettingsKey> ProfileKeys(ProfileData& profile) {
    KeyCollector<ProfileData> collector(profile);
    ForEachProfileKey(profile, collector);
    return std::move(collector.keys);
}

std::vector<SettingsKey> HeaderKeys(SettingData& settings) {
    KeyCollector<SettingData> collector(settings);
    ForEachHeaderKey(settings, collector);
    return std::move(collector.keys);
}

const SettingsKey* FindKey(std::span<const SettingsKey> keys, std::u16string_view name) {
    const auto found = std::ranges::find_if(
        keys, [name](const SettingsKey& key) { return SameName(key.name, name); });
    return found == keys.end() ? nullptr : &*found;
}

ValueCheck SetKeyValue(const SettingsKey& key, std::u16string_view value) {
    if (key.kind == KeyKind::kText) {
        if (!FileKeepsText(value)) {
            return ValueCheck::kMalformed;
        }
        // The field keeps its terminating zero; a text is never cut.
        if (value.size() >= key.text.size()) {
            return ValueCheck::kTooLong;
        }
        std::ranges::fill(key.text, u'\0');
        std::ranges::copy(value, key.text.begin());
        return ValueCheck::kAccepted;
    }
    const bool hexColor = key.kind == KeyKind::kColor && value.size() == 7 && value[0] == u'#';
    const std::optional<std::int64_t> number =
        hexColor ? Number(value.substr(1), 16) : Number(value, 10);
    if (!number || (hexColor && value[1] == u'-')) {
        return ValueCheck::kMalformed;
    }
    if (*number < key.range.min || *number > key.range.max) {
        return ValueCheck::kOutOfRange;
    }
    *key.integer = static_cast<std::int32_t>(*number);
    return ValueCheck::kAccepted;
}

std::u16string KeyValueText(const SettingsKey& key) {
    if (key.kind == KeyKind::kColor) {
        constexpr char16_t kDigits[] = u"0123456789ABCDEF";
        std::u16string text = u"#";
        for (int shift = 20; shift >= 0; shift -= 4) {
            text += kDigits[(static_cast<std::uint32_t>(*key.integer) >> shift) & 0xF];
        }
        return text;
    }
    return FileValueText(key);
}

std::u16string FileValueText(const SettingsKey& key) {
    if (key.kind == KeyKind::kText) {
        const auto end = std::ranges::find(key.text, u'\0');
        return std::u16string(key.text.begin(), end);
    }
    return DecimalText(*key.integer);
}

}  // namespace t47
