// The device poll: half a second after the library announces a change of attached phones
// (or the user switches the interface), the device list is refilled from the library and,
// when the library answers, the phone's basic facts are read again.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "phone/pst_library.h"
#include "phone/session_window.h"

namespace velmora {

// Status part 2 after the phone's facts were read: string 141 "path not selected".
inline constexpr int kStrPathNotSelected = 141;

// "Motorola phone ID #9"
std::string DeviceEntryText(std::uint16_t deviceId);

class DevicePoll {
  public:
    // phoneQueries runs the phone's queries after a poll that reached the library.
    DevicePoll(PstLibrary& library, SessionWindow& window, std::function<void()> phoneQueries);

    // Starts timer 1 unless a poll is scheduled already: requests in the meantime are dropped.
    void Schedule();
    // Timer 1's tick: the poll itself, the library asked on this thread.
    void OnTimer();

    // The poll in two halves, for a caller that asks the library on a worker: BeginPoll on
    // the tick (false: a poll runs, this tick waits for a later one), the device list asked
    // for with the last poll's list to fill, then EndPoll with the answer on the window's
    // thread. Until EndPoll every tick waits.
    bool BeginPoll();
    std::vector<std::uint16_t> LastDevices() const { return m_devices; }
    void EndPoll(bool connected, std::vector<std::uint16_t> devices);

    bool PollingActive() const { return m_pollingActive; }
    // The phones the last poll found.
    std::size_t DeviceCount() const { return m_devices.size(); }

    // The phone the user picked: selected again by every poll that finds it attached.
    void Choose(std::optional<std::uint16_t> deviceId) { m_wanted = deviceId; }

  private:
    // The user's phone when attached, else the only one; nothing when the user must choose.
    std::optional<std::uint16_t> PhoneToSelect();

    PstLibrary& m_library;
    SessionWindow& m_window;
    std::function<void()> m_phoneQueries;
    std::vector<std::uint16_t> m_devices;  // the library fills it; kept between polls
    std::optional<std::uint16_t> m_wanted;
    bool m_pollingActive = false;
    bool m_polling = false;
};

}  // namespace velmora
