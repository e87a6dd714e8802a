// The entry reader on a real worker thread, with the test thread pumping the window's queue.
// Run under the tsan preset these are the race checks of the listing.
#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>

#include "support/pumped_ui_thread.h"
#include "support/scripted_pst.h"
#include "transfer/job.h"
#include "transfer/job_fakes.h"
#include "transfer/stop_flag.h"
#include "ui/listing_fixture.h"

namespace velmora {
namespace {

using test::CountReply;
using test::EntryReply;
using test::ListingRig;
using test::PumpedUiThread;
using test::ScriptedPst;
using test::ScriptedReply;

class ListingJobTest : public ::testing::Test {
  protected:
    void SetUp() override {
        StopFlag.store(kStopRequested);
        ASSERT_TRUE(Jobs().WaitUntilIdle(std::chrono::seconds(30)));
        rig.startJob = [](std::function<void()> worker) { return StartJob(std::move(worker)); };
        rig.jobBusy = [] { return JobBusy(); };
        rig.window.letter = 'a';
        pst.QueueReply("FSAC", ScriptedReply::Bytes(CountReply(40)));
        for (int i = 0; i < 40; ++i) {
            pst.QueueReply("FSAC",
                           ScriptedReply::Bytes(EntryReply({"/a/f" + std::to_string(i) + ".txt"})));
        }
    }
    void TearDown() override { ASSERT_TRUE(Jobs().WaitUntilIdle(std::chrono::seconds(30))); }

    ScriptedPst pst;
    std::shared_ptr<PumpedUiThread> queue = std::make_shared<PumpedUiThread>();
    ListingRig rig{pst, queue};
};

TEST_F(ListingJobTest, AListingInterruptedFromTheWindowKeepsWhatArrived) {
    // Interrupt pressed on the window's thread while it shows entry 4 arriving; the reader
    // notices it after that reply.
    rig.window.onPosition = [](std::int32_t position) {
        if (position == 5) StopFlag.store(kStopRequested);
    };

    rig.commands.GetFileList();
    ASSERT_TRUE(queue->PumpUntilIdle());

    EXPECT_EQ(rig.files.Count(), 5);
    EXPECT_EQ(rig.tree.EntryCount(), 5);
    EXPECT_EQ(rig.files.Entry(4)->path, "/a/f4.txt");
    EXPECT_TRUE(rig.files.Entry(4)->smallIcon);
    EXPECT_EQ(rig.window.status.Text(kStatusMessagePart),
              "Getting file's information was interrupted by user");
    EXPECT_EQ(rig.window.LogLines(), (std::vector<std::string>{"enable 0 0", "enable 1 1"}));
    EXPECT_EQ(rig.tree.Node(rig.tree.Selection())->text, "/a");
    EXPECT_EQ(StopFlag.load(), kStopRequested);
}

TEST_F(ListingJobTest, AReaderOutlivingItsWindowEndsWithoutReachingIt) {
    bool closing = false;
    rig.window.onPosition = [&](std::int32_t position) { closing = closing || position == 3; };

    rig.commands.GetFileList();
    ASSERT_TRUE(queue->PumpUntil([&] { return closing; }));
    // The window goes away as at exit: the flag goes up, the job side is detached and the
    // queue stops.
    StopFlag.store(kStopRequested);
    rig.proxy->Detach();
    queue->Close();
    ASSERT_TRUE(Jobs().WaitUntilIdle(std::chrono::seconds(30)));

    EXPECT_EQ(rig.window.position, 3);
    EXPECT_EQ(rig.window.LogLines(), (std::vector<std::string>{"enable 0 0"}));
    EXPECT_GE(rig.files.Count(), 3);
    EXPECT_LE(rig.files.Count(), 4);  // at most the reply under way when the flag rose
}

}  // namespace
}  // namespace velmora
