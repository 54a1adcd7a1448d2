#include "platform/linux/message_datagram.h"

namespace t47 {
namespace {

// Little-endian, fixed width whatever the sender's word size:
//
//   offset  size  field
//   0       4     message id
//   4       8     wParam
//   12      8     lParam, two's complement
struct Field {
    std::size_t offset;
    std::size_t size;
};
constexpr Field kId{0, 4};
constexpr Field kWParam{4, 8};
constexpr Field kLParam{12, 8};
static_assert(kLParam.offset + kLParam.size == kMessageDatagramSize);

void Put(std::span<std::uint8_t> bytes, Field field, std::uint64_t value) {
    for (std::size_t i = 0; i < field.size; ++i) {
        bytes[field.offset + i] = static_cast<std::uint8_t>(value >> (8 * i));
    }
}

std::uint64_t Get(std::span<const std::uint8_t> bytes, Field field) {
    std::uint64_t value = 0;
    for (std::size_t i = 0; i < field.size; ++i) {
        value |= std::uint64_t{bytes[field.offset + i]} << (8 * i);
    }
    return value;
}

}  // namespace

std::array<std::uint8_t, kMessageDatagramSize> EncodeMessageDatagram(const PostedMessage& message) {
    std::array<std::uint8_t, kMessageDatagramSize> bytes{};
    Put(bytes, kId, message.id);
    Put(bytes, kWParam, message.wParam);
    Put(bytes, kLParam, static_cast<std::uint64_t>(message.lParam));
    return bytes;
}

std::optional<PostedMessage> DecodeMessageDatagram(std::span<const std::uint8_t> datagram) {
    if (datagram.size() != kMessageDatagramSize) {
        return std::nullopt;
    }
    return PostedMessage{static_cast<MessageId>(Get(datagram, kId)),
                         static_cast<WParam>(Get(datagram, kWParam)),
                         static_cast<LParam>(Get(datagram, kLParam))};
}

}  // namespace t47
