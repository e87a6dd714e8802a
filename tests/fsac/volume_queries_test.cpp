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
    EXPECT_EQ(FormatFreeSpace(0), "0 b free");
    EXPECT_EQ(FormatFreeSpace(999), "999 b free");
    EXPECT_EQ(FormatFreeSpace(1000), "0.9 kb free");
    EXPECT_EQ(FormatFreeSpace(1536), "1.5 kb free");
    EXPECT_EQ(FormatFreeSpace(1023999), "999.9 kb free");
    EXPECT_EQ(FormatFreeSpace(1024000), "0.9 Mb free");
    EXPECT_EQ(FormatFreeSpace(5000000), "4.7 Mb free");
    EXPECT_EQ(FormatFreeSpace(INT32_MAX), "1.9 Gb free");
}

TEST(FreeSpaceTextTest, NegativeValuesStayInBytes) {
    SetLanguageIndex(kLanguageEnglish);
    EXPECT_EQ(FormatFreeSpace(-1), "-1 b free");
    EXPECT_EQ(FormatFreeSpace(INT32_MIN), "-2147483648 b free");
}

TEST(FreeSpaceTextTest, FollowsTheLanguage) {
    SetLanguageIndex(kLanguageRussian);
    EXPECT_EQ(FormatFreeSpace(1536), "1.5 кб своб.");
    SetLanguageIndex(kLanguageEnglish);
}

TEST(VersionSuffixTest, MajorAndMinorInDecimal) {
    EXPECT_EQ(VersionSuffix({2, 1}), " (FSAC v.2.1)");
    EXPECT_EQ(VersionSuffix({1, 15}), " (FSAC v.1.15)");
}

TEST(VolumeStateTest, CommandLetterIsTheCurrentOneOnlyWithSeveralVolumes) {
    VolumeState state;
    state.SetCurrentVolumeLetter('b');
    EXPECT_EQ(state.CommandVolumeLetter(), 'a');
    state.SetVolumeCount(2);
    EXPECT_EQ(state.CommandVolumeLetter(), 'b');
}

TEST(VolumeStateTest, TableKeepsWhatFitsAndEndsAtAnEmptyName) {
    VolumeState state;
    std::vector<std::string> many(100, "/z");
    state.SetVolumeTable(many);
    EXPECT_EQ(state.VolumeTable().size(), 86u);  // 86 * 3 + 1 <= 260 bytes
    state.SetVolumeTable({"/a", "", "/c"});
    EXPECT_EQ(state.VolumeTable(), std::vector<std::string>{"/a"});
}

class VolumeCommandsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        SetLanguageIndex(kLanguageEnglish);
        window.AddDevice("Motorola phone ID #1", 1);
        window.Pick(0);
    }
    void Version(std::uint8_t major, std::uint8_t minor) {
        pst.QueueReply("FSAC", ScriptedReply::Bytes({major, minor}));
    }

    ScriptedPst pst;
    FakeSessionWindow window;
    FakePrompts prompts;
    VolumeState state;
    VolumeCommands commands{pst, window, prompts, state};
};

TEST_F(VolumeCommandsTest, OldFileSystemSetsTheFlagAndFlashVolume) {
    Version(1, 5);
    commands.FileSystemFlagCheck();
    EXPECT_EQ(state.FileSystemFlag(), 1);
    EXPECT_EQ(window.searchEnabled, false);

    commands.VolumeQuery();
    EXPECT_EQ(pst.Calls("PSTSendCommand").size(), 1u);  // the version only
    EXPECT_EQ(state.VolumeTable(), std::vector<std::string>{"FLASH"});
    EXPECT_EQ(state.VolumeCount(), 0);
    EXPECT_EQ(window.treeVolumes, std::vector<std::string>{"FLASH"});
    EXPECT_TRUE(prompts.Boxes().empty());
}

TEST_F(VolumeCommandsTest, FlashModeLeavesTheCountOfTheLastVolumeReply) {
    Version(2, 0);
    pst.QueueReply("FSAC", ScriptedReply::Bytes({0, '/', 0, 'a', 0, 0, 0, '/', 0, 'b', 0, 0}));
    Version(1, 0);
    commands.FileSystemFlagCheck();
    EXPECT_EQ(window.searchEnabled, true);
    commands.VolumeQuery();
    commands.FileSystemFlagCheck();
    commands.VolumeQuery();
    EXPECT_EQ(state.VolumeCount(), 2);
    EXPECT_EQ(state.VolumeTable(), std::vector<std::string>{"FLASH"});
}

TEST_F(VolumeCommandsTest, VersionTwoClearsTheFlag) {
    state.SetFileSystemFlag(1);
    Version(2, 0);
    commands.FileSystemFlagCheck();
    EXPECT_EQ(state.FileSystemFlag(), 0);
    EXPECT_EQ(window.searchEnabled, true);
    EXPECT_EQ(pst.Calls("PSTSendCommand")[0].request, (Bytes{0, 0, 0, 9, 0, 0}));
}

