#include "fsac/volume_queries.h"

#include <gtest/gtest.h>

#include <climits>

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

TEST(FreeSpaceTextTest, ThresholdThousandDivisorTwentyFourTruncated) {
    SetLanguageIndex(kLanguageEnglish);
    EXPECT_EQ(FormatFreeSpace(999), "999 b free");
    EXPECT_EQ(FormatFreeSpace(1000), "0.9 kb free");
    EXPECT_EQ(FormatFreeSpace(1536), "1.5 kb free");
    EXPECT_EQ(FormatFreeSpace(1023999), "999.9 kb free");
    EXPECT_EQ(FormatFreeSpace(5000000), "4.7 Mb free");
    EXPECT_EQ(FormatFreeSpace(INT32_MAX), "1.9 Gb free");
    EXPECT_EQ(FormatFreeSpace(-1), "-1 b free");
    EXPECT_EQ(FormatFreeSpace(INT32_MIN), "-2147483648 b free");
    SetLanguageIndex(kLanguageRussian);
    EXPECT_EQ(FormatFreeSpace(1536), "1.5 кб своб.");
    SetLanguageIndex(kLanguageEnglish);
}

TEST(VolumeStateTest, CommandLetterIsTheCurrentOneOnlyWithSeveralVolumes) {
    VolumeState state;
    state.SetCurrentVolumeLetter('b');
    EXPECT_EQ(state.CommandVolumeLetter(), 'a');
    state.SetVolumeCount(2);
    EXPECT_EQ(state.CommandVolumeLetter(), 'b');
}

class VolumeCommandsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        SetLanguageIndex(kLanguageEnglish);
        window.AddDevice("Motorola phone ID #1", 1);
        window.Pick(0);
    }
    void Reply(Bytes bytes) { pst.QueueReply("FSAC", ScriptedReply::Bytes(std::move(bytes))); }
    void Fail() { pst.QueueReply("FSAC", ScriptedReply::Failure(1)); }

    const Bytes twoVolumes = {0, '/', 0, 'a', 0, 0, 0, '/', 0, 'b', 0, 0};
    ScriptedPst pst;
    FakeSessionWindow window;
    FakePrompts prompts;
    VolumeState state;
    VolumeCommands commands{pst, window, prompts, state};
};

TEST_F(VolumeCommandsTest, OldFileSystemGivesFlashAndKeepsTheVolumeCount) {
    Reply({2, 0});
    Reply(twoVolumes);
    Reply({1, 5});
    commands.FileSystemFlagCheck();
    EXPECT_EQ(window.searchEnabled, true);
    commands.VolumeQuery();
    commands.FileSystemFlagCheck();
    EXPECT_EQ(state.FileSystemFlag(), 1);
    EXPECT_EQ(window.searchEnabled, false);

    commands.VolumeQuery();
    EXPECT_EQ(pst.Calls("PSTSendCommand").size(), 3u);  // no volume request in FLASH mode
    EXPECT_EQ(state.VolumeTable(), std::vector<std::string>{"FLASH"});
    EXPECT_EQ(window.treeVolumes, std::vector<std::string>{"FLASH"});
    EXPECT_EQ(state.VolumeCount(), 2);
    EXPECT_TRUE(prompts.Boxes().empty());
}

TEST_F(VolumeCommandsTest, FailedOrShortVersionKeepsTheFlag) {
    state.SetFileSystemFlag(1);
    Fail();
    commands.FileSystemFlagCheck();
    Reply({2});
    commands.FileSystemFlagCheck();
    EXPECT_EQ(state.FileSystemFlag(), 1);
    EXPECT_FALSE(window.searchEnabled);
    EXPECT_EQ(prompts.Texts(), std::vector<std::string>(2, "Can't get file system version"));
    EXPECT_EQ(window.status.Text(4), "Operation failed!!!");
}

TEST_F(VolumeCommandsTest, TwelveAndFourteenByteRepliesGiveTwoVolumes) {
    Bytes fourteen = twoVolumes;
    fourteen.insert(fourteen.end(), {0, '/'});
    for (const Bytes& reply : {twoVolumes, fourteen}) {
        Reply(reply);
        commands.VolumeQuery();
        EXPECT_EQ(window.treeVolumes, (std::vector<std::string>{"/a", "/b"}));
        EXPECT_EQ(state.VolumeCount(), 2);
    }
    EXPECT_EQ(pst.Calls("PSTSendCommand")[0].replyCapacity, 513u);

    Fail();
    commands.VolumeQuery();
    EXPECT_EQ(window.treeResets, 2);
    EXPECT_EQ(state.VolumeCount(), 2);
    EXPECT_EQ(prompts.Texts(), std::vector<std::string>{"Can't get volumes"});
}

TEST_F(VolumeCommandsTest, VersionDisplayDecoratesAnExistingRootOnly) {
    Reply({2, 1});
    commands.VersionDisplay();  // no tree: nothing to decorate, nothing breaks
    EXPECT_FALSE(window.root);

    window.ResetTree({"/a"});
    pst.testCmdInitResult = 1;
    commands.VersionDisplay();  // refused quietly
    pst.testCmdInitResult = 0;
    Reply({2, 1});
    commands.VersionDisplay();
    EXPECT_EQ(window.root, "Volumes (FSAC v.2.1)");
    EXPECT_TRUE(prompts.Boxes().empty());
}

TEST_F(VolumeCommandsTest, FreeSpaceIsCachedSignedAndShown) {
    Reply({0x80, 0x00, 0x00, 0x00});
    commands.FreeSpaceQuery('b');
    EXPECT_EQ(state.CachedFreeSpace(), INT32_MIN);
    EXPECT_EQ(window.status.Text(3), "-2147483648 b free");
    EXPECT_EQ(pst.Calls("PSTSendCommand")[0].request,
              (Bytes{0, 0, 0, 0x0B, 0x00, 0x07, 'b', 0x2F, 0, 0}));

    Fail();
    commands.FreeSpaceQuery('a');
    Reply({0x00, 0x10});
    commands.FreeSpaceQuery('a');
    EXPECT_EQ(state.CachedFreeSpace(), INT32_MIN);
    EXPECT_EQ(prompts.Texts(), std::vector<std::string>(2, "Can't get free space"));
}

}  // namespace
}  // namespace velmora
