// What the window shows of its own state where two rules meet: the size snap and the layout,
// the two View menus at a fresh start, and the job lock beside the file-system flag's hold
// on searching.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <thread>

#include "base/lang_string.h"
#include "support/fakes.h"
#include "support/pumped_ui_thread.h"
#include "ui/main_window.h"
#include "ui/main_window_fakes.h"
#include "ui/main_window_ids.h"

namespace velmora {
namespace {

class WindowStateTest : public ::testing::Test {
  protected:
    void SetUp() override {
        SetLanguageIndex(kLanguageEnglish);
        w.Start();
    }

    test::StartOnlyPst pst;
    test::MemorySettingsStore user;
    test::FakePrompts prompts;
    test::PumpedUiThread ui;
    test::NullShell shell;
    test::FakeMainWindowView view;
    MainWindow w{MainWindowPorts{pst, user, prompts, ui, shell, "/opt/velmora/", test::RunAtOnce},
                 view};
};

TEST_F(WindowStateTest, ControlsArePlacedForTheSnappedSizeNotTheRequestedOne) {
    struct Case {
        Rect window;
        Size client;
        Size placedFor;  // the client area after the snap
    };
    // The frame adds 10 x 60 pixels around its client area.
    for (const Case& c : {Case{{10, 10, 410, 260}, {390, 190}, {620, 323}},
                          Case{{0, 0, 500, 700}, {490, 640}, {620, 640}},
                          Case{{0, 0, 900, 300}, {890, 240}, {890, 323}},
                          Case{{5, 5, 705, 505}, {690, 440}, {690, 440}}}) {
        view.window = c.window;
        view.client = c.client;
        w.HandleSize(c.client);
        const Size s = c.placedFor;
        EXPECT_EQ(w.Control(kIdInterrupt).rect.left, s.width - 85) << s.width;
        EXPECT_EQ(w.Control(kIdInterrupt).rect.top, s.height - 46) << s.height;
        EXPECT_EQ(w.Control(kIdLeaveBytesLabel).rect.left, s.width - 85);
        EXPECT_EQ(w.Control(kIdFileList).rect,
                  (Rect{175, 1, 175 + s.width - 280, 1 + s.height - 50}));
        EXPECT_EQ(w.Control(kIdStatusBar).rect.top, s.height - 25);
        EXPECT_EQ(w.Columns()[0].width, s.width - 284 - 210);
        EXPECT_GT(w.Columns()[0].width, 0);
    }
}

TEST_F(WindowStateTest, ALargerTextScaleGrowsTheButtonsAndTheStatusParts) {
    test::FakeMainWindowView large;
    large.textScale = 1.5;
    large.client = Size{975, 475};
    MainWindow scaled{MainWindowPorts{pst, user, prompts, ui, shell, "/opt/velmora/"}, large};
    scaled.Start();
    EXPECT_EQ(scaled.Control(kIdGetFileList).rect, (Rect{847, 8, 967, 41}));
    EXPECT_EQ(scaled.Control(kIdSearch).rect.Width(), 90);
    EXPECT_EQ(scaled.Control(kIdLeaveBytesLabel).rect.Width(), 120);
    std::vector<std::int32_t> edges;
    for (int part = 0; part < kStatusParts; ++part)
        edges.push_back(scaled.StatusPart(part).rightEdge);
    EXPECT_EQ(edges, (std::vector<std::int32_t>{33, 75, 375, 495, 3000}));
}

TEST_F(WindowStateTest, BothViewMenusShowTheTableAtAFreshStart) {
    EXPECT_TRUE(w.MenuChecked(kCmdViewTable));
    for (int other : {kCmdViewIcons, kCmdViewList, kCmdViewSmallIcons}) {
        EXPECT_FALSE(w.MenuChecked(other)) << other;
    }
    // The list's context menu checks the one item of the window's view.
    const auto checks = CheckedViewItems(w.ViewMode());
    ASSERT_TRUE(checks);
    EXPECT_EQ(checks->contextMenuId, kCmdContextTable);
}

TEST_F(WindowStateTest, SearchButtonAndMaskBoxAreEnabledTogether) {
    struct Step {
        const char* what;
        std::function<void()> run;
        bool search;
        bool mask;
    };
    const Step steps[] = {
        {"a FLASH phone", [&] { w.EnableSearchControls(false); }, false, false},
        {"a job starts", [&] { w.EnableControls(0, 0); }, false, false},
        {"the job ends", [&] { w.EnableControls(1, 1); }, false, false},
        {"a job on a newer phone", [&] { w.EnableControls(0, 0); }, false, false},
        {"its poll finds folders", [&] { w.EnableSearchControls(true); }, false, true},
        {"that job ends", [&] { w.EnableControls(1, 1); }, true, true},
        {"the library is lost", [&] { w.EnableControls(0, 1); }, false, true},
    };
    for (const Step& step : steps) {
        step.run();
        EXPECT_EQ(w.Control(kIdSearch).enabled, step.search) << step.what;
        EXPECT_EQ(w.Control(kIdSearchMask).enabled, step.mask) << step.what;
    }
}

TEST_F(WindowStateTest, AWorkerOrAnIdleWindowShowsNoWait) {
    view.cursors.clear();
    w.ShowWaitCursor();
    std::thread([&] { w.ShowWaitCursor(); }).join();
    EXPECT_TRUE(view.cursors.empty());
}

}  // namespace
}  // namespace velmora
