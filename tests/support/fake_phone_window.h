// The window's side of phone commands, settable by a test; records status texts and wait
// cursors like RecordingStatus.
#pragma once

#include <atomic>
#include <mutex>
#include <optional>

#include "phone/phone_window.h"
#include "support/fakes.h"

namespace velmora::test {

class FakePhoneWindow : public PhoneWindow {
  public:
    bool LibraryReady() const override { return libraryReady.load(); }
    std::int32_t Rs232Flag() const override { return rs232.load(); }
    std::optional<std::uint16_t> SelectedDevice() const override {
        std::lock_guard lock(m_mutex);
        return m_selected;
    }
    void SetStatusText(int part, const std::string& text) override {
        status.SetStatusText(part, text);
    }
    void ShowWaitCursor() override { status.ShowWaitCursor(); }

    void Select(std::optional<std::uint16_t> device) {
        std::lock_guard lock(m_mutex);
        m_selected = device;
    }

    std::atomic<bool> libraryReady{true};
    std::atomic<std::int32_t> rs232{0};
    RecordingStatus status;

  private:
    mutable std::mutex m_mutex;
    std::optional<std::uint16_t> m_selected = 7;
};

}  // namespace velmora::test
