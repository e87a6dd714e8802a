// A UiThread for tests with real workers: the constructing thread plays the window's thread
// and runs the workers' closures only while it pumps.
#pragma once

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <future>
#include <memory>
#include <mutex>
#include <thread>

#include "base/ui_thread.h"

namespace velmora::test {

class PumpedUiThread : public UiThread {
  public:
    bool Invoke(std::function<void()> task) override {
        if (IsUiThread()) {
            task();
            return true;
        }
        auto promise = std::make_shared<std::promise<void>>();
        std::future<void> ran = promise->get_future();
        {
            std::lock_guard lock(m_mutex);
            if (m_closed) return false;
            m_tasks.push_back([task = std::move(task), promise] {
                task();
                promise->set_value();
            });
        }
        m_wake.notify_all();
        try {
            ran.get();
            return true;
        } catch (const std::future_error&) {  // dropped by Close: the window went away
            return false;
        }
    }

    void Post(std::function<void()> task) override {
        {
            std::lock_guard lock(m_mutex);
            if (m_closed) return;
            m_tasks.push_back(std::move(task));
        }
        m_wake.notify_all();
    }

    bool IsUiThread() const override { return std::this_thread::get_id() == m_owner; }

    // Runs queued closures until done holds; done may only be changed by posted closures.
    void PumpUntil(const std::function<bool()>& done) {
        while (!done()) {
            std::function<void()> task;
            {
                std::unique_lock lock(m_mutex);
                m_wake.wait(lock, [&] { return !m_tasks.empty(); });
                task = std::move(m_tasks.front());
                m_tasks.pop_front();
            }
            task();
        }
    }

    // Runs queued closures while busy holds (busy may change on any thread), then the ones
    // left in the queue. False when limit passed first: a worker that never ends.
    bool PumpWhile(const std::function<bool()>& busy, std::chrono::milliseconds limit) {
        const auto deadline = std::chrono::steady_clock::now() + limit;
        for (;;) {
            std::function<void()> task;
            {
                std::unique_lock lock(m_mutex);
                m_wake.wait_for(lock, std::chrono::milliseconds(1),
                                [&] { return !m_tasks.empty(); });
                if (!m_tasks.empty()) {
                    task = std::move(m_tasks.front());
                    m_tasks.pop_front();
                }
            }
            if (task) {
                task();
                continue;
            }
            if (!busy()) return true;
            if (std::chrono::steady_clock::now() > deadline) return false;
        }
    }

    // From now on Invoke refuses; closures still queued are dropped.
    void Close() {
        std::deque<std::function<void()>> dropped;
        {
            std::lock_guard lock(m_mutex);
            m_closed = true;
            dropped.swap(m_tasks);
        }
    }

  private:
    const std::thread::id m_owner = std::this_thread::get_id();
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::deque<std::function<void()>> m_tasks;
    bool m_closed = false;
};

}  // namespace velmora::test
