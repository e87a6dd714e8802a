// What the phone session (device poll, phone control, file-system facts) needs of the main
// window beyond the command channel's PhoneWindow: the device list, the job lock, the status
// icons, the poll timer, the search controls and the tree's root. Called on the window's
// thread only.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "base/status_sink.h"
#include "phone/phone_window.h"

namespace velmora {

// The status bar's icons of the phone's state.
inline constexpr int kIconConnected = 134;
inline constexpr int kIconDisconnected = 135;

// The device poll's one-shot timer.
inline constexpr int kPollTimer = 1;
inline constexpr int kPollDelayMs = 500;

class SessionWindow : public PhoneWindow {
  public:
    // The sorted device list: entries land in text order; AddDevice gives the new entry's
    // index, or a negative number when it was not added. Selecting nothing clears it.
    virtual void ClearDevices() = 0;
    virtual int AddDevice(std::string text, std::uint32_t data) = 0;
    virtual void SelectDevice(std::optional<int> index) = 0;

    virtual void EnableControls(int enable, int enableMenus) = 0;
    // A job locks the controls from its start to its end; nothing else may unlock them then.
    virtual bool JobRunning() const = 0;

    virtual void SetStatusIcon(int part, int iconId, std::string tip) = 0;
    virtual void StartTimer(int id, int periodMs) = 0;
    virtual void StopTimer(int id) = 0;
    virtual void ShowArrowCursor() = 0;

    // The search mask box and the search button together.
    virtual void EnableSearchControls(bool enable) = 0;

    // Rebuilds the tree with its root and one node per volume name.
    virtual void ResetTree(const std::vector<std::string>& volumes) = 0;
    // Nothing when the tree has no root.
    virtual std::optional<std::string> RootText() const = 0;
    // Ignored when the tree has no root.
    virtual void SetRootText(const std::string& text) = 0;
    // The phone went away: no file rows, no tree nodes (root included). The in-memory file
    // list stays.
    virtual void ClearFileRowsAndTree() = 0;
    // The selected phone changed or went: nothing of the old phone's files may stay in view,
    // since a command on them would reach the new phone.
    virtual void PhoneChanged() { ClearFileRowsAndTree(); }
};

}  // namespace velmora
