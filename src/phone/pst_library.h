// The phone support library: the six operations every phone contact goes through, and the
// sink that stands for the window it notifies. Implementations are thread-safe: the window's
// thread and a worker may call at once.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace velmora {

inline constexpr std::int32_t kInterfaceUsb = 1;
inline constexpr std::int32_t kInterfaceRs232 = 2;
inline constexpr const char* kTestCommandInterface = "Motorola_Test_Command";

// Receives "WM_PST_REFRESH_DEVICE_LIST": the set of attached devices changed. May be called
// on any thread; the receiver carries it over to the window's thread.
class PstNotificationSink {
public:
    virtual ~PstNotificationSink() = default;
    virtual void OnDeviceListChanged() = 0;
};

class PstLibrary {
public:
    virtual ~PstLibrary() = default;

    // May throw instead of returning non-zero; callers treat both alike.
    virtual std::int32_t PSTInitializeEx(std::int32_t interfaceMode, PstNotificationSink* window) = 0;
    virtual std::int32_t PSTUninitialize() = 0;
    // Empties or overwrites the array.
    virtual std::int32_t PSTGetDeviceList(std::vector<std::uint16_t>& devices) = 0;
    // The name is taken by value: the library keeps its own copy.
    virtual std::int32_t PSTGetInterfaceHandle(std::uint32_t deviceId, std::string interfaceName,
                                               std::uint32_t& handle) = 0;
    virtual std::int32_t PSTTestCmdInit(std::uint16_t deviceId, std::int32_t rs232) = 0;
    // Writes at most reply.size() bytes and stores how many it wrote in replyLength.
    virtual std::int32_t PSTSendCommand(std::uint32_t deviceId, std::uint32_t handle,
                                        const char* command, std::span<const std::uint8_t> request,
                                        std::span<std::uint8_t> reply, std::int32_t& replyLength,
                                        std::uint16_t deviceId16) = 0;
};

}  // namespace velmora
