#include "ui/file_commands.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/byte_order.h"
#include "base/lang_string.h"
#include "support/scripted_pst.h"
#include "transfer/stop_flag.h"
#include "ui/language.h"
#include "ui/listing_fixture.h"

namespace velmora {
namespace {

using test::ScriptedReply;
using Lines = std::vector<std::string>;
using Bytes = std::vector<std::uint8_t>;

class FakeFilesWindow : public test::FakeListingWindow, public FilesWindow {
  public:
    bool FileSystemFlag() const override { return fileSystemFlag; }
    void RefreshFreeSpace() override { ++freeSpaceReads; }
    void SetStatusText(int part, const std::string& text) override {
        test::FakeListingWindow::SetStatusText(part, text);
    }
    int freeSpaceReads = 0;
};

// Presses Interrupt while the phone works on a given request.
class InterruptingPst : public test::ScriptedPst {
  public:
    std::int32_t PSTSendCommand(std::uint32_t deviceId, std::uint32_t handle, const char* command,
                                std::span<const std::uint8_t> request,
                                std::span<std::uint8_t> reply, std::int32_t& replyLength,
                                std::uint16_t deviceId16) override {
        if (++m_sends == interruptAt) StopFlag.store(kStopRequested);
        return ScriptedPst::PSTSendCommand(deviceId, handle, command, request, reply, replyLength,
                                           deviceId16);
    }
    int interruptAt = 0;

  private:
    int m_sends = 0;
};

class RowDeletions : public FileRowsObserver {
  public:
    void RowDeleted(int row) override { rows.push_back(row); }
    std::vector<int> rows;
};

class FileCommandsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        SetLanguageIndex(kLanguageEnglish);
        StopFlag.store(kStopRequested);
        tree.SetVolumeTable({"/a", "/b"});
    }
    void TearDown() override { proxy->Detach(); }

    void Fill(const std::vector<std::pair<std::string, std::uint16_t>>& files_) {
        files.Allocate(static_cast<std::int32_t>(files_.size()));
        for (std::size_t i = 0; i < files_.size(); ++i) {
            const auto& [path, attributes] = files_[i];
            files.SetEntry(static_cast<std::int32_t>(i),
                           MakeFileEntry(path, path, attributes, 0, 100 + static_cast<int>(i)));
        }
        tree.SetEntryCount(files.Count());
    }
    // The list shows one folder ("/a/mobile/") of the files, as a tree selection fills it.
    void ShowFolder(const std::vector<std::string>& folderNodes) {
        tree.ResetTree(true);
        NodeId node = tree.Root();
        for (const auto& text : folderNodes) {
            tree.Expand(node);
            node = tree.FindChild(node, text);
            ASSERT_NE(node, kNoNode) << text;
        }
        ShowSelectionRows(tree.Select(node), list);
    }
    void Select(std::initializer_list<int> rows) {
        for (int row : rows) list.SetRowSelected(row, true);
    }
    std::vector<Bytes> Requests() const {
        std::vector<Bytes> requests;
        for (const auto& call : pst.Calls("PSTSendCommand")) requests.push_back(call.request);
        return requests;
    }
    std::string DeletedPath(const Bytes& request) const {
        return std::string(reinterpret_cast<const char*>(request.data() + 4));
    }
    Lines Names() const {
        Lines names;
        for (const auto& row : list.Rows()) names.push_back(row.cells[kColumnName]);
        return names;
    }
    void DeleteConfirmed() {
        window.prompts.answers.push_back(PromptAnswer::Yes);
        commands.Delete();
    }

    InterruptingPst pst;
    FakeFilesWindow window;
    std::shared_ptr<JobWindowProxy> proxy =
        std::make_shared<JobWindowProxy>(std::make_shared<test::PumpedUiThread>(), window);
    FileList files;
    VolumeTree tree{window.prompts, files};
    FileRows list;
    int jobsStarted = 0;
    bool busy = false;
    int dialogs = 0;
    std::function<void(PropertiesModel&)> user = [](PropertiesModel&) {};
    FileCommands commands{FileCommandPorts{pst, window, window.prompts, files, tree, list, proxy,
                                           [this](std::function<void()> worker) {
                                               ++jobsStarted;
                                               worker();
                                               return true;
                                           },
                                           [this] { return busy; },
                                           [this](PropertiesModel& model) {
                                               ++dialogs;
                                               user(model);
                                               return true;
                                           }}};
};