TEST_F(VolumeCommandsTest, FailedOrShortVersionKeepsTheFlag) {
    state.SetFileSystemFlag(1);
    pst.QueueReply("FSAC", ScriptedReply::Failure(3));
    commands.FileSystemFlagCheck();
    pst.QueueReply("FSAC", ScriptedReply::Bytes({1}));
    commands.FileSystemFlagCheck();
    EXPECT_EQ(state.FileSystemFlag(), 1);
    EXPECT_FALSE(window.searchEnabled);
    EXPECT_EQ(prompts.Texts(), (std::vector<std::string>{"Can't get file system version",
                                                         "Can't get file system version"}));
    EXPECT_EQ(window.status.Text(4), "Operation failed!!!");
}

TEST_F(VolumeCommandsTest, VolumeRepliesOfTwelveAndFourteenBytesGiveTwoVolumes) {
    const Bytes twelve = {0, '/', 0, 'a', 0, 0, 0, '/', 0, 'b', 0, 0};
    Bytes fourteen = twelve;
    fourteen.insert(fourteen.end(), {0, '/'});
    for (const Bytes& reply : {twelve, fourteen}) {
        pst.QueueReply("FSAC", ScriptedReply::Bytes(reply));
        commands.VolumeQuery();
        EXPECT_EQ(state.VolumeTable(), (std::vector<std::string>{"/a", "/b"}));
        EXPECT_EQ(state.VolumeCount(), 2);
        EXPECT_EQ(window.treeVolumes, (std::vector<std::string>{"/a", "/b"}));
        EXPECT_EQ(window.root, "Volumes");
    }
    auto sends = pst.Calls("PSTSendCommand");
    EXPECT_EQ(sends[0].request, (Bytes{0, 0, 0, 10, 0, 0}));
    EXPECT_EQ(sends[0].replyCapacity, 513u);
}

TEST_F(VolumeCommandsTest, FailedVolumeQueryLeavesTableAndTree) {
    pst.QueueReply("FSAC", ScriptedReply::Bytes({0, '/', 0, 'a', 0, 0}));
    commands.VolumeQuery();
    pst.QueueReply("FSAC", ScriptedReply::Failure(1));
    commands.VolumeQuery();
    EXPECT_EQ(state.VolumeTable(), std::vector<std::string>{"/a"});
    EXPECT_EQ(window.treeResets, 1);
    EXPECT_EQ(prompts.Texts(), std::vector<std::string>{"Cant get volumes"});
}

TEST_F(VolumeCommandsTest, VersionDisplayDecoratesAnExistingRootOnly) {
    Version(2, 1);
    commands.VersionDisplay();  // no tree yet
    EXPECT_FALSE(window.root);

    window.ResetTree({"/a"});
    window.SetRootText("E398 ");
    Version(2, 1);
    commands.VersionDisplay();
    EXPECT_EQ(window.root, "E398  (FSAC v.2.1)");
    EXPECT_TRUE(prompts.Boxes().empty());
}

TEST_F(VolumeCommandsTest, VersionDisplayIsSilentWhenTheTestCommandsRefuse) {
    window.ResetTree({"/a"});
    pst.testCmdInitResult = 1;
    commands.VersionDisplay();
    EXPECT_TRUE(prompts.Boxes().empty());
    EXPECT_TRUE(pst.Calls("PSTSendCommand").empty());
    EXPECT_EQ(window.root, "Volumes");
}

TEST_F(VolumeCommandsTest, FreeSpaceIsCachedAndShown) {
    pst.QueueReply("FSAC", ScriptedReply::Bytes({0x00, 0x00, 0x06, 0x00}));
    commands.FreeSpaceQuery('b');
    EXPECT_EQ(state.CachedFreeSpace(), 1536);
    EXPECT_EQ(window.status.Text(3), "1.5 kb free");
    auto sends = pst.Calls("PSTSendCommand");
    EXPECT_EQ(sends[0].request, (Bytes{0, 0, 0, 0x0B, 0x00, 0x07, 'b', 0x2F, 0, 0}));
    EXPECT_EQ(sends[0].replyCapacity, 4u);
}

TEST_F(VolumeCommandsTest, FreeSpaceWithHighBitIsNegative) {
    pst.QueueReply("FSAC", ScriptedReply::Bytes({0x80, 0x00, 0x00, 0x00}));
    commands.FreeSpaceQuery('a');
    EXPECT_EQ(state.CachedFreeSpace(), INT32_MIN);
    EXPECT_EQ(window.status.Text(3), "-2147483648 b free");
}

TEST_F(VolumeCommandsTest, FailedOrShortFreeSpaceKeepsTheCache) {
    state.SetCachedFreeSpace(77);
    pst.QueueReply("FSAC", ScriptedReply::Failure(1));
    commands.FreeSpaceQuery('a');
    pst.QueueReply("FSAC", ScriptedReply::Bytes({0x00, 0x10}));
    commands.FreeSpaceQuery('a');
    EXPECT_EQ(state.CachedFreeSpace(), 77);
    EXPECT_EQ(window.status.Text(3), "");
    EXPECT_EQ(prompts.Texts(),
              (std::vector<std::string>{"Can't get free space", "Can't get free space"}));
}

}  // namespace
}  // namespace velmora
