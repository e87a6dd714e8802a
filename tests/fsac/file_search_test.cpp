#include "fsac/file_search.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fsac/search_replies.h"
#include "support/fake_phone_window.h"
#include "support/fakes.h"
#include "support/scripted_pst.h"

namespace velmora {
namespace {

using test::EntryReply;
using test::RecordsReply;
using test::ScriptedReply;

// Logs "read 3" and "filled 4"; asks to stop once entry stopAt has been read.
class LoggingHost : public EntryReaderHost {
  public:
    void EntryRead(std::int32_t index) override {
        log.push_back("read " + std::to_string(index));
        stop = stop || index == stopAt;
    }
    void EntriesFilled(std::int32_t count) override {
        log.push_back("filled " + std::to_string(count));
    }
    bool StopRequested() override { return stop; }

    std::vector<std::string> log;
    std::int32_t stopAt = -1;
    bool stop = false;
};

class FileSearchTest : public ::testing::Test {
  protected:
    EntryReadResult Read(bool flag, std::int32_t count) {
        files.Allocate(count);
        CommandChannel channel(ChannelVariationFor(ChannelCommand::EntryReader), pst, window,
                               prompts, 7, 0x100);
        return ReadEntries(channel, files, flag, count, host);
    }
    std::size_t Sends() const { return pst.Calls("PSTSendCommand").size(); }

