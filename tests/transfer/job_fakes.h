// The window side of a job: a window that logs every call.
#pragma once

#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "support/fakes.h"
#include "transfer/job_window.h"

namespace velmora::test {

// Logs calls as short lines ("enable 0 0", "status 4 text", "pos 3", "box Velmora: text").
class RecordingJobWindow : public JobWindow {
  public:
    void EnableControls(int enable, int menus) override {
        Log("enable " + std::to_string(enable) + " " + std::to_string(menus));
    }
    void SetStatusText(int part, const std::string& text) override {
        Log("status " + std::to_string(part) + " " + text);
    }
    void SetOverallRange(std::int32_t total) override { Log("range " + std::to_string(total)); }
    void SetOverallPosition(std::int32_t p) override { Log("pos " + std::to_string(p)); }
    void ShowFileBar(bool show) override { Log("filebar " + std::to_string(show)); }
    void SetFileRange(std::int32_t total) override { Log("filerange " + std::to_string(total)); }
    void SetFilePosition(std::int32_t p) override { Log("filepos " + std::to_string(p)); }
    Prompts& WindowPrompts() override { return prompts; }
    PhoneWindow& WindowPhone() override { return phone; }
    void RestoreStatusParts() override { Log("restore parts"); }

    std::vector<std::string> Events() const {
        std::lock_guard lock(m_mutex);
        return m_events;
    }
    std::size_t Count() const {
        std::lock_guard lock(m_mutex);
        return m_events.size();
    }
    void Log(const std::string& line) {
        std::lock_guard lock(m_mutex);
        m_events.push_back(line);
    }

    struct LoggingPrompts : FakePrompts {
        explicit LoggingPrompts(RecordingJobWindow& w) : window(w) {}
        PromptAnswer MessageBox(const MessageBoxRequest& request) override {
            window.Log("box " + request.title + ": " + request.text);
            return FakePrompts::MessageBox(request);
        }
        RecordingJobWindow& window;
    } prompts{*this};

    struct Phone : PhoneWindow {
        explicit Phone(RecordingJobWindow& w) : window(w) {}
        void SetStatusText(int part, const std::string& text) override {
            window.SetStatusText(part, text);
        }
        void ShowWaitCursor() override { window.Log("wait cursor"); }
        bool LibraryReady() const override { return true; }
        std::int32_t Rs232Flag() const override { return 1; }
        std::optional<std::uint16_t> SelectedDevice() const override { return device; }
        RecordingJobWindow& window;
        std::optional<std::uint16_t> device = 7;
    } phone{*this};

  private:
    mutable std::mutex m_mutex;
    std::vector<std::string> m_events;
};

}  // namespace velmora::test
