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

    ScriptedPst pst;
    FakeSessionWindow window;
    int queryRuns = 0;
    DevicePoll poll{pst, window, [this] { ++queryRuns; }};
};

// The user's phone is selected again whenever a poll finds it, even after another was taken
// while it was away; a change of the selected phone clears what the old one showed.
TEST_F(DevicePollTest, TheUsersPhoneComesBackSelected) {
    struct Step {
        std::vector<std::uint16_t> attached;
        std::optional<std::uint16_t> picked;  // the user's pick after the poll
        std::optional<std::uint16_t> selected;
        int treeClears;
    };
    const Step steps[] = {
        {{1, 2}, 1, std::nullopt, 0},  // two phones: the user picks #1
        {{2}, {}, 2, 1},               // #1 restarts: the only one, #2, is shown meanwhile
        {{1, 2}, {}, 1, 2},            // #1 is back, and selected again
        {{10, 1, 2}, {}, 1, 2},        // another phone arrives: #1 stays
        {{}, {}, std::nullopt, 3},     // all gone
        {{1}, {}, 1, 4},               // back: what showed nothing is cleared again
    };
    for (const Step& step : steps) {
        pst.devices = step.attached;
        poll.OnTimer();
        EXPECT_EQ(window.SelectedDevice(), step.selected) << step.attached.size();
        EXPECT_EQ(window.treeClears, step.treeClears) << step.attached.size();
        if (step.picked) {
            poll.Choose(step.picked);
            window.Pick(static_cast<int>(
                std::ranges::find_if(window.devices,
                                     [&](const auto& d) { return d.data == *step.picked; }) -
                window.devices.begin()));
        }
    }
}

TEST_F(DevicePollTest, EntriesInTextOrderOnlyALonePhoneSelected) {
    pst.devices = {9, 10};
    poll.OnTimer();
    ASSERT_EQ(window.devices.size(), 2u);
    EXPECT_EQ(window.devices[0].text, "Motorola phone ID #10");
    EXPECT_EQ(window.devices[0].data, 10u);
    EXPECT_EQ(window.devices[1].text, "Motorola phone ID #9");
    EXPECT_FALSE(window.selected);

    pst.devices = {7};
    poll.OnTimer();
    ASSERT_EQ(window.devices.size(), 1u);
    EXPECT_EQ(window.SelectedDevice(), 7);
    EXPECT_EQ(window.enableCalls.back(), std::make_pair(1, 1));
    EXPECT_EQ(window.icons[0], std::make_pair(134, std::string("Connected")));
    EXPECT_EQ(queryRuns, 2);
    EXPECT_EQ(window.status.Text(2), "path not selected");
}

TEST_F(DevicePollTest, FailingLibraryDisconnectsAndEmptiesTheTree) {
    pst.devices = {3};
    poll.OnTimer();
    window.status.SetStatusText(2, "/a/");
    const int clears = window.treeClears;

    pst.deviceListResult = 5;
    poll.OnTimer();
    EXPECT_TRUE(window.devices.empty());  // not the stale id of the last poll
    EXPECT_EQ(window.enableCalls.back(), std::make_pair(0, 1));
    EXPECT_EQ(window.icons[0], std::make_pair(135, std::string("Disconnected")));
    EXPECT_FALSE(window.root);
    EXPECT_EQ(window.treeClears, clears + 1);
    EXPECT_EQ(queryRuns, 1);
    EXPECT_EQ(window.status.Text(2), "/a/");
}

TEST_F(DevicePollTest, RequestsWhileScheduledAreDropped) {
    poll.Schedule();
    poll.Schedule();
    poll.Schedule();
    EXPECT_EQ(window.timers, (std::vector<std::pair<int, int>>{{1, 500}}));
    EXPECT_TRUE(pst.Calls("PSTGetDeviceList").empty());

    poll.OnTimer();
    EXPECT_FALSE(poll.PollingActive());
    EXPECT_EQ(window.stoppedTimers, std::vector<int>{1});
    EXPECT_EQ(pst.Calls("PSTGetDeviceList").size(), 1u);
    poll.Schedule();
    EXPECT_EQ(window.timers.size(), 2u);
}

TEST_F(DevicePollTest, ARunningJobKeepsItsLock) {
    window.jobRunning = true;
    poll.OnTimer();
    EXPECT_TRUE(window.enableCalls.empty());
    EXPECT_EQ(queryRuns, 1);
}

TEST_F(DevicePollTest, ATickDuringTheQueriesWaitsForTheRunningPoll) {
    DevicePoll* self = nullptr;
    DevicePoll reentrant(pst, window, [&] {
        // A message box's modal loop: a new notification, then the timer ticks.
        self->Schedule();
        self->OnTimer();
    });
    self = &reentrant;
    reentrant.OnTimer();
    EXPECT_EQ(pst.Calls("PSTGetDeviceList").size(), 1u);
    EXPECT_TRUE(reentrant.PollingActive());  // its tick polls later
}

}  // namespace
}  // namespace velmora