const std::vector<std::pair<std::string, std::uint16_t>> kMobile = {
    {"/a/mobile/f0", 0}, {"/a/mobile/f1", 0}, {"/a/mobile/f2", 0}, {"/a/mobile/f3", 0},
    {"/a/mobile/f4", 0}, {"/a/mobile/f5", 0}, {"/a/mobile/f6", 0}};

TEST_F(FileCommandsTest, NoToTheConfirmationSendsNothing) {
    Fill(kMobile);
    ShowFolder({"/a", "mobile"});
    Select({1});
    window.prompts.answers.push_back(PromptAnswer::No);
    commands.Delete();
    const auto boxes = window.prompts.Boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "Are you sure to delete files from phone?");
    EXPECT_EQ(boxes[0].title, "Velmora");
    EXPECT_EQ(boxes[0].icon, PromptIcon::Question);
    EXPECT_EQ(boxes[0].buttons, PromptButtons::YesNo);
    EXPECT_EQ(window.status.Text(kStatusMessagePart), "Deleting canceled");
    EXPECT_EQ(jobsStarted, 0);
    EXPECT_TRUE(pst.Calls().empty());
}

TEST_F(FileCommandsTest, DeleteRemovesTheFilesTheirEntriesAndTheirRows) {
    Fill(kMobile);
    ShowFolder({"/a", "mobile"});
    Select({1, 4});
    RowDeletions deletions;
    list.SetObserver(&deletions);
    DeleteConfirmed();

    const auto requests = Requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].size(), 266u);
    EXPECT_EQ(Bytes(requests[0].begin(), requests[0].begin() + 4), (Bytes{0, 0, 0, 5}));
    EXPECT_EQ(DeletedPath(requests[0]), "/a/mobile/f1");
    EXPECT_EQ(DeletedPath(requests[1]), "/a/mobile/f4");
    EXPECT_EQ(Names(), (Lines{"f0", "f2", "f3", "f5", "f6"}));
    EXPECT_EQ(deletions.rows, (std::vector<int>{1, 3}));
    EXPECT_EQ(files.Count(), 5);
    EXPECT_EQ(files.Find("/a/mobile/f4"), -1);
    EXPECT_EQ(tree.EntryCount(), 5);
    // The rows still name their entries' indexes.
    EXPECT_EQ(list.Rows()[3].cells[kColumnEntryIndex], "3");
    EXPECT_EQ(window.range, 2);
    EXPECT_EQ(window.position, 2);
    EXPECT_EQ(window.status.History(kStatusMessagePart),
              (Lines{"Deleting file(s) from phone...", "File(s) deleted"}));
    EXPECT_EQ(window.freeSpaceReads, 1);
    EXPECT_EQ(StopFlag.load(), kStopRequested);
}

// Which phone path a row names, and which entry leaves FileList with it.
TEST_F(FileCommandsTest, PhonePathsOfFlatFlashAndFolderRows) {
    struct Case {
        bool flat;
        bool fileSystemFlag;
        std::string entry;
        std::string phonePath;
    } cases[] = {
        {true, false, "/a/mobile/x.jpg", "/a/mobile/x.jpg"},
        {false, true, "FLASH/x.jpg", "x.jpg"},
        {true, true, "FLASH/x.jpg", "x.jpg"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.entry + (c.flat ? " flat" : " folder"));
        pst.ClearCalls();
        window.fileSystemFlag = c.fileSystemFlag;
        tree.SetVolumeTable({c.fileSystemFlag ? "FLASH" : "/a"});
        Fill({{c.entry, 0}, {c.entry + ".2", 0}});
        if (c.flat) {
            tree.ResetTree(true);  // no tree selection needed
            list.FillFlat(files);
        } else {
            ShowFolder({"FLASH"});
        }
        Select({0});
        DeleteConfirmed();
        ASSERT_EQ(Requests().size(), 1u);
        EXPECT_EQ(DeletedPath(Requests()[0]), c.phonePath);
        EXPECT_EQ(files.Find(c.entry), -1);
        EXPECT_EQ(list.RowCount(), 1);
    }
}

