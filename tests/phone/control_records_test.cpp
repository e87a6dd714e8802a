#include "phone/control_records.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace velmora {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes ModelReply(const char (&chars)[6]) {
    Bytes reply(kModelReplySize, 0);
    for (int i = 0; i < 5; ++i) reply[2 + 2 * i] = static_cast<std::uint8_t>(chars[i]);
    // Neighbouring bytes are noise the name never takes.
    for (std::size_t i = 0; i < reply.size(); i += 2) reply[i + 1] = '#';
    return reply;
}

TEST(ControlRecords, RequestBytes) {
    EXPECT_TRUE(BuildRestartRequest().empty());
    EXPECT_EQ(BuildSuspendRequest(), Bytes{0x00});
    EXPECT_EQ(BuildModelRequest(), (Bytes{0x01, 0x17, 0x00, 0x01, 0x00, 0x00, 0x00, 0x10}));
}

TEST(ControlRecords, ModelFromEveryOtherByte) {
    EXPECT_EQ(ParseModelReply(ModelReply("E398 "), 20), "E398 ");
    EXPECT_EQ(ParseModelReply(ModelReply("V3XYZ"), 20), "V3XYZ");
    // A zero at byte 6 ends the name after two characters.
    Bytes early = ModelReply("C650X");
    early[6] = 0;
    EXPECT_EQ(ParseModelReply(early, 20), "C6");
    EXPECT_EQ(ParseModelReply(ModelReply("\0ABCD"), 20), "");
}

TEST(ControlRecords, UndeliveredBytesEndTheModel) {
    const Bytes reply = ModelReply("E398 ");
    EXPECT_EQ(ParseModelReply(reply, 11), "E398 ");
    EXPECT_EQ(ParseModelReply(reply, 10), "E398");
    EXPECT_EQ(ParseModelReply(reply, 0), "");
    EXPECT_EQ(ParseModelReply(reply, -7), "");
    EXPECT_EQ(ParseModelReply(Bytes(reply.begin(), reply.begin() + 5), 20), "E3");
}

}  // namespace
}  // namespace velmora
