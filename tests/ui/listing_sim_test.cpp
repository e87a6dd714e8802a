// Listing and search against the emulated phone with its sample content.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <memory>
#include <set>
#include <string>

#include "fsac/fsac_records.h"
#include "sim/sample_content.h"
#include "sim/sim_test_support.h"
#include "sim/simulated_pst.h"
#include "transfer/stop_flag.h"
#include "transfer/upload_journal.h"
#include "ui/listing_fixture.h"

namespace velmora {
namespace {

using test::ListingRig;

class ListingSimTest : public ::testing::Test {
  protected:
    void SetUp() override {
        StopFlag.store(kStopRequested);
        pst = std::make_unique<SimulatedPst>(test::SamplePhoneConfig(folder.path()));
        ASSERT_EQ(pst->PSTInitializeEx(kInterfaceUsb, &sink), 0);
        rig = std::make_unique<ListingRig>(*pst);
        rig->window.device = 1;
    }

    std::set<std::string> ReadPaths() const {
        std::set<std::string> paths;
        for (const auto& entry : rig->files.Snapshot(rig->files.Count())) {
            EXPECT_TRUE(entry.smallIcon && entry.largeIcon) << entry.path;
            paths.insert(entry.path);
        }
        return paths;
    }

    test::TempFolder folder;
    test::NoSink sink;
    std::unique_ptr<SimulatedPst> pst;
    std::unique_ptr<ListingRig> rig;
};

TEST_F(ListingSimTest, AWholeListingOfTheFirstVolume) {
    rig->window.letter = 'a';
    rig->commands.GetFileList();

    std::set<std::string> expected;
    for (const auto& file : SampleFiles(false)) {
        if (file.path.rfind("/a/", 0) == 0) expected.insert(file.path);
    }
    ASSERT_FALSE(expected.empty());
    EXPECT_EQ(ReadPaths(), expected);
    EXPECT_TRUE(rig->window.prompts.Boxes().empty());
    EXPECT_EQ(rig->tree.EntryCount(), static_cast<std::int32_t>(expected.size()));
    // The first volume is open and selected, its folders built from the paths.
    const NodeId a = rig->tree.FindChild(rig->tree.Root(), "/a");
    EXPECT_EQ(rig->tree.Selection(), a);
    EXPECT_NE(rig->tree.FindChild(a, "mobile"), kNoNode);
}

TEST_F(ListingSimTest, ASearchForMidiFilesGivesTheFlatList) {
    rig->window.mask = "*.mid";
    rig->commands.Search();

    std::set<std::string> expected;
    for (const auto& file : SampleFiles(false)) {
        if (file.path.size() > 4 && file.path.substr(file.path.size() - 4) == ".mid") {
            expected.insert(file.path);
        }
    }
    ASSERT_GT(expected.size(), 1u);
    EXPECT_EQ(ReadPaths(), expected);
    EXPECT_EQ(rig->list.DisplayMode(), kDisplayFlat);
    EXPECT_EQ(rig->list.RowCount(), static_cast<int>(expected.size()));
    EXPECT_EQ(rig->history.Slot(0), "*.mid");
}

// The image keeps UTF-8 names; the program shows them as the phone's windows-1251 bytes
// decode, and the path it shows leads back to the same file.
TEST_F(ListingSimTest, CyrillicNamesRoundTripBetweenImageWindowAndPhone) {
    const auto folderOnHost = folder.path() / "phone" / "a" / "Фото";
    std::filesystem::create_directories(folderOnHost);
    std::ofstream(folderOnHost / "Лето.jpg") << "summer";
    std::ofstream(folderOnHost / "\xE4\xB8\xAD.txt") << "no windows-1251 form";

    rig->window.letter = 'a';
    rig->commands.GetFileList();
    EXPECT_EQ(ReadPaths().count("/a/Фото/Лето.jpg"), 1u);
    EXPECT_EQ(ReadPaths().count("/a/Фото/\xE4\xB8\xAD.txt"), 0u) << "left out by the phone";
    const NodeId a = rig->tree.FindChild(rig->tree.Root(), "/a");
    EXPECT_NE(rig->tree.FindChild(a, "Фото"), kNoNode);

    // An open built from the shown path reaches the file.
    auto open = BuildOpenRequest("/a/Фото/Лето.jpg", kOpenKeepAttributes);
    ASSERT_TRUE(open);
    std::uint32_t handle = 0;
    ASSERT_EQ(pst->PSTGetInterfaceHandle(1, kTestCommandInterface, handle), 0);
    std::vector<std::uint8_t> reply(1024);
    std::int32_t length = 0;
    ASSERT_EQ(pst->PSTSendCommand(1, handle, kFsacCommand, open.Value(), reply, length, 1), 0);
    ASSERT_EQ(pst->PSTSendCommand(1, handle, kFsacCommand, BuildReadRequest(6), reply, length, 1),
              0);
    EXPECT_EQ(std::string(reply.begin(), reply.begin() + length), "summer");

    // A Cyrillic mask matches without regard to case.
    rig->window.mask = "*ЛЕТО*";
    rig->commands.Search();
    EXPECT_EQ(ReadPaths(), (std::set<std::string>{"/a/Фото/Лето.jpg"}));
    EXPECT_EQ(rig->history.Slot(0), "*ЛЕТО*");
}

// A file the journal names and the listing shows short is asked about once: Yes deletes it
// from the phone and the list, No keeps both and the entry. An entry without a file goes.
TEST_F(ListingSimTest, AFileAnUploadLeftShortIsOfferedForDeletion) {
    for (const PromptAnswer answer : {PromptAnswer::Yes, PromptAnswer::No}) {
        const bool yes = answer == PromptAnswer::Yes;
        const auto onPhone = folder.path() / "phone" / "a" / "cut.bin";
        std::ofstream(onPhone) << "12345";
        UploadJournal journal((folder.path() / (yes ? "yes" : "no")).string());
        const auto id = journal.Begin(1, "/a/cut.bin", 100);
        ASSERT_TRUE(id && journal.Begin(1, "/a/gone.bin", 100));
        rig->window.prompts.Clear();
        rig->window.prompts.answers = {answer};
        rig->window.letter = 'a';
        ListingCommands commands(ListingPorts{
            *pst, rig->window, rig->window.prompts, rig->files, rig->tree, rig->list, rig->icons,
            rig->history, rig->user, rig->proxy, rig->startJob, rig->jobBusy, &journal});
        commands.GetFileList();

        const auto boxes = rig->window.prompts.Boxes();
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0].text,
                  "/a/cut.bin on the phone is incomplete: the transfer stopped at 5 of 100 bytes. "
                  "Delete it?");
        EXPECT_EQ(boxes[0].icon, PromptIcon::Question);
        EXPECT_EQ(boxes[0].buttons, PromptButtons::YesNo);
        EXPECT_EQ(std::filesystem::exists(onPhone), !yes);
        EXPECT_EQ(ReadPaths().count("/a/cut.bin"), yes ? 0u : 1u);
        EXPECT_EQ(rig->tree.EntryCount(), rig->files.Count());
        EXPECT_EQ(journal.Pending(1).size(), yes ? 0u : 1u);
    }
}

TEST_F(ListingSimTest, AMaskThePhoneCannotHoldIsRefusedBeforeAnythingIsSent) {
    rig->window.mask = "*\xE4\xB8\xAD*";
    const std::uint64_t before = rig->files.StorageSize();
    rig->commands.Search();
    ASSERT_EQ(rig->window.prompts.Boxes().size(), 1u);
    EXPECT_EQ(rig->window.prompts.Boxes()[0].text,
              "The character \"\xE4\xB8\xAD\" (U+4E2D) cannot be written in the phone's code "
              "page (windows-1251); nothing was sent.");
    EXPECT_EQ(static_cast<std::uint64_t>(rig->files.StorageSize()), before);
    EXPECT_TRUE(rig->history.Masks().empty());
}

}  // namespace
}  // namespace velmora
