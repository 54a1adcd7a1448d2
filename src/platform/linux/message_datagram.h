#pragma once

// A posted window message as it travels between processes: one datagram of fixed size.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

#include "platform/window_messages.h"

namespace t47 {

inline constexpr std::size_t kMessageDatagramSize = 20;

std::array<std::uint8_t, kMessageDatagramSize> EncodeMessageDatagram(const PostedMessage& message);

// None unless the datagram is exactly kMessageDatagramSize bytes.
std::optional<PostedMessage> DecodeMessageDatagram(std::span<const std::uint8_t> datagram);

}  // namespace t47
