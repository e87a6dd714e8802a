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
using test::ScriptedReply;

using Bytes = std::vector<std::uint8_t>;

class PhoneSessionTest : public ::testing::Test {
  protected:
    void SetUp() override { SetLanguageIndex(kLanguageEnglish); }

    // A phone answering the poll's queries: version 2.1, volumes /a and /b, model "E398 ",
    // 5 000 000 bytes free.
    void ScriptPhone() {
        pst.QueueReply("FSAC", ScriptedReply::Bytes({2, 1}));
        pst.QueueReply("FSAC", ScriptedReply::Bytes({0, '/', 0, 'a', 0, 0, 0, '/', 0, 'b', 0, 0}));
        Bytes model(20, 0);
        const char* e398 = "E398 ";
        for (int i = 0; i < 5; ++i) model[2 + 2 * i] = static_cast<std::uint8_t>(e398[i]);
        pst.QueueReply("RDELEM", ScriptedReply::Bytes(model));
        pst.QueueReply("FSAC", ScriptedReply::Bytes({2, 1}));
        pst.QueueReply("FSAC", ScriptedReply::Bytes({0x00, 0x4C, 0x4B, 0x40}));
    }
    void Poll() {
        session.SchedulePoll();
        session.OnPollTimer();
    }

    ScriptedPst pst;
    FakeSessionWindow window;
    FakePrompts prompts;
    PhoneSession session{pst, window, prompts};
};

TEST_F(PhoneSessionTest, OnePhoneRunsTheFiveQueriesInOrder) {
    pst.devices = {1};
    ScriptPhone();
    Poll();

    EXPECT_TRUE(prompts.Boxes().empty());
    auto sends = pst.Calls("PSTSendCommand");
    ASSERT_EQ(sends.size(), 5u);
    const std::vector<std::pair<std::string, Bytes>> expected = {
        {"FSAC", {0, 0, 0, 9, 0, 0}},
        {"FSAC", {0, 0, 0, 10, 0, 0}},
        {"RDELEM", {0x01, 0x17, 0x00, 0x01, 0x00, 0x00, 0x00, 0x10}},
        {"FSAC", {0, 0, 0, 9, 0, 0}},
        {"FSAC", {0, 0, 0, 11, 0, 7, 'a', '/', 0, 0}},
    };
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(sends[i].command, expected[i].first) << i;
        EXPECT_EQ(sends[i].request, expected[i].second) << i;
        EXPECT_EQ(sends[i].deviceId, 1u);
    }
    EXPECT_EQ(window.root, "E398  (FSAC v.2.1)");
    EXPECT_EQ(window.treeVolumes, (std::vector<std::string>{"/a", "/b"}));
    EXPECT_EQ(session.State().VolumeCount(), 2);
    EXPECT_EQ(session.State().FileSystemFlag(), 0);
    EXPECT_EQ(session.State().CachedFreeSpace(), 5000000);
    EXPECT_EQ(window.status.Text(3), "4.7 Mb free");
    EXPECT_EQ(window.status.Text(2), "path not selected");
    EXPECT_EQ(window.status.Text(4), "");
}

TEST_F(PhoneSessionTest, WithoutAChosenPhoneEachQueryAsksForOne) {
    for (auto devices : {std::vector<std::uint16_t>{1, 2}, std::vector<std::uint16_t>{}}) {
        prompts.Clear();
        pst.devices = devices;
        Poll();

        EXPECT_EQ(window.devices.size(), devices.size());
        EXPECT_FALSE(window.selected);
        EXPECT_EQ(window.enableCalls.back(), std::make_pair(1, 1));
        EXPECT_EQ(prompts.Texts(), std::vector<std::string>(5, "Device not selected."));
        for (const auto& box : prompts.Boxes()) EXPECT_EQ(box.title, "Velmora");
        EXPECT_TRUE(pst.Calls("PSTSendCommand").empty());
        EXPECT_EQ(window.status.Text(2), "path not selected");
    }
}

TEST_F(PhoneSessionTest, LosingTheLibraryLeavesNoRootUntilTheNextGoodPoll) {
    pst.devices = {1};
    ScriptPhone();
    Poll();
    ASSERT_TRUE(window.root);

    pst.deviceListResult = 1;
    Poll();
    EXPECT_FALSE(window.root);
    EXPECT_EQ(window.icons[0].first, 135);
    // The phone's facts stay as they were read.
    EXPECT_EQ(session.State().VolumeCount(), 2);

    pst.deviceListResult = 0;
    ScriptPhone();
    Poll();
    EXPECT_EQ(window.root, "E398  (FSAC v.2.1)");
    EXPECT_EQ(window.icons[0].first, 134);
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
