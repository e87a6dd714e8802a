#include "support/scripted_pst.h"

#include <algorithm>
#include <stdexcept>

namespace velmora::test {

std::int32_t ScriptedPst::PSTInitializeEx(std::int32_t interfaceMode, PstNotificationSink* window) {
    std::lock_guard lock(m_mutex);
    PstCall call{.operation = "PSTInitializeEx", .interfaceMode = interfaceMode, .window = window};
    m_calls.push_back(call);
    m_sink = window;
    if (initThrows) throw std::runtime_error("scripted PSTInitializeEx failure");
    return initResult;
}

std::int32_t ScriptedPst::PSTUninitialize() {
    std::lock_guard lock(m_mutex);
    m_calls.push_back({.operation = "PSTUninitialize"});
    if (uninitThrows) throw std::runtime_error("scripted PSTUninitialize failure");
    return uninitResult;
}

std::int32_t ScriptedPst::PSTGetDeviceList(std::vector<std::uint16_t>& list) {
    std::lock_guard lock(m_mutex);
    m_calls.push_back({.operation = "PSTGetDeviceList"});
    if (deviceListResult == 0) list = devices;
    return deviceListResult;
}

std::int32_t ScriptedPst::PSTGetInterfaceHandle(std::uint32_t deviceId, std::string interfaceName,
                                                std::uint32_t& handle) {
    std::lock_guard lock(m_mutex);
    PstCall call{.operation = "PSTGetInterfaceHandle",
                 .deviceId = deviceId,
                 .interfaceName = std::move(interfaceName)};
    if (handleResult == 0) {
        handle = m_nextHandle++;
        call.handle = handle;
    }
    m_calls.push_back(std::move(call));
    return handleResult;
}

std::int32_t ScriptedPst::PSTTestCmdInit(std::uint16_t deviceId, std::int32_t rs232) {
    std::lock_guard lock(m_mutex);
    m_calls.push_back({.operation = "PSTTestCmdInit", .deviceId = deviceId, .rs232 = rs232});
    return testCmdInitResult;
}

std::int32_t ScriptedPst::PSTSendCommand(std::uint32_t deviceId, std::uint32_t handle,
                                         const char* command, std::span<const std::uint8_t> request,
                                         std::span<std::uint8_t> reply, std::int32_t& replyLength,
                                         std::uint16_t deviceId16) {
    std::lock_guard lock(m_mutex);
    m_calls.push_back({.operation = "PSTSendCommand",
                       .deviceId = deviceId,
                       .handle = handle,
                       .command = command,
                       .request = {request.begin(), request.end()},
                       .replyCapacity = reply.size(),
                       .deviceId16 = deviceId16});
    ScriptedReply scripted;
    auto& queue = m_replies[command];
    if (!queue.empty()) {
        scripted = std::move(queue.front());
        queue.pop_front();
    }
    std::size_t copied = std::min(scripted.bytes.size(), reply.size());
    std::copy_n(scripted.bytes.begin(), copied, reply.begin());
    replyLength = scripted.reportedLength.value_or(static_cast<std::int32_t>(copied));
    return scripted.result;
}

void ScriptedPst::QueueReply(const std::string& command, ScriptedReply reply) {
    std::lock_guard lock(m_mutex);
    m_replies[command].push_back(std::move(reply));
}

void ScriptedPst::NotifyDeviceListChanged() {
    PstNotificationSink* sink;
    {
        std::lock_guard lock(m_mutex);
        sink = m_sink;
    }
    if (sink) sink->OnDeviceListChanged();
}

std::vector<PstCall> ScriptedPst::Calls() const {
    std::lock_guard lock(m_mutex);
    return m_calls;
}

std::vector<PstCall> ScriptedPst::Calls(const std::string& operation) const {
    std::lock_guard lock(m_mutex);
    std::vector<PstCall> matching;
    for (const auto& call : m_calls) {
        if (call.operation == operation) matching.push_back(call);
    }
    return matching;
}

void ScriptedPst::ClearCalls() {
    std::lock_guard lock(m_mutex);
    m_calls.clear();
}

}  // namespace velmora::test
