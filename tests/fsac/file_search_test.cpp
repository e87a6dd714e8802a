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

using test::CountReply;
using test::EntryReply;
using test::FakePhoneWindow;
using test::FakePrompts;
using test::PstCall;
using test::RecordsReply;
using test::ScriptedPst;
using test::ScriptedReply;
using test::SearchRecord;

constexpr const char* k118 = "Can't get file information from phone";

// Logs the reader's calls as "read 3" and "filled 4"; asks to stop once entry stopAt is read.
class LoggingHost : public EntryReaderHost {
  public:
    void EntryRead(std::int32_t index) override {
        log.push_back("read " + std::to_string(index));
        if (index == stopAt) stop = true;
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
    CommandChannel Channel(ChannelCommand command) {
        return CommandChannel(ChannelVariationFor(command), pst, window, prompts, 7, 0x100);
    }
    EntryReadResult Read(bool flag, std::int32_t count) {
        files.Allocate(count);
        auto channel = Channel(ChannelCommand::EntryReader);
        return ReadEntries(channel, files, icons, flag, count, host);
    }
    std::vector<PstCall> Sends() const { return pst.Calls("PSTSendCommand"); }
    void ExpectReported118() {
        ASSERT_EQ(prompts.Boxes().size(), 1u);
        EXPECT_EQ(prompts.Boxes()[0].text, k118);
        EXPECT_EQ(prompts.Boxes()[0].title, "Phone interface");
        EXPECT_EQ(prompts.Boxes()[0].icon, PromptIcon::Stop);
        EXPECT_EQ(window.status.Text(kStatusMessagePart), "Operation failed!!!");
    }

    ScriptedPst pst;
    FakePhoneWindow window;
    FakePrompts prompts;
    FileList files;
    test::NamingIconSource icons;
    LoggingHost host;
};

TEST_F(FileSearchTest, SearchStartGivesTheCountOrReportsTheRequestError) {
    auto channel = Channel(ChannelCommand::FileSearch);
    const std::vector<std::uint8_t> request = {0, 0, 0, 7, 0, 0x2A, 0, 0};
    pst.QueueReply("FSAC", ScriptedReply::Bytes(CountReply(300)));
    EXPECT_EQ(SendSearchStart(channel, request), 300);
    EXPECT_EQ(Sends().at(0).request, request);
    EXPECT_EQ(Sends().at(0).replyCapacity, 2u);
    EXPECT_TRUE(prompts.Boxes().empty());

    // A failed send, then a reply too short to hold the count: both the search request error.
    pst.QueueReply("FSAC", ScriptedReply::Failure(3));
    pst.QueueReply("FSAC", ScriptedReply::Bytes({0x01}));
    EXPECT_FALSE(SendSearchStart(channel, request));
    EXPECT_FALSE(SendSearchStart(channel, request));
    ASSERT_EQ(prompts.Boxes().size(), 2u);
    for (const auto& box : prompts.Boxes()) {
        EXPECT_EQ(box.text, "File search request error");
        EXPECT_EQ(box.title, "Phone Interface");
    }
    EXPECT_EQ(window.status.Text(kStatusMessagePart), "Operation failed!!!");
}

TEST_F(FileSearchTest, OneEntryRepliesFillEntriesInOrderWithIcons) {
    pst.QueueReply("FSAC", ScriptedReply::Bytes(EntryReply({"/a/mobile/x.jpg", 0x21, 9, 1234})));
    pst.QueueReply("FSAC", ScriptedReply::Bytes(EntryReply({"/a/readme", 0x0A, 0, 0x80000000u})));

    const auto result = Read(false, 2);

    EXPECT_EQ(result.end, EntryReadEnd::Complete);
    EXPECT_EQ(result.entriesRead, 2);
    EXPECT_EQ(files.Count(), 2);
    const auto first = *files.Entry(0);
    EXPECT_EQ(first.path, "/a/mobile/x.jpg");
    EXPECT_EQ(first.type, "jpg");
    EXPECT_EQ(first.attributes, 0x21);
    EXPECT_EQ(first.secondValue, 9);
    EXPECT_EQ(first.size, 1234);
    ASSERT_TRUE(first.largeIcon && first.smallIcon);
    EXPECT_EQ(first.largeIcon->name, "large:jpg");
    EXPECT_EQ(first.smallIcon->name, "small:jpg");
    const auto second = *files.Entry(1);
    EXPECT_EQ(second.type, "");
    EXPECT_LT(second.size, 0);
    EXPECT_EQ(second.smallIcon->name, "small:");

    EXPECT_EQ(host.log, (std::vector<std::string>{"read 0", "filled 1", "read 1", "filled 2"}));
    ASSERT_EQ(Sends().size(), 2u);
    for (const auto& call : Sends()) {
        EXPECT_EQ(call.request, (std::vector<std::uint8_t>{0, 0, 0, 8, 1, 0, 0}));
        EXPECT_EQ(call.replyCapacity, 884u);
    }
    EXPECT_TRUE(prompts.Boxes().empty());
}

TEST_F(FileSearchTest, FlashRepliesCarrySeveralRecordsUnderTheSingleVolume) {
    pst.QueueReply("FSAC", ScriptedReply::Bytes(RecordsReply(
                               3, {{"a.mid", 1, 2, 30}, {"b.jpg"}, {"noext", 0, 0, 5}})));
    pst.QueueReply("FSAC", ScriptedReply::Bytes(RecordsReply(2, {{"c.gif"}, {"d.txt"}})));

    const auto result = Read(true, 5);

    EXPECT_EQ(result.end, EntryReadEnd::Complete);
    EXPECT_EQ(result.entriesRead, 5);
    EXPECT_EQ(host.log, (std::vector<std::string>{"read 0", "read 1", "read 2", "filled 3",
                                                  "read 3", "read 4", "filled 5"}));
    const std::vector<std::string> paths = {"FLASH/a.mid", "FLASH/b.jpg", "FLASH/noext",
                                            "FLASH/c.gif", "FLASH/d.txt"};
    for (std::int32_t i = 0; i < 5; ++i) {
        const auto entry = *files.Entry(i);
        EXPECT_EQ(entry.path, paths[static_cast<std::size_t>(i)]);
        ASSERT_TRUE(entry.largeIcon && entry.smallIcon) << i;
        EXPECT_EQ(entry.largeIcon->name, "large:" + entry.type);
    }
    EXPECT_EQ(files.Entry(0)->attributes, 1);
    EXPECT_EQ(files.Entry(0)->secondValue, 2);
    EXPECT_EQ(files.Entry(0)->size, 30);
    EXPECT_EQ(icons.lookups.load(), 10);
    ASSERT_EQ(Sends().size(), 2u);
    EXPECT_EQ(Sends()[0].request, (std::vector<std::uint8_t>{0, 0, 0, 8, 0, 0, 0}));
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
    EXPECT_EQ(files.Entry(6)->path, "/a/f6");
    EXPECT_TRUE(files.Entry(6)->largeIcon);
    EXPECT_EQ(host.log.back(), "filled 7");
    EXPECT_EQ(Sends().size(), 7u);
    EXPECT_TRUE(prompts.Boxes().empty());
}

TEST_F(FileSearchTest, AFailedSendAnnouncesOnlyTheEntriesRead) {
    pst.QueueReply("FSAC", ScriptedReply::Bytes(EntryReply({"/a/1.txt"})));
    pst.QueueReply("FSAC", ScriptedReply::Bytes(EntryReply({"/a/2.txt"})));
    pst.QueueReply("FSAC", ScriptedReply::Failure(5));

    const auto result = Read(false, 5);

    EXPECT_EQ(result.end, EntryReadEnd::SendFailed);
    EXPECT_EQ(result.entriesRead, 2);
    EXPECT_EQ(files.Count(), 2);
    EXPECT_EQ(files.Entry(1)->path, "/a/2.txt");
    EXPECT_EQ(Sends().size(), 3u);
    ExpectReported118();
}

// Replies that cannot be right end the reading after the entries already read, without
// asking the phone again.
struct MalformedCase {
    const char* name;
    bool flash;
    std::vector<std::uint8_t> reply;
    std::optional<std::int32_t> reportedLength;
};

class MalformedReplyTest : public FileSearchTest,
                           public ::testing::WithParamInterface<MalformedCase> {};

TEST_P(MalformedReplyTest, EndsTheReaderKeepingWhatWasRead) {
    const auto& param = GetParam();
    // Two good entries first: one reply of each kind.
    if (param.flash) {
        pst.QueueReply("FSAC", ScriptedReply::Bytes(RecordsReply(2, {{"a.txt"}, {"b.txt"}})));
    } else {
        pst.QueueReply("FSAC", ScriptedReply::Bytes(EntryReply({"/a/a.txt"})));
        pst.QueueReply("FSAC", ScriptedReply::Bytes(EntryReply({"/a/b.txt"})));
    }
    pst.QueueReply("FSAC", ScriptedReply::Bytes(param.reply, param.reportedLength));
    pst.QueueReply("FSAC", ScriptedReply::Bytes(EntryReply({"/a/never"})));

    const auto result = Read(param.flash, 5);

    EXPECT_EQ(result.end, EntryReadEnd::BadReply);
    EXPECT_EQ(result.entriesRead, 2);
    EXPECT_EQ(files.Count(), 2);
    EXPECT_EQ(files.StorageSize(), 5);
    EXPECT_EQ(files.Entry(2)->path, "");
    EXPECT_EQ(Sends().size(), param.flash ? 2u : 3u);
    ExpectReported118();
}

std::vector<std::uint8_t> UnterminatedEntry() {
    auto reply = EntryReply({"/a/" + std::string(257, 'x')});
    return reply;  // 260 path bytes, none of them NUL
}

std::vector<std::uint8_t> UnterminatedRecord() {
    auto reply = RecordsReply(1, {{std::string(36, 'n')}});
    return reply;
}

INSTANTIATE_TEST_SUITE_P(
    Replies, MalformedReplyTest,
    ::testing::Values(MalformedCase{"NoRecords", true, RecordsReply(0, {}), std::nullopt},
                      MalformedCase{"MoreRecordsThanExpected", true,
                                    RecordsReply(4, {{"c"}, {"d"}, {"e"}, {"f"}}), std::nullopt},
                      MalformedCase{"RecordNameWithoutNul", true, UnterminatedRecord(),
                                    std::nullopt},
                      MalformedCase{"RecordsBeyondTheReportedLength", true,
                                    RecordsReply(3, {{"c"}, {"d"}, {"e"}}), 4 + 44 * 2},
                      MalformedCase{"PathWithoutNul", false, UnterminatedEntry(), std::nullopt},
                      MalformedCase{"ShortEntry", false, EntryReply({"/a/c.txt"}), 200}),
    [](const auto& caseInfo) { return std::string(caseInfo.param.name); });

}  // namespace
}  // namespace velmora
