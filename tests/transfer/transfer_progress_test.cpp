#include "transfer/transfer_progress.h"

#include <gtest/gtest.h>

#include "base/lang_string.h"
#include "transfer/job_fakes.h"
#include "transfer/stop_flag.h"

namespace velmora {
namespace {

using test::RecordingJobWindow;

class TransferTexts : public ::testing::Test {
  protected:
    void TearDown() override { SetLanguageIndex(kLanguageEnglish); }
};

TEST_F(TransferTexts, TimeSpanShowsMinutesWithinTheHourAndHoursBeyond) {
    EXPECT_EQ(FormatTimeSpan(0), "00:00");
    EXPECT_EQ(FormatTimeSpan(100), "01:40");
    EXPECT_EQ(FormatTimeSpan(3599), "59:59");
    EXPECT_EQ(FormatTimeSpan(61 * 60), "1:01:00");
    EXPECT_EQ(FormatTimeSpan(75 * 60), "1:15:00");
    EXPECT_EQ(FormatTimeSpan(-1), "--:--");
}

TEST_F(TransferTexts, RateAndEstimatedTotal) {
    auto texts = TransferRate(1000, 1002, 3072, 10240);
    ASSERT_TRUE(texts);
    EXPECT_EQ(texts->times, "elapsed: 00:02      total: 00:06");
    EXPECT_EQ(texts->speed, "1.5 kb/sec");

    EXPECT_EQ(TransferRate(0, 10, 10000, 10000)->speed, "0.9 kb/sec");
    EXPECT_EQ(TransferRate(0, 61 * 60, 61 * 60 * 2048, 61 * 60 * 2048)->times,
              "elapsed: 1:01:00      total: 1:01:00");

    SetLanguageIndex(kLanguageRussian);
    EXPECT_EQ(TransferRate(1000, 1002, 3072, 10240)->speed, "1.5 кб/сек");
}

TEST_F(TransferTexts, NothingWithinTheFirstSecondOrWhenTheClockGoesBack) {
    EXPECT_FALSE(TransferRate(1000, 1000, 5000, 10240));
    EXPECT_FALSE(TransferRate(1000, 990, 5000, 10240));
    // Only the low 32 bits count: a start just below 2^32 and a clock just past it is 2 s.
    auto wrapped = TransferRate(0xFFFFFFFFLL, 0x100000001LL, 2048, 4096);
    ASSERT_TRUE(wrapped);
    EXPECT_EQ(wrapped->times, "elapsed: 00:02      total: 00:04");
}

TEST_F(TransferTexts, ZeroRateLeavesTheTotalUnknown) {
    auto texts = TransferRate(0, 10, 5, 10240);
    ASSERT_TRUE(texts);
    EXPECT_EQ(texts->times, "elapsed: 00:10      total: --:--");
    EXPECT_EQ(texts->speed, "0.0 kb/sec");
}

TEST_F(TransferTexts, ProgressMessageInBothLanguages) {
    EXPECT_EQ(ProgressMessage(TransferDirection::Reading, 3072, 10240),
              "Reading file from phone... 3072 from 10240 bytes read");
    EXPECT_EQ(ProgressMessage(TransferDirection::Writing, 1, 2),
              "Writing file to phone... 1 from 2 bytes wrote.");
    SetLanguageIndex(kLanguageRussian);
    EXPECT_EQ(ProgressMessage(TransferDirection::Reading, 3072, 10240),
              "Скачиваю файл из телефона... 3072 из 10240 байт прочитано");
    EXPECT_EQ(ProgressMessage(TransferDirection::Writing, 1, 2),
              "Запись файла в телефон 1 из 2 байт записано.");
}

TEST(TransferMeter, ChunkUpdatesInOrderAndStopAfterThem) {
    RecordingJobWindow window;
    test::FakeClock clock;
    JobRun run(window);
    run.ShowFileBarFor(2);
    TransferMeter meter(run, clock, TransferDirection::Reading, 3072);
    meter.Start();
    meter.StartFile(2048);
    EXPECT_FALSE(meter.AddChunk(1024));  // within the first second: no rate texts
    clock.now += 2;
    StopFlag = kStopRequested;
    EXPECT_TRUE(meter.AddChunk(1024));
    EXPECT_EQ(meter.fileOffset(), 2048);

    const std::vector<std::string> expected = {
        "filebar 1",
        "filerange 2048",
        "filepos 0",
        "status 4 Reading file from phone... 1024 from 3072 bytes read",
        "filepos 1024",
        "pos 1024",
        "status 2 elapsed: 00:02      total: 00:03",
        "status 3 1.0 kb/sec",
        "status 4 Reading file from phone... 2048 from 3072 bytes read",
        "filepos 2048",
        "pos 2048",
    };
    EXPECT_EQ(window.Events(), expected);
    // The times and speed were the job's: its end gives the parts back.
    run.End();
    EXPECT_EQ(window.Events().back(), "restore parts");
}

TEST(TransferMeter, CountsSaturateInsteadOfWrapping) {
    RecordingJobWindow window;
    test::FakeClock clock;
    JobRun run(window);
    TransferMeter meter(run, clock, TransferDirection::Writing, 0x7FFFFFFF);
    meter.AddChunk(0x7FFFFF00);
    meter.AddChunk(1024);
    EXPECT_EQ(meter.bytesDone(), 0x7FFFFFFF);
}

}  // namespace
}  // namespace velmora
