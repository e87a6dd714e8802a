#include "phone/phone_control.h"

#include <gtest/gtest.h>

#include "base/lang_string.h"
#include "support/fake_session_window.h"
#include "support/scripted_pst.h"

namespace velmora {
namespace {

using test::FakePrompts;
using test::FakeSessionWindow;
using test::ScriptedPst;
using test::ScriptedReply;

class PhoneControlTest : public ::testing::Test {
  protected:
    void SetUp() override {
        SetLanguageIndex(kLanguageEnglish);
        window.AddDevice("Motorola phone ID #4", 4);
        window.Pick(0);
        window.ResetTree({"/a"});
    }

    ScriptedPst pst;
    FakeSessionWindow window;
    FakePrompts prompts;
};

TEST_F(PhoneControlTest, RestartAndSuspendReportTheirOutcome) {
    RestartPhone(pst, window, prompts);
    EXPECT_EQ(window.status.Text(4), "Phone restarted");
    SuspendPhone(pst, window, prompts);
    EXPECT_EQ(window.status.Text(4), "Phone suspended");
    auto sends = pst.Calls("PSTSendCommand");
    ASSERT_EQ(sends.size(), 2u);
    EXPECT_EQ(sends[0].command, "RESTART");
    EXPECT_TRUE(sends[0].request.empty());
    EXPECT_EQ(sends[1].command, "SUSPEND");
    EXPECT_EQ(sends[1].request, std::vector<std::uint8_t>{0x00});

    pst.QueueReply("RESTART", ScriptedReply::Failure(1));
    pst.QueueReply("SUSPEND", ScriptedReply::Failure(1));
    RestartPhone(pst, window, prompts);
    SuspendPhone(pst, window, prompts);
    EXPECT_EQ(prompts.Texts(), (std::vector<std::string>{"Can't restart", "Can't suspend phone"}));
    EXPECT_EQ(window.status.Text(4), "Operation failed!!!");
}

TEST_F(PhoneControlTest, ModelEndsAtANulAndAFailureKeepsTheRoot) {
    std::vector<std::uint8_t> reply(20, 0);
    reply[2] = 'V';
    reply[4] = '3';
    reply[8] = 'x';  // after the NUL at byte 6
    pst.QueueReply("RDELEM", ScriptedReply::Bytes(reply));
    QueryPhoneModel(pst, window, prompts);
    EXPECT_EQ(window.root, "V3");

    pst.QueueReply("RDELEM", ScriptedReply::Failure(2));
    QueryPhoneModel(pst, window, prompts);
    EXPECT_EQ(window.root, "V3");
    EXPECT_EQ(prompts.Texts(), std::vector<std::string>{"Can't get phone model."});
}

}  // namespace
}  // namespace velmora
