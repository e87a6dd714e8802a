// The main window's phone session: the device poll, the facts read after it (file-system
// flag, volumes, model, version, free space of 'a'), and the phone control buttons. The
// window owns one and forwards its timer tick, the library's notification, the interface
// switch, the two buttons and volume selections in the tree. Window's thread only, except
// for the state, which jobs read from their workers.
#pragma once

#include "base/prompts.h"
#include "fsac/volume_queries.h"
#include "phone/device_poll.h"
#include "phone/pst_library.h"
#include "phone/session_window.h"

namespace velmora {

class PhoneSession {
  public:
    PhoneSession(PstLibrary& library, SessionWindow& window, Prompts& prompts);
    PhoneSession(const PhoneSession&) = delete;
    PhoneSession& operator=(const PhoneSession&) = delete;

    // The library's device-change notification and the interface switch.
    void SchedulePoll() { m_poll.Schedule(); }
    // Timer 1.
    void OnPollTimer() { m_poll.OnTimer(); }
    bool PollingActive() const { return m_poll.PollingActive(); }

    void Restart();
    void Suspend();

    // A volume node was selected in the tree.
    void RefreshFreeSpace(char volumeLetter) { Commands().FreeSpaceQuery(volumeLetter); }
    // After a job changed a volume: the current volume with several, else 'a'. Callable from
    // a worker, like every phone command.
    void RefreshFreeSpace() { RefreshFreeSpace(m_state.CommandVolumeLetter()); }
    // The model and the version on the root, as a listing or search starts.
    void DecorateRoot();
    // What the poll reads of a phone: file-system flag, volumes, model, version and the free
    // space of 'a'. With no device selected it says so once and reads nothing: every query
    // would only repeat it.
    void ReadPhone() { ReadPhone(m_prompts); }
    // The same for a poll, which the user did not ask for: what goes wrong is said in the
    // status bar, never in a box.
    void ReadPhoneQuietly();

    // The user picked a phone (nothing: none); polls keep it selected while it is attached.
    void ChooseDevice(std::optional<std::uint16_t> deviceId) { m_poll.Choose(deviceId); }

    VolumeState& State() { return m_state; }
    const VolumeState& State() const { return m_state; }
    VolumeCommands Commands() { return {m_library, m_window, m_prompts, m_state}; }

  private:
    void ReadPhone(Prompts& prompts);

    PstLibrary& m_library;
    SessionWindow& m_window;
    Prompts& m_prompts;
    VolumeState m_state;
    DevicePoll m_poll;
};

}  // namespace velmora
