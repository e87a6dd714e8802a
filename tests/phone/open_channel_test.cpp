#include "phone/open_channel.h"

#include <gtest/gtest.h>

#include <array>
#include <thread>

#include "base/lang_string.h"
#include "support/fake_phone_window.h"
#include "support/fakes.h"
#include "support/scripted_pst.h"

namespace velmora {
namespace {

using test::FakePhoneWindow;
using test::FakePrompts;
using test::ScriptedPst;
using test::ScriptedReply;

constexpr const char* kFailed = "Operation failed!!!";
constexpr const char* k140 = "Can't init phone interface. Command interface disabled.";

enum class Init { Report140, Silent, Ignored, NotCalled };

// What the user meets per command, written out independently of the table under test.
struct Expected {
    ChannelCommand command;
    const char* name;
    const char* notReadyText;  // nullptr: no ready check
    const char* notReadyTitle;
    const char* handleTitle;  // nullptr: handle result not examined
    Init init;
    const char* sendText;
    const char* sendTitle;
    bool waitCursor;
    const char* initTitle = "Phone Interface";  // of the 140 box, with Init::Report140
    int statusPart = kStatusMessagePart;        // where "Operation failed!!!" goes
};

const Expected kExpected[] = {
    {ChannelCommand::FileSystemVersion, "FileSystemVersion", "Can't get phone interface",
     "Phone Interface", "Phone Interface", Init::Silent, "Can't get file system version",
     "Phone Interface", true},
    {ChannelCommand::FileSystemFlag, "FileSystemFlag", k140, "Phone Interface", "Phone Interface",
     Init::Report140, "Can't get file system version", "Phone Interface", true},
    {ChannelCommand::Volumes, "Volumes", nullptr, nullptr, "Phone Interface", Init::Report140,
     "Can't get volumes", "Phone Interface", true},
    {ChannelCommand::FreeSpace, "FreeSpace", k140, "Phone Interface", "Phone Interface",
     Init::Report140, "Can't get free space", "Phone Interface", true},
    {ChannelCommand::PhoneModel, "PhoneModel", k140, "Phone Interface", "Phone Interface",
     Init::Report140, "Can't get phone model.", "Phone Interface", true},
    {ChannelCommand::Restart, "Restart", k140, "Phone Interface", "Phone Interface",
     Init::Report140, "Can't restart", "Phone Interface", true},
    {ChannelCommand::Suspend, "Suspend", k140, "Phone Interface", "Phone Interface",
     Init::Report140, "Can't suspend phone", "Phone Interface", true},
    {ChannelCommand::FileSearch, "FileSearch", k140, "Phone interface", "Interface error",
     Init::Ignored, "File search request error", "Phone Interface", true},
    {ChannelCommand::EntryReader, "EntryReader", nullptr, nullptr, nullptr, Init::NotCalled,
     "Can't get file information from phone", "Phone interface", false},
    {ChannelCommand::Transfer, "Transfer", nullptr, nullptr, "Phone interface", Init::Ignored,
     nullptr, nullptr, false},
    {ChannelCommand::AttributeChange, "AttributeChange", nullptr, nullptr, "Phone interface",
     Init::Report140, "Can't open file", "Phone interface", false, "Phone interface", 4},
};

class ChannelRowTest : public ::testing::TestWithParam<Expected> {
  protected:
    void SetUp() override { SetLanguageIndex(kLanguageEnglish); }

    std::optional<CommandChannel> Open(ChannelFailure* failure = nullptr) {
        return OpenChannel(GetParam().command, pst, window, prompts, failure);
    }
    // Opens and sends one FSAC request; false when either step failed.
    bool OpenAndSend(ChannelFailure* failure = nullptr) {
        auto channel = Open(failure);
        if (!channel) return false;
        std::array<std::uint8_t, 4> reply{};
        return channel->Send("FSAC", std::array<std::uint8_t, 1>{9}, reply);
    }
    void ExpectOneBox(const char* text, const char* title) {
        auto boxes = prompts.Boxes();
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0].text, text);
        EXPECT_EQ(boxes[0].title, title);
        EXPECT_EQ(boxes[0].icon, PromptIcon::Stop);
        EXPECT_EQ(window.status.History(GetParam().statusPart), std::vector<std::string>{kFailed});
    }

    ScriptedPst pst;
    FakePhoneWindow window;
    FakePrompts prompts;
};

TEST_P(ChannelRowTest, LibraryNotReady) {
    window.libraryReady = false;
    ChannelFailure failure{};
    auto channel = Open(&failure);
    if (GetParam().notReadyText) {
        EXPECT_FALSE(channel);
        EXPECT_EQ(failure, ChannelFailure::NotReady);
        ExpectOneBox(GetParam().notReadyText, GetParam().notReadyTitle);
        EXPECT_TRUE(pst.Calls().empty());
        EXPECT_EQ(window.status.waitCursors(), 0);
    } else {
        EXPECT_TRUE(channel);
        EXPECT_TRUE(prompts.Boxes().empty());
    }
}