TEST_F(FileCommandsTest, InterruptWhileTheSecondOfFiveIsDeleted) {
    Fill(kMobile);
    ShowFolder({"/a", "mobile"});
    Select({0, 1, 2, 3, 4});
    pst.interruptAt = 2;
    DeleteConfirmed();
    EXPECT_EQ(Requests().size(), 2u);
    EXPECT_EQ(Names(), (Lines{"f2", "f3", "f4", "f5", "f6"}));
    EXPECT_EQ(window.status.Text(kStatusMessagePart), "Deleting was interrupted by user");
    EXPECT_EQ(window.freeSpaceReads, 1);
}

TEST_F(FileCommandsTest, RowsTwoFiveAndSixGoAsTwoFourFour) {
    Fill(kMobile);
    ShowFolder({"/a", "mobile"});
    Select({2, 5, 6});
    RowDeletions deletions;
    list.SetObserver(&deletions);
    DeleteConfirmed();
    EXPECT_EQ(deletions.rows, (std::vector<int>{2, 4, 4}));
    EXPECT_EQ(Names(), (Lines{"f0", "f1", "f3", "f4"}));
}

TEST_F(FileCommandsTest, ARefusedThirdOfFiveLeavesTheRowsOfTheFilesStillThere) {
    Fill(kMobile);
    ShowFolder({"/a", "mobile"});
    Select({0, 1, 2, 3, 4});
    pst.QueueReply("FSAC", ScriptedReply::Bytes({}));
    pst.QueueReply("FSAC", ScriptedReply::Bytes({}));
    pst.QueueReply("FSAC", ScriptedReply::Failure(1));
    DeleteConfirmed();
    EXPECT_EQ(Requests().size(), 3u);
    EXPECT_EQ(window.prompts.Texts().back(), "Can't delete file");
    EXPECT_EQ(window.prompts.Boxes().back().title, "Phone interface");
    EXPECT_EQ(window.status.Text(kStatusMessagePart), "Operation failed!!!");
    EXPECT_EQ(Names(), (Lines{"f2", "f3", "f4", "f5", "f6"}));
    EXPECT_EQ(files.Count(), 5);
    EXPECT_EQ(window.freeSpaceReads, 0);
    EXPECT_EQ(window.LogLines().back(), "enable 1 1");
}

TEST_F(FileCommandsTest, ASortDuringTheJobChangesNeitherTheFilesNorTheRowsThatGo) {
    Fill({{"/a/mobile/c", 0}, {"/a/mobile/a", 0}, {"/a/mobile/b", 0}});
    ShowFolder({"/a", "mobile"});
    ASSERT_EQ(Names(), (Lines{"c", "a", "b"}));
    Select({0, 1});
    window.onPosition = [this](std::int32_t done) {
        if (done == 1) list.Sort(kColumnName, SortKind::Text);
    };
    DeleteConfirmed();
    ASSERT_EQ(Requests().size(), 2u);
    EXPECT_EQ(DeletedPath(Requests()[1]), "/a/mobile/a");
    EXPECT_EQ(Names(), (Lines{"b"}));
}

TEST_F(FileCommandsTest, DeleteChecksItsInputAndStartsNothingWhileAJobRuns) {
    Fill(kMobile);
    ShowFolder({"/a", "mobile"});
    commands.Delete();
    ASSERT_EQ(window.prompts.Boxes().size(), 1u) << "no question before the refusal";
    EXPECT_EQ(window.prompts.Texts().back(), "File not selected. Select directory and file before");
    Select({0});
    tree.ResetTree(true);  // the folder's node is gone, the rows stay
    DeleteConfirmed();
    EXPECT_EQ(window.prompts.Texts().back(), "Path not selected, select directory on tree.");
    EXPECT_TRUE(pst.Calls().empty());
    EXPECT_TRUE(window.LogLines().empty()) << "nothing was locked";

    busy = true;
    window.prompts.Clear();
    commands.Delete();
    EXPECT_TRUE(window.prompts.Boxes().empty());
}

TEST(SizeTextTest, BytesThenOneTruncatedDecimal) {
    SetLanguageIndex(kLanguageEnglish);
    const std::pair<std::int64_t, const char*> cases[] = {
        {500, "500 bytes (500 bytes)"},
        {1023, "1023 bytes (1023 bytes)"},
        {1024, "1.0 kb (1024 bytes)"},
        {1536, "1.5 kb (1536 bytes)"},
        {1048575, "1023.9 kb (1048575 bytes)"},
        {1048576, "1.0 Mb (1048576 bytes)"},
        {3221225472, "3.0 Gb (3221225472 bytes)"},  // two large files together stay positive
    };
    for (const auto& [bytes, text] : cases) EXPECT_EQ(SizeText(bytes), text) << bytes;
}

