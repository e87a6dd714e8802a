// What a transfer shows while data moves: elapsed and estimated total time, speed, the
// progress message and the bars, rewritten after every chunk in a fixed order.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "base/clock.h"
#include "transfer/job.h"
#include "transfer/job_window.h"

namespace velmora {

inline constexpr int kStrReadingFromPhone = 121;
inline constexpr int kStrWritingFile = 108;  // "Writing file to phone..."
inline constexpr int kStrWritingData = 133;  // "Writing data to phone..."

// A time span as minutes and seconds, two digits each ("01:40"), with the hours in front from
// an hour on ("1:15:00"); "--:--" for a span that is not known (negative).
std::string FormatTimeSpan(std::int64_t seconds);

struct TransferRateTexts {
    std::string times;  // status part 2
    std::string speed;  // status part 3
};

// The texts for a job started at startTime that has moved bytesDone of bytesTotal by now
// (whole seconds). Nothing within the first second. When fewer bytes than seconds have
// passed the rate is 0 and the total time cannot be estimated: it shows as "--:--".
std::optional<TransferRateTexts> TransferRate(std::int64_t startTime, std::int64_t now,
                                              std::int32_t bytesDone, std::int32_t bytesTotal);

// Writes TransferRate's texts to status parts 2 and 3; nothing within the first second.
bool ShowTransferRate(std::int64_t startTime, std::int32_t bytesDone, JobWindow& window,
                      std::int32_t bytesTotal, Clock& clock);

// Filling writes filler data, and says so.
enum class TransferDirection { Reading, Writing, Filling };

// "Reading file from phone... 3072 from 10240 bytes read" and its writing counterparts.
std::string ProgressMessage(TransferDirection direction, std::int32_t bytesDone,
                            std::int32_t bytesTotal);

// The job-local counts of a transfer and the per-chunk update.
class TransferMeter {
  public:
    TransferMeter(JobRun& run, Clock& clock, TransferDirection direction, std::int32_t bytesTotal);

    // Takes the job's start time: once, before the first file.
    void Start();
    // A new file: offset 0, and the per-file bar (when shown) ranges over its size.
    void StartFile(std::int32_t size);
    // After each chunk: adds it to the offset and the job's count, then the rate texts, the
    // progress message, the per-file bar, the overall bar, in that order. True when the job
    // is asked to stop; the worker then writes its own interruption message.
    bool AddChunk(std::int32_t bytes);

    std::int64_t startTime() const { return m_startTime; }
    std::int32_t bytesDone() const { return m_bytesDone; }
    std::int32_t bytesTotal() const { return m_bytesTotal; }
    std::int32_t fileOffset() const { return m_fileOffset; }

  private:
    JobRun& m_run;
    Clock& m_clock;
    TransferDirection m_direction;
    std::int64_t m_startTime;
    std::int32_t m_bytesTotal;
    std::int32_t m_bytesDone = 0;
    std::int32_t m_fileOffset = 0;
};

}  // namespace velmora
