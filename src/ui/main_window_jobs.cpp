#include "ui/main_window_jobs.h"

#include <utility>

#include "base/system_clock.h"
#include "transfer/temp_open_file.h"
#include "ui/main_window_ids.h"

namespace velmora {

MainWindowJobs::MainWindowJobs(MainWindowJobsParts parts)
    : m_window(parts.window), m_tree(parts.tree), m_list(parts.list) {
    const std::shared_ptr<JobWindowProxy>& channel = m_window.JobChannel();
    Clock& clock = parts.clock ? *parts.clock : TheSystemClock();
    UploadJournal* journal = parts.journal ? parts.journal : &TheUploadJournal();
    m_listing = std::make_unique<ListingCommands>(
        ListingPorts{parts.library, *this, m_window.WindowPrompts(), parts.files, parts.tree,
                     parts.list, parts.icons, m_window.History(), parts.user, channel,
                     parts.startJob, parts.jobBusy, journal});
    m_files = std::make_unique<FileCommands>(FileCommandPorts{
        parts.library, *this, m_window.WindowPrompts(), parts.files, parts.tree, parts.list,
        channel, parts.startJob, parts.jobBusy, std::move(parts.showProperties)});
    m_download = std::make_unique<DownloadCommands>(DownloadPorts{
        parts.library, m_window, m_window.WindowPrompts(), parts.files, parts.tree, parts.list,
        parts.shell, clock, [this] { return FileSystemFlag(); },
        parts.openFolder.empty() ? OpenFilesFolder(TheUserFolders()) : parts.openFolder, channel,
        parts.startJob, parts.jobBusy});
    m_upload = std::make_unique<UploadCommands>(
        UploadPorts{parts.library, *this, parts.files, parts.tree, parts.list, parts.icons, clock,
                    channel, parts.startJob, parts.jobBusy, journal});
    m_tree.SetSelectionHandler(this);
    m_window.AttachJobs(this);
}

MainWindowJobs::~MainWindowJobs() {
    m_window.AttachJobs(nullptr);
    m_tree.SetSelectionHandler(nullptr);
    // A job still running reaches nothing of this object or the window any more.
    m_window.JobChannel()->Detach();
}

void MainWindowJobs::OnTreeSelection(const TreeSelectionChange& change) {
    MainWindow::HandlerScope scope(m_window);
    auto& phone = m_window.Phone();
    phone.State().SetCurrentVolumeLetter(change.volumeLetter);
    // The free space shown is always that of the selection's volume.
    if (change.freeSpaceLetter ||
        (change.volumeLetter != 0 && change.volumeLetter != phone.State().FreeSpaceLetter())) {
        phone.RefreshFreeSpace(static_cast<char>(change.volumeLetter));
    }
    if (!ShowSelectionRows(change, m_list)) {
        // Nothing read yet: a volume is still a place to upload to.
        const TreeNode* node = m_tree.Node(change.node);
        if (node && node->kind == NodeKind::Volume) {
            m_window.SetControlText(kIdUploadPath, m_tree.NodePath(change.node, "/"));
        }
        return;
    }
    m_window.SetStatusText(kPathStatusPart, change.statusPath);
    if (change.uploadPath) m_window.SetControlText(kIdUploadPath, *change.uploadPath);
    RowsChanged();
}

void MainWindowJobs::RowsChanged() {
    m_window.SetListRowCount(m_list.RowCount());
    m_window.Relayout();
}

std::string MainWindowJobs::MaskText() const {
    return m_window.Control(kIdSearchMask).text;
}

std::string MainWindowJobs::UploadPathText() const {
    return m_window.Control(kIdUploadPath).text;
}

std::string MainWindowJobs::LeaveBytesText() const {
    return m_window.Control(kIdLeaveBytes).text;
}

}  // namespace velmora
