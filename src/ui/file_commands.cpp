#include "ui/file_commands.h"

#include <utility>

#include "base/lang_string.h"
#include "fsac/volume_queries.h"
#include "phone/open_channel.h"
#include "ui/text_compare.h"

namespace velmora {

namespace {

std::string Decimal(std::uint32_t value) {
    return std::to_string(value);
}

}  // namespace

RowFile RowFileFor(std::string_view nameText, bool flat, std::string_view location,
                   bool fileSystemFlag) {
    RowFile file;
    file.fullName = flat ? std::string(nameText) : std::string(location) + std::string(nameText);
    file.phonePath = file.fullName;
    if (fileSystemFlag) {
        const std::string volume = std::string(kFlashVolume) + "/";
        if (file.phonePath.starts_with(volume)) file.phonePath.erase(0, volume.size());
    }
    return file;
}

FileCommands::FileCommands(FileCommandPorts ports) : m_ports(std::move(ports)) {}

std::string FileCommands::ListLocation() const {
    const NodeId node = m_ports.tree.Selection();
    return node == kNoNode ? std::string() : m_ports.tree.NodePath(node, "/");
}

std::vector<RowFile> FileCommands::RowFiles() const {
    const bool flat = m_ports.list.DisplayMode() == kDisplayFlat;
    const std::string location = flat ? std::string() : ListLocation();
    const bool fileSystemFlag = m_ports.window.FileSystemFlag();
    std::vector<RowFile> files;
    files.reserve(m_ports.list.Rows().size());
    for (const ListRow& row : m_ports.list.Rows()) {
        files.push_back(RowFileFor(row.cells[kColumnName], flat, location, fileSystemFlag));
    }
    return files;
}

std::vector<RowFile> FileCommands::SelectedFiles(std::string_view location) const {
    const bool flat = m_ports.list.DisplayMode() == kDisplayFlat;
    const bool fileSystemFlag = m_ports.window.FileSystemFlag();
    std::vector<RowFile> files;
    for (int row : m_ports.list.SelectedRows()) {
        files.push_back(
            RowFileFor(m_ports.list.Rows()[static_cast<std::size_t>(row)].cells[kColumnName], flat,
                       location, fileSystemFlag));
    }
    return files;
}

void FileCommands::ForgetFile(const RowFile& file) {
    const std::int32_t removed = m_ports.files.Remove(file.fullName);
    if (removed == 0) return;
    m_ports.files.SetCount(std::max(0, m_ports.files.Count() - removed));
    m_ports.tree.SetEntryCount(std::max(0, m_ports.tree.EntryCount() - removed));
}

void FileCommands::RemoveRowsOf(const std::set<std::string>& deletedNames) {
    if (deletedNames.empty()) return;
    const std::vector<RowFile> files = RowFiles();
    int removed = 0;
    for (std::size_t i = 0; i < files.size(); ++i) {
        if (!deletedNames.contains(files[i].fullName)) continue;
        m_ports.list.DeleteRow(static_cast<int>(i) - removed);
        ++removed;
    }
    if (removed == 0) return;
    // Folder rows name their entry's index, which moved when entries before it went.
    if (m_ports.list.DisplayMode() != kDisplayFlat) {
        const std::vector<RowFile> left = RowFiles();
        for (std::size_t i = 0; i < left.size(); ++i) {
            const std::int32_t index = m_ports.files.Find(left[i].fullName);
            if (index >= 0) {
                m_ports.list.SetCell(static_cast<int>(i), kColumnEntryIndex, std::to_string(index));
            }
        }
    }
    m_ports.window.RowsChanged();
}

void FileCommands::ShowAttributes(const RowFile& file, std::uint32_t attributes) {
    const std::int32_t index = m_ports.files.Find(file.fullName);
    if (index < 0) return;
    m_ports.files.Update(index, [&](FileEntry& entry) {
        entry.attributes = static_cast<std::uint16_t>(attributes & 0xFFFF);
    });
    const std::vector<RowFile> files = RowFiles();
    for (std::size_t i = 0; i < files.size(); ++i) {
        if (files[i].fullName == file.fullName) {
            m_ports.list.SetCell(static_cast<int>(i), kColumnAttributes, Decimal(attributes));
        }
    }
}

void FileCommands::Delete() {
    if (m_ports.jobBusy && m_ports.jobBusy()) return;
    // Nothing to delete: say so rather than ask about it.
    if (m_ports.list.SelectedRows().empty()) {
        m_ports.prompts.Message(LoadLangString(kStrFileNotSelected), kTitleVelmora,
                                PromptIcon::Information);
        return;
    }
    const PromptAnswer answer =
        m_ports.prompts.MessageBox({LoadLangString(kStrConfirmDelete), kTitleVelmora,
                                    PromptIcon::Question, PromptButtons::YesNo});
    if (answer != PromptAnswer::Yes) {
        m_ports.window.SetStatusText(kStatusMessagePart, LoadLangString(kStrDeletingCanceled));
        return;
    }
    StartDeleteJob();
}

bool FileCommands::StartDeleteJob() {
    // The files are fixed here, by name, before anything is sent: whatever the list shows
    // later, the job deletes what the user confirmed and removes exactly those rows.
    if (m_ports.list.SelectedRows().empty()) {
        m_ports.prompts.Message(LoadLangString(kStrFileNotSelected), kTitleVelmora,
                                PromptIcon::Information);
        return false;
    }
    const bool flat = m_ports.list.DisplayMode() == kDisplayFlat;
    const std::string location = ListLocation();
    if (location.empty() && !flat) {
        m_ports.prompts.Message(LoadLangString(kStrPathNotSelectedOnTree), kTitleVelmora,
                                PromptIcon::Information);
        return false;
    }
    auto job = std::make_shared<DeleteJob>();
    job->window = m_ports.jobWindow;
    job->library = &m_ports.library;
    job->side = this;
    job->files = SelectedFiles(flat ? std::string() : location);
    return m_ports.startJob([job] { RunDeleteJob(*job); });
}

bool FileCommands::StartAttributeJob(const AttributeRequest& request) {
    if (request.rows.empty()) return false;
    if (m_ports.jobBusy && m_ports.jobBusy()) return false;
    auto job = std::make_shared<AttributeJob>();
    job->window = m_ports.jobWindow;
    job->library = &m_ports.library;
    job->side = this;
    job->setMask = request.setMask;
    job->keepMask = request.keepMask;
    const bool flat = m_ports.list.DisplayMode() == kDisplayFlat;
    const bool fileSystemFlag = m_ports.window.FileSystemFlag();
    for (int row : request.rows) {
        if (row < 0 || row >= m_ports.list.RowCount()) continue;
        const ListRow& r = m_ports.list.Rows()[static_cast<std::size_t>(row)];
        job->targets.push_back(
            {RowFileFor(r.cells[kColumnName], flat, request.location, fileSystemFlag),
             static_cast<std::uint32_t>(CellNumber(r.cells[kColumnAttributes]))});
    }
    return m_ports.startJob([job] { RunAttributeJob(*job); });
}

void FileCommands::Properties() {
    const bool flat = m_ports.list.DisplayMode() == kDisplayFlat;
    if (!flat) m_location = ListLocation();
    PropertiesModel model(m_ports.list, m_ports.files, flat, m_location);
    if (model.Empty()) {
        m_ports.prompts.Message(LoadLangString(kStrFileNotSelected), kTitleVelmora,
                                PromptIcon::Information);
    }
    if (!m_ports.showProperties || !m_ports.showProperties(model)) return;
    StartAttributeJob(model.Ok());
}

}  // namespace velmora
