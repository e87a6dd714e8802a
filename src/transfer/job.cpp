#include "transfer/job.h"

#include <atomic>
#include <condition_variable>
#include <deque>
#include <exception>
#include <mutex>
#include <thread>
#include <utility>

#include "base/lang_string.h"
#include "base/status_sink.h"
#include "transfer/stop_flag.h"

namespace velmora {

struct JobRunner::State {
    mutable std::mutex mutex;
    mutable std::condition_variable ended;
    int running = 0;
    std::deque<std::function<void()>> queries;
    bool querying = false;  // the query worker runs
    bool closed = false;
    // Read by JobRun without the mutex; set before Shutdown raises StopFlag.
    std::atomic<bool> closing{false};
};

namespace {

// The registry of the worker running on this thread, if any.
thread_local JobRunner::State* t_currentJob = nullptr;

// JobRuns of kind Writes that have not ended.
std::atomic<int> g_writingRuns{0};

void RunWorker(JobRunner::State& state, std::function<void()>& worker) {
    t_currentJob = &state;
    try {
        worker();
    } catch (...) {
        // Nothing above a worker could report it; JobRun has already ended the job.
    }
    // Release what the worker holds before it counts as returned.
    worker = nullptr;
    t_currentJob = nullptr;
    {
        std::lock_guard lock(state.mutex);
        --state.running;
    }
    state.ended.notify_all();
}

// The query worker: the queue's queries in order, until it is empty.
void RunQueries(JobRunner::State& state) {
    for (;;) {
        std::function<void()> query;
        {
            std::lock_guard lock(state.mutex);
            if (state.queries.empty()) {
                state.querying = false;
                state.ended.notify_all();
                return;
            }
            query = std::move(state.queries.front());
            state.queries.pop_front();
        }
        try {
            query();
        } catch (...) {
            // A query reports its own failures; nothing above it could.
        }
    }
}

}  // namespace

JobRunner::JobRunner() : m_state(std::make_shared<State>()) {}

JobRunner::~JobRunner() = default;

bool JobRunner::Start(std::function<void()> worker) {
    if (!worker) return false;
    {
        std::lock_guard lock(m_state->mutex);
        if (m_state->closed || m_state->running > 0 || StopFlag.load() == kJobRunning) {
            return false;
        }
        ++m_state->running;
    }
    try {
        std::thread([state = m_state, work = std::move(worker)]() mutable {
            RunWorker(*state, work);
        }).detach();
    } catch (...) {
        std::lock_guard lock(m_state->mutex);
        --m_state->running;
        return false;
    }
    return true;
}

bool JobRunner::Busy() const {
    if (StopFlag.load() == kJobRunning) return true;
    std::lock_guard lock(m_state->mutex);
    return m_state->running > 0;
}

bool JobRunner::StartQuery(std::function<void()> query) {
    if (!query) return false;
    std::lock_guard lock(m_state->mutex);
    if (m_state->closed) return false;
    m_state->queries.push_back(std::move(query));
    if (m_state->querying) return true;
    try {
        // It takes the lock first thing, so it starts on the queue as it stands.
        std::thread([state = m_state] { RunQueries(*state); }).detach();
    } catch (...) {
        m_state->queries.pop_back();
        return false;
    }
    m_state->querying = true;
    return true;
}

bool JobRunner::Idle() const {
    if (StopFlag.load() == kJobRunning) return false;
    std::lock_guard lock(m_state->mutex);
    return m_state->running == 0 && !m_state->querying;
}

bool JobRunner::Shutdown(std::chrono::milliseconds limit) {
    std::deque<std::function<void()>> dropped;  // released outside the lock
    {
        std::lock_guard lock(m_state->mutex);
        m_state->closed = true;
        dropped.swap(m_state->queries);
    }
    m_state->closing.store(true);
    StopFlag.store(kStopRequested);
    return WaitUntilIdle(limit);
}

bool JobRunner::WaitUntilIdle(std::chrono::milliseconds limit) const {
    std::unique_lock lock(m_state->mutex);
    return m_state->ended.wait_for(lock, limit,
                                   [&] { return m_state->running == 0 && !m_state->querying; });
}

JobRunner& Jobs() {
    // Never destroyed: a worker left running at exit may still return into it.
    static JobRunner* jobs = new JobRunner;
    return *jobs;
}

bool RunPhoneQuery(const std::shared_ptr<JobWindowProxy>& window, const JobStarter& start,
                   PhoneQuery query) {
    if (!start || !query) return false;
    return start([window, query = std::move(query)] {
        QueryResult result = query(window->WindowPhone(), window->WindowPrompts());
        if (!result) return;
        if (window->OnWindowThread()) {
            window->Call(result);
        } else {
            window->Post(std::move(result));
        }
    });
}

bool WritingJobRunning() {
    return g_writingRuns.load() > 0;
}

JobRun::JobRun(JobWindow& window, JobKind kind)
    : m_window(window), m_kind(kind), m_exceptionsAtStart(std::uncaught_exceptions()) {
    if (m_kind == JobKind::Writes) g_writingRuns.fetch_add(1);
    StopFlag.store(kJobRunning);
    // A worker that begins while its registry shuts down must not undo the stop request.
    // Shutdown marks closing before it raises the flag, so one of the two sides sees the
    // other.
    if (t_currentJob != nullptr && t_currentJob->closing.load()) StopFlag.store(kStopRequested);
}

JobRun::~JobRun() {
    End();
}

void JobRun::RejectInput(const std::string& text) {
    m_window.WindowPrompts().Message(text, kTitleVelmora, PromptIcon::Information);
}

void JobRun::RejectInput(int stringId) {
    RejectInput(LoadLangString(stringId));
}

void JobRun::StartProgress(std::int32_t total, const std::string& message) {
    m_window.SetOverallRange(total);
    m_window.SetOverallPosition(0);
    m_window.SetStatusText(kStatusMessagePart, message);
}

void JobRun::ShowFileBarFor(std::int32_t fileCount) {
    if (fileCount <= 1 || m_fileBarShown) return;
    m_window.ShowFileBar(true);
    m_fileBarShown = true;
}

void JobRun::StartFileBar(std::int32_t size) {
    if (!m_fileBarShown) return;
    m_window.SetFileRange(size);
    m_window.SetFilePosition(0);
}

void JobRun::SetFileBar(std::int32_t position) {
    if (m_fileBarShown) m_window.SetFilePosition(position);
}

void JobRun::HideFileBar() {
    if (!m_fileBarShown) return;
    m_window.ShowFileBar(false);
    m_fileBarShown = false;
}

void JobRun::Lock() {
    m_window.EnableControls(false, false);
    m_locked = true;
}

void JobRun::Unlock() {
    if (!m_locked) return;
    m_window.EnableControls(true, true);
    m_locked = false;
}

void JobRun::Fail(const std::string& text) {
    m_window.WindowPrompts().Message(text, kTitlePhoneInterfaceLower, PromptIcon::Stop);
    m_window.SetStatusText(kStatusMessagePart, LoadLangString(kStrOperationFailed));
    FailReported();
}

void JobRun::FailReported() {
    m_failed = true;
    Unlock();
    HideFileBar();
}

std::optional<CommandChannel> OpenFileChannel(JobRun& run, PstLibrary& library) {
    JobWindow& window = run.window();
    ChannelFailure failure = ChannelFailure::NoDevice;
    auto channel = OpenChannel(ChannelCommand::Transfer, library, window.WindowPhone(),
                               window.WindowPrompts(), &failure);
    if (!channel && failure != ChannelFailure::NoDevice) run.FailReported();
    return channel;
}

void JobRun::Fail(int stringId) {
    Fail(LoadLangString(stringId));
}

void JobRun::DeviceNotSelected() {
    m_window.WindowPrompts().Message(LoadLangString(kStrDeviceNotSelected), kTitleVelmora,
                                     PromptIcon::Stop);
    m_window.SetStatusText(kStatusMessagePart, LoadLangString(kStrOperationFailed));
}

bool JobRun::StopRequested() const {
    return m_failed || StopFlag.load() == kStopRequested;
}

void JobRun::End() noexcept {
    if (m_ended) return;
    m_ended = true;
    try {
        // Left by an exception: the user still learns that the operation did not finish.
        if (std::uncaught_exceptions() > m_exceptionsAtStart && !m_failed) {
            m_window.SetStatusText(kStatusMessagePart, LoadLangString(kStrOperationFailed));
        }
        HideFileBar();
        Unlock();
        if (m_rateShown) m_window.RestoreStatusParts();
    } catch (...) {
        // The window could not be reached; the flag below is what matters for the next job.
    }
    StopFlag.store(kStopRequested);
    if (m_kind == JobKind::Writes) g_writingRuns.fetch_sub(1);
}

}  // namespace velmora
