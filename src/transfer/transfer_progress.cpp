#include "transfer/transfer_progress.h"

#include <cstdio>
#include <limits>

#include "base/lang_string.h"
#include "base/status_sink.h"
#include "fsac/file_search.h"

namespace velmora {

namespace {

constexpr int kElapsedString = 190;
constexpr int kTotalString = 191;
constexpr int kKbPerSecString = 135;
constexpr int kBytesReadString = 124;
constexpr int kBytesWroteString = 114;

// Counts stay signed 32-bit as the bars take them; a phone that delivers more than announced
// must not wrap them.
std::int32_t SaturatingAdd(std::int32_t a, std::int32_t b) {
    const std::int64_t sum = static_cast<std::int64_t>(a) + b;
    if (sum > std::numeric_limits<std::int32_t>::max()) {
        return std::numeric_limits<std::int32_t>::max();
    }
    if (sum < std::numeric_limits<std::int32_t>::min()) {
        return std::numeric_limits<std::int32_t>::min();
    }
    return static_cast<std::int32_t>(sum);
}

}  // namespace

std::string FormatTimeSpan(std::int64_t seconds) {
    if (seconds < 0) return "--:--";
    char text[32];
    // Past an hour the hours show: 75 minutes as "00:15" would read as a quarter hour.
    if (seconds >= 3600) {
        std::snprintf(text, sizeof text, "%lld:%02d:%02d", static_cast<long long>(seconds / 3600),
                      static_cast<int>(seconds / 60 % 60), static_cast<int>(seconds % 60));
    } else {
        std::snprintf(text, sizeof text, "%02d:%02d", static_cast<int>(seconds / 60),
                      static_cast<int>(seconds % 60));
    }
    return text;
}

std::optional<TransferRateTexts> TransferRate(std::int64_t startTime, std::int64_t now,
                                              std::int32_t bytesDone, std::int32_t bytesTotal) {
    // Only the low 32 bits of both times count; unsigned so that the difference wraps.
    const auto elapsed = static_cast<std::int32_t>(static_cast<std::uint32_t>(now) -
                                                   static_cast<std::uint32_t>(startTime));
    if (elapsed <= 0) return std::nullopt;

    const std::int32_t bytesPerSecond = bytesDone > 0 ? bytesDone / elapsed : 0;
    const auto rate = static_cast<float>(bytesPerSecond);
    // No estimate without a rate; -1 formats as "--:--".
    const std::int64_t totalSeconds =
        rate > 0 ? static_cast<std::int64_t>(static_cast<float>(bytesTotal) / rate) : -1;

    TransferRateTexts texts;
    texts.times = LoadLangString(kElapsedString) + " " + FormatTimeSpan(elapsed) + "      " +
                  LoadLangString(kTotalString) + " " + FormatTimeSpan(totalSeconds);

    const float kb = rate * 0.0009765625f;
    const int whole = static_cast<int>(kb);
    const int tenth = static_cast<int>((kb - static_cast<float>(whole)) * 10.0f);
    texts.speed =
        std::to_string(whole) + "." + std::to_string(tenth) + " " + LoadLangString(kKbPerSecString);
    return texts;
}

bool ShowTransferRate(std::int64_t startTime, std::int32_t bytesDone, JobWindow& window,
                      std::int32_t bytesTotal, Clock& clock) {
    auto texts = TransferRate(startTime, clock.NowSeconds(), bytesDone, bytesTotal);
    if (!texts) return false;
    window.SetStatusText(kPathStatusPart, texts->times);
    window.SetStatusText(kFreeSpaceStatusPart, texts->speed);
    return true;
}

std::string ProgressMessage(TransferDirection direction, std::int32_t bytesDone,
                            std::int32_t bytesTotal) {
    const bool reading = direction == TransferDirection::Reading;
    const int action = reading                                   ? kStrReadingFromPhone
                       : direction == TransferDirection::Filling ? kStrWritingData
                                                                 : kStrWritingFile;
    return LoadLangString(action) + " " + std::to_string(bytesDone) + " " +
           LoadLangString(kStrFrom) + " " + std::to_string(bytesTotal) + " " +
           LoadLangString(reading ? kBytesReadString : kBytesWroteString);
}

TransferMeter::TransferMeter(JobRun& run, Clock& clock, TransferDirection direction,
                             std::int32_t bytesTotal)
    : m_run(run),
      m_clock(clock),
      m_direction(direction),
      m_startTime(clock.NowSeconds()),
      m_bytesTotal(bytesTotal) {}

void TransferMeter::Start() {
    m_startTime = m_clock.NowSeconds();
}

void TransferMeter::StartFile(std::int32_t size) {
    m_fileOffset = 0;
    m_run.StartFileBar(size);
}

bool TransferMeter::AddChunk(std::int32_t bytes) {
    m_fileOffset = SaturatingAdd(m_fileOffset, bytes);
    m_bytesDone = SaturatingAdd(m_bytesDone, bytes);
    JobWindow& window = m_run.window();
    if (ShowTransferRate(m_startTime, m_bytesDone, window, m_bytesTotal, m_clock)) {
        m_run.RateShown();
    }
    window.SetStatusText(kStatusMessagePart,
                         ProgressMessage(m_direction, m_bytesDone, m_bytesTotal));
    m_run.SetFileBar(m_fileOffset);
    window.SetOverallPosition(m_bytesDone);
    return m_run.StopRequested();
}

}  // namespace velmora
