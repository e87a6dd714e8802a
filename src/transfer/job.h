// Jobs: long phone work on a worker thread of its own, one job at a time, started by the
// window and never waited for; short phone queries on a worker of their own beside it; and the
// shape every job shares (stop flag, control lock, per-file bar, failure reports), kept in one
// guard so that no exit path forgets a step.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "phone/open_channel.h"
#include "phone/phone_queries.h"
#include "phone/pst_library.h"
#include "transfer/job_window.h"

namespace velmora {

inline constexpr std::chrono::milliseconds kShutdownWait{2000};

// Starts a worker; false when it was refused. StartJob or StartQuery in the program.
using JobStarter = std::function<bool(std::function<void()>)>;

// Keeps count of the workers it started. A worker holds shared ownership of the registry's
// bookkeeping and of whatever its closure captures, so it may outlive both the window and
// the registry object; what it captures must therefore be owned (shared_ptr), never a
// reference to the window.
class JobRunner {
  public:
    JobRunner();
    ~JobRunner();
    JobRunner(const JobRunner&) = delete;
    JobRunner& operator=(const JobRunner&) = delete;

    // Runs worker on a new detached thread and returns at once. Refused (false, nothing runs)
    // while a job runs (StopFlag 0), while an interrupted worker has not returned yet (its
    // phone commands would mix with the new job's), after Shutdown, or when no thread can be
    // made.
    bool Start(std::function<void()> worker);
    // Whether Start would refuse because of a job: what launchers test before doing anything.
    bool Busy() const;
    // Queues a short phone query (a free space, the phone's facts, a restart) for the query
    // worker, which runs them one after another, in order, beside a job if one runs: a click
    // never waits for the phone, nor for a job to end. False after Shutdown or when no thread
    // can be made.
    bool StartQuery(std::function<void()> query);
    // No job and no query runs or waits.
    bool Idle() const;
    // At exit: refuses new jobs and queries, drops queued queries, asks a running job to stop
    // and waits at most `limit` for the workers to return. False when one was still running;
    // it is then left to itself, and the program should end without running static
    // destructors under it (std::quick_exit).
    bool Shutdown(std::chrono::milliseconds limit = kShutdownWait);
    // Waits at most `limit` until no job or query runs; for tests and diagnostics, never for
    // the window's thread.
    bool WaitUntilIdle(std::chrono::milliseconds limit) const;

    struct State;

  private:
    std::shared_ptr<State> m_state;
};

// The process-wide registry behind the functions below.
JobRunner& Jobs();
inline bool StartJob(std::function<void()> worker) {
    return Jobs().Start(std::move(worker));
}
inline bool JobBusy() {
    return Jobs().Busy();
}
inline bool StartQuery(std::function<void()> query) {
    return Jobs().StartQuery(std::move(query));
}
inline bool JobsIdle() {
    return Jobs().Idle();
}
inline bool ShutdownJobs(std::chrono::milliseconds limit = kShutdownWait) {
    return Jobs().Shutdown(limit);
}

// A short phone query on a worker that start makes (StartQuery in the program): query asks
// the phone through the window's phone side and prompts as workers reach them, and what it
// returns is posted back to the window's thread, or run at once when the worker was the
// window's thread itself. False when no worker started.
bool RunPhoneQuery(const std::shared_ptr<JobWindowProxy>& window, const JobStarter& start,
                   PhoneQuery query);

// A job's input check: no folder to work in.
inline constexpr int kStrPathNotSelectedOnTree = 102;

class JobRun;

// Whether a job changes anything, on the phone or on this computer: leaving while one runs
// asks first, while a listing or a search just stops.
enum class JobKind { Writes, Reads };

// True while a JobRun of kind Writes has not ended. Any thread.
bool WritingJobRunning();

// OpenChannel for one file of a transfer job: the selected device, the interface handle, the
// test-command initialisation with its result ignored. Nothing when no device is selected
// (reported; the job goes on with its next file) or the handle was refused (reported; the
// run has failed and the job ends).
std::optional<CommandChannel> OpenFileChannel(JobRun& run, PstLibrary& library);

// One run of a worker, from its first step to its end. Construction sets StopFlag to 0;
// destruction ends the job whatever the path out: hides the per-file bar if it was shown,
// unlocks the controls if they were locked, and sets StopFlag back to 1.
class JobRun {
  public:
    explicit JobRun(JobWindow& window, JobKind kind = JobKind::Writes);
    ~JobRun();
    JobRun(const JobRun&) = delete;
    JobRun& operator=(const JobRun&) = delete;

    JobWindow& window() { return m_window; }

    // An input check failed: information box titled "Velmora". Nothing has been locked, so
    // the job then just returns.
    void RejectInput(const std::string& text);
    void RejectInput(int stringId);

    // Overall bar range 0..total at position 0, and the job's start message in part 4.
    void StartProgress(std::int32_t total, const std::string& message);
    // Shows the per-file bar for a transfer over more than one file.
    void ShowFileBarFor(std::int32_t fileCount);
    // Per-file bar range 0..size at position 0 / at a position; nothing when it is hidden.
    void StartFileBar(std::int32_t size);
    void SetFileBar(std::int32_t position);
    // Hides the per-file bar if it is shown: a job that still has work after its files.
    void HideFileBar();

    // EnableControls(0, 0); may be called once per file.
    void Lock();
    // EnableControls(1, 1) when locked.
    void Unlock();
    bool locked() const { return m_locked; }

    // A phone command failed: box with text, "Phone interface", stop icon; part 4 "Operation
    // failed!!!"; unlock; hide the per-file bar. The worker then ends (it may still send a
    // closing command first).
    void Fail(const std::string& text);
    void Fail(int stringId);
    // The same once the box and the status have been shown (by OpenChannel).
    void FailReported();
    bool failed() const { return m_failed; }
    // No device selected at the start of a file: box "Device not selected." titled
    // "Velmora", stop icon, and part 4 "Operation failed!!!"; the job goes on.
    void DeviceNotSelected();

    // The transfer's times and speed are in the status bar: its end gives the parts back.
    void RateShown() { m_rateShown = true; }

    // True once the user asked to stop, at exit, or after a failure.
    bool StopRequested() const;

    // The normal end, the same as leaving the scope; later calls do nothing.
    void End() noexcept;

  private:
    JobWindow& m_window;
    JobKind m_kind;
    int m_exceptionsAtStart;
    bool m_fileBarShown = false;
    bool m_locked = false;
    bool m_failed = false;
    bool m_rateShown = false;
    bool m_ended = false;
};

}  // namespace velmora
