// Stand-ins for the window side of a job: a window that logs every call, and a real queue
// that the test thread pumps as the window's thread.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "base/clock.h"
#include "support/fakes.h"
#include "transfer/job_window.h"

namespace velmora::test {

// Logs calls as short lines ("enable 0 0", "status 4 text", "pos 3", "box Velmora: text").
class RecordingJobWindow : public JobWindow {
  public:
    void EnableControls(bool enable, bool menus) override {
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

// The window's thread is whichever thread made it. Invoke from elsewhere queues and waits;
// Close drops the queue and refuses further calls, as when the window is gone.
class QueueUiThread : public UiThread {
  public:
    bool Invoke(std::function<void()> task) override {
        struct State {
            bool started = false;
            bool done = false;
        };
        auto state = std::make_shared<State>();
        std::unique_lock lock(m_mutex);
        if (m_closed) return false;
        if (IsUiThread()) {
            lock.unlock();
            task();
            return true;
        }
        m_tasks.push_back([this, state, task = std::move(task)] {
            {
                std::lock_guard startLock(m_mutex);
                if (m_closed) return;
                state->started = true;
            }
            task();
            std::lock_guard doneLock(m_mutex);
            state->done = true;
            m_changed.notify_all();
        });
        m_changed.notify_all();
        // As the window's own: a task that has started runs to its end even if the thread
        // closes inside it, so the caller's variables it writes stay alive until then.
        m_changed.wait(lock, [&] { return state->done || (m_closed && !state->started); });
        return state->done;
    }
    void Post(std::function<void()> task) override {
        std::lock_guard lock(m_mutex);
        if (m_closed) return;
        m_tasks.push_back(std::move(task));
        m_changed.notify_all();
    }
    bool IsUiThread() const override { return std::this_thread::get_id() == m_owner; }

    // Tasks waiting to run.
    std::size_t Queued() {
        std::lock_guard lock(m_mutex);
        return m_tasks.size();
    }

    // Runs queued tasks until `done` holds; false when it still does not after `limit`.
    bool PumpUntil(const std::function<bool()>& done,
                   std::chrono::seconds limit = std::chrono::seconds(30)) {
        const auto deadline = std::chrono::steady_clock::now() + limit;
        while (!done()) {
            std::function<void()> task;
            {
                std::unique_lock lock(m_mutex);
                // Short slices: `done` may turn true without a task to announce it.
                const auto slice = std::chrono::steady_clock::now() + std::chrono::milliseconds(5);
                m_changed.wait_until(lock, std::min(slice, deadline),
                                     [&] { return !m_tasks.empty(); });
                if (m_tasks.empty()) {
                    if (std::chrono::steady_clock::now() >= deadline) return false;
                    continue;
                }
                task = std::move(m_tasks.front());
                m_tasks.pop_front();
            }
            task();
        }
        return true;
    }
    void Close() {
        std::lock_guard lock(m_mutex);
        m_closed = true;
        m_tasks.clear();
        m_changed.notify_all();
    }

  private:
    std::thread::id m_owner = std::this_thread::get_id();
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<std::function<void()>> m_tasks;
    bool m_closed = false;
};

// A clock the test thread may move while a worker reads it.
class AtomicClock : public Clock {
  public:
    std::int64_t NowSeconds() override { return now.load(); }
    void Seed(unsigned) override {}
    int Rand() override { return 0; }
    std::atomic<std::int64_t> now{1000};
};

}  // namespace velmora::test
