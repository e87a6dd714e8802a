// The window's thread for tests and benchmarks: the thread that makes it plays the window's
// thread. Its own calls run at once; other threads' calls wait in a queue until it pumps, as
// they would for a window, and are refused once it is closed.
#pragma once

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

#include "base/ui_thread.h"
#include "transfer/job.h"

namespace velmora::test {

class PumpedUiThread : public UiThread {
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
        ++m_handovers;
        Queue([this, state, task = std::move(task)] {
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
        // As the window's own: a task that has started runs to its end even if the thread
        // closes inside it, so the caller's variables it writes stay alive until then.
        m_changed.wait(lock, [&] { return state->done || (m_closed && !state->started); });
        return state->done;
    }

    // Queued in order from any thread, the window's own included; run when it pumps.
    void Post(std::function<void()> task) override {
        std::lock_guard lock(m_mutex);
        if (m_closed) return;
        Queue(std::move(task));
    }

    bool IsUiThread() const override { return std::this_thread::get_id() == m_owner; }

    // Runs queued closures until `done` holds; false when it still does not after `limit`.
    // `done` may turn true without a closure to announce it (a worker's own flag).
    bool PumpUntil(const std::function<bool()>& done,
                   std::chrono::milliseconds limit = std::chrono::seconds(30)) {
        const auto deadline = std::chrono::steady_clock::now() + limit;
        while (!done()) {
            if (!RunOne(deadline)) return false;
        }
        return true;
    }

    // Runs what is queued, and what that queues in turn, until nothing is left.
    void Drain() {
        while (RunOne(std::chrono::steady_clock::now())) {
        }
    }

    // Pumps until no job or query runs and nothing is left queued, the answers' own queries
    // included; false when one still runs after `limit`.
    bool PumpUntilIdle(std::chrono::milliseconds limit = std::chrono::seconds(30)) {
        const auto deadline = std::chrono::steady_clock::now() + limit;
        do {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
            if (!PumpUntil([] { return JobsIdle(); }, left)) return false;
            Drain();
        } while (!JobsIdle());
        return true;
    }

    // Closures waiting to run.
    std::size_t Queued() const {
        std::lock_guard lock(m_mutex);
        return m_tasks.size();
    }

    // The most closures that waited at once: how far the window's pace fell behind.
    std::size_t MostQueued() const {
        std::lock_guard lock(m_mutex);
        return m_mostQueued;
    }

    // Calls from other threads handed over so far.
    int Handovers() const {
        std::lock_guard lock(m_mutex);
        return m_handovers;
    }

    // The window is gone: queued closures are dropped, and later calls refused.
    void Close() {
        std::lock_guard lock(m_mutex);
        m_closed = true;
        m_tasks.clear();
        m_changed.notify_all();
    }

  private:
    // Under m_mutex.
    void Queue(std::function<void()> task) {
        m_tasks.push_back(std::move(task));
        m_mostQueued = std::max(m_mostQueued, m_tasks.size());
        m_changed.notify_all();
    }

    // Runs the next closure, waiting for one until `deadline` at most; false when none came.
    bool RunOne(std::chrono::steady_clock::time_point deadline) {
        std::function<void()> task;
        {
            std::unique_lock lock(m_mutex);
            // Short slices: a caller's condition may turn true without a closure.
            const auto slice = std::chrono::steady_clock::now() + std::chrono::milliseconds(5);
            m_changed.wait_until(lock, std::min(slice, deadline), [&] { return !m_tasks.empty(); });
            if (m_tasks.empty()) return std::chrono::steady_clock::now() < deadline;
            task = std::move(m_tasks.front());
            m_tasks.pop_front();
        }
        task();
        return true;
    }

    const std::thread::id m_owner = std::this_thread::get_id();
    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<std::function<void()>> m_tasks;
    std::size_t m_mostQueued = 0;
    int m_handovers = 0;
    bool m_closed = false;
};

}  // namespace velmora::test
