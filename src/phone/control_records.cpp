#include "phone/control_records.h"

#include <algorithm>

#include "base/phone_text.h"

namespace velmora {

std::vector<std::uint8_t> BuildRestartRequest() {
    return {};
}

std::vector<std::uint8_t> BuildSuspendRequest() {
    return {0x00};
}

std::vector<std::uint8_t> BuildModelRequest() {
    return {0x01, 0x17, 0x00, 0x01, 0x00, 0x00, 0x00, 0x10};
}

std::string ParseModelReply(std::span<const std::uint8_t> reply, std::int32_t replyLength) {
    const std::size_t delivered =
        replyLength <= 0 ? 0 : std::min(reply.size(), static_cast<std::size_t>(replyLength));
    std::string model;
    for (std::size_t i = 0; i < kMaxModelChars; ++i) {
        const std::size_t at = 2 + 2 * i;
        if (at >= delivered || reply[at] == 0) break;
        model.push_back(static_cast<char>(reply[at]));
    }
    return DecodePhoneText(model);
}

}  // namespace velmora
