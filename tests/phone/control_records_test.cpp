#include "phone/control_records.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace velmora {
namespace {

using Bytes = std::vector<std::uint8_t>;

// The odd bytes are noise the name must not take.
Bytes ModelReply(const char (&chars)[6]) {
    Bytes reply(kModelReplySize, '#');
    for (int i = 0; i < 5; ++i) reply[2 + 2 * i] = static_cast<std::uint8_t>(chars[i]);
    return reply;
}

TEST(ControlRecords, RequestBytes) {
    EXPECT_TRUE(BuildRestartRequest().empty());
    EXPECT_EQ(BuildSuspendRequest(), Bytes{0x00});
    EXPECT_EQ(BuildModelRequest(), (Bytes{0x01, 0x17, 0x00, 0x01, 0x00, 0x00, 0x00, 0x10}));
}

TEST(ControlRecords, ModelEndsAtItsFifthCharacterOrTheFirstNul) {
    EXPECT_EQ(ParseModelReply(ModelReply("E398 "), 20), "E398 ");
    EXPECT_EQ(ParseModelReply(ModelReply("C6\0X5"), 20), "C6");  // a zero at byte 6
    // Undelivered bytes are the zero-filled buffer's.
    EXPECT_EQ(ParseModelReply(ModelReply("E398 "), 10), "E398");
    EXPECT_EQ(ParseModelReply(ModelReply("E398 "), -7), "");
    EXPECT_EQ(ParseModelReply(Bytes{0, 0, 'E', 0, '3'}, 20), "E3");
    // The phone's own text: "МотоА" in windows-1251.
    EXPECT_EQ(ParseModelReply(ModelReply("\xCC\xEE\xF2\xEE\xC0"), 20), "МотоА");
}

}  // namespace
}  // namespace velmora
