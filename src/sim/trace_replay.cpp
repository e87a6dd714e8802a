// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The Velmora developers
#include "sim/trace_replay.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <iostream>
#include <limits>
#include <set>

namespace velmora {

namespace {

constexpr std::int32_t kFailure = 1;

const std::set<std::string, std::less<>> kOperations = {"PSTInitializeEx",  "PSTUninitialize",
                                                        "PSTGetDeviceList", "PSTGetInterfaceHandle",
                                                        "PSTTestCmdInit",   "PSTSendCommand"};

bool ValidResult(const PstTraceLine& line) {
    const std::string* rc = line.Field("rc");
    return rc != nullptr && (*rc == "throw" || ParseTraceNumber(*rc).has_value());
}

// An exception cannot cross the C interface: a recorded one replays as a failure.
std::int32_t Result(const PstTraceLine& line) {
    const auto rc = ParseTraceNumber(*line.Field("rc"));
    if (!rc || *rc < std::numeric_limits<std::int32_t>::min() ||
        *rc > std::numeric_limits<std::int32_t>::max()) {
        return kFailure;
    }
    return static_cast<std::int32_t>(*rc);
}

std::string Quoted(const std::string* value) {
    return value ? "\"" + *value + "\"" : "nothing";
}

// Where two hex byte blocks part: the first byte that differs, or the lengths.
std::string ByteDifference(const std::string& name, const std::string& recorded,
                           const std::string& called) {
    const std::size_t common = std::min(recorded.size(), called.size()) / 2;
    for (std::size_t byte = 0; byte < common; ++byte) {
        if (recorded.compare(byte * 2, 2, called, byte * 2, 2) != 0) {
            return name + " differs at byte " + std::to_string(byte) + ": the trace has " +
                   recorded.substr(byte * 2, 2) + ", the call " + called.substr(byte * 2, 2);
        }
    }
    return name + " has " + std::to_string(called.size() / 2) + " bytes, the trace " +
           std::to_string(recorded.size() / 2);
}

// What sets the call apart from the recorded line; empty when they match. Only the call's
// own fields count (dev16 only where one side has it), not what the line answered.
std::string Difference(const PstTraceLine& recorded, const PstTraceLine& call) {
    if (recorded.operation != call.operation) {
        return "the trace has " + recorded.operation + ", the call is " + call.Text();
    }
    std::vector<std::string> names;
    for (const auto& field : call.fields) names.push_back(field.first);
    if (call.operation == "PSTSendCommand") names.push_back("dev16");
    for (const std::string& name : names) {
        const std::string* was = recorded.Field(name);
        const std::string* is = call.Field(name);
        if ((was == nullptr) != (is == nullptr) || (was && *was != *is)) {
            if (name == "req" && was && is) {
                return call.operation + " " + ByteDifference(name, *was, *is);
            }
            return call.operation + " " + name + " is " + Quoted(is) + ", the trace has " +
                   Quoted(was);
        }
    }
    return {};
}

}  // namespace

std::optional<ReplayTrace> LoadReplayTrace(const std::filesystem::path& path,
                                           std::string& problem) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        problem = path.string() + ": cannot be read: " + std::strerror(errno);
        return std::nullopt;
    }
    ReplayTrace trace{path.string(), {}};
    std::size_t number = 0;
    for (std::string text; std::getline(in, text);) {
        ++number;
        if (text.empty() || text == "\r") continue;
        auto line = ParseTraceLine(text);
        const bool known = line && (line->operation == kTraceNotify ||
                                    (kOperations.contains(line->operation) && ValidResult(*line)));
        if (!known) {
            problem = trace.name + " line " + std::to_string(number) + ": not a trace line";
            return std::nullopt;
        }
        trace.lines.push_back({number, std::move(*line)});
    }
    if (in.bad()) {
        problem = path.string() + ": cannot be read: " + std::strerror(errno);
        return std::nullopt;
    }
    return trace;
}

TraceReplayPst::TraceReplayPst(ReplayTrace trace) : m_trace(std::move(trace)) {
    m_notifier = std::thread([this] { NotifierLoop(); });
}

TraceReplayPst::~TraceReplayPst() {
    {
        std::lock_guard lock(m_mutex);
        m_stop = true;
    }
    m_wake.notify_all();
    m_notifier.join();
}

std::string TraceReplayPst::Where(const ReplayTrace::Line& line) const {
    return m_trace.name + " line " + std::to_string(line.number) + ": ";
}

void TraceReplayPst::Report(const std::string& what) const {
    std::cerr << "velmora-pst-replay: " << what << '\n';
}

void TraceReplayPst::PostNotifications() {
    bool posted = false;
    while (m_next < m_trace.lines.size() && m_trace.lines[m_next].line.operation == kTraceNotify) {
        ++m_pending;
        ++m_next;
        posted = true;
    }
    if (posted) m_wake.notify_all();
}

