#include "transfer/job.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <future>
#include <stdexcept>

#include "fsac/fsac_records.h"
#include "support/pumped_ui_thread.h"
#include "transfer/job_fakes.h"
#include "transfer/stop_flag.h"
#include "transfer/transfer_progress.h"

namespace velmora {
namespace {

using test::PumpedUiThread;
using test::RecordingJobWindow;
using Events = std::vector<std::string>;

constexpr auto kLongWait = std::chrono::seconds(30);
// One phone read or write, as the meter counts it.
constexpr auto kBlock = static_cast<std::int32_t>(kFsacBlockSize);

class JobShape : public ::testing::Test {
  protected:
    void TearDown() override { StopFlag = kStopRequested; }
    RecordingJobWindow window;
};

// A transfer over `files` files of one chunk each, the way the transfer workers run.
void RunTransfer(JobWindow& window, int files) {
    JobRun run(window);
    EXPECT_EQ(StopFlag.load(), kJobRunning);
    run.ShowFileBarFor(files);
    for (int i = 0; i < files; ++i) {
        run.Lock();
        run.StartFileBar(10);
        run.SetFileBar(10);
    }
}

TEST_F(JobShape, FileBarOnlyForSeveralFilesAndHiddenBeforeUnlocking) {
    RunTransfer(window, 1);
    EXPECT_EQ(window.Events(), (Events{"enable 0 0", "enable 1 1"}));
    EXPECT_EQ(StopFlag.load(), kStopRequested);

    RecordingJobWindow two;
    RunTransfer(two, 2);
    EXPECT_EQ(two.Events(), (Events{"filebar 1", "enable 0 0", "filerange 10", "filepos 0",
                                    "filepos 10", "enable 0 0", "filerange 10", "filepos 0",
                                    "filepos 10", "filebar 0", "enable 1 1"}));
    EXPECT_EQ(StopFlag.load(), kStopRequested);
}

TEST_F(JobShape, InputCheckFailureEndsWithoutLocking) {
    {
        JobRun run(window);
        run.RejectInput(120);
    }
    EXPECT_EQ(window.Events(),
              (Events{"box Velmora: File not selected. Select directory and file before"}));
    EXPECT_EQ(window.prompts.Boxes()[0].icon, PromptIcon::Information);
    EXPECT_EQ(StopFlag.load(), kStopRequested);
}

TEST_F(JobShape, OnlyAWritingRunCountsAsWritingAndOnlyUntilItEnds) {
    JobRun reads(window, JobKind::Reads);
    JobRun writes(window);
    EXPECT_TRUE(WritingJobRunning());
    writes.End();
    EXPECT_FALSE(WritingJobRunning());
}

TEST_F(JobShape, FailureReportsUnlocksAndHidesOnce) {
    {
        JobRun run(window);
        run.ShowFileBarFor(3);
        run.Lock();
        run.Fail(110);
        EXPECT_TRUE(run.StopRequested());
    }
    EXPECT_EQ(window.Events(),
              (Events{"filebar 1", "enable 0 0", "box Phone interface: Can't open file",
                      "status 4 Operation failed!!!", "enable 1 1", "filebar 0"}));
    EXPECT_EQ(window.prompts.Boxes()[0].icon, PromptIcon::Stop);
    EXPECT_EQ(StopFlag.load(), kStopRequested);
}

TEST_F(JobShape, DeviceNotSelectedReportsAndGoesOn) {
    JobRun run(window);
    run.Lock();
    run.DeviceNotSelected();
    EXPECT_FALSE(run.StopRequested());
    EXPECT_EQ(window.Events(), (Events{"enable 0 0", "box Velmora: Device not selected.",
                                       "status 4 Operation failed!!!"}));
    EXPECT_EQ(window.prompts.Boxes()[0].icon, PromptIcon::Stop);
}

TEST_F(JobShape, InterruptedOrThrowingWorkerStillEndsUnlocked) {
    try {
        JobRun run(window);
        run.Lock();
        StopFlag = kStopRequested;  // Interrupt
        EXPECT_TRUE(run.StopRequested());
        throw std::runtime_error("lost");
    } catch (const std::runtime_error&) {
    }
    EXPECT_EQ(window.Events(),
              (Events{"enable 0 0", "status 4 Operation failed!!!", "enable 1 1"}));
    EXPECT_EQ(StopFlag.load(), kStopRequested);
}

TEST(JobRunner, OneJobAtATime) {
    JobRunner jobs;
    StopFlag = kJobRunning;  // a job of another registry runs
    EXPECT_TRUE(jobs.Busy());
    EXPECT_FALSE(jobs.Start([] { ADD_FAILURE() << "started while a job runs"; }));
    StopFlag = kStopRequested;

    // Interrupted, but not yet returned: still refused.
    std::promise<void> release;
    auto released = release.get_future().share();
    ASSERT_TRUE(jobs.Start([released] { released.wait(); }));
    EXPECT_TRUE(jobs.Busy());
    EXPECT_FALSE(jobs.Start([] { ADD_FAILURE() << "started beside a running worker"; }));
    release.set_value();
    ASSERT_TRUE(jobs.WaitUntilIdle(kLongWait));

    // A throwing worker neither ends the program nor blocks the next job.
    ASSERT_TRUE(jobs.Start([] { throw std::runtime_error("worker fault"); }));
    ASSERT_TRUE(jobs.WaitUntilIdle(kLongWait));
    EXPECT_FALSE(jobs.Busy());
    EXPECT_FALSE(jobs.Start(nullptr));
}

TEST(JobRunner, ShutdownStopsWorkersAndRefusesNewOnes) {
    JobRunner jobs;
    RecordingJobWindow window;
    std::promise<void> looping;
    ASSERT_TRUE(jobs.Start([&window, &looping] {
        JobRun run(window);
        looping.set_value();
        while (!run.StopRequested()) std::this_thread::yield();
    }));
    looping.get_future().wait();
    EXPECT_TRUE(jobs.Shutdown(kLongWait));
    EXPECT_EQ(StopFlag.load(), kStopRequested);
    EXPECT_FALSE(jobs.Start([] {}));
}

TEST(JobRunner, ShutdownLeavesAStuckWorkerAndItsLateStartStaysStopped) {
    JobRunner jobs;
    RecordingJobWindow window;
    std::promise<void> release;
    std::promise<bool> sawStop;
    auto released = release.get_future().share();
    ASSERT_TRUE(jobs.Start([&, released] {
        released.wait();
        JobRun run(window);  // begins only after Shutdown gave up on it
        sawStop.set_value(run.StopRequested());
    }));
    EXPECT_FALSE(jobs.Shutdown(std::chrono::milliseconds(0)));
    release.set_value();
    EXPECT_TRUE(sawStop.get_future().get());
    ASSERT_TRUE(jobs.WaitUntilIdle(kLongWait));
    EXPECT_EQ(StopFlag.load(), kStopRequested);
}

TEST(JobWindowProxy, ForwardsInOrderAndAnswersCancelOnceDetached) {
    RecordingJobWindow window;
    window.prompts.answers = {PromptAnswer::Yes};
    window.prompts.saveAnswers = {std::string("/tmp/x.jpg")};
    auto ui = std::make_shared<test::PumpedUiThread>();
    JobWindowProxy proxy(ui, window);

    proxy.SetOverallRange(5);
    EXPECT_EQ(proxy.WindowPrompts().MessageBox(
                  {"Delete?", "Velmora", PromptIcon::Question, PromptButtons::YesNo}),
              PromptAnswer::Yes);
    EXPECT_EQ(proxy.WindowPrompts().SaveFile({}), "/tmp/x.jpg");
    EXPECT_EQ(proxy.WindowPhone().SelectedDevice(), 7);
    EXPECT_EQ(proxy.WindowPhone().Rs232Flag(), 1);
    proxy.WindowPhone().SetStatusText(4, "sent");
    proxy.Detach();
    EXPECT_FALSE(proxy.Attached());
    proxy.EnableControls(true, true);
    EXPECT_EQ(proxy.WindowPrompts().MessageBox(
                  {"Delete?", "Velmora", PromptIcon::Question, PromptButtons::YesNo}),
              PromptAnswer::No);
    EXPECT_FALSE(proxy.WindowPrompts().SaveFile({}));
    EXPECT_FALSE(proxy.WindowPhone().SelectedDevice());
    EXPECT_FALSE(proxy.WindowPhone().LibraryReady());
    EXPECT_FALSE(proxy.Call([] { ADD_FAILURE() << "ran after Detach"; }));
    EXPECT_EQ(window.Events(), (Events{"range 5", "box Velmora: Delete?", "status 4 sent"}));
}

// A worker streams chunks through the proxy while the test thread plays the window's
// thread; run under TSan this also checks that nothing is shared unguarded.
TEST(JobThreads, InterruptedTransferShowsUpdatesInIssueOrder) {
    JobRunner jobs;
    auto ui = std::make_shared<PumpedUiThread>();
    RecordingJobWindow window;
    auto proxy = std::make_shared<JobWindowProxy>(ui, window);
    auto clock = std::make_shared<test::FakeClock>();
    constexpr std::int32_t kTotal = 1 << 30;

    auto moved = std::make_shared<std::atomic<std::int32_t>>(0);

    ASSERT_TRUE(jobs.Start([proxy, clock, moved] {
        JobRun run(*proxy);
        run.StartProgress(kTotal, "start");
        run.ShowFileBarFor(2);
        TransferMeter meter(run, *clock, TransferDirection::Writing, kTotal);
        meter.Start();
        run.Lock();
        meter.StartFile(kTotal);
        while (!meter.AddChunk(kBlock)) {
        }
        moved->store(meter.bytesDone());
        proxy->SetStatusText(kStatusMessagePart, "interrupted");
    }));

    // Interrupt once a good number of chunks have been shown, moving the clock meanwhile.
    // However fast the worker, at most its flush and one waiting call are queued.
    std::size_t mostQueued = 0;
    ASSERT_TRUE(ui->PumpUntil([&] {
        clock->now += 1;
        mostQueued = std::max(mostQueued, ui->Queued());
        return window.Count() > 2000;
    }));
    StopFlag = kStopRequested;
    ASSERT_TRUE(ui->PumpUntil([&] { return !jobs.Busy(); }));

    const Events events = window.Events();
    ASSERT_GE(events.size(), 8u);
    EXPECT_EQ(Events(events.begin(), events.begin() + 4),
              (Events{"range 1073741824", "pos 0", "status 4 start", "filebar 1"}));
    EXPECT_EQ(Events(events.end() - 4, events.end()),
              (Events{"status 4 interrupted", "filebar 0", "enable 1 1", "restore parts"}));
    EXPECT_LE(mostQueued, 2u);
    // Positions only move forward, by whole chunks, each shown at most once; the bar ends on
    // the chunk the worker stopped after.
    std::int32_t lastPosition = 0;
    int positions = 0;
    for (const auto& line : events) {
        if (line.rfind("pos ", 0) != 0 || line == "pos 0") continue;
        const std::int32_t position = std::stoi(line.substr(4));
        ASSERT_GT(position, lastPosition) << line;
        ASSERT_EQ(position % kBlock, 0) << line;
        lastPosition = position;
        ++positions;
    }
    EXPECT_GT(positions, 100);
    EXPECT_EQ(lastPosition, moved->load());
    EXPECT_EQ(StopFlag.load(), kStopRequested);
}

// The window's thread does not pump while a worker moves thousands of chunks: the worker
// never waits for it, one flush is queued, and the window then shows each control's latest
// value before the calls that wait.
TEST(JobThreads, ProgressIsPostedAndCoalesced) {
    JobRunner jobs;
    auto ui = std::make_shared<PumpedUiThread>();
    RecordingJobWindow window;
    auto proxy = std::make_shared<JobWindowProxy>(ui, window);
    auto clock = std::make_shared<test::FakeClock>();
    constexpr std::int32_t kChunks = 5000;
    constexpr std::int32_t kTotal = kChunks * kBlock;
    std::promise<void> posted;
    std::promise<void> counted;
    auto countedDone = counted.get_future().share();

    ASSERT_TRUE(jobs.Start([proxy, clock, &posted, countedDone] {
        JobRun run(*proxy);
        run.StartProgress(kTotal, "start");
        TransferMeter meter(run, *clock, TransferDirection::Reading, kTotal);
        meter.Start();
        clock->now += 2;
        for (int i = 0; i < kChunks; ++i) meter.AddChunk(kBlock);
        posted.set_value();
        countedDone.wait();
        run.Lock();
    }));
    ASSERT_EQ(posted.get_future().wait_for(kLongWait), std::future_status::ready);
    EXPECT_EQ(ui->Queued(), 1u);
    counted.set_value();
    ASSERT_TRUE(ui->PumpUntil([&] { return !jobs.Busy(); }));

    EXPECT_EQ(window.Events(),
              (Events{"range 5120000", "status 2 elapsed: 00:02      total: 00:02",
                      "status 3 2500.0 kb/sec",
                      "status 4 Reading file from phone... 5120000 from 5120000 bytes read",
                      "pos 5120000", "enable 0 0", "enable 1 1", "restore parts"}));
}

// Updates posted before the window goes are dropped with it.
TEST(JobThreads, PostedProgressDiesWithTheWindow) {
    auto ui = std::make_shared<PumpedUiThread>();
    RecordingJobWindow window;
    auto proxy = std::make_shared<JobWindowProxy>(ui, window);
    std::thread worker([proxy] {
        proxy->SetOverallPosition(7);
        proxy->SetStatusText(kStatusMessagePart, "late");
    });
    worker.join();
    proxy->Detach();
    proxy.reset();
    ASSERT_TRUE(ui->PumpUntil([&] { return ui->Queued() == 0; }));
    EXPECT_TRUE(window.Events().empty());
}

// The window goes away while a worker still runs, either detaching itself with the
// window's thread still pumping or with its UiThread refusing calls: the worker must not
// reach the freed window (ASan reports it) and must still end once asked to stop.
TEST(JobThreads, WorkerOutlivingTheWindowLeavesItAlone) {
    for (const bool queueCloses : {false, true}) {
        SCOPED_TRACE(queueCloses ? "UiThread refuses" : "window detached");
        JobRunner jobs;
        auto ui = std::make_shared<PumpedUiThread>();
        auto window = std::make_unique<RecordingJobWindow>();
        auto proxy = std::make_shared<JobWindowProxy>(ui, *window);
        auto clock = std::make_shared<test::FakeClock>();

        ASSERT_TRUE(jobs.Start([proxy, clock] {
            JobRun run(*proxy);
            run.Lock();
            TransferMeter meter(run, *clock, TransferDirection::Reading, 1 << 30);
            while (!meter.AddChunk(kBlock)) {
            }
            EXPECT_EQ(proxy->WindowPrompts().MessageBox(
                          {"gone", "Velmora", PromptIcon::Question, PromptButtons::YesNo}),
                      PromptAnswer::No);
        }));
        ASSERT_TRUE(ui->PumpUntil([&] { return window->Count() > 50; }));
        if (queueCloses) {
            ui->Close();
        } else {
            proxy->Detach();
        }
        window.reset();
        StopFlag = kStopRequested;
        // A call the worker queued before the window went runs against no window.
        ASSERT_TRUE(ui->PumpUntil([&] { return !jobs.Busy(); }));
        EXPECT_FALSE(proxy->Attached());
    }
}

// Queries run one after another on their own worker, beside a job, which they neither wait
// for nor keep from starting; their answers come back behind the progress posted before them,
// even from the window's own thread, and not once the window is gone.
TEST(JobThreads, QueriesRunInOrderBesideAJobAndPostTheirAnswersBack) {
    JobRunner jobs;
    auto ui = std::make_shared<PumpedUiThread>();
    RecordingJobWindow window;
    auto proxy = std::make_shared<JobWindowProxy>(ui, window);
    std::promise<void> release;
    auto released = release.get_future().share();
    ASSERT_TRUE(jobs.Start([released] {
        JobRun run(*std::make_unique<RecordingJobWindow>());
        released.wait();
    }));
    auto start = [&](std::function<void()> query) { return jobs.StartQuery(std::move(query)); };
    for (const char* name : {"a", "b"}) {
        ASSERT_TRUE(RunPhoneQuery(proxy, start, [name, proxy](PhoneWindow& phone, Prompts&) {
            proxy->SetOverallPosition(name[0]);
            phone.SetStatusText(kStatusMessagePart, name);
            return [proxy, name] { proxy->SetStatusText(kFreeSpaceStatusPart, name); };
        }));
    }
    EXPECT_TRUE(jobs.Busy());
    ASSERT_TRUE(ui->PumpUntil([&] { return window.Count() == 6; }));
    EXPECT_FALSE(jobs.Idle());  // the job still runs
    release.set_value();
    ASSERT_TRUE(ui->PumpUntil([&] { return jobs.Idle(); }));
    ui->Drain();
    EXPECT_EQ(window.Events(),
              (Events{"pos 97", "status 4 a", "status 3 a", "pos 98", "status 4 b", "status 3 b"}));

    proxy->Post([&] { window.Log("posted"); });
    EXPECT_EQ(window.Count(), 6u) << "a post waits for the window's loop";
    ui->Drain();
    proxy->Post([&] { window.Log("too late"); });
    proxy->Detach();
    ui->Drain();
    EXPECT_EQ(window.Events().back(), "posted");
    EXPECT_TRUE(jobs.Shutdown(kLongWait));
    EXPECT_FALSE(jobs.StartQuery([] {}));
}

// A listing's count of entries read is coalesced like the bars: the window shows the latest
// one posted before it pumps, in its place among the other updates.
TEST(JobThreads, TheJobsOwnProgressIsCoalesced) {
    auto ui = std::make_shared<PumpedUiThread>();
    RecordingJobWindow window;
    auto proxy = std::make_shared<JobWindowProxy>(ui, window);
    std::promise<void> posted;
    std::thread worker([&] {
        for (int filled = 1; filled <= 100; ++filled) {
            proxy->PostLatest(
                [&window, filled] { window.Log("filled " + std::to_string(filled)); });
        }
        proxy->SetOverallPosition(100);
        posted.set_value();
        proxy->EnableControls(true, true);
    });
    ASSERT_EQ(posted.get_future().wait_for(kLongWait), std::future_status::ready);
    EXPECT_TRUE(ui->PumpUntil([&] { return window.Count() == 3; }));
    worker.join();
    EXPECT_EQ(window.Events(), (Events{"filled 100", "pos 100", "enable 1 1"}));
    proxy->Detach();
}

}  // namespace
}  // namespace velmora
