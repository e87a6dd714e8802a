#include "ui/download_commands.h"

#include <sys/stat.h>

#include <cctype>
#include <limits>
#include <set>
#include <utility>
#include <vector>

#include "base/lang_string.h"
#include "phone/open_channel.h"
#include "transfer/job.h"
#include "transfer/local_file.h"
#include "transfer/phone_file_reader.h"
#include "transfer/replace_question.h"
#include "transfer/temp_open_file.h"
#include "transfer/transfer_progress.h"
#include "ui/main_window_ids.h"

namespace velmora {

namespace {

constexpr int kStrDownloadCanceled = 122;
constexpr int kStrLargeFile = 161;
constexpr int kStrTakesLong = 162;
constexpr int kStrSaveAs = 456;

// What a job takes along to its thread. The window's models are reached only through the
// proxy's Call, which does not run once the window is gone.
struct ReadJob {
    std::shared_ptr<JobWindowProxy> window;
    PstLibrary* library = nullptr;
    VolumeTree* tree = nullptr;
    FileListCtrl* list = nullptr;
    Shell* shell = nullptr;
    Clock* clock = nullptr;
    bool fileSystemFlag = false;
    std::string openFolder;
};

struct RowTexts {
    std::string name;
    std::int32_t size = 0;
};

// Row `row`'s texts as the list shows them now; nothing when the row or the window is gone.
std::optional<RowTexts> ReadRow(ReadJob& job, int row) {
    std::optional<RowTexts> texts;
    job.window->Call([&] {
        if (row < 0 || row >= job.list->RowCount()) return;
        const ListRow& cells = job.list->Rows()[static_cast<std::size_t>(row)];
        texts = RowTexts{cells.cells[kColumnName], RowSize(cells.cells[kColumnSize])};
    });
    return texts;
}

void RejectSize(Prompts& prompts, const std::string& name, std::int64_t size) {
    prompts.Message(FormatLangString(kStrFileTooLarge, {name, std::to_string(size)}), kTitleVelmora,
                    PromptIcon::Information);
}

void RejectName(Prompts& prompts, const std::string& name) {
    prompts.Message(FormatLangString(kStrBadPhoneName, {name}), kTitleVelmora,
                    PromptIcon::Information);
}

struct Selection {
    std::vector<RowTexts> rows;  // fixed at the job's start: later list changes do not move it
    bool flat = false;
    bool haveFolder = false;
    std::string folderPath;
    std::int64_t total = 0;
    std::optional<RowTexts> negative;  // the first row whose size cannot be sent
};

// What is at path now, for the replace question; nothing when there is nothing.
std::optional<ExistingFile> LocalTarget(const std::string& folder, const std::string& name) {
    struct stat existing {};
    if (lstat((folder + name).c_str(), &existing) != 0) return std::nullopt;
    return ExistingFile{name, folder, existing.st_size, existing.st_mtime};
}

// Where each file of a download goes: the name typed in the save dialog for the first, the
// phone name for the others, and for a name that exists or that this job already gave, the
// user's choice. Two files of one job never end up as one.
class DownloadTargets {
  public:
    DownloadTargets(Prompts& prompts, std::string folder)
        : m_question(prompts), m_folder(std::move(folder)) {}

    struct Target {
        std::string name;
        bool replaces = false;  // an existing file the user agreed to replace
    };
    // Nothing: skipped. Cancelled when the user ended the job.
    std::optional<Target> Decide(const std::string& name, bool confirmedByDialog, bool moreToCome) {
        Target target{name, confirmedByDialog};
        std::optional<ConflictKind> kind;
        std::optional<ExistingFile> existing = LocalTarget(m_folder, name);
        if (m_given.contains(name)) {
            kind = ConflictKind::SameJob;
            if (!existing) existing = ExistingFile{name, m_folder, {}, {}};
        } else if (existing && !confirmedByDialog) {
            kind = ConflictKind::LocalFile;
        }
        if (kind) {
            switch (m_question.Ask(*kind, *existing, moreToCome)) {
                case ConflictChoice::Replace:
                    target.replaces = true;
                    break;
                case ConflictChoice::KeepBoth:
                    target.name = KeepBothName(name, [&](const std::string& candidate) {
                        return m_given.contains(candidate) || LocalTarget(m_folder, candidate);
                    });
                    target.replaces = false;
                    break;
                case ConflictChoice::Skip:
                    return std::nullopt;
                case ConflictChoice::Cancel:
                    m_cancelled = true;
                    return std::nullopt;
            }
        }
        m_given.insert(target.name);
        return target;
    }
    bool cancelled() const { return m_cancelled; }

