// Upload (1010), files dropped on the list (1000) and Fill space (1014): the window's state as
// the writing jobs start from it, fixed when they start, and what the window shows of each
// uploaded file at once (the entry, its icons and its row). The jobs themselves are
// jobs/upload_job.h.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "base/clock.h"
#include "base/icon_image.h"
#include "fsac/file_list.h"
#include "fsac/volume_queries.h"
#include "jobs/upload_job.h"
#include "phone/pst_library.h"
#include "transfer/job.h"
#include "transfer/job_window.h"
#include "ui/file_rows.h"
#include "ui/volume_tree.h"

namespace velmora {

// What the jobs need of the main window beyond the job side. Window's thread only.
class UploadWindow {
  public:
    virtual ~UploadWindow() = default;
    // The upload path field 1028 and the "leave bytes free" field 1026.
    virtual std::string UploadPathText() const = 0;
    virtual std::string LeaveBytesText() const = 0;
    // File-system flag, volumes, current letter, cached free space.
    virtual const VolumeState& Volumes() const = 0;
    // The free-space query after a job: the current volume with several, else "a".
    virtual void RefreshFreeSpace() = 0;
    // Rows were added: the name column's width follows their count.
    virtual void RowsChanged() {}
};

struct UploadPorts {
    PstLibrary& library;
    UploadWindow& window;
    FileList& files;
    VolumeTree& tree;
    FileRows& list;
    IconSource& icons;
    Clock& clock;
    // The workers' way to the window; detached with the window.
    std::shared_ptr<JobWindowProxy> jobWindow;
    JobStarter startJob;
    std::function<bool()> jobBusy;
    // Uploads in flight, so that a crash cannot hide a truncated phone file; may be null.
    UploadJournal* journal = nullptr;
};

class UploadCommands final : public UploadSide {
  public:
    explicit UploadCommands(UploadPorts ports);
    UploadCommands(const UploadCommands&) = delete;
    UploadCommands& operator=(const UploadCommands&) = delete;

    // Button 1010: the files chosen in the open-files dialog, into the upload path.
    void Upload();
    // Files dropped on the list, into the folder selected now. Nothing while a job runs.
    void Drop(std::vector<std::string> paths);
    // Button 1014: one file of filler data on the current volume.
    void FillSpace();

    // UploadSide, on the window's thread for the jobs.
    std::string UploadPathText() const override { return m_ports.window.UploadPathText(); }
    bool ShowsStartFolder() const override;
    void GrowList(std::int32_t count) override { m_ports.files.Grow(count); }
    void ListUploaded(const UploadedFile& file, bool showRow) override;
    void ForgetUploaded(const std::string& listedPath, bool showRow) override;
    void RememberFillName(const std::string& listedPath) override {
        m_fillNames.insert(listedPath);
    }
    void RefreshFreeSpace() override { m_ports.window.RefreshFreeSpace(); }

  private:
    // A job with the window's state as it stands now.
    std::shared_ptr<WriteJob> NewJob();
    void StartUpload(std::vector<std::string> dropped, bool fromDrop);

    UploadPorts m_ports;
    std::set<std::string> m_fillNames;  // written this session, never in the list
    NodeId m_startItem = kNoNode;       // the running job's folder when it started
};

}  // namespace velmora
