#include "ui/main_window.h"

#include <gtest/gtest.h>

#include <thread>

#include "base/lang_string.h"
#include "fsac/file_list.h"
#include "support/fakes.h"
#include "support/pumped_ui_thread.h"
#include "transfer/job.h"
#include "transfer/stop_flag.h"
#include "ui/language.h"
#include "ui/main_window_fakes.h"
#include "ui/main_window_ids.h"

namespace velmora {
namespace {

using test::FakeMainWindowView;
using test::FakePrompts;
using test::MemorySettingsStore;
using test::NullShell;
using test::PumpedUiThread;
using test::StartOnlyPst;

constexpr std::array<int, 10> kCommandControls{
    kIdDeviceList, kIdDownload,  kIdGetFileList, kIdSearch,  kIdUpload,
    kIdDelete,     kIdFillSpace, kIdRestart,     kIdSuspend, kIdLeaveBytesLabel};

class MainWindowTest : public ::testing::Test {
  protected:
    void SetUp() override { SetLanguageIndex(kLanguageEnglish); }
    void TearDown() override { SetLanguageIndex(kLanguageEnglish); }

    MainWindow& Window() {
        if (!m_window) {
            m_window = std::make_unique<MainWindow>(
                MainWindowPorts{pst, user, prompts, ui, shell, "/opt/velmora/", test::RunAtOnce},
                view);
        }
        return *m_window;
    }
    MainWindow& Started() {
        Window().Start();
        return *m_window;
    }

    StartOnlyPst pst;
    MemorySettingsStore user;
    FakePrompts prompts;
    PumpedUiThread ui;
    NullShell shell;
    FakeMainWindowView view;

