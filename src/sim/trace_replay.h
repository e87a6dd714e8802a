// The trace replayer: a phone library that plays the phone of a recorded session (a trace the
// emulated library wrote with VELMORA_PST_TRACE) back to the program. Each call must be the
// one the next line records, with the same arguments and request bytes; it gets the recorded
// answer and result. A notification line is posted once the call before it has been
// answered. A call that differs, or comes after the last line, fails with one line on
// standard error naming the trace line and the difference, and uses that line up, so that a
// session that goes on alike afterwards replays on.
//
// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Velmora developers
#pragma once

#include <condition_variable>
#include <cstdint>
#include <filesystem>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "phone/pst_library.h"
#include "sim/pst_trace.h"

namespace velmora {

struct ReplayTrace {
    struct Line {
        std::size_t number;  // in the file, from 1
        PstTraceLine line;
    };
    std::string name;  // how messages name the trace: its path
    std::vector<Line> lines;
};

// The trace in a file; nothing, with the reason in problem, when it cannot be read or a line
// is not a trace line of a known operation with a numeric rc.
std::optional<ReplayTrace> LoadReplayTrace(const std::filesystem::path& path, std::string& problem);

class TraceReplayPst final : public PstLibrary {
  public:
    explicit TraceReplayPst(ReplayTrace trace);
    ~TraceReplayPst() override;
    TraceReplayPst(const TraceReplayPst&) = delete;
    TraceReplayPst& operator=(const TraceReplayPst&) = delete;

    std::int32_t PSTInitializeEx(std::int32_t interfaceMode, PstNotificationSink* window) override;
    std::int32_t PSTUninitialize() override;
    std::int32_t PSTGetDeviceList(std::vector<std::uint16_t>& devices) override;
    std::int32_t PSTGetInterfaceHandle(std::uint32_t deviceId, std::string interfaceName,
                                       std::uint32_t& handle) override;
    std::int32_t PSTTestCmdInit(std::uint16_t deviceId, std::int32_t rs232) override;
    std::int32_t PSTSendCommand(std::uint32_t deviceId, std::uint32_t handle, const char* command,
                                std::span<const std::uint8_t> request,
                                std::span<std::uint8_t> reply, std::int32_t& replyLength,
                                std::uint16_t deviceId16) override;

  private:
    // Under m_mutex: the recorded line the call matches, or nullptr after saying why not.
    // Either way the line is used up and the notifications after it are posted.
    const ReplayTrace::Line* Play(const PstTraceLine& call);
    void PostNotifications();
    std::string Where(const ReplayTrace::Line& line) const;
    void Report(const std::string& what) const;
    void NotifierLoop();

    ReplayTrace m_trace;
    mutable std::mutex m_mutex;
    std::size_t m_next = 0;

    std::condition_variable m_wake;
    std::uint64_t m_pending = 0;
    bool m_stop = false;
    std::recursive_mutex m_sinkMutex;  // held while calling the sink
    PstNotificationSink* m_sink = nullptr;
    std::thread m_notifier;  // last: starts after everything it uses
};

}  // namespace velmora