const ReplayTrace::Line* TraceReplayPst::Play(const PstTraceLine& call) {
    PostNotifications();
    if (m_next >= m_trace.lines.size()) {
        const std::size_t last = m_trace.lines.empty() ? 0 : m_trace.lines.back().number;
        Report(m_trace.name + " ends at line " + std::to_string(last) + "; the call " +
               call.Text() + " is not in it");
        return nullptr;
    }
    const ReplayTrace::Line& recorded = m_trace.lines[m_next++];
    PostNotifications();
    const std::string difference = Difference(recorded.line, call);
    if (!difference.empty()) {
        Report(Where(recorded) + difference);
        return nullptr;
    }
    return &recorded;
}

void TraceReplayPst::NotifierLoop() {
    std::unique_lock lock(m_mutex);
    while (!m_stop) {
        if (m_pending == 0) {
            m_wake.wait(lock);
            continue;
        }
        --m_pending;
        lock.unlock();
        {
            std::lock_guard sinkLock(m_sinkMutex);
            if (m_sink != nullptr) m_sink->OnDeviceListChanged();
        }
        lock.lock();
    }
}

std::int32_t TraceReplayPst::PSTInitializeEx(std::int32_t interfaceMode,
                                             PstNotificationSink* window) {
    // The notifier waits for the sink's lock, so what follows the line reaches this sink.
    std::lock_guard sinkLock(m_sinkMutex);
    std::lock_guard lock(m_mutex);
    const ReplayTrace::Line* played = Play(TraceInitialize(interfaceMode));
    if (played == nullptr) return kFailure;
    const PstTraceLine& line = played->line;
    const std::int32_t rc = Result(line);
    if (rc == 0) m_sink = window;
    return rc;
}

std::int32_t TraceReplayPst::PSTUninitialize() {
    std::lock_guard sinkLock(m_sinkMutex);
    std::lock_guard lock(m_mutex);
    const ReplayTrace::Line* played = Play(TraceUninitialize());
    if (played == nullptr) return kFailure;
    const PstTraceLine& line = played->line;
    const std::int32_t rc = Result(line);
    if (rc == 0) {
        m_sink = nullptr;
        m_pending = 0;
    }
    return rc;
}

std::int32_t TraceReplayPst::PSTGetDeviceList(std::vector<std::uint16_t>& devices) {
    std::lock_guard lock(m_mutex);
    const ReplayTrace::Line* played = Play(TraceGetDeviceList());
    if (played == nullptr) return kFailure;
    const PstTraceLine& line = played->line;
    const std::int32_t rc = Result(line);
    if (rc != 0) return rc;
    const std::string* recorded = line.Field("devices");
    auto ids = recorded ? ParseTraceDevices(*recorded) : std::nullopt;
    if (!ids) {
        Report(Where(*played) + "PSTGetDeviceList lists no devices");
        return kFailure;
    }
    devices = std::move(*ids);
    return 0;
}

std::int32_t TraceReplayPst::PSTGetInterfaceHandle(std::uint32_t deviceId,
                                                   std::string interfaceName,
                                                   std::uint32_t& handle) {
    std::lock_guard lock(m_mutex);
    const ReplayTrace::Line* played = Play(TraceGetInterfaceHandle(deviceId, interfaceName));
    if (played == nullptr) return kFailure;
    const PstTraceLine& line = played->line;
    const std::int32_t rc = Result(line);
    if (rc != 0) return rc;
    const std::string* recorded = line.Field("handle");
    const auto value = recorded ? ParseTraceNumber(*recorded, 16) : std::nullopt;
    if (!value || *value < 0 || *value > 0xFFFFFFFF) {
        Report(Where(*played) + "PSTGetInterfaceHandle has no handle");
        return kFailure;
    }
    handle = static_cast<std::uint32_t>(*value);
    return 0;
}

std::int32_t TraceReplayPst::PSTTestCmdInit(std::uint16_t deviceId, std::int32_t rs232) {
    std::lock_guard lock(m_mutex);
    const ReplayTrace::Line* played = Play(TraceTestCmdInit(deviceId, rs232));
    return played ? Result(played->line) : kFailure;
}

std::int32_t TraceReplayPst::PSTSendCommand(std::uint32_t deviceId, std::uint32_t handle,
                                            const char* command,
                                            std::span<const std::uint8_t> request,
                                            std::span<std::uint8_t> reply,
                                            std::int32_t& replyLength, std::uint16_t deviceId16) {
    replyLength = 0;
    std::lock_guard lock(m_mutex);
    const ReplayTrace::Line* played = Play(TraceSendCommand(
        deviceId, handle, command ? command : "", request, reply.size(), deviceId16));
    if (played == nullptr) return kFailure;
    const PstTraceLine& line = played->line;
    const std::string* bytes = line.Field("reply");
    const std::string* length = line.Field("len");
    const auto answer = bytes ? ParseTraceHex(*bytes) : std::nullopt;
    const auto reported = length ? ParseTraceNumber(*length) : std::nullopt;
    if (!answer || !reported || *reported < std::numeric_limits<std::int32_t>::min() ||
        *reported > std::numeric_limits<std::int32_t>::max()) {
        Report(Where(*played) + "PSTSendCommand has no reply and len");
        return kFailure;
    }
    // The buffer bounds what the program gets, whatever the trace says.
    std::copy_n(answer->begin(), std::min(answer->size(), reply.size()), reply.begin());
    replyLength = static_cast<std::int32_t>(*reported);
    return Result(line);
}

}  // namespace velmora
