// Download and open on double-click against the emulated phone: the requests it is sent,
// what lands on disk, and what the user is told when something fails.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "sim/sim_test_support.h"
#include "sim/simulated_pst.h"
#include "support/recording_shell.h"
#include "support/watched_pst.h"
#include "transfer/stop_flag.h"
#include "ui/download_commands.h"
#include "ui/listing_fixture.h"

namespace velmora {
namespace {

namespace fs = std::filesystem;
using Lines = std::vector<std::string>;

std::string Contents(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

std::string Pattern(std::size_t size, char seed) {
    std::string text(size, '\0');
    for (std::size_t i = 0; i < size; ++i) text[i] = static_cast<char>(seed + i * 7 % 251);
    return text;
}

class DownloadSimTest : public ::testing::Test {
  protected:
    void SetUp() override {
        StopFlag.store(kStopRequested);
        Start(test::SamplePhoneConfig(folder.path()));
    }
    void TearDown() override { StopFlag.store(kStopRequested); }

    void Start(SimConfig config) {
        rig.reset();
        recorder.reset();
        pst = std::make_unique<SimulatedPst>(std::move(config));
        ASSERT_EQ(pst->PSTInitializeEx(kInterfaceUsb, &sink), 0);
        recorder = std::make_unique<test::WatchedPst>(*pst);
        rig = std::make_unique<test::ListingRig>(*recorder);
        rig->window.device = 1;
        commands = std::make_unique<DownloadCommands>(DownloadPorts{
            *recorder, rig->window, rig->window.prompts, rig->files, rig->tree, rig->list, shell,
            clock, [this] { return rig->window.fileSystemFlag; },
            (folder.path() / "open").string() + "/", rig->proxy,
            [this](std::function<void()> worker) { return rig->startJob(std::move(worker)); },
            [] { return false; }});
        fs::create_directories(destination);
    }

    void Put(const std::string& phonePath, const std::string& contents) {
        ASSERT_TRUE(pst->WithPhone(1, [&](SimPhone& phone) {
            ASSERT_TRUE(phone.PutFile(phonePath,
                                      std::vector<std::uint8_t>(contents.begin(), contents.end())));
        }));
    }

    // Lists volume a and shows the folder (such as "/a/dl/") in the list.
    void ShowFolder(const std::string& folderName) {
        rig->window.letter = 'a';
        rig->commands.GetFileList();
        const NodeId node =
            rig->tree.FindChild(rig->tree.FindChild(rig->tree.Root(), "/a"), folderName);
        ASSERT_NE(node, kNoNode);
        rig->tree.Select(node);
        rig->list.FillFolder(
            MatchFolder(rig->files.Snapshot(rig->files.Count()), rig->tree.NodePath(node, "/")));
        recorder->Clear();
        rig->window.ClearLog();
    }

    // The list as a listing of these entries leaves it, the folder "/a/dl/" shown.
    void ShowEntries(const std::vector<FileEntry>& entries) {
        rig->files.Allocate(static_cast<std::int32_t>(entries.size()));
        for (std::size_t i = 0; i < entries.size(); ++i)
            rig->files.SetEntry(static_cast<std::int32_t>(i), entries[i]);
        rig->list.FillFolder(MatchFolder(entries, "/a/dl/"));
    }

    void SelectRows(const std::vector<std::string>& names) {
        for (int i = 0; i < rig->list.RowCount(); ++i) {
            const auto& name = rig->list.Rows()[static_cast<std::size_t>(i)].cells[kColumnName];
            rig->list.SetRowSelected(i, std::find(names.begin(), names.end(), name) != names.end());
        }
    }

    void DownloadTo(const fs::path& chosen) {
        rig->window.prompts.saveAnswers = {chosen.string()};
        commands->Download();
    }

    std::vector<std::string> BoxTexts() const { return rig->window.prompts.Texts(); }
    std::string LastStatus() const { return rig->window.status.Text(kStatusMessagePart); }
    // The controls unlocked after the last lock, the per-file bar hidden, the flag back at 1.
    bool EndedUnlocked() const {
        const auto log = rig->window.LogLines();
        const auto lock = std::find(log.rbegin(), log.rend(), "enable 0 0");
        const auto bar = std::find(log.rbegin(), log.rend(), "filebar 1");
        return StopFlag.load() == kStopRequested &&
               std::find(log.rbegin(), lock, "enable 1 1") != lock &&
               (bar == log.rend() || std::find(log.rbegin(), bar, "filebar 0") != bar);
    }

    test::TempFolder folder;
    fs::path destination = folder.path() / "dest";
    test::NoSink sink;
    std::unique_ptr<SimulatedPst> pst;
    std::unique_ptr<test::WatchedPst> recorder;
    std::unique_ptr<test::ListingRig> rig;
    test::RecordingShell shell;
    test::FakeClock clock;
    std::unique_ptr<DownloadCommands> commands;
};

TEST_F(DownloadSimTest, ReadsInBlocksAndWritesByteIdenticalFiles) {
    struct Case {
        std::size_t size;
        Lines reads;
    };
    const Case cases[] = {
        {0, {}},
        {1, {"read 1"}},
        {1024, {"read 1024"}},
        {1025, {"read 1024", "read 1"}},
        {2500, {"read 1024", "read 1024", "read 452"}},
    };
    for (const auto& c : cases) Put("/a/dl/f" + std::to_string(c.size), Pattern(c.size, 'a'));
    ShowFolder("dl");
    for (const auto& c : cases) {
        const std::string name = "f" + std::to_string(c.size);
        SCOPED_TRACE(name);
        recorder->Clear();
        SelectRows({name});
        DownloadTo(destination / name);
        Lines expected = {"open /a/dl/" + name};
        expected.insert(expected.end(), c.reads.begin(), c.reads.end());
        expected.push_back("close");
        EXPECT_EQ(recorder->FileRequests(), expected);
        EXPECT_EQ(Contents(destination / name), Pattern(c.size, 'a'));
    }
    EXPECT_TRUE(BoxTexts().empty());
    EXPECT_EQ(LastStatus(), "Reading file from phone... 2500 from 2500 bytes read");
    // Times and speed count from the dialog's answer: a minute in it is no transfer time.
    EXPECT_TRUE(rig->window.status.History(kPathStatusPart).empty());
    rig->window.prompts.whileSaving = [this] { clock.now += 60; };
    SelectRows({"f2500"});
    DownloadTo(destination / "f2500");
    EXPECT_TRUE(rig->window.status.History(kPathStatusPart).empty());
    EXPECT_EQ(std::distance(fs::directory_iterator(destination), {}), 5);
}

// Short replies: the next read asks for what is missing. Replies reported longer than the
// buffer store only what the file still needs.
TEST_F(DownloadSimTest, ShortAndOverlongRepliesStillGiveTheFile) {
    Put("/a/dl/short", Pattern(1000, 's'));
    Put("/a/dl/long", Pattern(10, 'l'));
    ShowFolder("dl");
    FaultPlan plan;
    plan.readLimit = 300;
    pst->SetFaultPlan(plan);
    SelectRows({"short"});
    DownloadTo(destination / "short");
    EXPECT_EQ(recorder->FileRequests(), (Lines{"open /a/dl/short", "read 1000", "read 700",
                                               "read 400", "read 100", "close"}));
    EXPECT_EQ(Contents(destination / "short"), Pattern(1000, 's'));

    plan = {};
    plan.oversizeBy = 500;
    pst->SetFaultPlan(plan);
    SelectRows({"long"});
    DownloadTo(destination / "long");
    EXPECT_EQ(Contents(destination / "long"), Pattern(10, 'l'));
    EXPECT_TRUE(BoxTexts().empty());
}

TEST_F(DownloadSimTest, FailuresTellTheUserUnlockAndKeepTheFilesDone) {
    struct Row {
        const char* name;
        FaultPlan plan;
        bool noDevice;
        Lines boxes;
        const char* status;
        bool firstWritten;  // of the two rows f1, f2
        bool secondWritten;
        Lines requests;
    };
    auto op = [](std::uint32_t code, int number = 1, bool following = false) {
        FaultPlan plan;
        plan.failSendOp = code;
        plan.failSendNumber = number;
        plan.failFollowingSends = following;
        return plan;
    };
    FaultPlan handle;
    handle.failGetInterfaceHandle = true;
    FaultPlan empty;
    empty.readLimit = 0;
    const Row rows[] = {
        {"no device",
         {},
         true,
         {"Device not selected.", "Device not selected."},
         "Operation failed!!!",
         false,
         false,
         {}},
        {"handle refused",
         handle,
         false,
         {"Can't get phone interface"},
         "Operation failed!!!",
         false,
         false,
         {}},
        {"open refused",
         op(0),
         false,
         {"Can't open file"},
         "Operation failed!!!",
         false,
         false,
         {"open /a/dl/f1"}},
        {"read refused",
         op(1),
         false,
         {"Can't read opened file, restart phone"},
         "Operation failed!!!",
         false,
         false,
         {"open /a/dl/f1", "read 5", "close"}},
        {"empty reads",
         empty,
         false,
         {"The file /a/dl/f1 on the phone is shorter than the list says; it may have changed "
          "since the list was read. Read the file list again."},
         "Operation failed!!!",
         false,
         false,
         {"open /a/dl/f1", "read 5", "read 5", "read 5", "read 5", "close"}},
        {"close refused",
         op(4),
         false,
         {"Can't close opened file, restart phone"},
         "Operation failed!!!",
         true,
         false,
         {"open /a/dl/f1", "read 5", "close"}},
        {"second open refused",
         op(0, 2),
         false,
         {"Can't open file"},
         "Operation failed!!!",
         true,
         false,
         {"open /a/dl/f1", "read 5", "close", "open /a/dl/f2"}},
    };
    Put("/a/dl/f1", "11111");
    Put("/a/dl/f2", "22222");
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        fs::remove_all(destination);
        fs::create_directories(destination);
        Start(test::SamplePhoneConfig(folder.path()));
        ShowFolder("dl");
        SelectRows({"f1", "f2"});
        rig->window.device = row.noDevice ? std::nullopt : std::optional<std::uint16_t>(1);
        pst->SetFaultPlan(row.plan);
        DownloadTo(destination / "f1");
        EXPECT_EQ(BoxTexts(), row.boxes);
        for (const auto& box : rig->window.prompts.Boxes()) {
            EXPECT_EQ(box.icon, PromptIcon::Stop);
            EXPECT_EQ(box.title, row.noDevice ? "Velmora" : "Phone interface");
        }
        EXPECT_EQ(LastStatus(), row.status);
        EXPECT_EQ(fs::exists(destination / "f1"), row.firstWritten);
        EXPECT_EQ(fs::exists(destination / "f2"), row.secondWritten);
        EXPECT_EQ(std::distance(fs::directory_iterator(destination), {}),
                  (row.firstWritten ? 1 : 0) + (row.secondWritten ? 1 : 0));
        EXPECT_EQ(recorder->FileRequests(), row.requests);
        EXPECT_TRUE(EndedUnlocked());
        EXPECT_EQ(rig->window.LogLines().front(), "filebar 1");
    }
}

TEST_F(DownloadSimTest, InputChecksEndBeforeAnythingIsSent) {
    Put("/a/dl/f1", "11111");
    ShowFolder("dl");
    // Nothing selected; then the dialog cancelled.
    SelectRows({});
    DownloadTo(destination / "f1");
    SelectRows({"f1"});
    rig->window.prompts.saveAnswers = {std::nullopt};
    commands->Download();
    EXPECT_EQ(BoxTexts(), (Lines{"File not selected. Select directory and file before"}));
    EXPECT_EQ(LastStatus(), "Downloading canceled");
    EXPECT_TRUE(recorder->FileRequests().empty());
    EXPECT_TRUE(rig->window.LogLines().empty());  // never locked
    EXPECT_TRUE(fs::is_empty(destination));

    // A folder listing without a folder selected in the tree.
    rig->tree.ResetTree(true);
    rig->window.prompts.Clear();
    DownloadTo(destination / "f1");
    EXPECT_EQ(BoxTexts(), (Lines{"Path not selected, select directory on tree."}));

    // Library not ready, and no file list yet.
    rig->window.prompts.Clear();
    rig->window.libraryReady = false;
    commands->Download();
    rig->window.libraryReady = true;
    rig->files.Clear();
    commands->Download();
    EXPECT_EQ(BoxTexts(), (Lines{"Can't init phone interface. Command interface disabled.",
                                 "File list is empty. Read file list or search file before"}));
    EXPECT_EQ(LastStatus(), "Operation failed!!!");
    EXPECT_TRUE(recorder->FileRequests().empty());
}

// Interrupt in the second of three files: the first is on disk, the second closed on the
// phone and its old local copy untouched, the third never opened.
TEST_F(DownloadSimTest, InterruptInTheSecondOfThreeFiles) {
    Put("/a/dl/f1", Pattern(3000, '1'));
    Put("/a/dl/f2", Pattern(3000, '2'));
    Put("/a/dl/f3", Pattern(3000, '3'));
    ShowFolder("dl");
    SelectRows({"f1", "f2", "f3"});
    std::ofstream(destination / "f2") << "old f2";
    rig->window.onPosition = [](std::int32_t position) {
        if (position == 4024) StopFlag.store(kStopRequested);
    };
    DownloadTo(destination / "f1");
    EXPECT_EQ(recorder->FileRequests(),
              (Lines{"open /a/dl/f1", "read 1024", "read 1024", "read 952", "close",
                     "open /a/dl/f2", "read 1024", "close"}));
    EXPECT_EQ(Contents(destination / "f1"), Pattern(3000, '1'));
    EXPECT_EQ(Contents(destination / "f2"), "old f2");
    EXPECT_FALSE(fs::exists(destination / "f3"));
    EXPECT_EQ(std::distance(fs::directory_iterator(destination), {}), 2);
    EXPECT_EQ(LastStatus(), "Downloading was interrupted by user");
    EXPECT_TRUE(BoxTexts().empty());
    EXPECT_EQ(rig->window.LogLines(),
              (Lines{"filebar 1", "enable 0 0", "enable 0 0", "filebar 0", "enable 1 1"}));
}

// Search results: each row is a full path; the local name is the part after the last "/",
// and two rows of one name never end as one file.
TEST_F(DownloadSimTest, FlatRowsUseTheirNamesAndASecondOfOneNameIsKeptBeside) {
    Put("/a/x/same.txt", "from a");
    Put("/b/y/same.txt", "from b");
    rig->window.mask = "same.txt";
    rig->commands.Search();
    ASSERT_EQ(rig->list.RowCount(), 2);
    SelectRows({"/a/x/same.txt", "/b/y/same.txt"});
    DownloadTo(destination / "same.txt");
    EXPECT_EQ(recorder->FileRequests(), (Lines{"open /a/x/same.txt", "read 6", "close",
                                               "open /b/y/same.txt", "read 6", "close"}));
    EXPECT_EQ(Contents(destination / "same.txt"), "from a");
    EXPECT_EQ(Contents(destination / "same (2).txt"), "from b");
    ASSERT_EQ(rig->window.prompts.Conflicts().size(), 1u);
    EXPECT_FALSE(rig->window.prompts.Conflicts()[0].replaceOffered);
    ASSERT_EQ(rig->window.prompts.saveRequests.size(), 1u);
    EXPECT_EQ(rig->window.prompts.saveRequests[0].fileName, "same.txt");
}

// The name typed in the save dialog is the first file's; every other existing name is asked
// about, and only the user's answer replaces a local file.
TEST_F(DownloadSimTest, ExistingLocalFilesAreReplacedOnlyWhenTheUserSaysSo) {
    Put("/a/dl/a.txt", "new a");
    Put("/a/dl/smile.gif", "new smile");
    Put("/a/dl/z.txt", "new z");
    ShowFolder("dl");
    struct Row {
        ConflictChoice choice;
        const char* smile;   // smile.gif afterwards
        const char* smile2;  // "smile (2).gif", "" when absent
        bool zWritten;
    };
    const Row rows[] = {{ConflictChoice::Replace, "new smile", "", true},
                        {ConflictChoice::KeepBoth, "old smile", "new smile", true},
                        {ConflictChoice::Skip, "old smile", "", true},
                        {ConflictChoice::Cancel, "old smile", "", false}};
    for (const Row& row : rows) {
        fs::remove_all(destination);
        fs::create_directories(destination);
        std::ofstream(destination / "smile.gif") << "old smile";
        std::ofstream(destination / "a.txt") << "old a";
        rig->window.prompts.Clear();
        rig->window.prompts.conflictAnswers = {{row.choice, false}};
        SelectRows({"a.txt", "smile.gif", "z.txt"});
        DownloadTo(destination / "typed.txt");
        EXPECT_EQ(Contents(destination / "typed.txt"), "new a");
        EXPECT_EQ(Contents(destination / "a.txt"), "old a");
        EXPECT_EQ(Contents(destination / "smile.gif"), row.smile);
        EXPECT_EQ(fs::exists(destination / "smile (2).gif")
                      ? Contents(destination / "smile (2).gif")
                      : "",
                  row.smile2);
        EXPECT_EQ(fs::exists(destination / "z.txt"), row.zWritten);
        const auto asked = rig->window.prompts.Conflicts();
        ASSERT_EQ(asked.size(), 1u) << "a.txt is not asked about: the typed name took its place";
        EXPECT_NE(asked[0].text.find("\"smile.gif\" (9 bytes, modified "), std::string::npos);
        EXPECT_TRUE(asked[0].moreToCome);
        EXPECT_TRUE(EndedUnlocked());
    }
    EXPECT_EQ(LastStatus(), "Downloading was interrupted by user");
}

TEST_F(DownloadSimTest, LocalFailuresAreReportedAndTheJobGoesOn) {
    Put("/a/dl/f1", "11111");
    Put("/a/dl/f2", "22222");
    ShowFolder("dl");
    SelectRows({"f1", "f2"});
    fs::create_directory(destination / "f1");
    DownloadTo(destination / "f1");
    EXPECT_EQ(BoxTexts(), (Lines{"Can't write the local file " + (destination / "f1").string() +
                                 ": Is a directory"}));
    const auto said = rig->window.status.History(kStatusMessagePart);
    EXPECT_NE(std::find(said.begin(), said.end(), "Operation failed!!!"), said.end());
    EXPECT_EQ(Contents(destination / "f2"), "22222");
    EXPECT_TRUE(EndedUnlocked());
}

// Names and sizes from the phone are checked before anything is sent for them.
TEST_F(DownloadSimTest, UnsafeNamesAndHugeSizesAreRefused) {
    Put("/a/dl/good", "good");
    ShowFolder("dl");
    ShowEntries({MakeFileEntry("/a/dl/..", "..", 0, 0, 3),
                 MakeFileEntry("/a/dl/a\x01"
                               "b",
                               "b", 0, 0, 3),
                 MakeFileEntry("/a/dl/good", "good", 0, 0, 4)});
    SelectRows({"..",
                "a\x01"
                "b",
                "good"});
    DownloadTo(destination / "x");
    EXPECT_EQ(BoxTexts(),
              (Lines{"The phone file name \"..\" can't be a local file name; the file is skipped.",
                     "The phone file name \"a\x01"
                     "b\" can't be a local file name; the file is "
                     "skipped."}));
    EXPECT_EQ(recorder->FileRequests(), (Lines{"open /a/dl/good", "read 4", "close"}));
    EXPECT_EQ(Contents(destination / "good"), "good");

    rig->window.prompts.Clear();
    ShowEntries({MakeFileEntry("/a/dl/huge", "huge", 0, 0, -5)});
    SelectRows({"huge"});
    recorder->Clear();
    DownloadTo(destination / "huge");
    commands->Open(0);
    EXPECT_EQ(BoxTexts(), Lines(2,
                                "The file huge has the size -5 bytes; files of 2 GB and more "
                                "can't be transferred."));
    EXPECT_TRUE(recorder->FileRequests().empty());
}

TEST_F(DownloadSimTest, FileSystemFlagSendsTheBareName) {
    SimConfig config = test::SamplePhoneConfig(folder.path() / "flash");
    config.phones[0].fsacMajor = 1;
    Start(config);
    Put("note1.txt", "flash note");
    Put("note2.txt", "other");
    rig->window.fileSystemFlag = true;
    rig->window.mask = "note*.txt";
    rig->commands.Search();
    ASSERT_EQ(rig->list.RowCount(), 2);
    recorder->Clear();
    SelectRows({rig->list.Rows()[0].cells[kColumnName], rig->list.Rows()[1].cells[kColumnName]});
    DownloadTo(destination / "note1.txt");
    EXPECT_EQ(recorder->FileRequests(),
              (Lines{"open note1.txt", "read 10", "close", "open note2.txt", "read 5", "close"}));
    EXPECT_EQ(Contents(destination / "note1.txt"), "flash note");
}

TEST_F(DownloadSimTest, OpenReadsIntoAFreshFileAndHandsItToTheShell) {
    Put("/a/dl/song.mp3", Pattern(2000, 'm'));
    Put("/a/dl/empty", "");
    ShowFolder("dl");
    const int song = rig->list.Rows()[0].cells[kColumnName] == "song.mp3" ? 0 : 1;
    commands->Open(song);
    EXPECT_EQ(recorder->FileRequests(),
              (Lines{"open /a/dl/song.mp3", "read 1024", "read 976", "close"}));
    commands->Open(1 - song);
    shell.openFailure = "No application is registered as handling this file";
    commands->Open(song);

    const auto requests = shell.Requests();
    ASSERT_EQ(requests.size(), 4u);
    const std::string openFolder = (folder.path() / "open").string() + "/";
    EXPECT_EQ(requests[0].verb, "open");
    EXPECT_EQ(requests[0].folder, openFolder);
    // The program sees the phone's name, in a folder of the copy's own.
    EXPECT_EQ(requests[0].path.rfind(openFolder + "VELMORA_TMP", 0), 0u);
    EXPECT_EQ(requests[0].path.substr(openFolder.size() + 17), "/song.mp3");
    EXPECT_EQ(requests[0].contents, Pattern(2000, 'm'));
    EXPECT_EQ(requests[1].contents, "");
    // Opened within the same second: a fresh name, and the first copy stays as it was.
    EXPECT_NE(requests[2].path, requests[0].path);
    EXPECT_EQ(requests[2].path.substr(openFolder.size() + 17), "/song.mp3");
    EXPECT_EQ(requests[3].verb, "openas");
    EXPECT_EQ(requests[3].path, requests[2].path);
    EXPECT_EQ(Contents(requests[0].path), Pattern(2000, 'm'));
    EXPECT_TRUE(BoxTexts().empty());
}

TEST_F(DownloadSimTest, OpenAsksFirstAboveTheLargeFileLimitOnly) {
    Put("/a/dl/limit", Pattern(102400, 'x'));
    Put("/a/dl/over", Pattern(102401, 'y'));
    ShowFolder("dl");
    const int limit = rig->list.Rows()[0].cells[kColumnName] == "limit" ? 0 : 1;
    commands->Open(limit);
    EXPECT_TRUE(BoxTexts().empty());
    rig->window.prompts.answers = {PromptAnswer::No};
    commands->Open(1 - limit);
    ASSERT_EQ(rig->window.prompts.Boxes().size(), 1u);
    const auto box = rig->window.prompts.Boxes()[0];
    EXPECT_EQ(box.text, "Large file downloading required\nIt may take a long time, continue?");
    EXPECT_EQ(box.buttons, PromptButtons::YesNo);
    EXPECT_EQ(box.icon, PromptIcon::Question);
    ASSERT_EQ(shell.Requests().size(), 1u);
    EXPECT_EQ(shell.Requests()[0].contents.size(), 102400u);

    // Beside the rows, or while a job runs: nothing.
    commands->Open(-1);
    EXPECT_EQ(shell.Requests().size(), 1u);
}

TEST_F(DownloadSimTest, InterruptedOpenLeavesNoFileAndCallsNoProgram) {
    Put("/a/dl/big", Pattern(5000, 'b'));
    ShowFolder("dl");
    rig->window.onPosition = [](std::int32_t position) {
        if (position == 2048) StopFlag.store(kStopRequested);
    };
    commands->Open(0);
    EXPECT_EQ(recorder->FileRequests(),
              (Lines{"open /a/dl/big", "read 1024", "read 1024", "close"}));
    EXPECT_TRUE(shell.Requests().empty());
    EXPECT_TRUE(fs::is_empty(folder.path() / "open"));
    EXPECT_EQ(LastStatus(), "Downloading was interrupted by user");
    EXPECT_TRUE(EndedUnlocked());
}

}  // namespace
}  // namespace velmora
