#include "ui/listing_commands.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/scripted_pst.h"
#include "transfer/stop_flag.h"
#include "ui/listing_fixture.h"

namespace velmora {
namespace {

using test::CountReply;
using test::EntryReply;
using test::ListingRig;
using test::RecordsReply;
using test::ScriptedPst;
using test::ScriptedReply;
using Bytes = std::vector<std::uint8_t>;

// The search pattern of a request: its 16-bit units after the operation code, as text, with
// the separator shown as "|".
std::string PatternOf(const Bytes& request) {
    std::string text;
    for (std::size_t at = 4; at + 1 < request.size(); at += 2) {
        if (request[at] == 0xFF && request[at + 1] == 0xFE) {
            text += '|';
        } else if (request[at] == 0 && request[at + 1] == 0) {
            text += "$";
        } else {
            text += static_cast<char>(request[at + 1]);
        }
    }
    return text;
}

class ListingCommandsTest : public ::testing::Test {
  protected:
    void SetUp() override { StopFlag.store(kStopRequested); }

    // The FSAC requests sent, search start first.
    std::vector<Bytes> FsacRequests() const {
        std::vector<Bytes> requests;
        for (const auto& call : pst.Calls("PSTSendCommand")) {
            if (call.command == "FSAC") requests.push_back(call.request);
        }
        return requests;
    }
    void QueueListing(const std::vector<std::string>& paths) {
        pst.QueueReply("FSAC",
                       ScriptedReply::Bytes(CountReply(static_cast<std::uint16_t>(paths.size()))));
        for (const auto& path : paths) {
            pst.QueueReply("FSAC", ScriptedReply::Bytes(EntryReply({path, 0x20, 0, 10})));
        }
    }
    std::vector<std::string> BoxTexts() const { return rig.window.prompts.Texts(); }

