// The entry reader on a real worker thread, with the test thread pumping the window's queue.
// Run under the tsan preset these are the race checks of the listing.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <memory>
#include <string>
#include <thread>

#include "fsac/file_search.h"
#include "fsac/fsac_records.h"
#include "support/pumped_ui_thread.h"
#include "support/scripted_pst.h"
#include "support/watched_pst.h"
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
using test::WatchedPst;

constexpr auto kSearchNext = static_cast<std::uint32_t>(FsacOp::SearchNext);

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

    // Only the window's thread, the test's, asked for icons: the source is the window's.
    void ExpectIconsFromTheWindowOnly() {
        for (const auto asker : rig.icons.Askers()) EXPECT_EQ(asker, std::this_thread::get_id());
    }

    ScriptedPst pst;
    WatchedPst phone{pst};
    std::shared_ptr<PumpedUiThread> queue = std::make_shared<PumpedUiThread>();
    ListingRig rig{phone, queue};
};

TEST_F(ListingJobTest, AListingInterruptedFromTheWindowKeepsWhatArrived) {
    // Interrupt pressed on the window's thread while entry 4 is being read; the reader
    // notices it after that reply.
    phone.AfterRequest(kSearchNext, 5,
                       [&] { queue->Invoke([] { StopFlag.store(kStopRequested); }); });

    rig.commands.GetFileList();
    ASSERT_TRUE(queue->PumpUntilIdle());

    EXPECT_EQ(rig.files.Count(), 5);
    EXPECT_EQ(rig.tree.EntryCount(), 5);
    EXPECT_EQ(rig.files.Entry(4)->path, "/a/f4.txt");
    for (std::int32_t i = 0; i < 5; ++i) EXPECT_TRUE(rig.files.Entry(i)->smallIcon) << i;
    EXPECT_EQ(rig.window.position, 5);
    EXPECT_EQ(rig.window.status.Text(kStatusMessagePart),
              "Getting file's information was interrupted by user");
    EXPECT_EQ(rig.window.LogLines(), (std::vector<std::string>{"enable 0 0", "enable 1 1"}));
    EXPECT_EQ(rig.tree.Node(rig.tree.Selection())->text, "/a");
    EXPECT_EQ(StopFlag.load(), kStopRequested);
    ExpectIconsFromTheWindowOnly();
}

TEST_F(ListingJobTest, TheReaderDoesNotWaitForTheWindowWhileItReads) {
    rig.commands.GetFileList();
    // Past the control lock the window's thread stops pumping, as a busy window does.
    ASSERT_TRUE(queue->PumpUntil([&] { return !rig.window.LogLines().empty(); }));
    const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (phone.Count(kSearchNext) < 40 && std::chrono::steady_clock::now() < limit) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    ASSERT_EQ(phone.Count(kSearchNext), 40) << "the reader waited for the window";
    // The progress of all 40 entries waits as one update, beside at most the unlock.
    EXPECT_LE(queue->Queued(), 2u);

    ASSERT_TRUE(queue->PumpUntilIdle());
    EXPECT_EQ(rig.window.position, 40);
    EXPECT_EQ(rig.window.status.Text(kStatusMessagePart), ReadingProgressText(40, 40));
    EXPECT_EQ(rig.tree.EntryCount(), 40);
    for (std::int32_t i = 0; i < 40; ++i) {
        const auto entry = *rig.files.Entry(i);
        ASSERT_TRUE(entry.largeIcon && entry.smallIcon) << i;
        EXPECT_EQ(entry.largeIcon->name, "large:txt");
    }
    EXPECT_EQ(rig.window.LogLines(), (std::vector<std::string>{"enable 0 0", "enable 1 1"}));
    EXPECT_EQ(rig.tree.Node(rig.tree.Selection())->text, "/a");
    ExpectIconsFromTheWindowOnly();
}

TEST_F(ListingJobTest, AReaderOutlivingItsWindowEndsWithoutReachingIt) {
    // The window goes while entry 2 is being read.
    std::promise<void> gone;
    std::shared_future<void> windowGone = gone.get_future().share();
    std::atomic<bool> reading{false};
    phone.AfterRequest(kSearchNext, 3, [&] {
        reading = true;
        windowGone.wait();
    });

    rig.commands.GetFileList();
    const bool reached = queue->PumpUntil([&] { return reading.load(); });
    const std::int32_t shown = rig.window.position;
    // The window goes away as at exit: the flag goes up, the job side is detached and the
    // queue stops.
    StopFlag.store(kStopRequested);
    rig.proxy->Detach();
    queue->Close();
    gone.set_value();
    ASSERT_TRUE(reached);
    ASSERT_TRUE(Jobs().WaitUntilIdle(std::chrono::seconds(30)));

    EXPECT_EQ(rig.window.position, shown);
    EXPECT_EQ(rig.window.LogLines(), (std::vector<std::string>{"enable 0 0"}));
    EXPECT_EQ(rig.files.Count(), 3);  // the reply under way when the flag rose ends it
    ExpectIconsFromTheWindowOnly();
}

}  // namespace
}  // namespace velmora
