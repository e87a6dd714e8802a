#include "transfer/job_window.h"

#include <algorithm>
#include <array>
#include <deque>
#include <mutex>
#include <utility>
#include <vector>

#include "base/status_sink.h"

namespace velmora {

namespace {

// Status parts 0 to 4 take posted texts; others (none today) go through synchronously.

// The controls a flush sets, numbered after the status parts; the job's own progress, then
// the posted tasks, which are never coalesced.
enum BarSlot { kOverallRange, kOverallPosition, kFileRange, kFilePosition, kBarSlots };
constexpr int kLatestSlot = kStatusParts + kBarSlots;
constexpr int kTaskSlot = kLatestSlot + 1;

}  // namespace

struct JobWindowProxy::Pending {
    std::mutex mutex;
    JobWindow* window = nullptr;  // null once detached; used on the window's thread only
    bool queued = false;          // a flush waits on the window's thread
    std::array<std::string, kStatusParts> status;
    std::array<std::int32_t, kBarSlots> bars{};
    std::function<void()> latest;
    std::deque<std::function<void()>> tasks;
    // What was set or posted since the last flush, in the order of each control's latest
    // update and of the tasks: the calls as issued with every superseded one left out. A
    // task stays where it was posted, so a later update of a control goes after it.
    std::vector<int> order;

    void Store(int slot) {
        const auto found = std::find(order.begin(), order.end(), slot);
        if (found != order.end()) {
            std::rotate(found, found + 1, order.end());
            return;
        }
        order.push_back(slot);
    }
    void SetStatus(int part, const std::string& text) {
        status[part] = text;
        Store(part);
    }
    void SetBar(BarSlot slot, std::int32_t value) {
        bars[slot] = value;
        Store(kStatusParts + slot);
    }
    void SetLatest(std::function<void()> show) {
        latest = std::move(show);
        Store(kLatestSlot);
    }
    void AddTask(std::function<void()> task) {
        tasks.push_back(std::move(task));
        order.push_back(kTaskSlot);
    }

