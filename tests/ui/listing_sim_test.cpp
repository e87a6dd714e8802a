// Listing and search against the emulated phone with its sample content.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <set>
#include <string>

#include "sim/sample_content.h"
#include "sim/sim_test_support.h"
#include "sim/simulated_pst.h"
#include "transfer/stop_flag.h"
#include "ui/listing_fixture.h"

namespace velmora {
namespace {

using test::ListingRig;

class NoSink : public PstNotificationSink {
  public:
    void OnDeviceListChanged() override {}
};

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
    NoSink sink;
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

}  // namespace
}  // namespace velmora
