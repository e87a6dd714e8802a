// Download (button 1004, context entry 32785) and open on double-click: the checks on the
// window's thread and the files of the rows, taken from FileList's entries, then the job that
// reads them (jobs/download_job.h).
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "base/clock.h"
#include "base/prompts.h"
#include "base/shell.h"
#include "fsac/file_list.h"
#include "phone/phone_window.h"
#include "phone/pst_library.h"
#include "transfer/job.h"
#include "transfer/job_window.h"
#include "ui/file_rows.h"
#include "ui/volume_tree.h"

namespace velmora {

inline constexpr std::int32_t kLargeFileLimit = 102400;

struct DownloadPorts {
    PstLibrary& library;
    // The main window on its own thread: library ready, status bar.
    PhoneWindow& window;
    Prompts& prompts;
    FileList& files;
    VolumeTree& tree;
    FileRows& list;
    Shell& shell;
    Clock& clock;
    std::function<bool()> fileSystemFlag;
    // Where opened files go (ends with "/").
    std::string openFolder;
    std::shared_ptr<JobWindowProxy> jobWindow;
    JobStarter startJob;
    std::function<bool()> jobBusy;
};

class DownloadCommands {
  public:
    explicit DownloadCommands(DownloadPorts ports);
    DownloadCommands(const DownloadCommands&) = delete;
    DownloadCommands& operator=(const DownloadCommands&) = delete;

    // Button 1004 and context-menu entry 32785.
    void Download();
    // A double-click on row (-1: beside the rows).
    void Open(std::int32_t row);

  private:
    // The entry row stands for, as the list holds it now; nothing for a row without one.
    std::optional<FileEntry> RowEntry(int row, bool flat, const std::string& folderPath) const;
    // The name the row shows, for a box about it.
    std::string RowName(int row) const;

    DownloadPorts m_ports;
};

}  // namespace velmora