    // Window's thread: the latest value of each control set since the last flush, and the
    // tasks in their places. Only the queued flush clears `queued`, so that no second one is
    // queued beside it.
    static void Flush(const std::shared_ptr<Pending>& pending, bool queuedFlush) {
        std::array<std::string, kStatusParts> texts;
        std::array<std::int32_t, kBarSlots> values{};
        std::function<void()> latest;
        std::deque<std::function<void()>> tasks;
        std::vector<int> slots;
        JobWindow* target = nullptr;
        {
            std::lock_guard lock(pending->mutex);
            if (queuedFlush) pending->queued = false;
            if (pending->order.empty()) return;
            slots.swap(pending->order);
            for (const int slot : slots) {
                if (slot < kStatusParts) texts[slot].swap(pending->status[slot]);
            }
            latest.swap(pending->latest);
            tasks.swap(pending->tasks);
            values = pending->bars;
            target = pending->window;
        }
        if (target == nullptr) return;
        for (const int slot : slots) {
            if (slot < kStatusParts) {
                target->SetStatusText(slot, texts[slot]);
                continue;
            }
            if (slot == kLatestSlot) {
                if (latest) latest();
                continue;
            }
            if (slot == kTaskSlot) {
                std::function<void()> task = std::move(tasks.front());
                tasks.pop_front();
                task();
                continue;
            }
            const auto bar = static_cast<BarSlot>(slot - kStatusParts);
            const std::int32_t value = values[bar];
            switch (bar) {
                case kOverallRange:
                    target->SetOverallRange(value);
                    break;
                case kOverallPosition:
                    target->SetOverallPosition(value);
                    break;
                case kFileRange:
                    target->SetFileRange(value);
                    break;
                case kFilePosition:
                case kBarSlots:
                    target->SetFilePosition(value);
                    break;
            }
        }
    }
};

PromptAnswer UnshownAnswer(PromptButtons buttons) {
    switch (buttons) {
        case PromptButtons::YesNo:
            return PromptAnswer::No;
        case PromptButtons::OkCancel:
            return PromptAnswer::Cancel;
        case PromptButtons::Ok:
            break;
    }
    return PromptAnswer::Ok;
}

JobWindowProxy::JobWindowProxy(std::shared_ptr<UiThread> uiThread, JobWindow& window)
    : m_uiThread(std::move(uiThread)), m_pending(std::make_shared<Pending>()), m_window(&window) {
    m_pending->window = &window;
}

void JobWindowProxy::Detach() {
    {
        std::lock_guard lock(m_pending->mutex);
        m_pending->window = nullptr;
    }
    m_window.store(nullptr);
    m_gone.store(true);
}

void JobWindowProxy::PostProgress(const std::function<void(Pending&)>& store) {
    if (m_gone.load()) return;
    if (m_uiThread->IsUiThread()) {
        {
            std::lock_guard lock(m_pending->mutex);
            store(*m_pending);
        }
        Pending::Flush(m_pending, false);
        return;
    }
    // Held across the hand-over: once Detach has returned, nothing reaches the UiThread.
    std::lock_guard lock(m_pending->mutex);
    if (m_pending->window == nullptr) return;
    store(*m_pending);
    if (std::exchange(m_pending->queued, true)) return;
    m_uiThread->Post([pending = m_pending] { Pending::Flush(pending, true); });
}

void JobWindowProxy::Post(std::function<void()> task) {
    if (m_uiThread->IsUiThread()) return PostNotice(std::move(task));
    PostProgress([&](Pending& pending) { pending.AddTask(std::move(task)); });
}

void JobWindowProxy::PostNotice(std::function<void()> task) {
    // Held across the hand-over: once Detach has returned, no notice reaches the UiThread.
    std::lock_guard lock(m_pending->mutex);
    if (m_pending->window == nullptr) return;
    m_uiThread->Post([pending = m_pending, task = std::move(task)] {
        bool attached = false;
        {
            std::lock_guard inner(pending->mutex);
            attached = pending->window != nullptr;
        }
        if (attached) task();
    });
}

void JobWindowProxy::PostLatest(std::function<void()> show) {
    PostProgress([&](Pending& pending) { pending.SetLatest(std::move(show)); });
}

bool JobWindowProxy::OnWindowThread() const {
    return !m_gone.load() && m_uiThread->IsUiThread();
}

bool JobWindowProxy::Call(const std::function<void()>& task) {
    if (m_gone.load()) return false;
    bool ran = false;  // written on the window's thread before Invoke returns
    const bool delivered = m_uiThread->Invoke([&] {
        // Checked again there: Detach may have come between the test above and this run.
        if (m_window.load() == nullptr) return;
        // Whatever the port's queues, progress posted before this call shows before it.
        Pending::Flush(m_pending, false);
        task();
        ran = true;
    });
    if (!delivered || !ran) m_gone.store(true);
    return ran;
}

void JobWindowProxy::EnableControls(int enable, int enableMenus) {
    Call([&] { m_window.load()->EnableControls(enable, enableMenus); });
}

void JobWindowProxy::SetStatusText(int part, const std::string& text) {
    if (part < 0 || part >= kStatusParts) {
        Call([&] { m_window.load()->SetStatusText(part, text); });
        return;
    }
    PostProgress([&](Pending& pending) { pending.SetStatus(part, text); });
}

void JobWindowProxy::SetOverallRange(std::int32_t total) {
    PostProgress([&](Pending& pending) { pending.SetBar(kOverallRange, total); });
}

void JobWindowProxy::SetOverallPosition(std::int32_t position) {
    PostProgress([&](Pending& pending) { pending.SetBar(kOverallPosition, position); });
}

void JobWindowProxy::ShowFileBar(bool show) {
    Call([&] { m_window.load()->ShowFileBar(show); });
}

void JobWindowProxy::SetFileRange(std::int32_t total) {
    PostProgress([&](Pending& pending) { pending.SetBar(kFileRange, total); });
}

void JobWindowProxy::SetFilePosition(std::int32_t position) {
    PostProgress([&](Pending& pending) { pending.SetBar(kFilePosition, position); });
}

PromptAnswer JobWindowProxy::MarshalledPrompts::MessageBox(const MessageBoxRequest& request) {
    PromptAnswer answer = UnshownAnswer(request.buttons);
    m_owner.Call([&] { answer = m_owner.m_window.load()->WindowPrompts().MessageBox(request); });
    return answer;
}

std::optional<std::string> JobWindowProxy::MarshalledPrompts::SaveFile(
    const SaveFileRequest& request) {
    std::optional<std::string> answer;
    m_owner.Call([&] { answer = m_owner.m_window.load()->WindowPrompts().SaveFile(request); });
    return answer;
}

std::vector<std::string> JobWindowProxy::MarshalledPrompts::OpenFiles(
    const OpenFilesRequest& request) {
    std::vector<std::string> answer;
    m_owner.Call([&] { answer = m_owner.m_window.load()->WindowPrompts().OpenFiles(request); });
    return answer;
}

void JobWindowProxy::RestoreStatusParts() {
    Call([&] { m_window.load()->RestoreStatusParts(); });
}

ConflictAnswer JobWindowProxy::MarshalledPrompts::AskConflict(const ConflictRequest& request) {
    ConflictAnswer answer;  // unshown: Cancel, which loses nothing
    m_owner.Call([&] { answer = m_owner.m_window.load()->WindowPrompts().AskConflict(request); });
    return answer;
}

void JobWindowProxy::MarshalledPhone::SetStatusText(int part, const std::string& text) {
    m_owner.Call([&] { m_owner.m_window.load()->WindowPhone().SetStatusText(part, text); });
}

void JobWindowProxy::MarshalledPhone::ShowWaitCursor() {
    m_owner.Call([&] { m_owner.m_window.load()->WindowPhone().ShowWaitCursor(); });
}

bool JobWindowProxy::MarshalledPhone::LibraryReady() const {
    bool ready = false;
    m_owner.Call([&] { ready = m_owner.m_window.load()->WindowPhone().LibraryReady(); });
    return ready;
}

std::int32_t JobWindowProxy::MarshalledPhone::Rs232Flag() const {
    std::int32_t flag = 0;
    m_owner.Call([&] { flag = m_owner.m_window.load()->WindowPhone().Rs232Flag(); });
    return flag;
}

std::optional<std::uint16_t> JobWindowProxy::MarshalledPhone::SelectedDevice() const {
    std::optional<std::uint16_t> device;
    m_owner.Call([&] { device = m_owner.m_window.load()->WindowPhone().SelectedDevice(); });
    return device;
}

}  // namespace velmora
