#include "phone/responsive_library.h"

#include <condition_variable>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>

namespace velmora {

namespace {

constexpr std::chrono::milliseconds kPumpInterval{15};

// What the helper and the window's thread share for one call. Owned by both, so that the
// helper never outlives what it writes to.
struct PendingCall {
    std::mutex mutex;
    std::condition_variable done;
    bool finished = false;
    std::int32_t result = 0;
};

}  // namespace

ResponsiveLibrary::ResponsiveLibrary(PstLibrary& inner, std::function<bool()> onWindowThread,
                                     std::function<void()> pump)
    : m_inner(inner), m_onWindowThread(std::move(onWindowThread)), m_pump(std::move(pump)) {}

std::int32_t ResponsiveLibrary::Run(const std::function<std::int32_t()>& call) {
    if (m_pumping || !m_onWindowThread || !m_onWindowThread()) return call();

    auto pending = std::make_shared<PendingCall>();
    std::thread helper;
    try {
        helper = std::thread([pending, &call] {
            const std::int32_t result = call();
            std::lock_guard lock(pending->mutex);
            pending->result = result;
            pending->finished = true;
            pending->done.notify_all();
        });
    } catch (const std::system_error&) {
        return call();  // no thread to be had: the window waits, as it always could
    }
    {
        std::unique_lock lock(pending->mutex);
        pending->done.wait_for(lock, kWindowMoment, [&] { return pending->finished; });
        while (!pending->finished) {
            lock.unlock();
            m_pumping = true;
            if (m_pump) m_pump();
            m_pumping = false;
            lock.lock();
            pending->done.wait_for(lock, kPumpInterval, [&] { return pending->finished; });
        }
    }
    // The call's arguments live in this frame: the helper is joined before it goes.
    helper.join();
    return pending->result;
}

std::int32_t ResponsiveLibrary::PSTInitializeEx(std::int32_t interfaceMode,
                                                PstNotificationSink* window) {
    return m_inner.PSTInitializeEx(interfaceMode, window);
}

std::int32_t ResponsiveLibrary::PSTUninitialize() {
    return m_inner.PSTUninitialize();
}

std::int32_t ResponsiveLibrary::PSTGetDeviceList(std::vector<std::uint16_t>& devices) {
    return Run([&] { return m_inner.PSTGetDeviceList(devices); });
}

std::int32_t ResponsiveLibrary::PSTGetInterfaceHandle(std::uint32_t deviceId,
                                                      std::string interfaceName,
                                                      std::uint32_t& handle) {
    return Run([&] { return m_inner.PSTGetInterfaceHandle(deviceId, interfaceName, handle); });
}

std::int32_t ResponsiveLibrary::PSTTestCmdInit(std::uint16_t deviceId, std::int32_t rs232) {
    return Run([&] { return m_inner.PSTTestCmdInit(deviceId, rs232); });
}

std::int32_t ResponsiveLibrary::PSTSendCommand(std::uint32_t deviceId, std::uint32_t handle,
                                               const char* command,
                                               std::span<const std::uint8_t> request,
                                               std::span<std::uint8_t> reply,
                                               std::int32_t& replyLength,
                                               std::uint16_t deviceId16) {
    return Run([&] {
        return m_inner.PSTSendCommand(deviceId, handle, command, request, reply, replyLength,
                                      deviceId16);
    });
}

}  // namespace velmora
