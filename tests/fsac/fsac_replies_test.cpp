#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "fsac/fsac_records.h"

namespace velmora {
namespace {

using Bytes = std::vector<std::uint8_t>;

std::int32_t Length(const Bytes& bytes) {
    return static_cast<std::int32_t>(bytes.size());
}

Bytes EntryReply(const std::string& path, std::uint16_t attributes, std::uint16_t second,
                 std::uint32_t size) {
    Bytes reply(kSearchNextEntryReplySize, 0);
    std::copy(path.begin(), path.end(), reply.begin() + 4);
    reply[264] = static_cast<std::uint8_t>(attributes >> 8);
    reply[265] = static_cast<std::uint8_t>(attributes);
    reply[266] = static_cast<std::uint8_t>(second >> 8);
    reply[267] = static_cast<std::uint8_t>(second);
    for (int i = 0; i < 4; ++i) reply[268 + i] = static_cast<std::uint8_t>(size >> (24 - 8 * i));
    return reply;
}

// A multi-record reply in an 884-byte buffer; records hold their index in every number.
Bytes RecordsReply(std::uint16_t announced, const std::vector<std::string>& names) {
    Bytes reply(kSearchNextReplySize, 0);
    reply[0] = static_cast<std::uint8_t>(announced >> 8);
    reply[1] = static_cast<std::uint8_t>(announced);
    for (std::size_t m = 0; m < names.size(); ++m) {
        const std::size_t at = 4 + 44 * m;
        std::copy(names[m].begin(), names[m].end(), reply.begin() + static_cast<long>(at));
        reply[at + 37] = static_cast<std::uint8_t>(m + 1);
        reply[at + 39] = static_cast<std::uint8_t>(m + 2);
        reply[at + 43] = static_cast<std::uint8_t>(m + 3);
    }
    return reply;
}

TEST(FsacSearchStartReply, CountIsSixteenBit) {
    const Bytes reply = {0x01, 0x2C};
    auto count = ParseSearchStartReply(reply, 2);
    ASSERT_TRUE(count);
    EXPECT_EQ(count.Value(), 300);
    EXPECT_EQ(ParseSearchStartReply(Bytes{0xFF, 0xFF}, 2).Value(), 65535);

    EXPECT_EQ(ParseSearchStartReply(reply, 1).Error(), FsacError::ShortReply);
    EXPECT_EQ(ParseSearchStartReply(reply, -1).Error(), FsacError::ShortReply);
    // A reported length larger than the buffer does not make bytes appear.
    EXPECT_EQ(ParseSearchStartReply(Bytes{0x01}, 2).Error(), FsacError::ShortReply);
}

TEST(FsacSearchNextEntry, ReadsTheFixedFields) {
    const Bytes reply = EntryReply("/a/mobile/picture/x.jpg", 0x0021, 0xBEEF, 0x00012345);
    auto entry = ParseSearchNextEntry(reply, Length(reply));
    ASSERT_TRUE(entry);
    EXPECT_EQ(entry.Value(), (FsacEntryRecord{"/a/mobile/picture/x.jpg", 0x0021, 0xBEEF, 0x12345}));

    // A larger buffer with the same reply in it reads the same.
    Bytes inBuffer = reply;
    inBuffer.resize(kSearchNextReplySize, 0xAA);
    EXPECT_EQ(ParseSearchNextEntry(inBuffer, Length(reply)).Value(), entry.Value());
}

TEST(FsacSearchNextEntry, PathMustEndInsideItsField) {
    const std::string longest(259, 'p');
    auto fits = ParseSearchNextEntry(EntryReply(longest, 0, 0, 0), 272);
    ASSERT_TRUE(fits);
    EXPECT_EQ(fits.Value().name, longest);

    // 260 characters leave no room for the NUL: the next bytes are the attribute word.
    Bytes unterminated = EntryReply(std::string(260, 'p'), 0x0101, 0, 0);
    auto bad = ParseSearchNextEntry(unterminated, 272);
    ASSERT_FALSE(bad);
    EXPECT_EQ(bad.Error(), FsacError::BadReply);
    EXPECT_EQ(bad.ErrorText(), "The phone's reply is malformed.");
}

TEST(FsacSearchNextEntry, ShortRepliesAreRefused) {
    const Bytes reply = EntryReply("/a/x", 0, 0, 10);
    EXPECT_EQ(ParseSearchNextEntry(reply, 271).Error(), FsacError::ShortReply);
    EXPECT_EQ(ParseSearchNextEntry(reply, 0).Error(), FsacError::ShortReply);
    EXPECT_EQ(ParseSearchNextEntry(Bytes(100, 0), 272).Error(), FsacError::ShortReply);
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
    const Bytes full = RecordsReply(20, std::vector<std::string>(20, "f"));
    auto twenty = ParseSearchNextRecords(full, Length(full), 20);
    ASSERT_TRUE(twenty);
    EXPECT_EQ(twenty.Value().size(), 20u);
}

TEST(FsacSearchNextRecords, CountsTheReplyCannotHoldOrTheListingDoesNotExpect) {
    const Bytes reply = RecordsReply(3, {"a", "b", "c"});
    const std::int32_t length = 4 + 3 * 44;
    EXPECT_EQ(ParseSearchNextRecords(RecordsReply(0, {}), 884, 5).Error(), FsacError::BadReply);
    EXPECT_EQ(ParseSearchNextRecords(reply, length, 2).Error(), FsacError::BadReply);
    EXPECT_EQ(ParseSearchNextRecords(reply, length, 0).Error(), FsacError::BadReply);
    EXPECT_TRUE(ParseSearchNextRecords(reply, length, 3));
    // The third record is cut off by the reported length.
    EXPECT_EQ(ParseSearchNextRecords(reply, length - 1, 3).Error(), FsacError::ShortReply);
    // 65535 announced in a full buffer: far more than fit.
    EXPECT_EQ(ParseSearchNextRecords(RecordsReply(0xFFFF, {}), 884, 100000).Error(),
              FsacError::ShortReply);
    EXPECT_EQ(ParseSearchNextRecords(reply, 3, 3).Error(), FsacError::ShortReply);
}

TEST(FsacSearchNextRecords, NameMustEndInsideItsField) {
    Bytes reply = RecordsReply(2, {"ok", std::string(36, 'n')});
    auto records = ParseSearchNextRecords(reply, 4 + 2 * 44, 2);
    ASSERT_FALSE(records);
    EXPECT_EQ(records.Error(), FsacError::BadReply);
}

TEST(FsacVersionReply, MajorAndMinor) {
    EXPECT_EQ(ParseVersionReply(Bytes{1, 5}, 2).Value(), (FsacVersion{1, 5}));
    EXPECT_EQ(ParseVersionReply(Bytes{2, 0}, 2).Value(), (FsacVersion{2, 0}));
    EXPECT_EQ(ParseVersionReply(Bytes{2, 0}, 1).Error(), FsacError::ShortReply);
}

TEST(FsacVolumesReply, NamesFromTheLowBytesOfEachTriple) {
    const Bytes twelve = {0x00, 0x2F, 0x00, 0x61, 0x00, 0x00, 0x00, 0x2F, 0x00, 0x62, 0x00, 0x00};
    const std::vector<std::string> ab = {"/a", "/b"};
    EXPECT_EQ(ParseVolumesReply(twelve, 12), ab);
    Bytes fourteen = twelve;
    fourteen.insert(fourteen.end(), {0x00, 0x2F});
    EXPECT_EQ(ParseVolumesReply(fourteen, 14), ab);  // the leftover unit is ignored
    Bytes odd = twelve;
    odd.push_back(0x00);
    EXPECT_EQ(ParseVolumesReply(odd, 13), ab);  // half a unit is no unit

    // A name needs its terminating unit: 10 bytes hold only the first.
    EXPECT_EQ(ParseVolumesReply(twelve, 10), std::vector<std::string>{"/a"});
    EXPECT_TRUE(ParseVolumesReply(twelve, 4).empty());
    EXPECT_TRUE(ParseVolumesReply(twelve, 0).empty());
    EXPECT_TRUE(ParseVolumesReply(twelve, -3).empty());
    EXPECT_EQ(ParseVolumesReply(twelve, 1000), ab);  // never past the buffer
}

TEST(FsacVolumesReply, FullBufferAndHighBytes) {
    Bytes reply(kVolumesReplySize, 0);
    for (std::size_t k = 0; 6 * k + 5 < reply.size(); ++k) {
        reply[6 * k] = 0xAB;  // high bytes are not part of the name
        reply[6 * k + 1] = '/';
        reply[6 * k + 3] = static_cast<std::uint8_t>('a' + k % 26);
    }
    const auto names = ParseVolumesReply(reply, Length(reply));
    // 513 bytes are 256 units: names while 3k < 254.
    ASSERT_EQ(names.size(), 85u);
    EXPECT_EQ(names[0], "/a");
    EXPECT_EQ(names[84], std::string("/") + static_cast<char>('a' + 84 % 26));
}

TEST(FsacFreeSpaceReply, SignedThirtyTwoBit) {
    EXPECT_EQ(ParseFreeSpaceReply(Bytes{0x00, 0x4C, 0x4B, 0x40}, 4).Value(), 5000000);
    EXPECT_EQ(ParseFreeSpaceReply(Bytes{0x80, 0x00, 0x00, 0x00}, 4).Value(), INT32_MIN);
    EXPECT_EQ(ParseFreeSpaceReply(Bytes{0xFF, 0xFF, 0xFF, 0xFE}, 4).Value(), -2);
    EXPECT_EQ(ParseFreeSpaceReply(Bytes{0x7F, 0xFF, 0xFF, 0xFF}, 4).Value(), INT32_MAX);
    EXPECT_EQ(ParseFreeSpaceReply(Bytes{0, 0, 0, 1}, 3).Error(), FsacError::ShortReply);
}

TEST(FsacReadReply, NeverMoreThanAskedOrHeld) {
    Bytes buffer(kReadReplySize);
    for (std::size_t i = 0; i < buffer.size(); ++i) buffer[i] = static_cast<std::uint8_t>(i);
    EXPECT_EQ(ReadReplyData(buffer, 1024, 1024).size(), 1024u);
    EXPECT_EQ(ReadReplyData(buffer, 300, 1024).size(), 300u);  // a short delivery
    EXPECT_EQ(ReadReplyData(buffer, 1024, 452).size(), 452u);  // longer than asked
    EXPECT_EQ(ReadReplyData(buffer, 4000, 4000).size(), 1024u);
    EXPECT_TRUE(ReadReplyData(buffer, 0, 1024).empty());
    EXPECT_TRUE(ReadReplyData(buffer, -1, 1024).empty());
    const auto data = ReadReplyData(buffer, 10, 5);
    EXPECT_EQ(Bytes(data.begin(), data.end()), (Bytes{0, 1, 2, 3, 4}));
}

}  // namespace
}  // namespace velmora
