#include "phone/device_poll.h"

#include <algorithm>

#include "base/lang_string.h"

namespace velmora {

namespace {

constexpr int kStrConnected = 142;
constexpr int kStrDisconnected = 143;
constexpr int kStrDeviceEntry = 408;  // "Motorola phone ID #%d"

}  // namespace

std::string DeviceEntryText(std::uint16_t deviceId) {
    std::string text = LoadLangString(kStrDeviceEntry);
    if (const auto at = text.find("%d"); at != std::string::npos) {
        text.replace(at, 2, std::to_string(deviceId));
    }
    return text;
}

DevicePoll::DevicePoll(PstLibrary& library, SessionWindow& window,
                       std::function<void()> phoneQueries)
    : m_library(library), m_window(window), m_phoneQueries(std::move(phoneQueries)) {}

void DevicePoll::Schedule() {
    if (m_pollingActive) return;
    m_pollingActive = true;
    m_window.ShowWaitCursor();
    m_window.StartTimer(kPollTimer, kPollDelayMs);
}

void DevicePoll::OnTimer() {
    if (!BeginPoll()) return;
    std::vector<std::uint16_t> devices = m_devices;
    const bool connected = m_library.PSTGetDeviceList(devices) == 0;
    EndPoll(connected, std::move(devices));
}

bool DevicePoll::BeginPoll() {
    // A message box of the queries runs a modal loop in which the timer, started again by a
    // new notification, can tick; so can the timer while the library is asked on a worker:
    // that tick waits for the running poll, the timer keeps going, and a later tick polls
    // once this one is over.
    if (m_polling) return false;
    m_polling = true;
    m_window.ShowWaitCursor();
    return true;
}

std::optional<std::uint16_t> DevicePoll::PhoneToSelect() {
    if (m_wanted && std::ranges::find(m_devices, *m_wanted) != m_devices.end()) return m_wanted;
    if (m_devices.size() != 1) return std::nullopt;
    // Taken while the user's own phone is away, never in its place.
    if (!m_wanted) m_wanted = m_devices.front();
    return m_devices.front();
}

void DevicePoll::EndPoll(bool connected, std::vector<std::uint16_t> devices) {
    // The library fills the list it is given; a failed call may leave the last one.
    m_devices = std::move(devices);
    const auto before = m_window.SelectedDevice();
    m_window.ClearDevices();

    std::optional<std::uint16_t> selected;
    if (connected) {
        for (std::uint16_t id : m_devices) m_window.AddDevice(DeviceEntryText(id), id);
        selected = PhoneToSelect();
        if (selected) {
            // The list is sorted by text: the entry's index is the count of texts before it.
            const std::string text = DeviceEntryText(*selected);
            const auto index = std::ranges::count_if(
                m_devices, [&](std::uint16_t id) { return DeviceEntryText(id) < text; });
            m_window.SelectDevice(static_cast<int>(index));
        }
    }
    const bool phoneChanged = before != selected;
    if (phoneChanged) m_window.PhoneChanged();

    // A running job holds the lock until it ends; unlocking here would let a second job
    // start beside it.
    if (!m_window.JobRunning()) m_window.EnableControls(connected ? 1 : 0, 1);

    m_window.StopTimer(kPollTimer);
    m_pollingActive = false;

    if (connected) {
        m_window.SetStatusIcon(kConnectionStatusPart, kIconConnected,
                               LoadLangString(kStrConnected));
        if (m_phoneQueries) m_phoneQueries();
        m_window.SetStatusText(kPathStatusPart, LoadLangString(kStrPathNotSelected));
    } else {
        m_window.SetStatusIcon(kConnectionStatusPart, kIconDisconnected,
                               LoadLangString(kStrDisconnected));
        if (!phoneChanged) m_window.ClearFileRowsAndTree();
    }

    m_window.ShowArrowCursor();
    m_polling = false;
}

}  // namespace velmora
