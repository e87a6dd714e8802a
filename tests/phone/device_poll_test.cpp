#include "phone/device_poll.h"

#include <gtest/gtest.h>

#include "base/lang_string.h"
#include "support/fake_session_window.h"
#include "support/scripted_pst.h"

namespace velmora {
namespace {

using test::FakeSessionWindow;
using test::ScriptedPst;

class DevicePollTest : public ::testing::Test {
  protected:
    void SetUp() override { SetLanguageIndex(kLanguageEnglish); }

    std::vector<std::string> EntryTexts() const {
        std::vector<std::string> texts;
        for (const auto& d : window.devices) texts.push_back(d.text);
        return texts;
    }

    ScriptedPst pst;
    FakeSessionWindow window;
    int queryRuns = 0;
    DevicePoll poll{pst, window, [this] { ++queryRuns; }};
};

TEST_F(DevicePollTest, OnePhoneIsSelectedAndQueried) {
    pst.devices = {7};
    poll.Schedule();
    poll.OnTimer();

    ASSERT_EQ(window.devices.size(), 1u);
    EXPECT_EQ(window.devices[0].text, "Motorola phone ID #7");
    EXPECT_EQ(window.devices[0].data, 7u);
    EXPECT_EQ(window.SelectedDevice(), 7);
    EXPECT_EQ(window.enableCalls, (std::vector<std::pair<int, int>>{{1, 1}}));
    EXPECT_EQ(window.icons[0], std::make_pair(134, std::string("Connected")));
    EXPECT_EQ(queryRuns, 1);
    EXPECT_EQ(window.status.Text(2), "path not selected");
    EXPECT_EQ(window.stoppedTimers, std::vector<int>{1});
    EXPECT_EQ(window.arrowCursors, 1);
    EXPECT_EQ(window.treeClears, 0);
}

TEST_F(DevicePollTest, EntriesAppearInTextOrderWithoutSelection) {
    pst.devices = {9, 10};
    poll.OnTimer();

    EXPECT_EQ(EntryTexts(),
              (std::vector<std::string>{"Motorola phone ID #10", "Motorola phone ID #9"}));
    EXPECT_EQ(window.devices[0].data, 10u);
    EXPECT_EQ(window.devices[1].data, 9u);
    EXPECT_FALSE(window.selected);
    EXPECT_EQ(queryRuns, 1);
}

TEST_F(DevicePollTest, ZeroDevicesStillCountAsConnected) {
    pst.devices = {};
    poll.OnTimer();

    EXPECT_TRUE(window.devices.empty());
    EXPECT_EQ(window.enableCalls, (std::vector<std::pair<int, int>>{{1, 1}}));
    EXPECT_EQ(window.icons[0].first, 134);
    EXPECT_EQ(queryRuns, 1);
}

TEST_F(DevicePollTest, FailingLibraryDisconnectsAndEmptiesTheTree) {
    pst.devices = {3};
    poll.OnTimer();
    window.root = "E398  (FSAC v.2.1)";
    window.status.SetStatusText(2, "/a/");

    pst.deviceListResult = 5;
    poll.OnTimer();

    EXPECT_TRUE(window.devices.empty());  // not the stale id of the last poll
    EXPECT_FALSE(window.selected);
    EXPECT_EQ(window.enableCalls.back(), std::make_pair(0, 1));
    EXPECT_EQ(window.icons[0], std::make_pair(135, std::string("Disconnected")));
    EXPECT_FALSE(window.root);
    EXPECT_EQ(window.treeClears, 1);
    EXPECT_EQ(queryRuns, 1);
    EXPECT_EQ(window.status.Text(2), "/a/");
}

TEST_F(DevicePollTest, RequestsWhileScheduledAreDropped) {
    pst.devices = {1};
    poll.Schedule();
    poll.Schedule();
    poll.Schedule();
    EXPECT_TRUE(poll.PollingActive());
    EXPECT_EQ(window.timers, (std::vector<std::pair<int, int>>{{1, 500}}));
    EXPECT_TRUE(pst.Calls("PSTGetDeviceList").empty());

    poll.OnTimer();
    EXPECT_FALSE(poll.PollingActive());
    EXPECT_EQ(pst.Calls("PSTGetDeviceList").size(), 1u);

    // Once the poll ran, the next notification schedules again.
    poll.Schedule();
    EXPECT_EQ(window.timers.size(), 2u);
}

TEST_F(DevicePollTest, ARunningJobKeepsItsLock) {
    pst.devices = {1};
    window.jobRunning = true;
    poll.OnTimer();
    EXPECT_TRUE(window.enableCalls.empty());
    EXPECT_EQ(queryRuns, 1);
}

TEST_F(DevicePollTest, ATickDuringTheQueriesWaitsForTheRunningPoll) {
    pst.devices = {1};
    DevicePoll* self = nullptr;
    int nested = 0;
    DevicePoll reentrant(pst, window, [&] {
        // A message box's modal loop: a new notification, then the timer ticks.
        self->Schedule();
        self->OnTimer();
        ++nested;
    });
    self = &reentrant;

    reentrant.OnTimer();
    EXPECT_EQ(nested, 1);
    EXPECT_EQ(pst.Calls("PSTGetDeviceList").size(), 1u);
    // The schedule made during the queries still stands, and its tick polls.
    EXPECT_TRUE(reentrant.PollingActive());
}

}  // namespace
}  // namespace velmora
