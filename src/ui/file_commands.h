// Delete (1013, 32786), Properties (32784) and the attribute change its OK starts: the checks
// and the files of the selected rows on the window's thread, then the two jobs that change the
// files on the phone, and what the window shows of their results.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "base/prompts.h"
#include "fsac/file_list.h"
#include "jobs/file_jobs.h"
#include "phone/pst_library.h"
#include "transfer/job.h"
#include "transfer/job_window.h"
#include "ui/file_rows.h"
#include "ui/main_window_ids.h"
#include "ui/properties_model.h"
#include "ui/volume_tree.h"

namespace velmora {

inline constexpr int kStrConfirmDelete = 153;
inline constexpr int kStrDeletingCanceled = 154;

// A row's file from its name text (column 0): flat rows hold full names, folder rows the name
// within location. Phones without folders know their files by the bare name, while their
// entries carry the single volume "FLASH/" in front.
RowFile RowFileFor(std::string_view nameText, bool flat, std::string_view location,
                   bool fileSystemFlag);

// What the commands need of the main window beyond the job side. Window's thread only.
class FilesWindow {
  public:
    virtual ~FilesWindow() = default;
    // Set for phones with a single volume and no folders.
    virtual bool FileSystemFlag() const = 0;
    // The free space again: of the current volume on a phone with several, else of "a".
    virtual void RefreshFreeSpace() = 0;
    virtual void SetStatusText(int part, const std::string& text) = 0;
    // Rows went or changed: the name column's width follows their count.
    virtual void RowsChanged() {}
};

// Runs the Properties dialog modally on the model; true when the user pressed OK.
using PropertiesDialogRunner = std::function<bool(PropertiesModel&)>;

struct FileCommandPorts {
    PstLibrary& library;
    FilesWindow& window;
    Prompts& prompts;
    FileList& files;
    VolumeTree& tree;
    FileRows& list;
    // The workers' way to the window, detached with it.
    std::shared_ptr<JobWindowProxy> jobWindow;
    JobStarter startJob;
    std::function<bool()> jobBusy;
    PropertiesDialogRunner showProperties;
};

class FileCommands final : public FileJobSide {
  public:
    explicit FileCommands(FileCommandPorts ports);
    FileCommands(const FileCommands&) = delete;
    FileCommands& operator=(const FileCommands&) = delete;

    // Button 1013 and context entry 32786: the confirmation, then the delete job.
    void Delete();
    // Context entry 32784: the dialog over the selected rows; its OK starts the attribute job.
    void Properties();
    // The attribute job over request's rows; false when it was refused (a job runs) or had
    // nothing to work on.
    bool StartAttributeJob(const AttributeRequest& request);

    // The folder the list shows in folder mode, "" without a tree selection.
    std::string ListLocation() const;
    // Which files the selected rows stand for, in row order.
    std::vector<RowFile> SelectedFiles(std::string_view location) const;

    // FileJobSide, on the window's thread for the jobs. The rows of deleted files go in
    // ascending order (each removal moves the later rows up); a new word reaches nothing
    // when FileList lacks the file.
    void ForgetFile(const RowFile& file) override;
    void RemoveRowsOf(const std::set<std::string>& deletedNames) override;
    void ShowAttributes(const RowFile& file, std::uint32_t attributes) override;
    void RefreshFreeSpace() override { m_ports.window.RefreshFreeSpace(); }

  private:
    // The confirmed rows' files, fixed now; false when the input is refused.
    bool StartDeleteJob();
    // The rows' files, read through the current view.
    std::vector<RowFile> RowFiles() const;

    FileCommandPorts m_ports;
    // The folder of the last Properties in folder mode; flat rows carry full names.
    std::string m_location;
};

}  // namespace velmora
