#include "support/scripted_pst.h"

#include <algorithm>
#include <stdexcept>

namespace velmora::test {

namespace {

PstCall Call(const char* operation) {
    PstCall call;
    call.operation = operation;
    return call;
}

}  // namespace

ScriptedReply ScriptedReply::Failure(std::int32_t result) {
    ScriptedReply reply;
    reply.result = result;
    return reply;
}

ScriptedReply ScriptedReply::Bytes(std::vector<std::uint8_t> bytes,
                                   std::optional<std::int32_t> reportedLength) {
    ScriptedReply reply;
    reply.bytes = std::move(bytes);
    reply.reportedLength = reportedLength;
    return reply;
}

std::int32_t ScriptedPst::PSTInitializeEx(std::int32_t interfaceMode, PstNotificationSink* window) {
    std::lock_guard lock(m_mutex);
    PstCall call = Call("PSTInitializeEx");
    call.interfaceMode = interfaceMode;
    call.window = window;
    m_calls.push_back(std::move(call));
    m_sink = window;
    if (initThrows) throw std::runtime_error("scripted PSTInitializeEx failure");
    return initResult;
}

std::int32_t ScriptedPst::PSTUninitialize() {
    std::lock_guard lock(m_mutex);
    m_calls.push_back(Call("PSTUninitialize"));
    if (uninitThrows) throw std::runtime_error("scripted PSTUninitialize failure");
    return uninitResult;
}

std::int32_t ScriptedPst::PSTGetDeviceList(std::vector<std::uint16_t>& list) {
    std::lock_guard lock(m_mutex);
    m_calls.push_back(Call("PSTGetDeviceList"));
    if (deviceListResult == 0) list = devices;
    return deviceListResult;
}

std::int32_t ScriptedPst::PSTGetInterfaceHandle(std::uint32_t deviceId, std::string interfaceName,
                                                std::uint32_t& handle) {
    std::lock_guard lock(m_mutex);
    PstCall call = Call("PSTGetInterfaceHandle");
    call.deviceId = deviceId;
    call.interfaceName = std::move(interfaceName);
    if (handleResult == 0) {
        handle = m_nextHandle++;
        call.handle = handle;
    }
    m_calls.push_back(std::move(call));
    return handleResult;
}

std::int32_t ScriptedPst::PSTTestCmdInit(std::uint16_t deviceId, std::int32_t rs232) {
    std::lock_guard lock(m_mutex);
    PstCall call = Call("PSTTestCmdInit");
    call.deviceId = deviceId;
    call.rs232 = rs232;
    m_calls.push_back(std::move(call));
    return testCmdInitResult;
}

std::int32_t ScriptedPst::PSTSendCommand(std::uint32_t deviceId, std::uint32_t handle,
                                         const char* command, std::span<const std::uint8_t> request,
                                         std::span<std::uint8_t> reply, std::int32_t& replyLength,
                                         std::uint16_t deviceId16) {
    std::lock_guard lock(m_mutex);
    PstCall call = Call("PSTSendCommand");
    call.deviceId = deviceId;
    call.handle = handle;
    call.command = command;
    call.request.assign(request.begin(), request.end());
    call.replyCapacity = reply.size();
    call.deviceId16 = deviceId16;
    m_calls.push_back(std::move(call));
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
