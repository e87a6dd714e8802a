// Upload, dropped files and Fill space on the main window: the window's state as the
// writing jobs take it, and the command-map rows of buttons 1010 and 1014 and of a drop on
// the list.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "base/clock.h"
#include "transfer/job.h"
#include "transfer/upload_journal.h"
#include "ui/main_window.h"
#include "ui/upload_commands.h"

namespace velmora {

struct MainWindowUploadParts {
    MainWindow& window;
    PstLibrary& library;
    FileList& files;
    VolumeTree& tree;
    FileListCtrl& list;
    IconSource& icons;
    Clock& clock;
    JobStarter startJob = [](std::function<void()> worker) { return StartJob(std::move(worker)); };
    std::function<bool()> jobBusy = [] { return JobBusy(); };
    UploadJournal* journal = &TheUploadJournal();
};

class MainWindowUpload final : public UploadWindow {
  public:
    // Replaces the rows of 1010, 1014 and the list's drop. Lives no longer than the window.
    explicit MainWindowUpload(MainWindowUploadParts parts);
    ~MainWindowUpload() override;
    MainWindowUpload(const MainWindowUpload&) = delete;
    MainWindowUpload& operator=(const MainWindowUpload&) = delete;

    UploadCommands& Commands() { return *m_commands; }

    std::string UploadPathText() const override;
    std::string LeaveBytesText() const override;
    const VolumeState& Volumes() const override { return m_window.Phone().State(); }
    void RefreshFreeSpace() override { m_window.Phone().RefreshFreeSpace(); }
    void RowsChanged() override;

  private:
    MainWindow& m_window;
    FileListCtrl& m_list;
    std::shared_ptr<JobWindowProxy> m_proxy;
    std::unique_ptr<UploadCommands> m_commands;
};

}  // namespace velmora
