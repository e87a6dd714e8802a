#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "fsac/fsac_records.h"

namespace velmora {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes EntryReply(const std::string& path) {
    Bytes reply(kSearchNextEntryReplySize, 0);
    std::copy(path.begin(), path.end(), reply.begin() + 4);
    const Bytes tail = {0x00, 0x21, 0xBE, 0xEF, 0x00, 0x01, 0x23, 0x45};
    std::copy(tail.begin(), tail.end(), reply.begin() + 264);
    return reply;
}

// A multi-record reply in an 884-byte buffer; record m holds m + 1, m + 2 and m + 3.
Bytes RecordsReply(std::uint16_t announced, const std::vector<std::string>& names) {
    Bytes reply(kSearchNextReplySize, 0);
    reply[0] = static_cast<std::uint8_t>(announced >> 8);
    reply[1] = static_cast<std::uint8_t>(announced);
    for (std::size_t m = 0; m < names.size(); ++m) {
        const auto record = reply.begin() + static_cast<std::ptrdiff_t>(4 + 44 * m);
        std::copy(names[m].begin(), names[m].end(), record);
        record[37] = static_cast<std::uint8_t>(m + 1);
        record[39] = static_cast<std::uint8_t>(m + 2);
        record[43] = static_cast<std::uint8_t>(m + 3);
    }
    return reply;
}

TEST(FsacSearchStartReply, CountOrShortReply) {
    EXPECT_EQ(ParseSearchStartReply(Bytes{0x01, 0x2C}, 2).Value(), 300);
    EXPECT_EQ(ParseSearchStartReply(Bytes{0x01, 0x2C}, 1).Error(), FsacError::ShortReply);
    EXPECT_EQ(ParseSearchStartReply(Bytes{0x01, 0x2C}, -1).Error(), FsacError::ShortReply);
    // A reported length larger than the buffer does not make bytes appear.
    EXPECT_EQ(ParseSearchStartReply(Bytes{0x01}, 2).Error(), FsacError::ShortReply);
}

TEST(FsacSearchNextEntry, FieldsAndTheirLimits) {
    Bytes reply = EntryReply("/a/mobile/picture/x.jpg");
    reply.resize(kSearchNextReplySize, 0xAA);  // the rest of the 884-byte buffer
    auto entry = ParseSearchNextEntry(reply, 272);
    ASSERT_TRUE(entry);
    EXPECT_EQ(entry.Value(), (FsacEntryRecord{"/a/mobile/picture/x.jpg", 0x0021, 0xBEEF, 0x12345}));
    EXPECT_EQ(ParseSearchNextEntry(reply, 271).Error(), FsacError::ShortReply);
    EXPECT_EQ(ParseSearchNextEntry(Bytes(100, 0), 272).Error(), FsacError::ShortReply);

    const std::string longest(259, 'p');
    EXPECT_EQ(ParseSearchNextEntry(EntryReply(longest), 272).Value().name, longest);
    // 260 characters leave no room for the NUL: the next bytes are the attribute word.
    auto unterminated = ParseSearchNextEntry(EntryReply(longest + "p"), 272);
    ASSERT_FALSE(unterminated);
    EXPECT_EQ(unterminated.Error(), FsacError::BadReply);
    EXPECT_EQ(unterminated.ErrorText(), "The phone's reply is malformed.");
}

TEST(FsacSearchNextRecords, ReadsEveryAnnouncedRecord) {
    const Bytes reply = RecordsReply(3, {"a.txt", "b", std::string(35, 'n')});
    auto records = ParseSearchNextRecords(reply, 4 + 3 * 44, 5);
    ASSERT_TRUE(records);
    ASSERT_EQ(records.Value().size(), 3u);
    EXPECT_EQ(records.Value()[0], (FsacEntryRecord{"a.txt", 1, 2, 3}));
    EXPECT_EQ(records.Value()[1], (FsacEntryRecord{"b", 2, 3, 4}));
    EXPECT_EQ(records.Value()[2].name, std::string(35, 'n'));
    // Twenty records fill the 884-byte buffer exactly.
    EXPECT_EQ(ParseSearchNextRecords(RecordsReply(20, std::vector<std::string>(20, "f")), 884, 20)
                  .Value()
                  .size(),
              20u);
}

TEST(FsacSearchNextRecords, CountsAndNamesThatCannotBeRight) {
    const Bytes reply = RecordsReply(3, {"a", "b", "c"});
    const std::int32_t length = 4 + 3 * 44;
    EXPECT_TRUE(ParseSearchNextRecords(reply, length, 3));
    EXPECT_EQ(ParseSearchNextRecords(RecordsReply(0, {}), 884, 5).Error(), FsacError::BadReply);
    EXPECT_EQ(ParseSearchNextRecords(reply, length, 2).Error(), FsacError::BadReply);
    EXPECT_EQ(ParseSearchNextRecords(reply, length, 0).Error(), FsacError::BadReply);
    // The third record is cut off by the reported length.
    EXPECT_EQ(ParseSearchNextRecords(reply, length - 1, 3).Error(), FsacError::ShortReply);
    EXPECT_EQ(ParseSearchNextRecords(RecordsReply(0xFFFF, {}), 884, 100000).Error(),
              FsacError::ShortReply);
    EXPECT_EQ(ParseSearchNextRecords(RecordsReply(2, {"ok", std::string(36, 'n')}), 92, 2).Error(),
              FsacError::BadReply);
}

TEST(FsacVolumesReply, NamesFromTheLowBytesOfEachTriple) {
    const Bytes twelve = {0x00, 0x2F, 0x00, 0x61, 0x00, 0x00, 0x00, 0x2F, 0x00, 0x62, 0x00, 0x00};
    const std::vector<std::string> ab = {"/a", "/b"};
    EXPECT_EQ(ParseVolumesReply(twelve, 12), ab);
    Bytes fourteen = twelve;
    fourteen.insert(fourteen.end(), {0x00, 0x2F});
    EXPECT_EQ(ParseVolumesReply(fourteen, 14), ab);  // the leftover unit is ignored
    EXPECT_EQ(ParseVolumesReply(fourteen, 13), ab);  // half a unit is no unit
    // A name needs its terminating unit: 10 bytes hold only the first.
    EXPECT_EQ(ParseVolumesReply(twelve, 10), std::vector<std::string>{"/a"});
    EXPECT_TRUE(ParseVolumesReply(twelve, 4).empty());
    EXPECT_TRUE(ParseVolumesReply(twelve, -3).empty());
    EXPECT_EQ(ParseVolumesReply(twelve, 1000), ab);  // never past the buffer

    // 513 bytes are 256 units: names while 3k < 254. High bytes are not part of a name.
    Bytes full(kVolumesReplySize, 0xAB);
    const auto names = ParseVolumesReply(full, 513);
    ASSERT_EQ(names.size(), 85u);
    EXPECT_EQ(names[84], "\xAB\xAB");
}

TEST(FsacSmallReplies, VersionAndSignedFreeSpace) {
    EXPECT_EQ(ParseVersionReply(Bytes{1, 5}, 2).Value(), (FsacVersion{1, 5}));
    EXPECT_EQ(ParseVersionReply(Bytes{2, 0}, 2).Value(), (FsacVersion{2, 0}));
    EXPECT_EQ(ParseVersionReply(Bytes{2, 0}, 1).Error(), FsacError::ShortReply);

    EXPECT_EQ(ParseFreeSpaceReply(Bytes{0x00, 0x4C, 0x4B, 0x40}, 4).Value(), 5000000);
    EXPECT_EQ(ParseFreeSpaceReply(Bytes{0x80, 0x00, 0x00, 0x00}, 4).Value(), INT32_MIN);
    EXPECT_EQ(ParseFreeSpaceReply(Bytes{0xFF, 0xFF, 0xFF, 0xFE}, 4).Value(), -2);
    EXPECT_EQ(ParseFreeSpaceReply(Bytes{0, 0, 0, 1}, 3).Error(), FsacError::ShortReply);
}

TEST(FsacReadReply, NeverMoreThanDeliveredAskedOrHeld) {
    Bytes buffer(kReadReplySize);
    for (std::size_t i = 0; i < buffer.size(); ++i) buffer[i] = static_cast<std::uint8_t>(i);
    EXPECT_EQ(ReadReplyData(buffer, 300, 1024).size(), 300u);
    EXPECT_EQ(ReadReplyData(buffer, 1024, 452).size(), 452u);
    EXPECT_EQ(ReadReplyData(buffer, 4000, 4000).size(), 1024u);
    EXPECT_TRUE(ReadReplyData(buffer, -1, 1024).empty());
    const auto data = ReadReplyData(buffer, 10, 3);
    EXPECT_EQ(Bytes(data.begin(), data.end()), (Bytes{0, 1, 2}));
}

}  // namespace
}  // namespace velmora
