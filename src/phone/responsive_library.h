// The phone library as the window's thread sees it: a call made there that takes longer than a
// moment (a slow link) runs on a helper thread while the window's thread keeps its window
// painted, so that no short query freezes the window. The commands themselves stay on the
// window's thread, in order, one at a time; calls from workers go straight through.
#pragma once

#include <chrono>
#include <functional>

#include "phone/pst_library.h"

namespace velmora {

// How long a call may hold the window's thread before the window is let paint.
inline constexpr std::chrono::milliseconds kWindowMoment{50};

class ResponsiveLibrary final : public PstLibrary {
  public:
    // onWindowThread tells whether the caller is the window's thread; pump lets the window
    // paint once (without the user's input, which waits until the call has returned). Both
    // are called on the window's thread only.
    ResponsiveLibrary(PstLibrary& inner, std::function<bool()> onWindowThread,
                      std::function<void()> pump);

    // Start and stop stay on the caller's thread: the library notifies from inside them.
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
    // Runs call, on a helper thread when on the window's thread, pumping while it lasts.
    std::int32_t Run(const std::function<std::int32_t()>& call);

    PstLibrary& m_inner;
    std::function<bool()> m_onWindowThread;
    std::function<void()> m_pump;
    bool m_pumping = false;  // window's thread only: a call made from inside a pump runs inline
};

}  // namespace velmora
