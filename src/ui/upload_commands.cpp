#include "ui/upload_commands.h"

#include <algorithm>
#include <cstdlib>
#include <utility>

#include "base/lang_string.h"
#include "base/status_sink.h"

namespace velmora {

UploadCommands::UploadCommands(UploadPorts ports) : m_ports(std::move(ports)) {}

void UploadCommands::Upload() {
    StartUpload({}, false);
}

void UploadCommands::Drop(std::vector<std::string> paths) {
    if (paths.empty()) return;
    // A drop during a job is refused, the running job left alone; the status bar says why.
    if (m_ports.jobBusy && m_ports.jobBusy()) {
        constexpr int kStrDropWhileJob = 570;
        m_ports.jobWindow->SetStatusText(kStatusMessagePart, LoadLangString(kStrDropWhileJob));
        return;
    }
    StartUpload(std::move(paths), true);
}

std::shared_ptr<WriteJob> UploadCommands::NewJob() {
    auto job = std::make_shared<WriteJob>();
    job->window = m_ports.jobWindow;
    job->library = &m_ports.library;
    job->clock = &m_ports.clock;
    job->journal = m_ports.journal;
    job->side = this;
    UploadStart& s = job->start;
    m_startItem = m_ports.tree.Selection();
    s.rootOrNone = m_startItem == kNoNode || m_startItem == m_ports.tree.Root();
    s.startPath = m_startItem == kNoNode ? "" : m_ports.tree.NodePath(m_startItem, "/");
    s.field = m_ports.window.UploadPathText();
    s.leaveBytes = m_ports.window.LeaveBytesText();
    const VolumeState& volumes = m_ports.window.Volumes();
    s.fileSystemFlag = volumes.FileSystemFlag() != 0;
    s.volumeCount = volumes.VolumeCount();
    s.commandLetter = volumes.CommandVolumeLetter();
    s.freeSpace = volumes.CachedFreeSpace();
    for (const FileEntry& entry : m_ports.files.Snapshot(m_ports.files.StorageSize())) {
        s.listedSizes.emplace(entry.path, entry.size);
    }
    s.fillNames = m_fillNames;
    return job;
}

bool UploadCommands::ShowsStartFolder() const {
    const std::string start = m_startItem == kNoNode ? "" : m_ports.tree.NodePath(m_startItem, "/");
    return m_ports.window.UploadPathText() == start;
}

void UploadCommands::StartUpload(std::vector<std::string> dropped, bool fromDrop) {
    auto job = NewJob();
    job->dropped = std::move(dropped);
    job->fromDrop = fromDrop;
    m_ports.startJob([job] { RunUpload(*job); });
}

void UploadCommands::FillSpace() {
    auto job = NewJob();
    m_ports.startJob([job] { RunFill(*job); });
}

void UploadCommands::ForgetUploaded(const std::string& listedPath, bool showRow) {
    FileList& files = m_ports.files;
    const std::int32_t index = files.Find(listedPath);
    if (index < 0) return;
    const std::int32_t removed = files.Remove(listedPath);
    files.SetCount(std::max(0, files.Count() - removed));
    m_ports.tree.SetEntryCount(std::max(0, m_ports.tree.EntryCount() - removed));
    if (!showRow) return;
    FileRows& list = m_ports.list;
    const std::string name = listedPath.substr(listedPath.rfind('/') + 1);
    const std::string indexText = std::to_string(index);
    for (int row = list.RowCount() - 1; row >= 0; --row) {
        const auto& cells = list.Rows()[static_cast<std::size_t>(row)].cells;
        if (cells[kColumnEntryIndex] == indexText && cells[kColumnName] == name) {
            list.DeleteRow(row);
            continue;
        }
        // Rows name their entry's index, which moved down for the entries after it.
        const std::int32_t at = std::atoi(cells[kColumnEntryIndex].c_str());
        if (at > index) list.SetCell(row, kColumnEntryIndex, std::to_string(at - 1));
    }
    m_ports.window.RowsChanged();
}

void UploadCommands::ListUploaded(const UploadedFile& file, bool showRow) {
    const std::string type = TypeText(file.phonePath);
    const RowIcons icons{m_ports.icons.FileTypeIcon(type, false),
                         m_ports.icons.FileTypeIcon(type, true)};
    FileList& files = m_ports.files;
    FileRows& list = m_ports.list;
    const std::int32_t found = files.Find(file.phonePath);
    if (found >= 0) {
        FileEntry entry;
        files.Update(found, [&](FileEntry& e) {
            if (file.contentsReplaced) e.size = file.size;
            entry = e;
        });
        if (!showRow) return;
        for (int row = 0; row < list.RowCount(); ++row) {
            if (list.Rows()[static_cast<std::size_t>(row)].cells[kColumnName] != file.name)
                continue;
            list.SetCell(row, kColumnAttributes, std::to_string(entry.attributes));
            list.SetCell(row, kColumnSize, std::to_string(entry.size));
        }
        return;
    }

    const std::int32_t index = files.Count();
    if (files.StorageSize() <= index) files.Grow(1);
    FileEntry entry = MakeFileEntry(file.phonePath, file.phonePath, 0, 0, file.size);
    entry.smallIcon = icons.smallIcon;
    entry.largeIcon = icons.largeIcon;
    files.SetEntry(index, entry);
    files.SetCount(index + 1);
    m_ports.tree.SetEntryCount(index + 1);
    if (!showRow) return;
    ListRow row;
    row.cells[kColumnName] = file.name;
    row.cells[kColumnAttributes].assign(1, '0');  // "0"; a literal trips g++ 12's -Wrestrict at -O3
    row.cells[kColumnSize] = std::to_string(entry.size);
    row.cells[kColumnType] = entry.type;
    // The commands on rows find their entry through this cell.
    row.cells[kColumnEntryIndex] = std::to_string(index);
    row.itemData = list.RowCount();
    list.AppendRow(std::move(row), icons);
    m_ports.window.RowsChanged();
}

}  // namespace velmora
