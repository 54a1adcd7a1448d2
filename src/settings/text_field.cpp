#include "settings/text_field.h"

namespace t47 {

std::size_t FittingLength(std::u16string_view text, std::size_t capacity) {
    if (text.size() < capacity) {
        return text.size();
    }
    if (capacity <= 1) {
        return 0;
    }
    // The text is cut after `capacity` - 1 units; a high surrogate there would lose its pair.
    const std::size_t length = capacity - 1;
    const char16_t last = text[length - 1];
    return last >= 0xD800 && last <= 0xDBFF ? length - 1 : length;
}

}  // namespace t47
