// Get File List from the main window's button against the emulated phone.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <set>
#include <string>

#include "base/lang_string.h"
#include "fsac/file_list.h"
#include "fsac/search_replies.h"
#include "fsac/volume_queries.h"
#include "sim/sample_content.h"
#include "sim/sim_test_support.h"
#include "sim/simulated_pst.h"
#include "support/fakes.h"
#include "support/pumped_ui_thread.h"
#include "transfer/stop_flag.h"
#include "ui/main_window_fakes.h"
#include "ui/main_window_ids.h"
#include "ui/main_window_jobs.h"
#include "ui/session_tree.h"

namespace velmora {
namespace {

// The window with its listing on one emulated phone, the device poll run, every job inline.
class MainWindowListingTest : public ::testing::Test {
  protected:
    void SetUp() override {
        SetLanguageIndex(kLanguageEnglish);
        StopFlag.store(kStopRequested);
        TheFileList().Release();
        w.AttachSessionTree(&sessionTree);
        w.Start();
        ASSERT_TRUE(w.LibraryReady());
        w.OnEvent(WindowEvent::DeviceListChanged);
        w.OnEvent(WindowEvent::Timer, kPollTimer);
        ASSERT_TRUE(w.SelectedDevice().has_value());
    }
    void TearDown() override { TheFileList().Release(); }

    // The volume or folder node below parent with this text.
    NodeId Child(NodeId parent, const std::string& text) {
        tree.Expand(parent);
        return tree.FindChild(parent, text);
    }

