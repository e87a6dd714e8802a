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
using test::ScriptedReply;
using Lines = std::vector<std::string>;

// A search-start pattern as text: the separator shows as "|", the terminator as "$".
std::string PatternOf(const std::vector<std::uint8_t>& request) {
    std::string text;
    for (std::size_t at = 4; at + 1 < request.size(); at += 2) {
        if (request[at] == 0xFF) {
            text += '|';
        } else {
            text += request[at + 1] == 0 ? '$' : static_cast<char>(request[at + 1]);
        }
    }
    return text;
}

class ListingCommandsTest : public ::testing::Test {
  protected:
    void SetUp() override { StopFlag.store(kStopRequested); }

    // Search start announcing the paths, then one reply per path.
    void QueuePhone(const Lines& paths) {
        pst.QueueReply("FSAC",
                       ScriptedReply::Bytes(CountReply(static_cast<std::uint16_t>(paths.size()))));
        for (const auto& path : paths) {
            pst.QueueReply("FSAC", ScriptedReply::Bytes(EntryReply({path, 0x21, 0, 10})));
        }
    }
    std::vector<std::vector<std::uint8_t>> FsacRequests() const {
        std::vector<std::vector<std::uint8_t>> requests;
        for (const auto& call : pst.Calls("PSTSendCommand")) {
            if (call.command == "FSAC") requests.push_back(call.request);
        }
        return requests;
    }
    Lines Boxes() const { return rig.window.prompts.Texts(); }
    void Search(const std::string& mask, const Lines& paths) {
        rig.window.mask = mask;
        QueuePhone(paths);
        rig.commands.Search();
    }

    test::ScriptedPst pst;
    test::ListingRig rig{pst};
};

TEST_F(ListingCommandsTest, GetFileListReadsTheSelectedVolumeAndKeepsItSelected) {
    rig.window.letter = 'b';
    QueuePhone({"/b/mobile/x.jpg", "/b/y.txt"});

    rig.commands.GetFileList();

    const auto requests = FsacRequests();
    ASSERT_EQ(requests.size(), 3u);
    EXPECT_EQ(requests[0], (std::vector<std::uint8_t>{0, 0, 0, 7, 0, '/', 0, 'b', 0, '/', 0xFF,
                                                      0xFE, 0, '*', 0, 0}));
    EXPECT_EQ(requests[1], (std::vector<std::uint8_t>{0, 0, 0, 8, 1, 0, 0}));
    EXPECT_EQ(rig.window.modelQueries, 1);
    EXPECT_EQ(rig.files.Count(), 2);
    EXPECT_EQ(rig.files.Entry(1)->path, "/b/y.txt");
    EXPECT_EQ(rig.tree.EntryCount(), 2);
    EXPECT_EQ(rig.window.range, 2);
    EXPECT_EQ(rig.window.position, 2);
    EXPECT_EQ(
        rig.window.status.History(kStatusMessagePart),
        (Lines{"Reading file list from phone...", "Reading file list from phone... 1 from 2 read",
               "Reading file list from phone... 2 from 2 read"}));
    EXPECT_EQ(rig.window.LogLines(), (Lines{"enable 0 0", "enable 1 1"}));
    EXPECT_EQ(StopFlag.load(), kStopRequested);
    EXPECT_EQ(rig.list.DisplayMode(), kDisplayFolder);
    EXPECT_EQ(rig.tree.Node(rig.tree.Selection())->text, "/b");  // the volume listed
}

TEST_F(ListingCommandsTest, TheVolumeLetterRule) {
    // One volume and nothing selected: volume a; the pattern keeps its separator even with the
    // file-system flag; a count of 0 still runs the reader, which ends at once.
    rig.window.volumeCount = 1;
    rig.window.fileSystemFlag = true;
    QueuePhone({});
    rig.commands.GetFileList();
    EXPECT_EQ(rig.window.letter, 'a');
    EXPECT_EQ(PatternOf(FsacRequests().at(0)), "/a/|*$");
    EXPECT_EQ(rig.window.LogLines(), (Lines{"enable 0 0", "enable 1 1"}));

    // Two volumes and none selected: the user is asked to pick one, nothing else happens.
    pst.ClearCalls();
    rig.window.volumeCount = 2;
    rig.window.letter = 0;
    rig.files.Allocate(4);
    rig.commands.GetFileList();
    EXPECT_TRUE(pst.Calls().empty());
    EXPECT_EQ(Boxes(), (Lines{"Volume not selected, select volume on tree"}));
    EXPECT_EQ(rig.window.prompts.Boxes()[0].icon, PromptIcon::Information);
    EXPECT_EQ(rig.files.StorageSize(), 4);
}

TEST_F(ListingCommandsTest, RefusalsBeforeTheSearchIsSent) {
    rig.window.libraryReady = false;
    rig.window.mask = "*.jpg";
    rig.commands.Search();
    EXPECT_EQ(Boxes(), (Lines{"Can't init phone interface. Command interface disabled."}));
    EXPECT_EQ(rig.window.prompts.Boxes()[0].title, "Phone interface");
    EXPECT_EQ(rig.window.status.Text(kStatusMessagePart), "Operation failed!!!");

    // A text the pattern cannot hold is refused before the list is cleared or anything sent.
    rig.window.libraryReady = true;
    rig.files.Allocate(3);
    rig.window.mask = "/a/" + std::string(126, 'x');  // 129 characters
    rig.commands.Search();
    EXPECT_TRUE(pst.Calls().empty());
    EXPECT_NE(Boxes().back().find("128"), std::string::npos);
    EXPECT_EQ(rig.files.StorageSize(), 3);
    EXPECT_EQ(rig.window.modelQueries, 0);

    // No second reader while one still runs.
    rig.jobBusy = [] { return true; };
    rig.window.letter = 'a';
    rig.commands.GetFileList();
    rig.commands.Search();
    EXPECT_TRUE(pst.Calls().empty());
}

