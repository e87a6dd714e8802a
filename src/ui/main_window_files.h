// Delete and Properties on the main window: the window's state as the file commands take it,
// and the three command-map rows they take over (button 1013, context entries 32786, 32784).
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "transfer/job.h"
#include "ui/file_commands.h"
#include "ui/main_window.h"

namespace velmora {

struct MainWindowFilesParts {
    MainWindow& window;
    PstLibrary& library;
    FileList& files;
    VolumeTree& tree;
    FileListCtrl& list;
    PropertiesDialogRunner showProperties;
    JobStarter startJob = [](std::function<void()> worker) { return StartJob(std::move(worker)); };
    std::function<bool()> jobBusy = [] { return JobBusy(); };
};

class MainWindowFiles final : public FilesWindow {
  public:
    // Lives no longer than the window, the tree and the list.
    explicit MainWindowFiles(MainWindowFilesParts parts);
    ~MainWindowFiles() override;
    MainWindowFiles(const MainWindowFiles&) = delete;
    MainWindowFiles& operator=(const MainWindowFiles&) = delete;

    FileCommands& Commands() { return *m_commands; }

    bool FileSystemFlag() const override { return m_window.Phone().State().FileSystemFlag() != 0; }
    void RefreshFreeSpace() override { m_window.Phone().RefreshFreeSpace(); }
    void SetStatusText(int part, const std::string& text) override {
        m_window.SetStatusText(part, text);
    }
    void RowsChanged() override;

  private:
    MainWindow& m_window;
    FileListCtrl& m_list;
    std::shared_ptr<JobWindowProxy> m_proxy;
    std::unique_ptr<FileCommands> m_commands;
};

}  // namespace velmora
