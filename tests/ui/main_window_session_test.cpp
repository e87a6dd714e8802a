// The phone session inside the main window: the library's notification, timer 1, the
// interface switch and the Restart and Suspend buttons reach it, and its results show in the
// window's models.
#include <gtest/gtest.h>

#include "base/lang_string.h"
#include "support/fakes.h"
#include "support/pumped_ui_thread.h"
#include "support/scripted_pst.h"
#include "transfer/stop_flag.h"
#include "ui/file_rows.h"
#include "ui/main_window.h"
#include "ui/main_window_fakes.h"
#include "ui/main_window_ids.h"
#include "ui/session_tree.h"
#include "ui/volume_tree.h"

namespace velmora {
namespace {

using test::FakeMainWindowView;
using test::FakePrompts;
using test::MemorySettingsStore;
using test::NullShell;
using test::PumpedUiThread;
using test::ScriptedPst;
using test::ScriptedReply;

class MainWindowSessionTest : public ::testing::Test {
  protected:
    void SetUp() override {
        SetLanguageIndex(kLanguageEnglish);
        StopFlag.store(kStopRequested);
        window.AttachSessionTree(&sessionTree);
        window.Start();
        ui.Drain();
    }
    void TearDown() override { StopFlag.store(kStopRequested); }

    void ScriptPhone() {
        pst.QueueReply("FSAC", ScriptedReply::Bytes({2, 1}));
        pst.QueueReply("FSAC", ScriptedReply::Bytes({0, '/', 0, 'a', 0, 0, 0, '/', 0, 'b', 0, 0}));
        pst.QueueReply("RDELEM", ScriptedReply::Bytes({0,   0, 'E', 0, '3', 0, '9', 0, '8', 0,
                                                       ' ', 0, 0,   0, 0,   0, 0,   0, 0,   0}));
        pst.QueueReply("FSAC", ScriptedReply::Bytes({2, 1}));
        pst.QueueReply("FSAC", ScriptedReply::Bytes({0x00, 0x00, 0x06, 0x00}));
    }
    // The library's notification, carried to the window's thread, then timer 1's tick.
    void NotifyAndTick() {
        pst.NotifyDeviceListChanged();
        ui.Drain();
        ASSERT_TRUE(window.PollingActive());
        window.OnEvent(WindowEvent::Timer, kPollTimer);
    }
    std::vector<std::string> VolumeNodes() const {
        std::vector<std::string> names;
        for (NodeId id : tree.Children(tree.Root())) names.push_back(tree.Node(id)->text);
        return names;
    }

