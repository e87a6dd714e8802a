#include "gui/wx_ui_thread.h"

#include <wx/event.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace velmora {

struct WxUiThread::Shared {
    std::mutex mutex;
    std::condition_variable cv;
    wxEvtHandler* target = nullptr;  // null once the window is gone
    std::thread::id owner;
};

namespace {

// What an Invoke waits for; the closure marks it, on the window's thread.
struct Call {
    bool started = false;
    bool done = false;
};

}  // namespace

WxUiThread::WxUiThread(wxEvtHandler& target) : m_shared(std::make_shared<Shared>()) {
    m_shared->target = &target;
    m_shared->owner = std::this_thread::get_id();
}

WxUiThread::~WxUiThread() {
    Shutdown();
}

bool WxUiThread::IsUiThread() const {
    return std::this_thread::get_id() == m_shared->owner;
}

void WxUiThread::Shutdown() {
    std::lock_guard lock(m_shared->mutex);
    m_shared->target = nullptr;
    m_shared->cv.notify_all();
}

bool WxUiThread::Invoke(std::function<void()> task) {
    if (IsUiThread()) {
        if (!m_shared->target) return false;
        task();
        return true;
    }
    auto shared = m_shared;
    auto call = std::make_shared<Call>();
    {
        std::lock_guard lock(shared->mutex);
        if (!shared->target) return false;
        // Queued under the lock: Shutdown cannot slip in between the check and the queueing.
        shared->target->CallAfter([shared, call, task] {
            {
                std::lock_guard inner(shared->mutex);
                if (!shared->target) return;
                call->started = true;
            }
            task();
            std::lock_guard inner(shared->mutex);
            call->done = true;
            shared->cv.notify_all();
        });
    }
    std::unique_lock lock(shared->mutex);
    // Once started the closure runs to its end, window or not; before that, a window that
    // goes away means it never will.
    shared->cv.wait(lock, [&] { return call->done || (!shared->target && !call->started); });
    return call->done;
}

void WxUiThread::Post(std::function<void()> task) {
    auto shared = m_shared;
    std::lock_guard lock(shared->mutex);
    if (!shared->target) return;
    shared->target->CallAfter([shared, task = std::move(task)] {
        {
            std::lock_guard inner(shared->mutex);
            if (!shared->target) return;
        }
        task();
    });
}

}  // namespace velmora
