#pragma once

// Text fields of the settings records: fixed arrays of UTF-16 units holding a zero-terminated
// string, copied whole with the record.

#include <algorithm>
#include <array>
#include <cstddef>
#include <string_view>

namespace t47 {

template <std::size_t N>
using TextField = std::array<char16_t, N>;

// The text up to its terminating zero (the whole field when it holds none).
template <std::size_t N>
std::u16string_view TextOf(const TextField<N>& field) {
    const auto end = std::find(field.begin(), field.end(), u'\0');
    return std::u16string_view(field.data(), static_cast<std::size_t>(end - field.begin()));
}

// How many units of text fit a field of `capacity` units with its terminating zero; a cut never
// separates the two halves of a surrogate pair.
std::size_t FittingLength(std::u16string_view text, std::size_t capacity);

// Stores the text, cut to fit; the units after the terminating zero are zero too.
template <std::size_t N>
void SetText(TextField<N>& field, std::u16string_view text) {
    const std::size_t length = FittingLength(text, N);
    for (std::size_t i = 0; i < N; ++i) {
        field[i] = i < length ? text[i] : u'\0';
    }
}

}  // namespace t47