    ScriptedPst pst;
    ListingRig rig{pst};
};

TEST_F(ListingCommandsTest, GetFileListReadsTheSelectedVolumeAndShowsItsFirstVolume) {
    rig.window.letter = 'b';
    rig.files.Allocate(3);  // an earlier listing, replaced
    rig.list.FillFlat(std::vector<FileEntry>(3));
    QueueListing({"/b/mobile/x.jpg", "/b/y.txt"});

    rig.commands.GetFileList();

    const auto requests = FsacRequests();
    ASSERT_EQ(requests.size(), 3u);
    EXPECT_EQ(requests[0],
              (Bytes{0, 0, 0, 7, 0, 0x2F, 0, 0x62, 0, 0x2F, 0xFF, 0xFE, 0, 0x2A, 0, 0}));
    EXPECT_EQ(requests[1], (Bytes{0, 0, 0, 8, 1, 0, 0}));
    EXPECT_EQ(rig.window.modelQueries, 1);
    EXPECT_EQ(rig.window.letter, 'b');
    EXPECT_EQ(rig.files.Count(), 2);
    EXPECT_EQ(rig.files.Entry(1)->path, "/b/y.txt");
    EXPECT_EQ(rig.tree.EntryCount(), 2);
    EXPECT_EQ(rig.window.range, 2);
    EXPECT_EQ(rig.window.position, 2);

    const auto status = rig.window.status.History(kStatusMessagePart);
    const std::vector<std::string> expected = {"Reading file list from phone...",
                                               "Reading file list from phone... 1 from 2 read",
                                               "Reading file list from phone... 2 from 2 read"};
    EXPECT_EQ(status, expected);
    EXPECT_EQ(rig.window.LogLines(), (std::vector<std::string>{"enable 0 0", "enable 1 1"}));
    EXPECT_EQ(StopFlag.load(), kStopRequested);

    // The listing ends on the first volume, selected and showing its folder rows.
    EXPECT_EQ(rig.list.DisplayMode(), kDisplayFolder);
    const TreeNode* selected = rig.tree.Node(rig.tree.Selection());
    ASSERT_NE(selected, nullptr);
    EXPECT_EQ(selected->text, "/a");
    EXPECT_EQ(rig.list.RowCount(), 0);  // the tree's handler fills the rows, not the reader
}

TEST_F(ListingCommandsTest, TheVolumeLetterRule) {
    // One volume and nothing selected: volume a, even with the file-system flag, and the
    // pattern keeps its separator.
    rig.window.volumeCount = 1;
    rig.window.fileSystemFlag = true;
    QueueListing({});
    rig.commands.GetFileList();
    EXPECT_EQ(rig.window.letter, 'a');
    ASSERT_EQ(FsacRequests().size(), 1u);
    EXPECT_EQ(PatternOf(FsacRequests()[0]), "/a/|*$");
    // A count of 0 still runs the reader, which ends at once.
    EXPECT_EQ(rig.jobsStarted, 1);
    EXPECT_EQ(rig.window.LogLines(), (std::vector<std::string>{"enable 0 0", "enable 1 1"}));

    // With one volume a selected letter does not count.
    pst.ClearCalls();
    rig.window.letter = 'b';
    QueueListing({});
    rig.commands.GetFileList();
    EXPECT_EQ(PatternOf(FsacRequests().at(0)), "/a/|*$");

    // Two volumes and none selected: the user is asked to pick one, nothing else happens.
    pst.ClearCalls();
    rig.window.volumeCount = 2;
    rig.window.letter = 0;
    rig.files.Allocate(4);
    rig.commands.GetFileList();
    EXPECT_TRUE(pst.Calls().empty());
    ASSERT_EQ(rig.window.prompts.Boxes().size(), 1u);
    const auto box = rig.window.prompts.Boxes()[0];
    EXPECT_EQ(box.text, "Volume not selected, select volume on tree");
    EXPECT_EQ(box.title, "Velmora");
    EXPECT_EQ(box.icon, PromptIcon::Information);
    EXPECT_TRUE(rig.files.HasStorage());
    EXPECT_EQ(rig.files.Count(), 4);
}

TEST_F(ListingCommandsTest, WithoutTheLibraryNeitherCommandSendsAnything) {
    rig.window.libraryReady = false;
    rig.window.letter = 'a';
    rig.window.mask = "*.jpg";
    rig.commands.GetFileList();
    rig.commands.Search();
    EXPECT_TRUE(pst.Calls().empty());
    ASSERT_EQ(rig.window.prompts.Boxes().size(), 2u);
    for (const auto& box : rig.window.prompts.Boxes()) {
        EXPECT_EQ(box.text, "Can't init phone interface. Command interface disabled.");
        EXPECT_EQ(box.title, "Phone interface");
        EXPECT_EQ(box.icon, PromptIcon::Stop);
    }
    EXPECT_EQ(rig.window.status.Text(kStatusMessagePart), "Operation failed!!!");
    EXPECT_EQ(rig.window.modelQueries, 0);
}

TEST_F(ListingCommandsTest, AFailedSearchStartLeavesTheListEmpty) {
    rig.window.letter = 'a';
    rig.files.Allocate(2);
    pst.QueueReply("FSAC", ScriptedReply::Failure(1));
    rig.commands.GetFileList();
    EXPECT_EQ(BoxTexts(), (std::vector<std::string>{"File search request error"}));
    EXPECT_FALSE(rig.files.HasStorage());
    EXPECT_EQ(rig.jobsStarted, 0);
}

TEST_F(ListingCommandsTest, ASearchWithoutMatchesKeepsTheHistory) {
    rig.history.Remember("*.jpg");
    rig.window.mask = "*.mp3";
    pst.QueueReply("FSAC", ScriptedReply::Bytes(CountReply(0)));

    rig.commands.Search();

    ASSERT_EQ(FsacRequests().size(), 1u);
    EXPECT_EQ(FsacRequests()[0],
              (Bytes{0, 0, 0, 7, 0xFF, 0xFE, 0, '*', 0, '.', 0, 'm', 0, 'p', 0, '3', 0, 0}));
    EXPECT_EQ(rig.window.status.Text(kStatusMessagePart), "There were no files found");
    EXPECT_EQ(rig.history.Masks(), (std::vector<std::string>{"*.jpg"}));
    EXPECT_EQ(rig.user.writes(), 0);
    EXPECT_TRUE(rig.window.maskChoices.empty());
    EXPECT_EQ(rig.jobsStarted, 0);
    EXPECT_EQ(rig.files.Count(), 0);
}

TEST_F(ListingCommandsTest, AnAcceptedSearchRemembersItsMaskByThePrefixRule) {
    for (const char* mask : {"abcdef", "zzz", "y", "x"}) rig.history.Remember(mask);
    ASSERT_EQ(rig.history.Slot(3), "abcdef");
    rig.window.mask = "abc";
    pst.QueueReply("FSAC", ScriptedReply::Bytes(CountReply(1)));
    pst.QueueReply("FSAC", ScriptedReply::Bytes(EntryReply({"/a/abc.txt"})));

    rig.commands.Search();

    EXPECT_EQ(rig.history.Slot(0), "abc");
    EXPECT_EQ(rig.history.Slot(3), "x");
    EXPECT_EQ(rig.window.maskChoices, (std::vector<std::string>{"abc", "y", "zzz", "x"}));
    const auto stored = rig.user.ReadBinary(kSearchArrayValue);
    ASSERT_TRUE(stored);
    EXPECT_EQ(*stored, Binary(rig.history.Bytes().begin(), rig.history.Bytes().end()));
}

TEST_F(ListingCommandsTest, ElevenSearchesKeepTheTenNewest) {
    for (int i = 0; i < 11; ++i) {
        rig.window.mask = "*." + std::to_string(i);
        pst.QueueReply("FSAC", ScriptedReply::Bytes(CountReply(1)));
        pst.QueueReply("FSAC", ScriptedReply::Bytes(EntryReply({"/a/f." + std::to_string(i)})));
        rig.commands.Search();
    }
    std::vector<std::string> newest;
    for (int i = 10; i >= 1; --i) newest.push_back("*." + std::to_string(i));
    EXPECT_EQ(rig.window.maskChoices, newest);
    EXPECT_EQ(rig.user.writes(), 11);
}

TEST_F(ListingCommandsTest, TheFileSystemFlagDropsTheSeparatorOfASearch) {
    rig.window.fileSystemFlag = true;
    rig.window.mask = "*.mid";
    pst.QueueReply("FSAC", ScriptedReply::Bytes(CountReply(0)));
    rig.commands.Search();
    EXPECT_EQ(PatternOf(FsacRequests().at(0)), "*.mid$");

    pst.ClearCalls();
    rig.window.fileSystemFlag = false;
    rig.window.mask = "/a/mobile/*.jpg";
    pst.QueueReply("FSAC", ScriptedReply::Bytes(CountReply(0)));
    rig.commands.Search();
    EXPECT_EQ(PatternOf(FsacRequests().at(0)), "/a/mobile/|*.jpg$");
}

TEST_F(ListingCommandsTest, ATextTooLongForThePatternIsRefusedBeforeAnythingIsSent) {
    rig.files.Allocate(3);
    rig.window.mask = "/a/" + std::string(126, 'x');  // 129 characters
    rig.commands.Search();
    EXPECT_TRUE(pst.Calls().empty());
    ASSERT_EQ(rig.window.prompts.Boxes().size(), 1u);
    EXPECT_EQ(rig.window.prompts.Boxes()[0].title, "Velmora");
    EXPECT_NE(rig.window.prompts.Boxes()[0].text.find("128"), std::string::npos);
    EXPECT_TRUE(rig.files.HasStorage());
    EXPECT_EQ(rig.window.modelQueries, 0);

    // 128 characters still fit.
    rig.window.mask = "/a/" + std::string(125, 'x');
    pst.QueueReply("FSAC", ScriptedReply::Bytes(CountReply(0)));
    rig.commands.Search();
    EXPECT_EQ(FsacRequests().size(), 1u);
}

TEST_F(ListingCommandsTest, ASearchEndsWithTheFlatListAndTheLastBranch) {
    rig.window.mask = "*.mid";
    pst.QueueReply("FSAC", ScriptedReply::Bytes(CountReply(2)));
    pst.QueueReply("FSAC", ScriptedReply::Bytes(EntryReply({"/a/audio/ring.mid", 0x20, 0, 99})));
    pst.QueueReply("FSAC", ScriptedReply::Bytes(EntryReply({"/b/music/x/tune.mid", 0x21, 0, 7})));

    rig.commands.Search();

    EXPECT_EQ(rig.list.DisplayMode(), kDisplayFlat);
    ASSERT_EQ(rig.list.RowCount(), 2);
    EXPECT_EQ(rig.list.Rows()[1].cells[kColumnName], "/b/music/x/tune.mid");
    EXPECT_EQ(rig.list.Rows()[1].cells[kColumnAttributes], "33");
    ASSERT_EQ(rig.list.Images().size(), 2u);
    EXPECT_EQ(rig.list.Images()[0].largeIcon->name, "large:mid");
    // The last branch is open down to x; with two entries nothing is selected.
    const NodeId b = rig.tree.FindChild(rig.tree.Root(), "/b");
    const NodeId music = rig.tree.FindChild(b, "music");
    ASSERT_NE(music, kNoNode);
    EXPECT_TRUE(rig.tree.Node(music)->expanded);
    EXPECT_EQ(rig.tree.Selection(), kNoNode);
}

TEST_F(ListingCommandsTest, ASingleMatchSelectsItsFolderInsteadOfAFlatList) {
    rig.window.mask = "*.mid";
    pst.QueueReply("FSAC", ScriptedReply::Bytes(CountReply(1)));
    pst.QueueReply("FSAC", ScriptedReply::Bytes(EntryReply({"/b/audio/ring.mid"})));
    rig.commands.Search();
    EXPECT_EQ(rig.list.RowCount(), 0);
    const TreeNode* selected = rig.tree.Node(rig.tree.Selection());
    ASSERT_NE(selected, nullptr);
    EXPECT_EQ(selected->text, "audio");
}

TEST_F(ListingCommandsTest, AFailedReadKeepsTheEntriesReadAndOnlyThoseAnnounced) {
    rig.window.letter = 'a';
    pst.QueueReply("FSAC", ScriptedReply::Bytes(CountReply(5)));
    pst.QueueReply("FSAC", ScriptedReply::Bytes(EntryReply({"/a/1.txt"})));
    pst.QueueReply("FSAC", ScriptedReply::Bytes(EntryReply({"/a/2.txt"})));
    pst.QueueReply("FSAC", ScriptedReply::Failure(9));

    rig.commands.GetFileList();

    EXPECT_EQ(BoxTexts(), (std::vector<std::string>{"Can't get file information from phone"}));
    EXPECT_EQ(rig.window.prompts.Boxes()[0].title, "Phone interface");
    EXPECT_EQ(rig.window.status.Text(kStatusMessagePart), "Operation failed!!!");
    EXPECT_EQ(rig.files.Count(), 2);
    EXPECT_EQ(rig.tree.EntryCount(), 2);
    EXPECT_EQ(rig.window.LogLines(), (std::vector<std::string>{"enable 0 0", "enable 1 1"}));
    EXPECT_EQ(StopFlag.load(), kStopRequested);
    EXPECT_EQ(rig.tree.Selection(), kNoNode);  // the views are left to the user
}

TEST_F(ListingCommandsTest, AReaderWithoutADeviceAnnouncesNothing) {
    rig.window.letter = 'a';
    QueueListing({"/a/1.txt", "/a/2.txt"});
    // The phone goes from the device list between search start and the reader's start.
    rig.startJob = [&](std::function<void()> worker) {
        rig.window.device.reset();
        worker();
        return true;
    };

    rig.commands.GetFileList();

    EXPECT_EQ(BoxTexts(), (std::vector<std::string>{"Can't get file information from phone"}));
    EXPECT_EQ(FsacRequests().size(), 1u);
    EXPECT_EQ(rig.files.Count(), 0);
    EXPECT_EQ(rig.tree.EntryCount(), 0);
    EXPECT_TRUE(rig.window.LogLines().empty());  // never locked
    EXPECT_EQ(StopFlag.load(), kStopRequested);
}

TEST_F(ListingCommandsTest, AnInterruptedReadShowsWhatArrived) {
    rig.window.letter = 'a';
    pst.QueueReply("FSAC", ScriptedReply::Bytes(CountReply(40)));
    for (int i = 0; i < 40; ++i) {
        pst.QueueReply("FSAC", ScriptedReply::Bytes(EntryReply({"/a/f" + std::to_string(i)})));
    }
    // The Interrupt button pressed while the window shows entry 6 arriving.
    rig.window.onPosition = [](std::int32_t position) {
        if (position == 7) StopFlag.store(kStopRequested);
    };

    rig.commands.GetFileList();

    EXPECT_EQ(rig.files.Count(), 7);
    EXPECT_EQ(rig.tree.EntryCount(), 7);
    EXPECT_EQ(rig.window.status.Text(kStatusMessagePart),
              "Getting file's information was interrupted by user");
    EXPECT_EQ(rig.tree.Node(rig.tree.Selection())->text, "/a");
}

TEST_F(ListingCommandsTest, FileInfoUpdatesTheRowOfItsEntryWhenThereIsOne) {
    rig.files.Allocate(2);
    rig.files.SetEntry(1, MakeFileEntry("/a/new.txt", "/a/new.txt", 0x21, 0, 77));
    rig.list.FillFlat(std::vector<FileEntry>(2));

    rig.commands.OnGetFileInfo(1);
    EXPECT_EQ(rig.window.position, 2);
    EXPECT_EQ(rig.window.status.Text(kStatusMessagePart),
              "Reading file list from phone... 2 from 2 read");
    EXPECT_EQ(rig.list.Rows()[1].cells[kColumnName], "/a/new.txt");
    EXPECT_EQ(rig.list.Rows()[1].cells[kColumnAttributes], "33");
    EXPECT_EQ(rig.list.Rows()[1].cells[kColumnSize], "77");

    rig.commands.OnGetFileInfo(5);  // no such row: only the progress moves
    EXPECT_EQ(rig.window.position, 6);
    EXPECT_EQ(rig.list.RowCount(), 2);
}

TEST_F(ListingCommandsTest, NothingStartsWhileAJobStillRuns) {
    rig.jobBusy = [] { return true; };
    rig.window.letter = 'a';
    rig.commands.GetFileList();
    rig.commands.Search();
    EXPECT_TRUE(pst.Calls().empty());
    EXPECT_TRUE(rig.window.prompts.Boxes().empty());
}

}  // namespace
}  // namespace velmora
