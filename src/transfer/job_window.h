// What a job may touch on the main window: the control lock, the status bar, the two
// progress bars, the message boxes and the phone state its commands read. The window implements
// JobWindow with plain methods on its own thread; workers reach it only through the window's one
// JobWindowProxy, which carries every call over.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "base/prompts.h"
#include "base/ui_thread.h"
#include "phone/phone_window.h"

namespace velmora {

class JobWindow {
  public:
    virtual ~JobWindow() = default;
    // The job lock, the session window's own: command controls on with enable non-zero,
    // Interrupt the opposite, the Interface menu greyed unless enableMenus is 1.
    virtual void EnableControls(int enable, int enableMenus) = 0;
    virtual void SetStatusText(int part, const std::string& text) = 0;
    // The overall bar 1002: range 0..total, then a position within it.
    virtual void SetOverallRange(std::int32_t total) = 0;
    virtual void SetOverallPosition(std::int32_t position) = 0;
    // The per-file bar 1008, shown only while a job over several files runs.
    virtual void ShowFileBar(bool show) = 0;
    virtual void SetFileRange(std::int32_t total) = 0;
    virtual void SetFilePosition(std::int32_t position) = 0;
    // Boxes owned by the main window.
    virtual Prompts& WindowPrompts() = 0;
    // The window's phone state and status bar as phone commands take them (OpenChannel).
    virtual PhoneWindow& WindowPhone() = 0;
    // A job that showed its times and speed has ended: the path and free-space parts show
    // the selection's path and free space again.
    virtual void RestoreStatusParts() {}
};

// The workers' side of the window, and their only way to it. Progress (status texts, the
// bars' ranges and positions, and one progress of the job's own, such as a listing's count of
// entries read) is posted: the worker stores the latest value per control and at most one
// flush waits on the window's thread, so a worker runs at link speed whatever the window's
// pace and the queue stays bounded. Results are posted in order with it. Everything else (the
// lock, the per-file bar's visibility, boxes, dialogs, reads of window state) runs on the
// window's thread and returns once it has run there; it first shows every update posted
// before it, so the window sees the calls in the order a worker issues them, some
// intermediate progress values left out.
//
// Lifetime: the window creates one proxy, hands shared ownership to each job and query and
// calls Detach() on its own thread before it goes away. After that, or once the UiThread
// refuses a call because the window is gone, calls do nothing and boxes answer as if
// cancelled, so a worker that outlives the window never reaches freed window state. A worker
// already waiting inside Invoke when the window goes is the UiThread's to release: it must
// return false then rather than wait for a thread that no longer pumps.
class JobWindowProxy final : public JobWindow {
  public:
    JobWindowProxy(std::shared_ptr<UiThread> uiThread, JobWindow& window);

    // Window's thread only, e.g. from the window's destructor.
    void Detach();
    bool Attached() const { return !m_gone.load(); }

    // Runs task on the window's thread while the window is there, for a question to the
    // window's models or a change of them that the worker must see done; false when it did
    // not run.
    bool Call(const std::function<void()>& task);
    // A worker's result: queued for the window's thread behind the progress the worker posted
    // before it, and shown before what it posts after; returns at once. Runs only while the
    // window is there; from the window's own thread it waits for the loop.
    void Post(std::function<void()> task);
    // A notice from outside the jobs (the phone library's): straight to the window's queue,
    // run by the loop, never inside a handler that happens to show progress. Any thread:
    // Detach waits for a notice in flight.
    void PostNotice(std::function<void()> task);
    // Coalesced like the bars: only the latest show posted before a flush runs, in its place
    // among the other updates. One kind per job: a listing's count of entries read. At once
    // on the window's thread.
    void PostLatest(std::function<void()> show);
    // True on the window's thread while the window is there.
    bool OnWindowThread() const;

    void EnableControls(int enable, int enableMenus) override;
    void SetStatusText(int part, const std::string& text) override;
    void SetOverallRange(std::int32_t total) override;
    void SetOverallPosition(std::int32_t position) override;
    void ShowFileBar(bool show) override;
    void SetFileRange(std::int32_t total) override;
    void SetFilePosition(std::int32_t position) override;
    Prompts& WindowPrompts() override { return m_prompts; }
    PhoneWindow& WindowPhone() override { return m_phone; }
    void RestoreStatusParts() override;

  private:
    class MarshalledPrompts final : public Prompts {
      public:
        explicit MarshalledPrompts(JobWindowProxy& owner) : m_owner(owner) {}
        PromptAnswer MessageBox(const MessageBoxRequest& request) override;
        std::optional<std::string> SaveFile(const SaveFileRequest& request) override;
        std::vector<std::string> OpenFiles(const OpenFilesRequest& request) override;
        ConflictAnswer AskConflict(const ConflictRequest& request) override;

      private:
        JobWindowProxy& m_owner;
    };

    // Once the window is gone: library not ready, no device selected.
    class MarshalledPhone final : public PhoneWindow {
      public:
        explicit MarshalledPhone(JobWindowProxy& owner) : m_owner(owner) {}
        void SetStatusText(int part, const std::string& text) override;
        void ShowWaitCursor() override;
        bool LibraryReady() const override;
        std::int32_t Rs232Flag() const override;
        std::optional<std::uint16_t> SelectedDevice() const override;

      private:
        JobWindowProxy& m_owner;
    };

    // The latest progress values not shown yet; shared with the queued flush, which may run
    // after the proxy is gone.
    struct Pending;
    // Stores an update for the next flush and queues the flush unless one waits already; on
    // the window's thread, shows it at once.
    void PostProgress(const std::function<void(Pending&)>& store);

    std::shared_ptr<UiThread> m_uiThread;
    std::shared_ptr<Pending> m_pending;
    // Read and cleared on the window's thread only; m_gone lets workers skip the trip.
    std::atomic<JobWindow*> m_window;
    std::atomic<bool> m_gone{false};
    MarshalledPrompts m_prompts{*this};
    MarshalledPhone m_phone{*this};
};

// The answer a box gets when it cannot be shown: the one that goes no further.
PromptAnswer UnshownAnswer(PromptButtons buttons);

}  // namespace velmora