  private:
    ReplaceQuestion m_question;
    std::string m_folder;
    std::set<std::string> m_given;
    bool m_cancelled = false;
};

void RunDownload(ReadJob& job) {
    JobRun run(*job.window);
    JobWindow& window = *job.window;
    Prompts& prompts = window.WindowPrompts();

    Selection selection;
    const bool reached = job.window->Call([&] {
        selection.flat = job.list->DisplayMode() == kDisplayFlat;
        const NodeId start = job.tree->Selection();
        selection.haveFolder = start != kNoNode;
        if (selection.haveFolder) selection.folderPath = job.tree->NodePath(start, "/");
        for (int row : job.list->SelectedRows()) {
            const ListRow& cells = job.list->Rows()[static_cast<std::size_t>(row)];
            const RowTexts texts{cells.cells[kColumnName], RowSize(cells.cells[kColumnSize])};
            if (texts.size < 0 && !selection.negative) selection.negative = texts;
            selection.total += texts.size;
            selection.rows.push_back(texts);
        }
    });
    if (!reached) return;
    if (selection.rows.empty()) return run.RejectInput(kStrFileNotSelected);
    if (!selection.flat && !selection.haveFolder) return run.RejectInput(kStrPathNotSelectedOnTree);
    // Sizes and counts are signed 32-bit on the wire and on the bars: refused before anything
    // is sent rather than read wrong.
    if (selection.negative) {
        return RejectSize(prompts, selection.negative->name, selection.negative->size);
    }
    if (selection.total > std::numeric_limits<std::int32_t>::max()) {
        return run.RejectInput(
            FormatLangString(kStrJobTooLarge, {std::to_string(selection.total)}));
    }

    const auto total = static_cast<std::int32_t>(selection.total);
    run.StartProgress(total, LoadLangString(kStrReadingFromPhone));
    run.ShowFileBarFor(static_cast<std::int32_t>(selection.rows.size()));
    TransferMeter meter(run, *job.clock, TransferDirection::Reading, total);

    const RowPaths first = PathsForRow(selection.rows.front().name, selection.flat,
                                       selection.folderPath, job.fileSystemFlag);
    // The dialog asks before the chosen path is replaced; its name is the first file's.
    const auto chosen =
        prompts.SaveFile({LoadLangString(kStrSaveAs), "",
                          IsSafeLocalName(first.localName) ? first.localName : std::string()});
    if (!chosen) {
        window.SetStatusText(kStatusMessagePart, LoadLangString(kStrDownloadCanceled));
        return;
    }
    const std::string destination = chosen->substr(0, chosen->rfind('/') + 1);
    const std::string typedName = chosen->substr(destination.size());
    // The time the user spent in the dialog is not transfer time.
    meter.Start();
    RemoveStalePartFiles(destination);
    DownloadTargets targets(prompts, destination);

    for (std::size_t k = 0; k < selection.rows.size(); ++k) {
        const RowTexts& row = selection.rows[k];
        const RowPaths paths =
            PathsForRow(row.name, selection.flat, selection.folderPath, job.fileSystemFlag);
        if (!IsSafeLocalName(paths.localName)) {
            RejectName(prompts, paths.localName);
            continue;
        }
        const bool typed = k == 0 && IsSafeLocalName(typedName);
        const auto target = targets.Decide(typed ? typedName : paths.localName, typed,
                                           k + 1 < selection.rows.size());
        if (targets.cancelled()) {
            window.SetStatusText(kStatusMessagePart, LoadLangString(kStrDownloadInterrupted));
            return;
        }
        if (!target) continue;

        run.Lock();
        auto channel = OpenFileChannel(run, *job.library);
        if (!channel) {
            if (run.failed()) return;
            continue;  // no device: reported, the next file may find one
        }
        // A file that could not be written is no progress: the message part says so.
        auto localFailure = [&](const LocalFile& failed) {
            ReportLocalFileFailure(run, failed);
            window.SetStatusText(kStatusMessagePart, LoadLangString(kStrOperationFailed));
        };
        LocalFile file;
        if (!file.CreateStaged(destination, target->name)) {
            localFailure(file);
            continue;
        }
        meter.StartFile(row.size);
        const PhoneReadEnd end =
            ReadPhoneFile(*channel, run, meter, paths.phonePath, row.size, file, [&] {
                if (!file.Commit(target->replaces ? CommitMode::Replace : CommitMode::NoReplace))
                    localFailure(file);
            });
        if (end == PhoneReadEnd::Failed || end == PhoneReadEnd::Stopped) return;
    }
}

void RunOpen(ReadJob& job, const std::string& phonePath, std::int32_t item) {
    JobRun run(*job.window);
    const auto row = ReadRow(job, item);
    if (!row) return;
    const std::int32_t size = row->size;
    if (size < 0) return RejectSize(job.window->WindowPrompts(), row->name, size);

    run.StartProgress(size, LoadLangString(kStrReadingFromPhone));
    TransferMeter meter(run, *job.clock, TransferDirection::Reading, size);
    meter.Start();
    run.Lock();
    auto channel = OpenFileChannel(run, *job.library);
    if (!channel) return;

    int error = 0;
    if (!EnsurePrivateFolder(job.openFolder, &error)) {
        job.window->WindowPrompts().Message(
            FormatLangString(kStrCantMakeOpenFolder, {job.openFolder, SystemReason(error)}),
            kTitleVelmora, PromptIcon::Stop);
        return;
    }
    LocalFile file;
    if (!CreateOpenFile(job.openFolder, phonePath, *job.clock, file)) {
        return ReportLocalFileFailure(run, file);
    }
    meter.StartFile(size);
    ReadPhoneFile(*channel, run, meter, phonePath, size, file, [&] {
        if (!file.Commit()) return ReportLocalFileFailure(run, file);
        // The chooser only when the default program did not start.
        if (!job.shell->OpenFile(file.Path(), job.openFolder).ok) {
            job.shell->OpenFileWith(file.Path(), job.openFolder);
        }
    });
}

}  // namespace

std::int32_t RowSize(const std::string& cell) {
    std::size_t at = 0;
    while (at < cell.size() && std::isspace(static_cast<unsigned char>(cell[at]))) ++at;
    bool negative = false;
    if (at < cell.size() && (cell[at] == '+' || cell[at] == '-')) negative = cell[at++] == '-';
    std::int64_t value = 0;
    constexpr std::int64_t kLimit = std::int64_t{1} << 31;
    for (; at < cell.size() && std::isdigit(static_cast<unsigned char>(cell[at])); ++at) {
        value = std::min(value * 10 + (cell[at] - '0'), kLimit);
    }
    if (negative) value = -value;
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(
        value, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()));
}

