// Download (button 1004, context entry 32785) and open on double-click: the checks on the
// window's thread, then a job that reads the phone files into local ones, through the save
// dialog for a download and through the desktop's programs for an open.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "base/clock.h"
#include "base/prompts.h"
#include "base/shell.h"
#include "fsac/file_list.h"
#include "phone/phone_window.h"
#include "phone/pst_library.h"
#include "transfer/job_window.h"
#include "transfer/local_file.h"
#include "ui/file_list_ctrl.h"
#include "ui/listing_commands.h"
#include "ui/volume_tree.h"

namespace velmora {

inline constexpr std::int32_t kLargeFileLimit = 102400;

// A size cell read the way the C library's atoi reads it: leading blanks, a sign, digits; 0
// when there are none. Values beyond 32 bits saturate.
std::int32_t RowSize(const std::string& cell);

// The phone path and local name of a row: in flat mode the row is a full path (its folder
// part up to the last "/", the name after it); otherwise folderPath + the row's text. With the
// file-system flag the phone path is the bare name.
struct RowPaths {
    std::string phonePath;
    std::string localName;
};
RowPaths PathsForRow(const std::string& rowText, bool flatMode, const std::string& folderPath,
                     bool fileSystemFlag);

struct DownloadPorts {
    PstLibrary& library;
    // The main window on its own thread: library ready, status bar.
    PhoneWindow& window;
    Prompts& prompts;
    FileList& files;
    VolumeTree& tree;
    FileListCtrl& list;
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
    DownloadPorts m_ports;
};

}  // namespace velmora
