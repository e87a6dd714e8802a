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

    std::vector<std::uint8_t> ModelReply(const char* five) {
        std::vector<std::uint8_t> reply(20, 0);
        for (int i = 0; i < 5; ++i) reply[2 + 2 * i] = static_cast<std::uint8_t>(five[i]);
        return reply;
    }

    ScriptedPst pst;
    FakeSessionWindow window;
    FakePrompts prompts;
};

TEST_F(PhoneControlTest, RestartAndSuspendSendTheirRequestsAndReport) {
    RestartPhone(pst, window, prompts);
    EXPECT_EQ(window.status.Text(4), "Phone restarted");
    SuspendPhone(pst, window, prompts);
    EXPECT_EQ(window.status.Text(4), "Phone suspended");

    auto sends = pst.Calls("PSTSendCommand");
    ASSERT_EQ(sends.size(), 2u);
    EXPECT_EQ(sends[0].command, "RESTART");
    EXPECT_TRUE(sends[0].request.empty());
    EXPECT_EQ(sends[0].replyCapacity, 1u);
    EXPECT_EQ(sends[0].deviceId, 4u);
    EXPECT_EQ(sends[1].command, "SUSPEND");
    EXPECT_EQ(sends[1].request, std::vector<std::uint8_t>{0x00});
    EXPECT_TRUE(prompts.Boxes().empty());
}

TEST_F(PhoneControlTest, FailedSendsNameTheirCommand) {
    pst.QueueReply("RESTART", ScriptedReply::Failure(1));
    pst.QueueReply("SUSPEND", ScriptedReply::Failure(1));
    RestartPhone(pst, window, prompts);
    EXPECT_EQ(window.status.Text(4), "Operation failed!!!");
    SuspendPhone(pst, window, prompts);
    EXPECT_EQ(prompts.Texts(), (std::vector<std::string>{"Can't restart", "Can't suspend phone"}));
    EXPECT_EQ(prompts.Boxes()[0].title, "Phone Interface");
    EXPECT_EQ(window.status.Text(4), "Operation failed!!!");
}

TEST_F(PhoneControlTest, WithoutASelectedPhoneNothingIsSent) {
    window.ClearDevices();
    window.AddDevice("Motorola phone ID #1", 1);
    window.AddDevice("Motorola phone ID #2", 2);
    RestartPhone(pst, window, prompts);
    ASSERT_EQ(prompts.Boxes().size(), 1u);
    EXPECT_EQ(prompts.Boxes()[0].text, "Device not selected.");
    EXPECT_EQ(prompts.Boxes()[0].title, "Velmora");
    EXPECT_TRUE(pst.Calls("PSTSendCommand").empty());
    EXPECT_EQ(window.status.Text(4), "Operation failed!!!");
}

TEST_F(PhoneControlTest, ModelReplacesTheRootText) {
    pst.QueueReply("RDELEM", ScriptedReply::Bytes(ModelReply("E398 ")));
    QueryPhoneModel(pst, window, prompts);
    EXPECT_EQ(window.root, "E398 ");
    auto sends = pst.Calls("PSTSendCommand");
    ASSERT_EQ(sends.size(), 1u);
    EXPECT_EQ(sends[0].request,
              (std::vector<std::uint8_t>{0x01, 0x17, 0x00, 0x01, 0x00, 0x00, 0x00, 0x10}));
    EXPECT_EQ(sends[0].replyCapacity, 20u);
}

TEST_F(PhoneControlTest, ANulInTheModelEndsIt) {
    auto reply = ModelReply("V3xx1");
    reply[6] = 0;
    pst.QueueReply("RDELEM", ScriptedReply::Bytes(reply));
    QueryPhoneModel(pst, window, prompts);
    EXPECT_EQ(window.root, "V3");
}

TEST_F(PhoneControlTest, AFailedModelQueryKeepsTheRoot) {
    pst.QueueReply("RDELEM", ScriptedReply::Failure(2));
    QueryPhoneModel(pst, window, prompts);
    EXPECT_EQ(window.root, "Volumes");
    EXPECT_EQ(prompts.Texts(), std::vector<std::string>{"Can't get phone model."});
    EXPECT_EQ(window.status.Text(4), "Operation failed!!!");
}

TEST_F(PhoneControlTest, NotReadyLibraryStopsEveryControlCommand) {
    window.libraryReady = false;
    RestartPhone(pst, window, prompts);
    SuspendPhone(pst, window, prompts);
    QueryPhoneModel(pst, window, prompts);
    const std::string k140 = "Can't init phone interface. Command interface disabled.";
    EXPECT_EQ(prompts.Texts(), (std::vector<std::string>{k140, k140, k140}));
    EXPECT_TRUE(pst.Calls("PSTGetInterfaceHandle").empty());
}

}  // namespace
}  // namespace velmora