RowPaths PathsForRow(const std::string& rowText, bool flatMode, const std::string& folderPath,
                     bool fileSystemFlag) {
    std::string folder = folderPath;
    std::string name = rowText;
    if (flatMode) {
        const auto slash = rowText.rfind('/');
        folder = slash == std::string::npos ? std::string() : rowText.substr(0, slash + 1);
        name = slash == std::string::npos ? rowText : rowText.substr(slash + 1);
    }
    return {fileSystemFlag ? name : folder + name, name};
}

DownloadCommands::DownloadCommands(DownloadPorts ports) : m_ports(std::move(ports)) {}

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
    auto job = std::make_shared<ReadJob>(ReadJob{m_ports.jobWindow, &m_ports.library, &m_ports.tree,
                                                 &m_ports.list, &m_ports.shell, &m_ports.clock,
                                                 m_ports.fileSystemFlag(), m_ports.openFolder});
    m_ports.startJob([job] { RunDownload(*job); });
}

void DownloadCommands::Open(std::int32_t row) {
    if (m_ports.jobBusy && m_ports.jobBusy()) return;
    if (row < 0 || row >= m_ports.list.RowCount()) return;
    const ListRow& cells = m_ports.list.Rows()[static_cast<std::size_t>(row)];
    const bool flat = m_ports.list.DisplayMode() == kDisplayFlat;
    const std::string folderPath =
        flat ? std::string() : m_ports.tree.NodePath(m_ports.tree.Selection(), "/");
    const bool fileSystemFlag = m_ports.fileSystemFlag();
    std::string openPath =
        PathsForRow(cells.cells[kColumnName], flat, folderPath, fileSystemFlag).phonePath;

    const std::int32_t size = RowSize(cells.cells[kColumnSize]);
    if (size < 0) return RejectSize(m_ports.prompts, cells.cells[kColumnName], size);
    if (size > kLargeFileLimit) {
        const PromptAnswer answer = m_ports.prompts.MessageBox(
            {LoadLangString(kStrLargeFile) + "\n" + LoadLangString(kStrTakesLong), kTitleVelmora,
             PromptIcon::Question, PromptButtons::YesNo});
        if (answer != PromptAnswer::Yes) return;
    }
    auto job = std::make_shared<ReadJob>(ReadJob{m_ports.jobWindow, &m_ports.library, &m_ports.tree,
                                                 &m_ports.list, &m_ports.shell, &m_ports.clock,
                                                 fileSystemFlag, m_ports.openFolder});
    m_ports.startJob([job, path = std::move(openPath), row] { RunOpen(*job, path, row); });
}

}  // namespace velmora
