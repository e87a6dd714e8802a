// A phone library that answers from a script and records every call with its arguments.
// Thread-safe like the real one; configure it before the code under test runs.
#pragma once

#include <cstdint>
#include <deque>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "phone/pst_library.h"

namespace velmora::test {

struct PstCall {
    std::string operation;  // "PSTInitializeEx", "PSTSendCommand", ...
    std::int32_t interfaceMode = 0;
    PstNotificationSink* window = nullptr;
    std::uint32_t deviceId = 0;
    std::string interfaceName;
    std::uint32_t handle = 0;  // handed out (PSTGetInterfaceHandle) or received (send)
    std::int32_t rs232 = 0;
    std::string command;
    std::vector<std::uint8_t> request;
    std::size_t replyCapacity = 0;
    std::uint16_t deviceId16 = 0;
};

struct ScriptedReply {
    std::int32_t result = 0;
    std::vector<std::uint8_t> bytes;  // copied into the reply, cut to its size
    // The length reported back; by default the number of bytes copied.
    std::optional<std::int32_t> reportedLength;

    static ScriptedReply Failure(std::int32_t result);
    static ScriptedReply Bytes(std::vector<std::uint8_t> bytes,
                               std::optional<std::int32_t> reportedLength = std::nullopt);
};

class ScriptedPst : public PstLibrary {
  public:
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

    // Replies for a command, taken in order; when none is left the command succeeds with
    // an empty reply.
    void QueueReply(const std::string& command, ScriptedReply reply);
    // Tells the sink given at the last initialisation that the devices changed.
    void NotifyDeviceListChanged();

    std::vector<PstCall> Calls() const;
    std::vector<PstCall> Calls(const std::string& operation) const;
    void ClearCalls();

    // Results; a throwing operation raises std::runtime_error instead of returning.
    std::int32_t initResult = 0;
    bool initThrows = false;
    std::int32_t uninitResult = 0;
    bool uninitThrows = false;
    std::int32_t deviceListResult = 0;
    std::vector<std::uint16_t> devices;
    std::int32_t handleResult = 0;
    std::int32_t testCmdInitResult = 0;

  private:
    mutable std::mutex m_mutex;
    std::vector<PstCall> m_calls;
    std::map<std::string, std::deque<ScriptedReply>> m_replies;
    PstNotificationSink* m_sink = nullptr;
    std::uint32_t m_nextHandle = 0x100;
};

}  // namespace velmora::test
