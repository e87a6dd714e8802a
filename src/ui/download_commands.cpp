#include "ui/download_commands.h"

#include <limits>
#include <utility>
#include <vector>

#include "base/lang_string.h"
#include "jobs/download_job.h"
#include "phone/open_channel.h"
#include "transfer/phone_file_reader.h"
#include "ui/file_commands.h"
#include "ui/main_window_ids.h"

namespace velmora {

namespace {

constexpr int kStrLargeFile = 161;
constexpr int kStrTakesLong = 162;

void RejectSize(Prompts& prompts, const std::string& name, std::int64_t size) {
    prompts.Message(FormatLangString(kStrFileTooLarge, {name, std::to_string(size)}), kTitleVelmora,
                    PromptIcon::Information);
}

void RejectInput(Prompts& prompts, const std::string& text) {
    prompts.Message(text, kTitleVelmora, PromptIcon::Information);
}

}  // namespace

DownloadCommands::DownloadCommands(DownloadPorts ports) : m_ports(std::move(ports)) {}

std::optional<FileEntry> DownloadCommands::RowEntry(int row, bool flat,
                                                    const std::string& folderPath) const {
    const ListRow& cells = m_ports.list.Rows()[static_cast<std::size_t>(row)];
    const RowFile file = RowFileFor(cells.cells[kColumnName], flat, folderPath, false);
    return m_ports.files.Entry(m_ports.files.Find(file.fullName));
}

std::string DownloadCommands::RowName(int row) const {
    return m_ports.list.Rows()[static_cast<std::size_t>(row)].cells[kColumnName];
}

void DownloadCommands::Download() {
    if (m_ports.jobBusy && m_ports.jobBusy()) return;
    if (!m_ports.window.LibraryReady()) {
        ReportChannelFailure({kStrCantInitPhoneInterface, kTitlePhoneInterfaceLower},
                             kStatusMessagePart, m_ports.window, m_ports.prompts);
        return;
    }
    if (!m_ports.files.HasStorage()) {
        m_ports.prompts.Message(LoadLangString(kStrFileListEmpty), kTitleVelmora,
                                PromptIcon::Information);
        m_ports.window.SetStatusText(kStatusMessagePart, LoadLangString(kStrOperationFailed));
        return;
    }

    const std::vector<int> rows = m_ports.list.SelectedRows();
    if (rows.empty()) return RejectInput(m_ports.prompts, LoadLangString(kStrFileNotSelected));
    const bool flat = m_ports.list.DisplayMode() == kDisplayFlat;
    const NodeId start = m_ports.tree.Selection();
    if (!flat && start == kNoNode) {
        return RejectInput(m_ports.prompts, LoadLangString(kStrPathNotSelectedOnTree));
    }

    // The files are fixed here, from their entries: later list changes do not move the job.
    const std::string folderPath =
        start == kNoNode ? std::string() : m_ports.tree.NodePath(start, "/");
    const bool fileSystemFlag = m_ports.fileSystemFlag();
    auto job = std::make_shared<DownloadJob>();
    std::int64_t total = 0;
    std::optional<int> negative;  // the first row whose size cannot be sent
    for (int row : rows) {
        const auto entry = RowEntry(row, flat, folderPath);
        if (!entry) continue;
        FileToRead file = FileToReadOf(*entry, fileSystemFlag);
        if (file.size < 0 && !negative) negative = row;
        total += file.size;
        job->files.push_back(std::move(file));
    }
    if (job->files.empty())
        return RejectInput(m_ports.prompts, LoadLangString(kStrFileNotSelected));
    // Sizes and counts are signed 32-bit on the wire and on the bars: refused before anything
    // is sent rather than read wrong.
    if (negative) {
        const auto entry = RowEntry(*negative, flat, folderPath);
        return RejectSize(m_ports.prompts, RowName(*negative), entry->size);
    }
    if (total > std::numeric_limits<std::int32_t>::max()) {
        return RejectInput(m_ports.prompts,
                           FormatLangString(kStrJobTooLarge, {std::to_string(total)}));
    }
    job->window = m_ports.jobWindow;
    job->library = &m_ports.library;
    job->clock = &m_ports.clock;
    m_ports.startJob([job] { RunDownload(*job); });
}

void DownloadCommands::Open(std::int32_t row) {
    if (m_ports.jobBusy && m_ports.jobBusy()) return;
    if (row < 0 || row >= m_ports.list.RowCount()) return;
    const bool flat = m_ports.list.DisplayMode() == kDisplayFlat;
    const std::string folderPath =
        flat ? std::string() : m_ports.tree.NodePath(m_ports.tree.Selection(), "/");
    const auto entry = RowEntry(row, flat, folderPath);
    if (!entry) return;
    FileToRead file = FileToReadOf(*entry, m_ports.fileSystemFlag());
    if (file.size < 0) return RejectSize(m_ports.prompts, RowName(row), file.size);
    if (file.size > kLargeFileLimit) {
        const PromptAnswer answer = m_ports.prompts.MessageBox(
            {LoadLangString(kStrLargeFile) + "\n" + LoadLangString(kStrTakesLong), kTitleVelmora,
             PromptIcon::Question, PromptButtons::YesNo});
        if (answer != PromptAnswer::Yes) return;
    }
    auto job = std::make_shared<OpenJob>();
    job->window = m_ports.jobWindow;
    job->library = &m_ports.library;
    job->clock = &m_ports.clock;
    job->shell = &m_ports.shell;
    job->openFolder = m_ports.openFolder;
    job->file = std::move(file);
    m_ports.startJob([job] { RunOpen(*job); });
}

}  // namespace velmora