TEST_F(FileCommandsTest, MixedBitsGiveAThirdStateTheUserCanCycle) {
    Fill({{"/a/mobile/x", 1}, {"/a/mobile/y", 1}, {"/a/mobile/z", 0}});
    ShowFolder({"/a", "mobile"});
    Select({0, 1, 2});
    PropertiesModel model(list, files, false, "/a/mobile/");
    EXPECT_TRUE(model.ThreeState(kIdBoxReadOnly));
    EXPECT_EQ(model.State(kIdBoxReadOnly), CheckState::Mixed);
    for (int id : {kIdBoxSystem, kIdBoxHidden, kIdBoxArchive, kIdBoxNoDistribute}) {
        EXPECT_FALSE(model.ThreeState(id)) << id;
    }
    std::vector<CheckState> seen;
    for (int i = 0; i < 3; ++i) {
        model.Cycle(kIdBoxReadOnly);
        seen.push_back(model.State(kIdBoxReadOnly));
    }
    EXPECT_EQ(seen,
              (std::vector<CheckState>{CheckState::Clear, CheckState::Set, CheckState::Mixed}));
    model.SetState(kIdBoxSystem, CheckState::Mixed);
    EXPECT_EQ(model.State(kIdBoxSystem), CheckState::Clear) << "a two-state box has no third";

    EXPECT_EQ(model.Text(kIdPropertiesTypeLabel), "Selected:");
    EXPECT_EQ(model.Text(kIdPropertiesType), "3 files");
    EXPECT_EQ(model.Text(kIdPropertiesName), "/a/mobile/");
    EXPECT_EQ(model.Text(kIdPropertiesSize), "303 bytes (303 bytes)");
}