TEST_F(ListingCommandsTest, ASearchWithoutMatchesKeepsTheHistory) {
    rig.history.Remember("*.jpg");
    Search("*.mp3", {});

    EXPECT_EQ(PatternOf(FsacRequests().at(0)), "|*.mp3$");
    EXPECT_EQ(rig.window.status.Text(kStatusMessagePart), "There were no files found");
    EXPECT_EQ(rig.history.Masks(), (Lines{"*.jpg"}));
    EXPECT_EQ(rig.user.writes(), 0);
    EXPECT_TRUE(rig.window.LogLines().empty()) << "no reader locked the controls";

    // With the file-system flag a search goes without separator.
    rig.window.fileSystemFlag = true;
    Search("/a/*.mid", {});
    EXPECT_EQ(PatternOf(FsacRequests().at(1)), "/a/*.mid$");
}

TEST_F(ListingCommandsTest, AcceptedSearchesAreRememberedByThePrefixRule) {
    for (const char* mask : {"abcdef", "zzz", "y", "x"}) rig.history.Remember(mask);
    Search("abc", {"/a/abc.txt"});
    // Slot 3 held "abcdef": it takes the old slot 0 and "abc" takes slot 0.
    EXPECT_EQ(rig.window.maskChoices, (Lines{"abc", "y", "zzz", "x"}));
    const auto stored = rig.user.ReadBinary(kSearchArrayValue);
    ASSERT_TRUE(stored);
    EXPECT_EQ(*stored, Binary(rig.history.Bytes().begin(), rig.history.Bytes().end()));

    Lines newest;
    for (int i = 0; i < 11; ++i) Search("*." + std::to_string(i), {"/a/f"});
    for (int i = 10; i >= 1; --i) newest.push_back("*." + std::to_string(i));
    EXPECT_EQ(rig.window.maskChoices, newest);
}

TEST_F(ListingCommandsTest, ASearchEndsWithTheFlatListAndTheLastBranch) {
    Search("*.mid", {"/a/audio/ring.mid", "/b/music/x/tune.mid"});

    EXPECT_EQ(rig.list.DisplayMode(), kDisplayFlat);
    ASSERT_EQ(rig.list.RowCount(), 2);
    EXPECT_EQ(rig.list.Rows()[1].cells[kColumnName], "/b/music/x/tune.mid");
    EXPECT_EQ(rig.list.Images().at(0).largeIcon->name, "large:mid");
    const NodeId music = rig.tree.FindChild(rig.tree.FindChild(rig.tree.Root(), "/b"), "music");
    ASSERT_NE(music, kNoNode);
    EXPECT_TRUE(rig.tree.Node(music)->expanded);
}

TEST_F(ListingCommandsTest, AFailedReadAnnouncesOnlyTheEntriesRead) {
    rig.window.letter = 'a';
    pst.QueueReply("FSAC", ScriptedReply::Bytes(CountReply(5)));
    pst.QueueReply("FSAC", ScriptedReply::Bytes(EntryReply({"/a/1.txt"})));
    pst.QueueReply("FSAC", ScriptedReply::Bytes(EntryReply({"/a/2.txt"})));
    pst.QueueReply("FSAC", ScriptedReply::Failure(9));

    rig.commands.GetFileList();

    EXPECT_EQ(Boxes(), (Lines{"Can't get file information from phone"}));
    EXPECT_EQ(rig.files.Count(), 2);
    EXPECT_EQ(rig.tree.EntryCount(), 2);
    EXPECT_EQ(rig.window.LogLines(), (Lines{"enable 0 0", "enable 1 1"}));
    EXPECT_EQ(StopFlag.load(), kStopRequested);

    // Without a device when the reader starts, nothing is read and nothing announced.
    rig.window.prompts.Clear();
    QueuePhone({"/a/1.txt"});
    rig.window.onPosition = [&](std::int32_t) { rig.window.device.reset(); };
    rig.commands.GetFileList();
    EXPECT_EQ(Boxes(), (Lines{"Can't get file information from phone"}));
    EXPECT_EQ(rig.files.Count(), 0);
    EXPECT_EQ(rig.tree.EntryCount(), 0);
}

TEST_F(ListingCommandsTest, FileInfoUpdatesTheRowOfItsEntryWhenThereIsOne) {
    rig.files.Allocate(2);
    rig.files.SetEntry(1, MakeFileEntry("/a/new.txt", "/a/new.txt", 0x21, 0, 77));
    rig.list.FillFlat(std::vector<FileEntry>(2));

    rig.commands.OnGetFileInfo(1);
    EXPECT_EQ(rig.window.position, 2);
    EXPECT_EQ(rig.window.status.Text(kStatusMessagePart),
              "Reading file list from phone... 2 from 2 read");
    const auto& cells = rig.list.Rows()[1].cells;
    EXPECT_EQ(cells[kColumnName] + " " + cells[kColumnAttributes] + " " + cells[kColumnSize],
              "/a/new.txt 33 77");
    rig.commands.OnGetFileInfo(5);  // no such row: only the progress moves
    EXPECT_EQ(rig.window.position, 6);
}

}  // namespace
}  // namespace velmora
