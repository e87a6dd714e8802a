// A main window for Get File List and Search: the listing's window state, the job side and
// the real file list, tree and list models, wired the way the program wires them.
#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "fsac/file_list.h"
#include "fsac/search_replies.h"
#include "support/fakes.h"
#include "support/pumped_ui_thread.h"
#include "transfer/job.h"
#include "transfer/job_window.h"
#include "ui/file_rows.h"
#include "ui/listing_commands.h"
#include "ui/settings.h"
#include "ui/volume_tree.h"

namespace velmora::test {

// Window state is touched on the window's thread only; the log is read by tests after the
// job, so it alone is guarded.
class FakeListingWindow : public ListingWindow, public JobWindow {
  public:
    // PhoneWindow
    bool LibraryReady() const override { return libraryReady; }
    std::int32_t Rs232Flag() const override { return 0; }
    std::optional<std::uint16_t> SelectedDevice() const override { return device; }
    void SetStatusText(int part, const std::string& text) override {
        status.SetStatusText(part, text);
    }
    void ShowWaitCursor() override { status.ShowWaitCursor(); }

    // ListingWindow
    int VolumeCount() const override { return volumeCount; }
    std::uint8_t CurrentVolumeLetter() const override { return letter; }
    void SetCurrentVolumeLetter(std::uint8_t l) override { letter = l; }
    bool FileSystemFlag() const override { return fileSystemFlag; }
    PhoneQuery ModelAndVersionQuery() override {
        return [this](PhoneWindow&, Prompts&) {
            ++modelQueries;
            return QueryResult();
        };
    }
    std::string MaskText() const override { return mask; }
    void SetMaskChoices(const std::vector<std::string>& masks) override { maskChoices = masks; }
    void SetOverallRange(std::int32_t total) override { range = total; }
    void SetOverallPosition(std::int32_t p) override {
        position = p;
        if (onPosition) onPosition(p);
    }

    // JobWindow
    void EnableControls(int enable, int menus) override {
        Log("enable " + std::to_string(enable) + " " + std::to_string(menus));
    }
    void ShowFileBar(bool show) override { Log("filebar " + std::to_string(show)); }
    void SetFileRange(std::int32_t) override {}
    void SetFilePosition(std::int32_t) override {}
    Prompts& WindowPrompts() override { return prompts; }
    PhoneWindow& WindowPhone() override { return *this; }

    void Log(const std::string& line) {
        std::lock_guard lock(m_mutex);
        m_log.push_back(line);
    }
    std::vector<std::string> LogLines() const {
        std::lock_guard lock(m_mutex);
        return m_log;
    }
    void ClearLog() {
        std::lock_guard lock(m_mutex);
        m_log.clear();
    }

    bool libraryReady = true;
    std::optional<std::uint16_t> device = 7;
    int volumeCount = 2;
    std::uint8_t letter = 0;
    bool fileSystemFlag = false;
    std::atomic<int> modelQueries{0};
    std::string mask;
    std::vector<std::string> maskChoices;
    std::int32_t range = -1;
    std::int32_t position = -1;
    std::function<void(std::int32_t)> onPosition;
    RecordingStatus status;
    FakePrompts prompts;

  private:
    mutable std::mutex m_mutex;
    std::vector<std::string> m_log;
};

// Everything the commands are built from. startJob defaults to running the worker at once on
// the calling thread, which then plays both the window's thread and the worker's.
struct ListingRig {
    explicit ListingRig(PstLibrary& pst,
                        std::shared_ptr<UiThread> uiThread = std::make_shared<PumpedUiThread>())
        : ui(std::move(uiThread)),
          proxy(std::make_shared<JobWindowProxy>(ui, window)),
          tree(window.prompts, files),
          commands(ListingPorts{
              pst, window, window.prompts, files, tree, list, icons, history, user, proxy,
              [this](std::function<void()> worker) { return startJob(std::move(worker)); },
              [this] { return jobBusy(); }}) {
        tree.SetVolumeTable({"/a", "/b"});
    }
    ~ListingRig() { proxy->Detach(); }

    std::shared_ptr<UiThread> ui;
    FakeListingWindow window;
    std::shared_ptr<JobWindowProxy> proxy;
    FileList files;
    VolumeTree tree;
    FileRows list;
    NamingIconSource icons;
    SearchHistory history;
    MemorySettingsStore user;
    int jobsStarted = 0;
    std::function<bool(std::function<void()>)> startJob = [this](std::function<void()> worker) {
        ++jobsStarted;
        worker();
        return true;
    };
    std::function<bool()> jobBusy = [] { return false; };
    ListingCommands commands;
};

}  // namespace velmora::test
