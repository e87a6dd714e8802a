// The client's own FSAC builders and parsers against the emulated phone: both sides of the
// wire must agree byte for byte.
#include <gtest/gtest.h>

#include "fsac/fsac_records.h"
#include "sim_test_support.h"

namespace velmora::test {
namespace {

Bytes Data(const std::string& text) {
    return TextBytes(text);
}

TEST(SimClientRecords, MultiVolumePhone) {
    TempFolder tmp;
    Rig rig({TestPhone(tmp.path())});
    SendResult version = rig.Send(BuildVersionRequest(), kVersionReplySize);
    ASSERT_EQ(ParseVersionReply(version.reply, version.length).Value(), (FsacVersion{2, 1}));
    SendResult volumes = rig.Send(BuildVolumesRequest(), kVolumesReplySize);
    EXPECT_EQ(ParseVolumesReply(volumes.reply, volumes.length),
              (std::vector<std::string>{"/a", "/b"}));

    ASSERT_EQ(rig.Send(BuildOpenRequest("/b/note.txt", kOpenKeepAttributes).Value(), 2).rc, 0);
    ASSERT_EQ(rig.Send(BuildWriteRequest(Data("hello phone")).Value(), 2).rc, 0);
    ASSERT_EQ(rig.Send(BuildCloseRequest(), 2).rc, 0);
    ASSERT_EQ(rig.Send(BuildAttributeChangeRequest("/b/note.txt", 0x21).Value(), 2).rc, 0);
    ASSERT_EQ(rig.Send(BuildCloseRequest(), 2).rc, 0);

    SendResult start = rig.Send(BuildVolumeSearchRequest('b'), kSearchStartReplySize);
    ASSERT_EQ(ParseSearchStartReply(start.reply, start.length).Value(), 1);
    SendResult next = rig.Send(BuildSearchNextRequest(false), kSearchNextReplySize);
    EXPECT_EQ(ParseSearchNextEntry(next.reply, next.length).Value(),
              (FsacEntryRecord{"/b/note.txt", 0x21, 0, 11}));

    SendResult typed = rig.Send(BuildSearchStartRequest("/b/*.txt", false).Value(), 2);
    EXPECT_EQ(ParseSearchStartReply(typed.reply, typed.length).Value(), 1);

    ASSERT_EQ(rig.Send(BuildOpenRequest("/b/note.txt", kOpenKeepAttributes).Value(), 2).rc, 0);
    SendResult read = rig.Send(BuildReadRequest(1024), kReadReplySize);
    auto data = ReadReplyData(read.reply, read.length, 1024);
    EXPECT_EQ(std::string(data.begin(), data.end()), "hello phone");

    SendResult free = rig.Send(BuildFreeSpaceRequest('b'), kFreeSpaceReplySize);
    EXPECT_EQ(ParseFreeSpaceReply(free.reply, free.length).Value(), 33554432 - 11);
    ASSERT_EQ(rig.Send(BuildDeleteRequest("/b/note.txt").Value(), 2).rc, 0);
}

TEST(SimClientRecords, FlashPhoneRecords) {
    TempFolder tmp;
    Rig rig({FlashPhone(tmp.path())});
    for (int i = 0; i < 25; ++i) {
        // Appended, not "f" + ...: GCC 12 at -O3 warns falsely about that one (-Wrestrict).
        std::string name = "f";
        name += std::to_string(100 + i);
        ASSERT_EQ(rig.Upload(name, "x"), 0);
    }
    SendResult start = rig.Send(BuildVolumeSearchRequest('a'), kSearchStartReplySize);
    ASSERT_EQ(ParseSearchStartReply(start.reply, start.length).Value(), 25);
    std::int64_t expected = 25;
    std::vector<std::size_t> batches;
    while (expected > 0) {
        SendResult next = rig.Send(BuildSearchNextRequest(true), kSearchNextReplySize);
        auto records = ParseSearchNextRecords(next.reply, next.length, expected);
        ASSERT_TRUE(records.Ok()) << records.ErrorText();
        batches.push_back(records.Value().size());
        expected -= static_cast<std::int64_t>(records.Value().size());
    }
    EXPECT_EQ(batches, (std::vector<std::size_t>{20, 5}));

    SendResult typed = rig.Send(BuildSearchStartRequest("f11?", true).Value(), 2);
    EXPECT_EQ(ParseSearchStartReply(typed.reply, typed.length).Value(), 10);
}

}  // namespace
}  // namespace velmora::test