    test::ScriptedPst pst;
    test::FakePhoneWindow window;
    test::FakePrompts prompts;
    FileList files;
    test::NamingIconSource icons;
    LoggingHost host;
};

TEST_F(FileSearchTest, FlashRepliesFillSeveralEntriesEach) {
    pst.QueueReply("FSAC", ScriptedReply::Bytes(RecordsReply(
                               3, {{"a.mid", 1, 2, 30}, {"b.jpg"}, {"noext", 0, 0, 0x80000000u}})));
    pst.QueueReply("FSAC", ScriptedReply::Bytes(RecordsReply(2, {{"c.gif"}, {"d.txt"}})));

    const auto result = Read(true, 5);

    EXPECT_EQ(result.end, EntryReadEnd::Complete);
    EXPECT_EQ(host.log, (std::vector<std::string>{"read 0", "read 1", "read 2", "filled 3",
                                                  "read 3", "read 4", "filled 5"}));
    const auto first = *files.Entry(0);
    EXPECT_EQ(first.path, "FLASH/a.mid");
    EXPECT_EQ(first.type, "mid");
    EXPECT_EQ(first.attributes, 1);
    EXPECT_EQ(first.secondValue, 2);
    EXPECT_EQ(first.size, 30);
    EXPECT_LT(files.Entry(2)->size, 0);  // the signed size field
    // The icons are the window's to give.
    EXPECT_FALSE(first.largeIcon || first.smallIcon);
    ASSERT_EQ(Sends(), 2u);
    EXPECT_EQ(pst.Calls("PSTSendCommand")[0].request,
              (std::vector<std::uint8_t>{0, 0, 0, 8, 0, 0, 0}));
    EXPECT_EQ(pst.Calls("PSTSendCommand")[0].replyCapacity, 884u);
}

TEST_F(FileSearchTest, InterruptKeepsTheEntriesOfTheRepliesRead) {
    for (int i = 0; i < 40; ++i) {
        pst.QueueReply("FSAC", ScriptedReply::Bytes(EntryReply({"/a/f" + std::to_string(i)})));
    }
    host.stopAt = 6;

    const auto result = Read(false, 40);

    EXPECT_EQ(result.end, EntryReadEnd::Interrupted);
    EXPECT_EQ(result.entriesRead, 7);
    EXPECT_EQ(files.Count(), 7);
    EXPECT_EQ(host.log.back(), "filled 7");
    EXPECT_EQ(Sends(), 7u);
    EXPECT_TRUE(prompts.Boxes().empty());
}

TEST_F(FileSearchTest, GiveIconsGivesEachEntryTheIconsOfItsType) {
    files.Allocate(4);
    files.SetEntry(0, MakeFileEntry("/a/x.mid", "/a/x.mid", 0, 0, 1));
    files.SetEntry(1, MakeFileEntry("/a/noext", "/a/noext", 0, 0, 1));
    files.SetEntry(2, MakeFileEntry("/a/y.JPG", "/a/y.JPG", 0, 0, 1));

    GiveIcons(files, icons, 1, 6);  // beyond the storage nothing happens

    EXPECT_FALSE(files.Entry(0)->largeIcon);
    for (std::int32_t i = 1; i < 4; ++i) {
        const auto entry = *files.Entry(i);
        ASSERT_TRUE(entry.largeIcon && entry.smallIcon) << i;
        EXPECT_EQ(entry.largeIcon->name, "large:" + entry.type);
        EXPECT_EQ(entry.smallIcon->name, "small:" + entry.type);
    }
}

// A failed send, or a reply that cannot be right, ends the reading after the entries already
// read: it neither loops, nor writes past the list, nor asks the phone again.
struct BrokenReply {
    const char* name;
    bool flash;
    ScriptedReply reply;
};

class BrokenReplyTest : public FileSearchTest, public ::testing::WithParamInterface<BrokenReply> {};

TEST_P(BrokenReplyTest, EndsTheReaderKeepingOnlyWhatWasRead) {
    const auto& param = GetParam();
    if (param.flash) {
        pst.QueueReply("FSAC", ScriptedReply::Bytes(RecordsReply(2, {{"a.txt"}, {"b.txt"}})));
    } else {
        pst.QueueReply("FSAC", ScriptedReply::Bytes(EntryReply({"/a/a.txt"})));
        pst.QueueReply("FSAC", ScriptedReply::Bytes(EntryReply({"/a/b.txt"})));
    }
    pst.QueueReply("FSAC", param.reply);
    pst.QueueReply("FSAC", ScriptedReply::Bytes(EntryReply({"/a/never"})));

    const auto result = Read(param.flash, 5);

    EXPECT_NE(result.end, EntryReadEnd::Complete);
    EXPECT_EQ(result.entriesRead, 2);
    EXPECT_EQ(files.Count(), 2);  // no zero-filled entry stays announced
    EXPECT_EQ(files.StorageSize(), 5);
    EXPECT_EQ(files.Entry(1)->path, param.flash ? "FLASH/b.txt" : "/a/b.txt");
    EXPECT_EQ(Sends(), param.flash ? 2u : 3u);
    ASSERT_EQ(prompts.Boxes().size(), 1u);
    EXPECT_EQ(prompts.Boxes()[0].text, "Can't get file information from phone");
    EXPECT_EQ(prompts.Boxes()[0].title, "Phone interface");
    EXPECT_EQ(prompts.Boxes()[0].icon, PromptIcon::Stop);
    EXPECT_EQ(window.status.Text(kStatusMessagePart), "Operation failed!!!");
}

INSTANTIATE_TEST_SUITE_P(
    Replies, BrokenReplyTest,
    ::testing::Values(
        BrokenReply{"SendFails", false, ScriptedReply::Failure(5)},
        BrokenReply{"NoRecords", true, ScriptedReply::Bytes(RecordsReply(0, {}))},
        BrokenReply{"MoreRecordsThanExpected", true,
                    ScriptedReply::Bytes(RecordsReply(4, {{"c"}, {"d"}, {"e"}, {"f"}}))},
        BrokenReply{"RecordNameWithoutNul", true,
                    ScriptedReply::Bytes(RecordsReply(1, {{std::string(36, 'n')}}))},
        BrokenReply{"RecordsBeyondTheReportedLength", true,
                    ScriptedReply::Bytes(RecordsReply(3, {{"c"}, {"d"}, {"e"}}), 4 + 44 * 2)},
        BrokenReply{"PathWithoutNul", false,
                    ScriptedReply::Bytes(EntryReply({"/a/" + std::string(257, 'x')}))},
        BrokenReply{"ShortEntry", false, ScriptedReply::Bytes(EntryReply({"/a/c.txt"}), 200)}),
    [](const auto& caseInfo) { return std::string(caseInfo.param.name); });

}  // namespace
}  // namespace velmora
