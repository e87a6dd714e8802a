#include "fsac/phone_session.h"

#include <gtest/gtest.h>

#include "base/lang_string.h"
#include "support/fake_session_window.h"
#include "support/scripted_pst.h"

namespace velmora {
namespace {

using test::FakePrompts;
using test::FakeSessionWindow;
using test::ScriptedPst;

class PhoneSessionTest : public ::testing::Test {
  protected:
    void SetUp() override { SetLanguageIndex(kLanguageEnglish); }

    void Poll() {
        session.SchedulePoll();
        session.OnPollTimer();
    }

    ScriptedPst pst;
    FakeSessionWindow window;
    FakePrompts prompts;
    PhoneSession session{pst, window, prompts};
};

// A poll is nobody's click: it shows no box, and says in the status bar that a phone must be
// picked.
TEST_F(PhoneSessionTest, WithoutAChosenPhoneThePollAsksForOneInTheStatusBar) {
    for (auto devices : {std::vector<std::uint16_t>{1, 2}, std::vector<std::uint16_t>{}}) {
        prompts.Clear();
        pst.devices = devices;
        Poll();

        EXPECT_EQ(window.devices.size(), devices.size());
        EXPECT_FALSE(window.selected);
        EXPECT_EQ(window.enableCalls.back(), std::make_pair(1, 1));
        EXPECT_TRUE(prompts.Boxes().empty());
        EXPECT_EQ(window.status.Text(kStatusMessagePart), "Device not selected.");
        EXPECT_TRUE(pst.Calls("PSTSendCommand").empty());
        EXPECT_EQ(window.status.Text(2), "path not selected");
    }
}

TEST_F(PhoneSessionTest, RestartWithTwoPhonesAndNoneChosenSendsNothing) {
    pst.devices = {1, 2};
    Poll();
    prompts.Clear();
    pst.ClearCalls();
    session.Restart();
    EXPECT_EQ(prompts.Texts(), std::vector<std::string>{"Device not selected."});
    EXPECT_TRUE(pst.Calls("PSTGetInterfaceHandle").empty());

    window.Pick(1);
    session.Suspend();
    auto sends = pst.Calls("PSTSendCommand");
    ASSERT_EQ(sends.size(), 1u);
    EXPECT_EQ(sends[0].deviceId, 2u);
    EXPECT_EQ(window.status.Text(4), "Phone suspended");
}

}  // namespace
}  // namespace velmora