  private:
    std::unique_ptr<MainWindow> m_window;
};

TEST_F(MainWindowTest, StartUpShowsTheLanguageTextsAndTheIdleLock) {
    auto& w = Started();
    EXPECT_EQ(w.Control(kIdGetFileList).text, "Get File List");
    EXPECT_EQ(w.Control(kIdDownload).text, "Download");
    EXPECT_EQ(w.Control(kIdRestart).text, "Restart");
    EXPECT_EQ(w.Control(kIdLeaveBytesLabel).text, "leave bytes free");
    EXPECT_EQ(w.Control(kIdLeaveBytes).text, "0");
    EXPECT_EQ(w.Columns()[0].heading, "File");
    EXPECT_EQ(w.Columns()[3].heading, "Type");
    EXPECT_FALSE(w.Control(kIdFileProgress).visible);
    EXPECT_TRUE(w.Control(kIdProgress).visible);

    for (int id : kCommandControls) EXPECT_TRUE(w.Control(id).enabled) << id;
    EXPECT_FALSE(w.Control(kIdInterrupt).enabled);
    EXPECT_TRUE(w.MenuEnabled(kCmdUsb));
    EXPECT_TRUE(w.MenuChecked(kCmdUsb));
    EXPECT_FALSE(w.MenuChecked(kCmdRs232));
    EXPECT_TRUE(w.MenuChecked(kCommandEnglish));
    EXPECT_FALSE(w.MenuChecked(kCommandRussian));

    const std::array<std::int32_t, 5> edges{22, 50, 250, 330, 2000};
    for (int i = 0; i < kStatusParts; ++i) EXPECT_EQ(w.StatusPart(i).rightEdge, edges[i]);
    EXPECT_EQ(w.StatusPart(1).icon, kIconUsb);
    EXPECT_EQ(w.StatusPart(0).icon, 0);

    EXPECT_TRUE(w.LibraryReady());
    EXPECT_FALSE(w.PollingActive());
    EXPECT_EQ(view.moves.size(), 1u) << "the first layout restored the rectangle";
    EXPECT_EQ(w.ViewMode(), 1);
    EXPECT_EQ(pst.modes, std::vector<std::int32_t>{kInterfaceUsb});
    EXPECT_TRUE(prompts.Boxes().empty());
}

TEST_F(MainWindowTest, FailedLibraryStartLocksTheCommandsButNotTheInterfaceMenu) {
    pst.initResult = 5;
    auto& w = Started();
    EXPECT_FALSE(w.LibraryReady());
    for (int id : kCommandControls) EXPECT_FALSE(w.Control(id).enabled) << id;
    EXPECT_TRUE(w.Control(kIdInterrupt).enabled);
    EXPECT_TRUE(w.MenuEnabled(kCmdUsb));
    EXPECT_TRUE(w.MenuEnabled(kCmdRs232));
    EXPECT_TRUE(prompts.Boxes().empty());
}

TEST_F(MainWindowTest, StoredRs232ModeIsShownInMenuAndStatusBar) {
    user.Set("InterfaceMode", std::uint32_t{2});
    auto& w = Started();
    EXPECT_FALSE(w.MenuChecked(kCmdUsb));
    EXPECT_TRUE(w.MenuChecked(kCmdRs232));
    EXPECT_EQ(w.StatusPart(1).icon, kIconRs232);
    EXPECT_EQ(w.Rs232Flag(), 1);
    EXPECT_EQ(pst.modes, std::vector<std::int32_t>{kInterfaceRs232});
}

TEST_F(MainWindowTest, StoredMasksFillTheMaskListAndSelectTheFirst) {
    Binary bytes(SearchHistory::kBytes, 0);
    const std::string first = "*.jpg", second = "*.mp3";
    std::copy(first.begin(), first.end(), bytes.begin());
    std::copy(second.begin(), second.end(), bytes.begin() + 2 * SearchHistory::kSlotBytes);
    user.Set("SearchArray", bytes);
    auto& w = Started();
    EXPECT_EQ(w.MaskItems(), (std::vector<std::string>{"*.jpg", "*.mp3"}));
    EXPECT_EQ(w.Control(kIdSearchMask).text, "*.jpg");
}

TEST_F(MainWindowTest, JobLockTurnsTheCommandsOffAndInterruptOn) {
    auto& w = Started();
    w.ControlEdited(kIdLeaveBytes, "1234");
    w.EnableControls(0, 0);
    for (int id : kCommandControls) EXPECT_FALSE(w.Control(id).enabled) << id;
    EXPECT_TRUE(w.Control(kIdInterrupt).enabled);
    EXPECT_FALSE(w.MenuEnabled(kCmdUsb));
    EXPECT_FALSE(w.MenuEnabled(kCmdRs232));
    // The bytes-to-leave edit and the upload path are left as they are.
    EXPECT_TRUE(w.Control(kIdLeaveBytes).enabled);
    EXPECT_TRUE(w.Control(kIdUploadPath).enabled);
    EXPECT_EQ(w.Control(kIdLeaveBytes).text, "1234");

    w.EnableControls(1, 1);
    for (int id : kCommandControls) EXPECT_TRUE(w.Control(id).enabled) << id;
    EXPECT_FALSE(w.Control(kIdInterrupt).enabled);
    EXPECT_TRUE(w.MenuEnabled(kCmdUsb));
}

TEST_F(MainWindowTest, OnlyEnableMenusOfExactlyOneEnablesTheInterfaceItems) {
    auto& w = Started();
    w.EnableControls(1, 2);
    EXPECT_FALSE(w.MenuEnabled(kCmdUsb));
    EXPECT_TRUE(w.Control(kIdDownload).enabled);
    w.EnableControls(7, 1);  // any non-zero enable counts
    EXPECT_TRUE(w.MenuEnabled(kCmdRs232));
    EXPECT_TRUE(w.Control(kIdDownload).enabled);
}

TEST_F(MainWindowTest, WorkerCallsReachTheWindowInTheOrderIssued) {
    PumpedUiThread pumped;
    MainWindow w(MainWindowPorts{pst, user, prompts, pumped, shell, "/", test::RunAtOnce}, view);
    w.Start();
    w.AddDevice("Motorola phone ID #7", 7);
    w.SelectDevice(0);

    std::atomic<bool> finished{false};
    std::optional<std::uint16_t> seen;
    // The one way from a worker to the window.
    std::thread worker([&, channel = w.JobChannel()] {
        channel->EnableControls(false, false);
        channel->SetStatusText(kStatusMessagePart, "one");
        channel->SetOverallRange(10);
        channel->SetOverallPosition(4);
        seen = channel->WindowPhone().SelectedDevice();
        channel->SetStatusText(kStatusMessagePart, "two");
        channel->EnableControls(true, true);
        finished = true;
    });
    ASSERT_TRUE(pumped.PumpUntil([&] { return finished.load(); }));
    worker.join();

    EXPECT_EQ(seen, std::optional<std::uint16_t>{7});
    EXPECT_EQ(w.StatusPart(kStatusMessagePart).text, "two");
    EXPECT_EQ(w.Progress(kIdProgress).range, 10);
    EXPECT_EQ(w.Progress(kIdProgress).position, 4);
    EXPECT_TRUE(w.Control(kIdDownload).enabled);
    EXPECT_FALSE(w.Control(kIdInterrupt).enabled);
}

TEST_F(MainWindowTest, AJobSeesTheLockTheBarsAndThePhoneStateOfTheWindow) {
    auto& w = Started();
    JobWindow& job = w;
    job.EnableControls(false, false);
    EXPECT_FALSE(w.Control(kIdUpload).enabled);
    EXPECT_FALSE(w.MenuEnabled(kCmdRs232));
    job.ShowFileBar(true);
    job.SetFileRange(3);
    job.SetFilePosition(2);
    job.SetOverallRange(9);
    job.SetOverallPosition(5);
    EXPECT_TRUE(w.Control(kIdFileProgress).visible);
    EXPECT_EQ(w.Progress(kIdFileProgress).position, 2);
    EXPECT_EQ(w.Progress(kIdProgress).range, 9);
    EXPECT_EQ(w.Progress(kIdProgress).position, 5);
    EXPECT_EQ(&job.WindowPrompts(), &prompts);
    EXPECT_TRUE(job.WindowPhone().LibraryReady());
    job.EnableControls(true, true);
    EXPECT_TRUE(w.Control(kIdUpload).enabled);
}

TEST_F(MainWindowTest, EveryRowOfTheCommandMapIsWired) {
    auto& w = Started();
    const std::vector<int> buttons{kIdDownload, kIdUpload,  kIdDelete,   kIdFillSpace,
                                   kIdRestart,  kIdSuspend, kIdInterrupt};
    for (int id : buttons) EXPECT_TRUE(w.Commands().Has({WindowEvent::Clicked, id})) << id;
    const std::vector<int> commands{kCmdContextDownload,
                                    kCmdContextDelete,
                                    kCmdProperties,
                                    kCmdSortName,
                                    kCmdSortSize,
                                    kCmdSortType,
                                    kCmdViewIcons,
                                    kCmdViewList,
                                    kCmdViewSmallIcons,
                                    kCmdViewTable,
                                    kCmdContextIcons,
                                    kCmdContextList,
                                    kCmdContextSmallIcons,
                                    kCmdContextTable,
                                    kCmdUsb,
                                    kCmdRs232,
                                    kCommandEnglish,
                                    kCommandRussian,
                                    kCmdAbout,
                                    kCmdHelp,
                                    kCmdExit};
    for (int id : commands) EXPECT_TRUE(w.Commands().Has({WindowEvent::Command, id})) << id;
    EXPECT_TRUE(w.Commands().Has({WindowEvent::ListColumnClick, kIdFileList}));
    EXPECT_TRUE(w.Commands().Has({WindowEvent::ListRightClick, kIdFileList}));
    EXPECT_TRUE(w.Commands().Has({WindowEvent::ListDoubleClick, kIdFileList}));
    EXPECT_TRUE(w.Commands().Has({WindowEvent::Timer, kPollTimer}));
    EXPECT_TRUE(w.Commands().Has({WindowEvent::DeviceListChanged, 0}));
    EXPECT_TRUE(w.Commands().Has({WindowEvent::HelpRequest, 0}));
    EXPECT_TRUE(w.Commands().Has({WindowEvent::Cancel, 0}));
    EXPECT_FALSE(w.Click(4242));
    EXPECT_FALSE(w.Command(4242));
}

TEST_F(MainWindowTest, RowsOfLaterOperationsRunWithoutEffect) {
    auto& w = Started();
    const int changesBefore = static_cast<int>(view.controlChanges.size());
    for (int id : {kIdDownload, kIdUpload, kIdDelete, kIdFillSpace}) {
        EXPECT_TRUE(w.Click(id));
    }
    for (int id : {kCmdContextDownload, kCmdContextDelete, kCmdProperties, kCmdSortName}) {
        EXPECT_TRUE(w.Command(id));
    }
    EXPECT_TRUE(w.OnEvent(WindowEvent::ListDoubleClick, kIdFileList));
    EXPECT_EQ(static_cast<int>(view.controlChanges.size()), changesBefore);
    EXPECT_EQ(view.closes, 0);
    EXPECT_TRUE(prompts.Boxes().empty());
}

TEST_F(MainWindowTest, InterruptSetsTheStopFlag) {
    auto& w = Started();
    StopFlag = kJobRunning;
    EXPECT_TRUE(w.Click(kIdInterrupt));
    EXPECT_EQ(StopFlag.load(), 1);
}

TEST_F(MainWindowTest, EscapeAndExitCloseTheWindowExitReleasingTheFileListFirst) {
    auto& w = Started();
    w.OnEvent(WindowEvent::Cancel);
    EXPECT_EQ(view.closes, 1);

    TheFileList().Allocate(3);
    bool storageAtClose = true;
    view.onClose = [&] { storageAtClose = TheFileList().HasStorage(); };
    w.Command(kCmdExit);
    EXPECT_FALSE(storageAtClose);
    EXPECT_EQ(view.closes, 2);
    view.onClose = nullptr;
}

TEST_F(MainWindowTest, LeavingAsksOnlyWhileAJobWritesAndNoKeepsTheJobGoing) {
    auto& w = Started();
    // The job that runs, the answer, whether it was asked, whether the window closed.
    const std::tuple<std::optional<JobKind>, PromptAnswer, bool, bool> rows[] = {
        {JobKind::Writes, PromptAnswer::Yes, true, true},
        {JobKind::Writes, PromptAnswer::No, true, false},
        {JobKind::Reads, PromptAnswer::No, false, true},
        {std::nullopt, PromptAnswer::No, false, true},
    };
    for (const EventKey way :
         {EventKey{WindowEvent::Command, kCmdExit}, EventKey{WindowEvent::Cancel, 0}}) {
        for (const auto& [job, answer, asked, closes] : rows) {
            prompts.Clear();
            prompts.answers = {answer};
            view.closes = 0;
            {
                std::optional<JobRun> run;
                if (job) run.emplace(w, *job);
                w.OnEvent(way.event, way.id);
                EXPECT_EQ(StopFlag.load() == kStopRequested, closes);
            }
            EXPECT_EQ(view.closes, closes ? 1 : 0);
            ASSERT_EQ(prompts.Boxes().size(), asked ? 1u : 0u);
            if (!asked) continue;
            EXPECT_EQ(prompts.Boxes()[0].text, "Stop the transfer and quit?");
            EXPECT_EQ(prompts.Boxes()[0].buttons, PromptButtons::YesNo);
        }
    }
    JobRun run(w);
    w.EndSession();  // no question: the job stops and the window closes
    EXPECT_TRUE(prompts.Boxes().empty());
    EXPECT_EQ(StopFlag.load(), kStopRequested);
    EXPECT_EQ(view.closes, 2);
}

TEST_F(MainWindowTest, InterfaceSwitchChecksShowsStoresAndPollsOnce) {
    auto& w = Started();
    ASSERT_TRUE(w.Command(kCmdRs232));
    EXPECT_TRUE(w.MenuChecked(kCmdRs232));
    EXPECT_FALSE(w.MenuChecked(kCmdUsb));
    EXPECT_EQ(w.StatusPart(1).icon, kIconRs232);
    EXPECT_EQ(w.Rs232Flag(), 1);
    EXPECT_EQ(user.ReadDword("InterfaceMode"), 2u);
    EXPECT_EQ(pst.uninits, 1);
    EXPECT_EQ(pst.modes.back(), kInterfaceRs232);
    EXPECT_TRUE(w.PollingActive());
    ASSERT_EQ(view.timerStarts.size(), 1u);
    EXPECT_EQ(view.timerStarts[0], (std::pair<int, int>{kPollTimer, 500}));
    // Waiting showed while the handler worked, and ended with it: the poll is not yet due.
    EXPECT_EQ(view.cursors, (std::vector<CursorShape>{CursorShape::Wait, CursorShape::Arrow}));

    // Back to USB while the poll is still scheduled: no second timer.
    w.Command(kCmdUsb);
    EXPECT_TRUE(w.MenuChecked(kCmdUsb));
    EXPECT_EQ(w.StatusPart(1).icon, kIconUsb);
    EXPECT_EQ(user.ReadDword("InterfaceMode"), 1u);
    EXPECT_EQ(view.timerStarts.size(), 1u);

    // The tick ends the schedule; the next request starts a new one.
    w.OnEvent(WindowEvent::Timer, kPollTimer);
    EXPECT_FALSE(w.PollingActive());
    EXPECT_EQ(view.timerStops, std::vector<int>{kPollTimer});
    EXPECT_EQ(view.cursors.back(), CursorShape::Arrow);
    w.Command(kCmdRs232);
    EXPECT_EQ(view.timerStarts.size(), 2u);
}

TEST_F(MainWindowTest, SwitchingTheInterfaceNeverChangesLibraryReadyOrTheLock) {
    pst.initResult = 1;
    auto& w = Started();
    pst.initResult = 0;
    for (int i = 0; i < 2; ++i) {
        w.Command(kCmdRs232);
        w.Command(kCmdUsb);
    }
    EXPECT_FALSE(w.LibraryReady());
    EXPECT_FALSE(w.Control(kIdDownload).enabled);
    EXPECT_TRUE(w.Control(kIdInterrupt).enabled);
}

TEST_F(MainWindowTest, RefreshNotificationsWhileScheduledLeadToOnePoll) {
    pst.notifyOnInit = true;
    auto& w = Started();
    // The library's notification from its start is posted, not handled inside it.
    EXPECT_FALSE(w.PollingActive());
    w.OnDeviceListChanged();
    w.OnDeviceListChanged();
    ui.Drain();
    EXPECT_TRUE(w.PollingActive());
    EXPECT_EQ(view.timerStarts.size(), 1u);
}

TEST_F(MainWindowTest, TheLibrarysNotificationAfterTheWindowIsGoneIsDropped) {
    {
        MainWindow w(MainWindowPorts{pst, user, prompts, ui, shell, "/", test::RunAtOnce}, view);
        w.Start();
    }
    ASSERT_NE(pst.sink, nullptr);
    pst.sink->OnDeviceListChanged();
    ui.Drain();
    EXPECT_TRUE(view.timerStarts.empty());
}

TEST_F(MainWindowTest, SwitchToRussianAndBack) {
    auto& w = Started();
    const int rebuilds = view.menuRebuilds;
    w.SetStatusText(kStatusMessagePart, "Operation failed!!!");
    w.Command(kCommandRussian);
    // The status parts speak the new language at once.
    EXPECT_EQ(w.StatusPart(kStatusMessagePart).text, LoadLangString(111));
    EXPECT_EQ(LanguageIndex(), kLanguageRussian);
    EXPECT_EQ(user.ReadDword("Language"), 1u);
    EXPECT_EQ(w.Control(kIdGetFileList).text, LoadLangString(177));
    EXPECT_NE(w.Control(kIdGetFileList).text, "Get File List");
    EXPECT_EQ(w.Columns()[0].heading, LoadLangString(136));
    EXPECT_EQ(w.MainMenuSpec().items.front().text, "&Файл");
    EXPECT_TRUE(w.MenuChecked(kCommandRussian));
    EXPECT_FALSE(w.MenuChecked(kCommandEnglish));
    EXPECT_EQ(view.menuRebuilds, rebuilds + 1);

    w.Command(kCommandEnglish);
    EXPECT_EQ(user.ReadDword("Language"), 0u);
    EXPECT_EQ(w.Control(kIdGetFileList).text, "Get File List");
    EXPECT_EQ(w.Control(kIdInterrupt).text, "Interrupt");
    EXPECT_EQ(w.MainMenuSpec().items.front().text, "&File");
    EXPECT_EQ(ContextMenu().title, "Test Right click");
    EXPECT_TRUE(w.MenuChecked(kCommandEnglish));
    EXPECT_FALSE(w.MenuChecked(kCommandRussian));
}

TEST_F(MainWindowTest, StoredLanguageTwoStartsInEnglishWithEnglishChecked) {
    SetLanguageIndex(2);
    auto& w = Started();
    EXPECT_EQ(w.MainMenuSpec().items.front().text, "&File");
    EXPECT_FALSE(w.MenuChecked(kCommandRussian));
    EXPECT_TRUE(w.MenuChecked(kCommandEnglish));
    EXPECT_EQ(w.Control(kIdGetFileList).text, "Get File List");
}

TEST_F(MainWindowTest, RebuiltMenusKeepInterfaceAndViewMarksAndTheJobGreying) {
    auto& w = Started();
    w.Command(kCmdRs232);
    w.Command(kCmdViewList);
    w.EnableControls(0, 0);
    w.Command(kCommandRussian);
    EXPECT_TRUE(w.MenuChecked(kCmdRs232));
    EXPECT_FALSE(w.MenuChecked(kCmdUsb));
    EXPECT_TRUE(w.MenuChecked(kCmdViewList));
    EXPECT_EQ(CheckedViewItems(w.ViewMode())->contextMenuId, kCmdContextList);
    EXPECT_FALSE(w.MenuChecked(kCmdViewTable));
    // Mid-job the interface must stay locked, whatever language the menus are in.
    EXPECT_FALSE(w.MenuEnabled(kCmdUsb));
    EXPECT_FALSE(w.MenuEnabled(kCmdRs232));
    w.EnableControls(1, 1);
    EXPECT_TRUE(w.MenuEnabled(kCmdUsb));
}

TEST_F(MainWindowTest, ViewCommandsCheckBothMenusAndStoreTheView) {
    auto& w = Started();
    w.Command(kCmdContextSmallIcons);
    EXPECT_EQ(w.ViewMode(), 2);
    EXPECT_EQ(user.ReadDword("View"), 2u);
    EXPECT_TRUE(w.MenuChecked(kCmdViewSmallIcons));
    // The list's own context menu checks the item of the window's view.
    EXPECT_EQ(CheckedViewItems(w.ViewMode())->contextMenuId, kCmdContextSmallIcons);
    EXPECT_FALSE(w.MenuChecked(kCmdViewTable));

    const int layouts = view.layouts;
    w.Command(kCmdViewTable);
    EXPECT_EQ(w.ViewMode(), 1);
    EXPECT_EQ(CheckedViewItems(w.ViewMode())->contextMenuId, kCmdContextTable);
    EXPECT_TRUE(w.MenuChecked(kCmdViewTable));
    EXPECT_FALSE(w.MenuChecked(kCmdViewSmallIcons));
    EXPECT_EQ(view.layouts, layouts + 1);  // Table resets the column widths
}

TEST_F(MainWindowTest, StoredViewIsAppliedAndWrittenBackAtStart) {
    user.Set("View", std::uint32_t{3});
    const int writesBefore = user.writes();
    auto& w = Started();
    EXPECT_EQ(w.ViewMode(), 3);
    EXPECT_TRUE(w.MenuChecked(kCmdViewList));
    EXPECT_GT(user.writes(), writesBefore);
    EXPECT_EQ(user.ReadDword("View"), 3u);
}

TEST_F(MainWindowTest, FirstLayoutRestoresTheStoredRectangleAndStoresNothing) {
    const int writesBefore = user.writes();
    auto& w = Started();
    ASSERT_EQ(view.moves.size(), 1u);
    EXPECT_EQ(view.moves[0], (Rect{0, 0, 650, 350}));
    EXPECT_GE(view.repaints, 1);
    EXPECT_FALSE(user.ReadDword("WndLeft").has_value());
    EXPECT_EQ(user.writes(), writesBefore);
    // The synthetic message lays out for the real client area.
    EXPECT_EQ(w.Control(kIdFileList).rect, (Rect{175, 1, 175 + 370, 1 + 250}));
}

TEST_F(MainWindowTest, LaterSizesSnapAndStoreTheRectangle) {
    auto& w = Started();
    view.window = Rect{10, 10, 600, 300};
    view.client = Size{590, 240};
    w.HandleSize(view.client);
    ASSERT_EQ(view.moves.size(), 2u);
    EXPECT_EQ(view.moves[1], (Rect{10, 10, 640, 393}));
    EXPECT_EQ(user.ReadDword("WndRight"), 640u);
    EXPECT_EQ(user.ReadDword("WndBottom"), 393u);

    // A move stores the new rectangle without changing its size.
    view.window = Rect{40, 50, 700, 450};
    view.client = Size{660, 350};
    w.HandleMove();
    EXPECT_EQ(view.moves.size(), 2u);
    EXPECT_EQ(user.ReadDword("WndLeft"), 40u);
    EXPECT_EQ(user.ReadDword("WndTop"), 50u);
    EXPECT_EQ(w.Control(kIdInterrupt).rect.left, 660 - 85);
    EXPECT_EQ(w.Columns()[0].width, 660 - 284 - 210);
}

TEST_F(MainWindowTest, WithoutAUserKeyTheWindowStaysAndTheFirstResizeCreatesIt) {
    MemorySettingsStore noKey(false);
    MainWindow w(MainWindowPorts{pst, noKey, prompts, ui, shell, "/", test::RunAtOnce}, view);
    w.Start();
    EXPECT_TRUE(view.moves.empty());
    EXPECT_FALSE(noKey.KeyExists());
    w.HandleSize(Size{700, 400});
    EXPECT_TRUE(noKey.KeyExists());
    EXPECT_EQ(noKey.ReadDword("WndLeft"), 100u);
}

TEST_F(MainWindowTest, SizeMessagesBeforeTheListExistsDoNothing) {
    auto& w = Window();
    w.HandleSize(Size{100, 100});
    EXPECT_TRUE(view.moves.empty());
    EXPECT_EQ(view.layouts, 0);
    // The restore still waits for the first layout after the start.
    w.Start();
    EXPECT_EQ(view.moves.size(), 1u);
}

TEST_F(MainWindowTest, DeviceListIsSortedByTextAndKeepsItsSelection) {
    auto& w = Started();
    EXPECT_EQ(w.AddDevice("Motorola phone ID #9", 9), 0);
    w.SelectDevice(0);
    EXPECT_EQ(w.AddDevice("Motorola phone ID #10", 10), 0);
    ASSERT_EQ(w.Devices().size(), 2u);
    EXPECT_EQ(w.Devices()[0].data, 10u);
    EXPECT_EQ(w.SelectedDeviceIndex(), 1);
    EXPECT_EQ(w.SelectedDevice(), std::optional<std::uint16_t>{9});

    w.SelectDevice(5);  // out of range: no selection
    EXPECT_FALSE(w.SelectedDevice().has_value());
    w.DeviceChosen(0);
    EXPECT_EQ(w.SelectedDevice(), std::optional<std::uint16_t>{10});
    w.ClearDevices();
    EXPECT_TRUE(w.Devices().empty());
    EXPECT_FALSE(w.SelectedDevice().has_value());
}

}  // namespace
}  // namespace velmora