// The attribute job over what the dialog left: which words go to the phone.
TEST_F(FileCommandsTest, OkSendsOnlyTheWordsThatChange) {
    struct Case {
        const char* what;
        std::vector<std::uint16_t> words;
        std::function<void(PropertiesModel&)> user;
        std::vector<std::uint32_t> sent;
    } cases[] = {
        {"33 and 33 unchanged", {33, 33}, [](PropertiesModel&) {}, {}},
        {"read only alone on 32",
         {32},
         [](PropertiesModel& m) {
             m.SetState(kIdBoxReadOnly, CheckState::Set);
             m.SetState(kIdBoxArchive, CheckState::Clear);
         },
         {1}},
        {"0x08 kept when nothing changes", {0x09}, [](PropertiesModel&) {}, {}},
        {"0x08 kept beside a change",
         {0x28},
         [](PropertiesModel& m) { m.SetState(kIdBoxReadOnly, CheckState::Set); },
         {0x29}},
        {"mixed stays mixed",
         {1, 0},
         [](PropertiesModel& m) { m.SetState(kIdBoxHidden, CheckState::Set); },
         {3, 2}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        pst.ClearCalls();
        const std::size_t texts = window.status.History(kAttributeStatusPart).size();
        std::vector<std::pair<std::string, std::uint16_t>> entries;
        for (std::size_t i = 0; i < c.words.size(); ++i) {
            entries.push_back({"/a/mobile/f" + std::to_string(i), c.words[i]});
        }
        Fill(entries);
        ShowFolder({"/a", "mobile"});
        for (int i = 0; i < list.RowCount(); ++i) list.SetRowSelected(i, true);
        user = c.user;
        commands.Properties();

        std::vector<std::uint32_t> sent;
        for (const auto& request : Requests()) {
            if (request[3] == 0) sent.push_back(GetBe32(request, 4));
        }
        EXPECT_EQ(sent, c.sent);
        EXPECT_EQ(Requests().size(), 2 * c.sent.size()) << "each open is closed";
        EXPECT_EQ(window.position, static_cast<std::int32_t>(c.words.size()));
        if (c.sent.empty()) {
            EXPECT_EQ(window.status.History(kAttributeStatusPart).size(), texts);
        }
        for (std::size_t i = 0; i < c.sent.size() && i < c.words.size(); ++i) {
            const auto request = Requests()[2 * i];
            EXPECT_EQ(request.size(), std::string("/a/mobile/f0").size() + 10);
            EXPECT_EQ(files.Entry(static_cast<std::int32_t>(i))->attributes, c.sent[i]);
            EXPECT_EQ(list.Rows()[i].cells[kColumnAttributes], std::to_string(c.sent[i]));
            EXPECT_EQ(Requests()[2 * i + 1], (Bytes{0, 0, 0, 4}));
        }
        if (!c.sent.empty()) {
            EXPECT_EQ(window.status.History(kAttributeStatusPart).back(),
                      "Attributes were changed");
        }
    }
}

TEST_F(FileCommandsTest, ARowNotInFileListChangesOnThePhoneOnly) {
    Fill({{"/a/mobile/x", 0}});
    ShowFolder({"/a", "mobile"});
    Select({0});
    files.Allocate(0);
    user = [](PropertiesModel& m) { m.SetState(kIdBoxReadOnly, CheckState::Set); };
    commands.Properties();
    ASSERT_EQ(Requests().size(), 2u);
    EXPECT_EQ(GetBe32(Requests()[0], 4), 1u);
    EXPECT_EQ(list.Rows()[0].cells[kColumnAttributes], "0");
}

// They go to the message part, never over the free space.
TEST_F(FileCommandsTest, AttributeFailuresGoToTheMessagePart) {
    Fill({{"/a/mobile/x", 0}, {"/a/mobile/y", 0}});
    ShowFolder({"/a", "mobile"});
    Select({0, 1});
    user = [](PropertiesModel& m) { m.SetState(kIdBoxArchive, CheckState::Set); };
    pst.QueueReply("FSAC", ScriptedReply::Bytes({}));
    pst.QueueReply("FSAC", ScriptedReply::Bytes({}));
    pst.QueueReply("FSAC", ScriptedReply::Bytes({}));
    pst.QueueReply("FSAC", ScriptedReply::Failure(2));  // the second close
    commands.Properties();
    EXPECT_EQ(window.prompts.Texts().back(), "Can't close opened file, restart phone");
    EXPECT_EQ(window.status.Text(kAttributeStatusPart), "Operation failed!!!");
    EXPECT_EQ(window.LogLines().back(), "enable 1 1");

    pst.testCmdInitResult = 1;
    commands.Properties();
    EXPECT_EQ(window.prompts.Texts().back(),
              "Can't init phone interface. Command interface disabled.");
    EXPECT_EQ(window.status.Text(kStatusMessagePart), "Operation failed!!!");
    EXPECT_EQ(window.status.Text(kFreeSpaceStatusPart), "");
}

TEST_F(FileCommandsTest, AnInterruptedAttributeJobEndsAfterItsCurrentFile) {
    Fill({{"/a/mobile/x", 0}, {"/a/mobile/y", 0}, {"/a/mobile/z", 0}});
    ShowFolder({"/a", "mobile"});
    Select({0, 1, 2});
    user = [](PropertiesModel& m) { m.SetState(kIdBoxHidden, CheckState::Set); };
    pst.interruptAt = 3;  // the second file's open
    commands.Properties();
    EXPECT_EQ(Requests().size(), 4u) << "the second file is closed, the third not touched";
    EXPECT_EQ(list.Rows()[1].cells[kColumnAttributes], "2");
    EXPECT_EQ(list.Rows()[2].cells[kColumnAttributes], "0");
    EXPECT_EQ(window.status.Text(kStatusMessagePart), "Setting attributes was interrupted by user");
}

TEST_F(FileCommandsTest, PropertiesWithNothingSelectedShowsTheEmptyDialog) {
    Fill(kMobile);
    ShowFolder({"/a", "mobile"});
    user = [](PropertiesModel& m) {
        EXPECT_TRUE(m.Empty());
        EXPECT_EQ(m.Text(kIdPropertiesName), "");
        EXPECT_EQ(m.Text(kIdPropertiesTypeLabel), "Type of file:");
    };
    commands.Properties();
    EXPECT_EQ(window.prompts.Texts(),
              (Lines{"File not selected. Select directory and file before"}));
    EXPECT_EQ(dialogs, 1);
    EXPECT_EQ(jobsStarted, 0);
}

}  // namespace
}  // namespace velmora