    test::TempFolder folder;
    SimulatedPst pst{test::SamplePhoneConfig(folder.path())};
    test::MemorySettingsStore user;
    test::FakePrompts prompts;
    test::PumpedUiThread ui;
    test::NullShell shell;
    test::FakeMainWindowView view;
    MainWindow w{MainWindowPorts{pst, user, prompts, ui, shell, "/opt/velmora/", test::RunAtOnce},
                 view};
    VolumeTree tree{prompts, TheFileList()};
    FileRows rows;
    BrowsingSessionTree sessionTree{tree, rows};
    test::NamingIconSource icons;
    MainWindowJobs jobs{MainWindowJobsParts{w,
                                            pst,
                                            user,
                                            TheFileList(),
                                            tree,
                                            rows,
                                            icons,
                                            shell,
                                            {},
                                            nullptr,
                                            "/tmp/",
                                            test::RunAtOnce,
                                            [] { return false; }}};
};

TEST_F(MainWindowListingTest, GetFileListClickFillsTheFileListFromThePhone) {
    for (int id : {kIdGetFileList, kIdSearch}) {
        EXPECT_TRUE(w.Commands().Has({WindowEvent::Clicked, id})) << id;
    }
    if (w.Phone().State().VolumeCount() > 1) w.Phone().State().SetCurrentVolumeLetter('a');

    EXPECT_TRUE(w.Click(kIdGetFileList));

    std::set<std::string> expected;
    for (const auto& file : SampleFiles(false)) {
        if (file.path.rfind("/a/", 0) == 0) expected.insert(file.path);
    }
    ASSERT_FALSE(expected.empty());
    std::set<std::string> read;
    for (const auto& entry : TheFileList().Snapshot(TheFileList().Count())) {
        read.insert(entry.path);
    }
    EXPECT_EQ(read, expected);
    EXPECT_EQ(w.Progress(kIdProgress).range, static_cast<std::int32_t>(expected.size()));
    EXPECT_TRUE(prompts.Boxes().empty());
}

TEST_F(MainWindowListingTest, SelectingNodesSetsLetterPathsRowsAndFreeSpace) {
    // Before anything is read a volume sets the volume letter and the upload path.
    const NodeId b = tree.FindChild(tree.Root(), "/b");
    ASSERT_NE(b, kNoNode);
    tree.Select(b);
    EXPECT_EQ(w.Phone().State().CurrentVolumeLetter(), 'b');
    EXPECT_EQ(w.StatusPart(2).text, "path not selected");
    EXPECT_EQ(w.Control(kIdUploadPath).text, "/b/");

    tree.Select(tree.FindChild(tree.Root(), "/a"));
    ASSERT_TRUE(w.Click(kIdGetFileList));
    // The listing ends on the first volume, selected.
    EXPECT_EQ(w.StatusPart(2).text, "/a/");
    EXPECT_EQ(w.Control(kIdUploadPath).text, "/a/");

    const NodeId audio = Child(Child(tree.FindChild(tree.Root(), "/a"), "mobile"), "audio");
    ASSERT_NE(audio, kNoNode);
    tree.Select(audio);
    EXPECT_EQ(rows.RowCount(), 4);
    EXPECT_EQ(rows.DisplayMode(), kDisplayFolder);
    EXPECT_EQ(w.StatusPart(2).text, "/a/mobile/audio/");
    EXPECT_EQ(w.Control(kIdUploadPath).text, "/a/mobile/audio/");

    // The root empties the list and the path part, and leaves the upload path.
    tree.Select(tree.Root());
    EXPECT_EQ(rows.RowCount(), 0);
    EXPECT_EQ(w.StatusPart(2).text, "");
    EXPECT_EQ(w.Control(kIdUploadPath).text, "/a/mobile/audio/");
    EXPECT_EQ(w.Phone().State().CurrentVolumeLetter(), 0);

    // A volume shows its own free space: /b is four times the size of /a.
    const std::int32_t freeOfA = w.Phone().State().CachedFreeSpace();
    tree.Select(tree.FindChild(tree.Root(), "/b"));
    EXPECT_GT(w.Phone().State().CachedFreeSpace(), freeOfA);
    EXPECT_EQ(w.Phone().State().CurrentVolumeLetter(), 'b');
    EXPECT_EQ(rows.RowCount(), 0);  // nothing of /b was read
    EXPECT_EQ(w.StatusPart(2).text, "/b/");
    EXPECT_TRUE(prompts.Boxes().empty());
}

TEST_F(MainWindowListingTest, SortCommandsAndHeadingClicksReachTheList) {
    w.Phone().State().SetCurrentVolumeLetter('a');
    ASSERT_TRUE(w.Click(kIdGetFileList));
    tree.Select(Child(Child(tree.FindChild(tree.Root(), "/a"), "mobile"), "system"));
    ASSERT_EQ(rows.RowCount(), 2);
    EXPECT_TRUE(w.Command(kCmdSortSize));
    EXPECT_EQ(rows.SortColumn(), kColumnSize);
    EXPECT_EQ(rows.Rows().front().cells[kColumnName], "config.dat");  // 22 bytes before 64
    EXPECT_TRUE(w.OnEvent(WindowEvent::ListColumnClick, kIdFileList, {kColumnType}));
    EXPECT_EQ(rows.SortColumn(), kColumnType);
}

TEST_F(MainWindowListingTest, ListingTheSecondVolumeKeepsItSelectedWithItsRowsAndFreeSpace) {
    // The poll read the free space of /a; /b is four times its size.
    const std::int32_t freeOfA = w.Phone().State().CachedFreeSpace();
    tree.Select(tree.FindChild(tree.Root(), "/b"));
    ASSERT_TRUE(w.Click(kIdGetFileList));

    const NodeId listed = tree.Selection();
    ASSERT_NE(listed, kNoNode);
    EXPECT_EQ(tree.Node(listed)->text, "/b");
    EXPECT_EQ(w.Phone().State().CurrentVolumeLetter(), 'b');
    EXPECT_EQ(w.StatusPart(2).text, "/b/");
    ASSERT_EQ(rows.RowCount(), 1);
    EXPECT_EQ(rows.Rows()[0].cells[kColumnName], "readme.txt");
    const std::int32_t freeOfB = w.Phone().State().CachedFreeSpace();
    EXPECT_GT(freeOfB, freeOfA);
    EXPECT_EQ(w.StatusPart(3).text, FormatFreeSpace(freeOfB));
}

// A search with one find shows it, on whichever volume it lies; several finds stay flat.
TEST_F(MainWindowListingTest, ASearchShowsItsFindsWhateverTheirCount) {
    struct Case {
        const char* mask;
        int rows;
        const char* shown;     // the first row's name cell; "": the first find's full path
        const char* selected;  // the tree's selected node, "" for none
        int displayMode;
    };
    for (const Case& c : {Case{"logo.gif", 1, "logo.gif", "picture", kDisplayFolder},
                          Case{"theme.mid", 1, "theme.mid", "music", kDisplayFolder},
                          Case{"readme.txt", 1, "readme.txt", "/b", kDisplayFolder},
                          Case{"*.bmp", 4, "", "", kDisplayFlat}}) {
        w.ControlEdited(kIdSearchMask, c.mask);
        ASSERT_TRUE(w.Click(kIdSearch)) << c.mask;
        ASSERT_EQ(rows.RowCount(), c.rows) << c.mask;
        const std::string shown = *c.shown ? c.shown : TheFileList().Entry(0)->path;
        EXPECT_EQ(rows.Rows()[0].cells[kColumnName], shown) << c.mask;
        EXPECT_EQ(rows.DisplayMode(), c.displayMode) << c.mask;
        const NodeId selected = tree.Selection();
        EXPECT_EQ(selected == kNoNode ? "" : tree.Node(selected)->text, c.selected) << c.mask;
    }
    EXPECT_TRUE(prompts.Boxes().empty());
}

// Each of these shows the wait cursor while it works; none may leave it behind.
TEST_F(MainWindowListingTest, EveryHandlerEndsTheWaitItShowed) {
    struct Case {
        const char* what;
        std::function<void()> run;
    };
    const Case cases[] = {
        {"Get File List",
         [&] {
             w.Phone().State().SetCurrentVolumeLetter('a');
             w.Click(kIdGetFileList);
         }},
        {"a volume click", [&] { tree.Select(tree.FindChild(tree.Root(), "/b")); }},
        {"Search", [&] { w.Click(kIdSearch); }},
        {"Restart", [&] { w.Click(kIdRestart); }},
        {"Suspend", [&] { w.Click(kIdSuspend); }},
        {"a device notification", [&] { w.OnEvent(WindowEvent::DeviceListChanged); }},
        {"the poll", [&] { w.OnEvent(WindowEvent::Timer, kPollTimer); }},
        {"an interface switch", [&] { w.Command(kCmdRs232); }},
    };
    for (const Case& c : cases) {
        view.cursors.clear();
        c.run();
        pst.AttachPhone(1);  // back at once from a restart
        ASSERT_FALSE(view.cursors.empty()) << c.what << " showed no wait";
        EXPECT_EQ(view.cursors.front(), CursorShape::Wait) << c.what;
        EXPECT_EQ(view.cursors.back(), CursorShape::Arrow) << c.what;
        EXPECT_EQ(std::count(view.cursors.begin(), view.cursors.end(), CursorShape::Wait),
                  std::count(view.cursors.begin(), view.cursors.end(), CursorShape::Arrow))
            << c.what;
        w.OnEvent(WindowEvent::Timer, kPollTimer);  // no poll stays scheduled
    }
}

}  // namespace
}  // namespace velmora
