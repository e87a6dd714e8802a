// The request bytes of the phone control test commands and the model name in the "RDELEM"
// reply.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace velmora {

inline constexpr const char* kRestartCommand = "RESTART";
inline constexpr const char* kSuspendCommand = "SUSPEND";
inline constexpr const char* kModelCommand = "RDELEM";

inline constexpr std::size_t kRestartReplySize = 1;
inline constexpr std::size_t kSuspendReplySize = 1;
inline constexpr std::size_t kModelReplySize = 20;  // zero-filled before the call
inline constexpr std::size_t kMaxModelChars = 5;

std::vector<std::uint8_t> BuildRestartRequest();  // no bytes at all
std::vector<std::uint8_t> BuildSuspendRequest();
std::vector<std::uint8_t> BuildModelRequest();

// The characters at bytes 2, 4, 6, 8 and 10, up to the first NUL, decoded from the phone's
// text. Bytes the phone did not deliver count as NUL, as they would in the zero-filled buffer.
std::string ParseModelReply(std::span<const std::uint8_t> reply, std::int32_t replyLength);

}  // namespace velmora
