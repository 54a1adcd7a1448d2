#include "platform/profile/profile_values.h"

#include <algorithm>
#include <array>

namespace t47 {
namespace {

// The value of a digit in bases up to 36; 36 for anything else.
constexpr std::array<std::uint8_t, 128> kDigitValues = [] {
    std::array<std::uint8_t, 128> values{};
    values.fill(36);
    for (int i = 0; i < 10; ++i) {
        values['0' + i] = static_cast<std::uint8_t>(i);
    }
    for (int i = 0; i < 26; ++i) {
        values['a' + i] = values['A' + i] = static_cast<std::uint8_t>(10 + i);
    }
    return values;
}();

unsigned DigitValue(char16_t unit) {
    return unit < 128 ? kDigitValues[unit] : 36;
}

constexpr char16_t kHexDigits[] = u"0123456789ABCDEF";

}  // namespace

std::int32_t ParseProfileInt(std::u16string_view text) {
    std::size_t i = 0;
    while (i < text.size() && text[i] <= u' ') {
        ++i;
    }
    bool negative = false;
    if (i < text.size() && (text[i] == u'-' || text[i] == u'+')) {
        negative = text[i] == u'-';
        ++i;
    }
    unsigned base = 10;
    if (i + 1 < text.size() && text[i] == u'0') {
        switch (text[i + 1]) {
            case u'x':
                base = 16;
                break;
            case u'o':
                base = 8;
                break;
            case u'b':
                base = 2;
                break;
            default:
                break;
        }
        if (base != 10) {
            i += 2;
        }
    }
    std::uint32_t value = 0;
    for (; i < text.size(); ++i) {
        const unsigned digit = DigitValue(text[i]);
        if (digit >= base) {
            break;
        }
        value = value * base + digit;
    }
    return static_cast<std::int32_t>(negative ? 0u - value : value);
}

std::u16string CopyToBuffer(std::u16string_view text, std::size_t bufferUnits) {
    if (bufferUnits == 0) {
        return {};
    }
    const bool quoted = text.size() >= 2 && (text.front() == u'"' || text.front() == u'\'') &&
                        text.back() == text.front();
    if (!quoted) {
        return std::u16string(text.substr(0, bufferUnits - 1));
    }
    const std::u16string_view withClosingQuote = text.substr(1);
    std::u16string copy(withClosingQuote.substr(0, bufferUnits - 1));
    if (bufferUnits >= withClosingQuote.size() && !copy.empty()) {
        copy.pop_back();
    }
    return copy;
}

std::u16string CopyDefaultToBuffer(std::u16string_view text, std::size_t bufferUnits) {
    const std::size_t last = text.find_last_not_of(u' ');
    const std::size_t kept =
        last == std::u16string_view::npos ? std::min<std::size_t>(text.size(), 1) : last + 1;
    return CopyToBuffer(text.substr(0, kept), bufferUnits);
}

std::u16string EncodeProfileStruct(std::span<const std::uint8_t> bytes) {
    std::u16string text;
    text.reserve(2 * bytes.size() + 2);
    std::uint8_t sum = 0;
    auto append = [&text](std::uint8_t byte) {
        text.push_back(kHexDigits[byte >> 4]);
        text.push_back(kHexDigits[byte & 0xF]);
    };
    for (const std::uint8_t byte : bytes) {
        append(byte);
        sum = static_cast<std::uint8_t>(sum + byte);
    }
    append(sum);
    return text;
}

bool DecodeProfileStruct(std::u16string_view text, std::span<std::uint8_t> bytes) {
    if (text.size() != 2 * bytes.size() + 2) {
        return false;
    }
    auto byteAt = [text](std::size_t index, std::uint8_t& byte) {
        const unsigned high = DigitValue(text[2 * index]);
        const unsigned low = DigitValue(text[2 * index + 1]);
        byte = static_cast<std::uint8_t>(high << 4 | low);
        return high < 16 && low < 16;
    };
    // Checked whole before the caller's buffer is touched.
    std::uint8_t sum = 0;
    std::uint8_t byte = 0;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (!byteAt(i, byte)) {
            return false;
        }
        sum = static_cast<std::uint8_t>(sum + byte);
    }
    if (!byteAt(bytes.size(), byte) || byte != sum) {
        return false;
    }
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        byteAt(i, bytes[i]);
    }
    return true;
}

std::u16string_view UpToZero(std::u16string_view text) {
    return text.substr(0, text.find(u'\0'));
}

std::int32_t ProfileIntOf(const std::optional<std::u16string>& value, std::int32_t defaultValue) {
    if (!value) {
        return defaultValue;
    }
    const std::u16string text = CopyToBuffer(*value, kProfileIntBufferUnits);
    return text.empty() ? defaultValue : ParseProfileInt(text);
}

std::u16string ProfileStringOf(const std::optional<std::u16string>& value,
                               std::u16string_view defaultText, std::size_t bufferUnits) {
    if (value) {
        return CopyToBuffer(*value, bufferUnits);
    }
    return CopyDefaultToBuffer(UpToZero(defaultText), bufferUnits);
}

bool ProfileStructOf(const std::optional<std::u16string>& value, std::span<std::uint8_t> bytes) {
    return value && DecodeProfileStruct(*value, bytes);
}

}  // namespace t47
