// Splits a fuzzer input into the values a reply parser is called with: the reported reply
// length (which may lie about the buffer), optional extra numbers, and the reply buffer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <vector>

namespace velmora::fuzz {

class FuzzInput {
  public:
    FuzzInput(const std::uint8_t* data, std::size_t size) : m_rest(data, size) {}

    std::uint32_t Take32() {
        std::uint32_t value = 0;
        for (int i = 0; i < 4; ++i) value = (value << 8) | TakeByte();
        return value;
    }
    std::uint16_t Take16() {
        const std::uint16_t high = TakeByte();
        return static_cast<std::uint16_t>((high << 8) | TakeByte());
    }
    // The reply buffer: a heap copy of exactly the remaining bytes, so an over-read trips ASan.
    std::vector<std::uint8_t> Rest() const { return {m_rest.begin(), m_rest.end()}; }

  private:
    std::uint8_t TakeByte() {
        if (m_rest.empty()) return 0;
        const std::uint8_t value = m_rest.front();
        m_rest = m_rest.subspan(1);
        return value;
    }

    std::span<const std::uint8_t> m_rest;
};

inline void Require(bool condition) {
    if (!condition) std::abort();
}

}  // namespace velmora::fuzz
