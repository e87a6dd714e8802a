// The main window's phone session: the device poll, the facts read after it (file-system
// flag, volumes, model, version, free space of 'a'), and the phone control buttons. The
// window owns one and forwards its timer tick, the library's notification, the interface
// switch, the two buttons and volume selections in the tree. Window's thread only: what asks
// the phone runs as a query, whose answer comes back to the window's thread.
#pragma once

#include "base/prompts.h"
#include "fsac/volume_queries.h"
#include "phone/device_poll.h"
#include "phone/phone_queries.h"
#include "phone/pst_library.h"
#include "phone/session_window.h"

namespace velmora {

class PhoneSession {
  public:
    // queries: where the phone is asked; none: at once on the window's thread.
    PhoneSession(PstLibrary& library, SessionWindow& window, Prompts& prompts,
                 PhoneQueries* queries = nullptr);
    PhoneSession(const PhoneSession&) = delete;
    PhoneSession& operator=(const PhoneSession&) = delete;

    // The library's device-change notification and the interface switch.
    void SchedulePoll() { m_poll.Schedule(); }
    // Timer 1.
    void OnPollTimer();
    bool PollingActive() const { return m_poll.PollingActive(); }

    void Restart();
    void Suspend();

    // A volume node was selected in the tree.
    void RefreshFreeSpace(char volumeLetter);
    // After a job changed a volume: the current volume with several, else 'a'.
    void RefreshFreeSpace() { RefreshFreeSpace(m_state.CommandVolumeLetter()); }
    // The model and the version on the root, as a listing or search starts: the query, for
    // the listing's job to ask before search start.
    PhoneQuery RootQuery();
    // What the poll reads of a phone: file-system flag, volumes, model, version and the free
    // space of 'a'. With no device selected it says so once and reads nothing: every query
    // would only repeat it.
    void ReadPhone() { ReadPhone(false); }
    // The same for a poll, which the user did not ask for: what goes wrong is said in the
    // status bar, never in a box.
    void ReadPhoneQuietly();

    // The user picked a phone (nothing: none); polls keep it selected while it is attached.
    void ChooseDevice(std::optional<std::uint16_t> deviceId) { m_poll.Choose(deviceId); }

    VolumeState& State() { return m_state; }
    const VolumeState& State() const { return m_state; }
    VolumeCommands Commands() { return {m_library, m_window, m_prompts, m_state}; }

  private:
    void ReadPhone(bool quietly);

    PstLibrary& m_library;
    SessionWindow& m_window;
    Prompts& m_prompts;
    QueriesInPlace m_inPlace{m_window, m_prompts};
    PhoneQueries& m_queries;
    VolumeState m_state;
    DevicePoll m_poll;
};

}  // namespace velmora