TEST_P(ChannelRowTest, NoDeviceSelectedSendsNothing) {
    window.Select(std::nullopt);
    ChannelFailure failure{};
    EXPECT_FALSE(Open(&failure));
    EXPECT_EQ(failure, ChannelFailure::NoDevice);
    if (GetParam().command == ChannelCommand::EntryReader)
        ExpectOneBox(GetParam().sendText, GetParam().sendTitle);
    else
        ExpectOneBox("Device not selected.", "Velmora");
    EXPECT_TRUE(pst.Calls().empty());
    EXPECT_EQ(window.status.waitCursors(), GetParam().waitCursor ? 1 : 0);
}

TEST_P(ChannelRowTest, HandleRefused) {
    pst.handleResult = 5;
    ChannelFailure failure{};
    bool sent = OpenAndSend(&failure);
    if (GetParam().handleTitle) {
        EXPECT_FALSE(sent);
        EXPECT_EQ(failure, ChannelFailure::NoHandle);
        ExpectOneBox("Can't get phone interface", GetParam().handleTitle);
        EXPECT_TRUE(pst.Calls("PSTTestCmdInit").empty());
        EXPECT_TRUE(pst.Calls("PSTSendCommand").empty());
    } else {
        // Not examined: the request goes out, and a failure of its own would tell the user.
        EXPECT_TRUE(sent);
        EXPECT_TRUE(prompts.Boxes().empty());
    }
}

TEST_P(ChannelRowTest, TestCommandInitRefused) {
    pst.testCmdInitResult = 3;
    ChannelFailure failure{};
    bool sent = OpenAndSend(&failure);
    auto sends = pst.Calls("PSTSendCommand");
    switch (GetParam().init) {
        case Init::Report140:
            EXPECT_FALSE(sent);
            EXPECT_EQ(failure, ChannelFailure::InitFailed);
            EXPECT_TRUE(sends.empty());
            ExpectOneBox(k140, GetParam().initTitle);
            break;
        case Init::Silent:
            EXPECT_FALSE(sent);
            EXPECT_EQ(failure, ChannelFailure::InitFailed);
            EXPECT_TRUE(sends.empty());
            EXPECT_TRUE(prompts.Boxes().empty());
            EXPECT_TRUE(window.status.History(kStatusMessagePart).empty());
            break;
        case Init::Ignored:
            EXPECT_TRUE(sent);
            EXPECT_EQ(sends.size(), 1u);
            EXPECT_TRUE(prompts.Boxes().empty());
            break;
        case Init::NotCalled:
            EXPECT_TRUE(sent);
            EXPECT_TRUE(pst.Calls("PSTTestCmdInit").empty());
            break;
    }
}

TEST_P(ChannelRowTest, SendRefused) {
    pst.QueueReply("FSAC", ScriptedReply::Failure(1));
    EXPECT_FALSE(OpenAndSend());
    if (GetParam().sendText) {
        ExpectOneBox(GetParam().sendText, GetParam().sendTitle);
    } else {
        // Each of a job's requests names its own failure.
        EXPECT_TRUE(prompts.Boxes().empty());
    }
}

TEST_P(ChannelRowTest, SuccessReachesTheSelectedDevice) {
    window.Select(0xBEEF);
    pst.QueueReply("FSAC", ScriptedReply::Bytes({1, 2, 3}));
    auto channel = Open();
    ASSERT_TRUE(channel);
    std::array<std::uint8_t, 8> reply{};
    std::int32_t length = -1;
    EXPECT_TRUE(channel->Send("FSAC", std::array<std::uint8_t, 2>{9, 0}, reply, &length));
    EXPECT_EQ(length, 3);
    EXPECT_EQ(reply[2], 3);
    EXPECT_TRUE(prompts.Boxes().empty());
    EXPECT_TRUE(window.status.History(kStatusMessagePart).empty());
    EXPECT_EQ(window.status.waitCursors(), GetParam().waitCursor ? 1 : 0);

    auto handles = pst.Calls("PSTGetInterfaceHandle");
    ASSERT_EQ(handles.size(), 1u);
    EXPECT_EQ(handles[0].deviceId, 0xBEEFu);
    EXPECT_EQ(handles[0].interfaceName, "Motorola_Test_Command");
    auto sends = pst.Calls("PSTSendCommand");
    ASSERT_EQ(sends.size(), 1u);
    EXPECT_EQ(sends[0].deviceId, 0xBEEFu);
    EXPECT_EQ(sends[0].deviceId16, 0xBEEF);
    EXPECT_EQ(sends[0].handle, handles[0].handle);
    EXPECT_EQ(sends[0].command, "FSAC");
    EXPECT_EQ(sends[0].request, (std::vector<std::uint8_t>{9, 0}));
    EXPECT_EQ(sends[0].replyCapacity, 8u);
}

INSTANTIATE_TEST_SUITE_P(EveryCommand, ChannelRowTest, ::testing::ValuesIn(kExpected),
                         [](const ::testing::TestParamInfo<Expected>& row) {
                             return std::string(row.param.name);
                         });

