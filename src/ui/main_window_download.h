// Download and open on double-click on the main window: the command-map rows of button 1004,
// context entry 32785 and the list's double click, taken over from the window.
#pragma once

#include <memory>

#include "base/clock.h"
#include "base/shell.h"
#include "transfer/job.h"
#include "ui/download_commands.h"
#include "ui/main_window.h"

namespace velmora {

struct MainWindowDownloadParts {
    MainWindow& window;
    PstLibrary& library;
    FileList& files;
    VolumeTree& tree;
    FileListCtrl& list;
    Shell& shell;
    Clock* clock = nullptr;    // the system clock when null
    std::string openFolder{};  // OpenFilesFolder of the process environment when empty
    JobStarter startJob = [](std::function<void()> worker) { return StartJob(std::move(worker)); };
    std::function<bool()> jobBusy = [] { return JobBusy(); };
};

class MainWindowDownload {
  public:
    // Lives no longer than the window, the tree and the list.
    explicit MainWindowDownload(MainWindowDownloadParts parts);
    ~MainWindowDownload();
    MainWindowDownload(const MainWindowDownload&) = delete;
    MainWindowDownload& operator=(const MainWindowDownload&) = delete;

    DownloadCommands& Commands() { return *m_commands; }

  private:
    std::shared_ptr<JobWindowProxy> m_proxy;
    std::unique_ptr<DownloadCommands> m_commands;
};

}  // namespace velmora
