// Big-endian numbers, the byte order of every number on the phone's wire.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace velmora {

inline void PutBe16(std::span<std::uint8_t> out, std::size_t at, std::uint16_t value) {
    out[at] = static_cast<std::uint8_t>(value >> 8);
    out[at + 1] = static_cast<std::uint8_t>(value);
}

inline void PutBe32(std::span<std::uint8_t> out, std::size_t at, std::uint32_t value) {
    PutBe16(out, at, static_cast<std::uint16_t>(value >> 16));
    PutBe16(out, at + 2, static_cast<std::uint16_t>(value));
}

inline std::uint16_t GetBe16(std::span<const std::uint8_t> in, std::size_t at) {
    return static_cast<std::uint16_t>((in[at] << 8) | in[at + 1]);
}

inline std::uint32_t GetBe32(std::span<const std::uint8_t> in, std::size_t at) {
    return (static_cast<std::uint32_t>(GetBe16(in, at)) << 16) | GetBe16(in, at + 2);
}

// Appending forms, for records and files built front to back.
inline void AppendBe16(std::vector<std::uint8_t>& out, std::uint16_t value) {
    out.push_back(static_cast<std::uint8_t>(value >> 8));
    out.push_back(static_cast<std::uint8_t>(value));
}

inline void AppendBe32(std::vector<std::uint8_t>& out, std::uint32_t value) {
    AppendBe16(out, static_cast<std::uint16_t>(value >> 16));
    AppendBe16(out, static_cast<std::uint16_t>(value));
}

}  // namespace velmora