    ScriptedPst pst;
    MemorySettingsStore user;
    FakePrompts prompts;
    PumpedUiThread ui;
    NullShell shell;
    FakeMainWindowView view;
    FileList files;
    VolumeTree tree{prompts, files};
    FileRows rows;
    BrowsingSessionTree sessionTree{tree, rows};
    MainWindow window{
        MainWindowPorts{pst, user, prompts, ui, shell, "/opt/velmora/", test::RunAtOnce}, view};
};

TEST_F(MainWindowSessionTest, NotificationPollsThePhoneIntoTheWindow) {
    pst.devices = {1};
    ScriptPhone();
    NotifyAndTick();

    ASSERT_EQ(window.Devices().size(), 1u);
    EXPECT_EQ(window.Devices()[0].text, "Motorola phone ID #1");
    EXPECT_EQ(window.SelectedDeviceIndex(), 0);
    EXPECT_EQ(window.StatusPart(0).icon, kIconConnected);
    EXPECT_EQ(window.StatusPart(0).tip, "Connected");
    EXPECT_EQ(window.StatusPart(2).text, "path not selected");
    EXPECT_EQ(window.StatusPart(3).text, "1.5 kb free");
    EXPECT_EQ(tree.RootText(), "E398  (FSAC v.2.1)");
    EXPECT_EQ(VolumeNodes(), (std::vector<std::string>{"/a", "/b"}));
    EXPECT_TRUE(window.Control(kIdSearch).enabled);
    EXPECT_TRUE(prompts.Boxes().empty());
    EXPECT_EQ(view.timerStops, std::vector<int>{kPollTimer});
    EXPECT_EQ(view.cursors.back(), CursorShape::Arrow);

    window.Click(kIdRestart);
    EXPECT_EQ(window.StatusPart(4).text, "Phone restarted");
    window.Click(kIdSuspend);
    EXPECT_EQ(window.StatusPart(4).text, "Phone suspended");
}

TEST_F(MainWindowSessionTest, LostLibraryEmptiesTreeAndRows) {
    pst.devices = {1};
    ScriptPhone();
    NotifyAndTick();
    rows.AppendRow(ListRow{}, RowIcons{});

    pst.deviceListResult = 1;
    NotifyAndTick();
    EXPECT_EQ(tree.Root(), kNoNode);
    EXPECT_EQ(rows.RowCount(), 0);
    EXPECT_EQ(window.StatusPart(0).icon, kIconDisconnected);
    EXPECT_FALSE(window.Control(kIdGetFileList).enabled);
}

TEST_F(MainWindowSessionTest, OldFileSystemDisablesSearchUntilANewerOne) {
    pst.devices = {1};
    pst.QueueReply("FSAC", ScriptedReply::Bytes({1, 5}));
    NotifyAndTick();
    EXPECT_FALSE(window.Control(kIdSearchMask).enabled);
    EXPECT_FALSE(window.Control(kIdSearch).enabled);
    EXPECT_EQ(VolumeNodes(), std::vector<std::string>{"FLASH"});
}

TEST_F(MainWindowSessionTest, InterfaceSwitchSchedulesAPollOnce) {
    pst.devices = {};
    window.Command(kCmdRs232);
    window.Command(kCmdUsb);
    EXPECT_EQ(view.timerStarts.size(), 1u);
    window.OnEvent(WindowEvent::Timer, kPollTimer);
    EXPECT_FALSE(window.PollingActive());
    window.Command(kCmdRs232);
    EXPECT_EQ(view.timerStarts.size(), 2u);
}

TEST_F(MainWindowSessionTest, PollDuringAJobKeepsTheLock) {
    window.EnableControls(0, 0);
    StopFlag.store(kJobRunning);
    pst.devices = {};
    NotifyAndTick();
    EXPECT_FALSE(window.Control(kIdGetFileList).enabled);
    EXPECT_TRUE(window.Control(kIdInterrupt).enabled);
    EXPECT_FALSE(window.MenuEnabled(kCmdUsb));
}

// A poll shows no box: the status bar asks for a phone.
TEST_F(MainWindowSessionTest, WithSeveralPhonesThePollAsksOnceAndAPickReadsThatPhone) {
    for (const std::vector<std::uint16_t>& attached :
         {std::vector<std::uint16_t>{1, 2}, std::vector<std::uint16_t>{3, 4, 5},
          std::vector<std::uint16_t>{}}) {
        prompts.Clear();
        pst.devices = attached;
        NotifyAndTick();
        EXPECT_TRUE(prompts.Boxes().empty()) << attached.size() << " phones";
        EXPECT_EQ(window.StatusPart(4).text, "Device not selected.");
    }

    // The user picks the second phone: its facts are read at once, nothing more is asked.
    prompts.Clear();
    pst.devices = {1, 2};
    NotifyAndTick();
    prompts.Clear();
    ScriptPhone();
    window.DeviceChosen(1);
    EXPECT_TRUE(prompts.Boxes().empty());
    EXPECT_EQ(VolumeNodes(), (std::vector<std::string>{"/a", "/b"}));
    EXPECT_EQ(tree.RootText(), "E398  (FSAC v.2.1)");
    EXPECT_EQ(window.StatusPart(3).text, "1.5 kb free");
    EXPECT_EQ(window.StatusPart(2).text, "path not selected");
    EXPECT_EQ(view.cursors.back(), CursorShape::Arrow);
    // Picking the same phone again reads nothing anew.
    const auto sends = pst.Calls().size();
    window.DeviceChosen(1);
    EXPECT_EQ(pst.Calls().size(), sends);
}

}  // namespace
}  // namespace velmora