TEST(ChannelTableTest, EveryCommandHasItsOwnRow) {
    for (const auto& expected : kExpected)
        EXPECT_EQ(ChannelVariationFor(expected.command).command, expected.command);
    EXPECT_EQ(std::size(kChannelVariations), std::size(kExpected));
}

class ChannelTest : public ::testing::Test {
  protected:
    void SetUp() override { SetLanguageIndex(kLanguageEnglish); }

    ScriptedPst pst;
    FakePhoneWindow window;
    FakePrompts prompts;
};

// Never kept between commands; the sends of one command share it.
TEST_F(ChannelTest, EveryCommandFetchesAFreshHandle) {
    std::array<std::uint8_t, 20> reply{};
    auto first = OpenChannel(ChannelCommand::EntryReader, pst, window, prompts);
    auto second = OpenChannel(ChannelCommand::PhoneModel, pst, window, prompts);
    ASSERT_TRUE(first && second);
    EXPECT_TRUE(first->Send("FSAC", {}, reply));
    EXPECT_TRUE(first->Send("FSAC", {}, reply));
    EXPECT_TRUE(second->Send("RDELEM", {}, reply));
    auto handles = pst.Calls("PSTGetInterfaceHandle");
    auto sends = pst.Calls("PSTSendCommand");
    ASSERT_EQ(handles.size(), 2u);
    ASSERT_EQ(sends.size(), 3u);
    EXPECT_NE(handles[0].handle, handles[1].handle);
    EXPECT_EQ(sends[1].handle, handles[0].handle);
    EXPECT_EQ(sends[2].handle, handles[1].handle);
}

TEST_F(ChannelTest, Rs232FlagAndShortDeviceIdReachTheInitialisation) {
    window.Select(42);
    window.rs232 = 1;
    ASSERT_TRUE(OpenChannel(ChannelCommand::Restart, pst, window, prompts));
    window.rs232 = 0;
    ASSERT_TRUE(OpenChannel(ChannelCommand::Restart, pst, window, prompts));
    auto inits = pst.Calls("PSTTestCmdInit");
    ASSERT_EQ(inits.size(), 2u);
    EXPECT_EQ(inits[0].deviceId, 42u);
    EXPECT_EQ(inits[0].rs232, 1);
    EXPECT_EQ(inits[1].rs232, 0);
}

TEST_F(ChannelTest, ReplyLengthNeverExceedsTheBuffer) {
    pst.QueueReply("RDELEM", ScriptedReply::Bytes(std::vector<std::uint8_t>(20, 0x41), 5000));
    pst.QueueReply("RDELEM", ScriptedReply::Bytes({}, -7));
    auto channel = OpenChannel(ChannelCommand::PhoneModel, pst, window, prompts);
    ASSERT_TRUE(channel);
    std::array<std::uint8_t, 20> reply{};
    std::int32_t length = -1;
    EXPECT_TRUE(channel->Send("RDELEM", {}, reply, &length));
    EXPECT_EQ(length, 20);
    EXPECT_TRUE(channel->Send("RDELEM", {}, reply, &length));
    EXPECT_EQ(length, 0);
}

TEST_F(ChannelTest, QuietSendLeavesTheReportToTheCaller) {
    pst.QueueReply("FSAC", ScriptedReply::Failure(1));
    auto channel = OpenChannel(ChannelCommand::FileSearch, pst, window, prompts);
    ASSERT_TRUE(channel);
    std::array<std::uint8_t, 4> reply{};
    EXPECT_FALSE(channel->SendQuietly("FSAC", {}, reply));
    EXPECT_TRUE(prompts.Boxes().empty());
    EXPECT_TRUE(window.status.History(kStatusMessagePart).empty());
    channel->Report({110, "Phone interface"});
    ASSERT_EQ(prompts.Boxes().size(), 1u);
    EXPECT_EQ(prompts.Boxes()[0].text, "Can't open file");
    EXPECT_EQ(window.status.Text(kStatusMessagePart), kFailed);
}

TEST_F(ChannelTest, FailureStatusGoesToTheRowsPart) {
    ChannelVariation row = ChannelVariationFor(ChannelCommand::FileSearch);
    row.statusPart = 3;
    window.Select(std::nullopt);
    EXPECT_FALSE(OpenChannel(row, pst, window, prompts));
    EXPECT_EQ(window.status.Text(3), kFailed);
    EXPECT_TRUE(window.status.History(kStatusMessagePart).empty());
}

TEST_F(ChannelTest, WindowThreadAndWorkerAtOnce) {
    auto run = [this](ChannelCommand command) {
        for (int i = 0; i < 200; ++i) {
            auto channel = OpenChannel(command, pst, window, prompts);
            ASSERT_TRUE(channel);
            std::array<std::uint8_t, 16> reply{};
            EXPECT_TRUE(channel->Send("FSAC", {}, reply));
        }
    };
    std::thread worker(run, ChannelCommand::EntryReader);
    run(ChannelCommand::FreeSpace);
    worker.join();
    EXPECT_EQ(pst.Calls("PSTSendCommand").size(), 400u);
    EXPECT_TRUE(prompts.Boxes().empty());
}

}  // namespace
}  // namespace velmora
