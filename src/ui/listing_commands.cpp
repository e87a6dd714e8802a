#include "ui/listing_commands.h"

#include <utility>

#include "base/lang_string.h"
#include "base/phone_text.h"
#include "fsac/file_search.h"
#include "fsac/fsac_records.h"
#include "phone/open_channel.h"
#include "transfer/job.h"

namespace velmora {

namespace {

// What the reader takes along to its thread. The commands object is reached only through the
// proxy's Call, which does not run once the window is gone.
struct ReaderJob {
    std::shared_ptr<JobWindowProxy> window;
    PstLibrary* library = nullptr;
    FileList* files = nullptr;
    IconSource* icons = nullptr;
    VolumeTree* tree = nullptr;
    ListingCommands* commands = nullptr;
    std::function<void()> showReadEntries;
    bool fileSystemFlag = false;
    std::int32_t count = 0;
};

// Hands each reply's entries to the window in one trip: the per-entry messages in order,
// then the tree's new entry count.
class ReaderHost final : public EntryReaderHost {
  public:
    ReaderHost(ReaderJob& job, JobRun& run) : m_job(job), m_run(run) {}

    void EntryRead(std::int32_t index) override { m_pending.push_back(index); }
    void EntriesFilled(std::int32_t count) override {
        m_job.window->Call([&] {
            for (std::int32_t index : m_pending) m_job.commands->OnGetFileInfo(index);
            m_job.tree->SetEntryCount(count);
        });
        m_pending.clear();
    }
    bool StopRequested() override { return m_run.StopRequested(); }

  private:
    ReaderJob& m_job;
    JobRun& m_run;
    std::vector<std::int32_t> m_pending;
};

void SetTreeEntryCount(ReaderJob& job, std::int32_t count) {
    job.window->Call([&] { job.tree->SetEntryCount(count); });
}

void RunEntryReader(ReaderJob& job) {
    JobRun run(*job.window);
    auto channel = OpenChannel(ChannelCommand::EntryReader, *job.library, job.window->WindowPhone(),
                               job.window->WindowPrompts());
    if (!channel) {
        // Reported; nothing was read, so nothing stays announced.
        job.files->SetCount(0);
        SetTreeEntryCount(job, 0);
        return;
    }
    run.Lock();

    ReaderHost host(job, run);
    const EntryReadResult result =
        ReadEntries(*channel, *job.files, *job.icons, job.fileSystemFlag, job.count, host);
    switch (result.end) {
        case EntryReadEnd::SendFailed:
        case EntryReadEnd::BadReply:
            // Reported by the channel; the entries read stay, and only they are announced.
            run.Unlock();
            SetTreeEntryCount(job, result.entriesRead);
            return;
        case EntryReadEnd::Interrupted:
            job.window->SetStatusText(kStatusMessagePart, LoadLangString(kStrReadingInterrupted));
            break;
        case EntryReadEnd::Complete:
            break;
    }
    run.Unlock();
    job.window->Call(job.showReadEntries);
}

}  // namespace

ListingCommands::ListingCommands(ListingPorts ports) : m_ports(std::move(ports)) {}

void ListingCommands::ClearForReading() {
    m_ports.window.ShowWaitCursor();
    m_ports.files.Clear();
    m_ports.list.DeleteAllRows();
    m_ports.tree.ResetTree(true);
    m_ports.window.ShowModelAndVersion();
}

std::int32_t ListingCommands::SearchStart(const std::vector<std::uint8_t>& request) {
    auto channel =
        OpenChannel(ChannelCommand::FileSearch, m_ports.library, m_ports.window, m_ports.prompts);
    if (!channel) return -1;
    const auto count = SendSearchStart(*channel, request);
    if (!count) return -1;
    m_ports.window.SetStatusText(kStatusMessagePart, LoadLangString(kStrReadingFileList));
    return *count;
}

void ListingCommands::PrepareReading(std::int32_t count) {
    m_ports.window.SetOverallRange(count);
    m_ports.window.SetOverallPosition(0);
    m_ports.files.Allocate(count);
}

void ListingCommands::GetFileList() {
    if (m_ports.jobBusy && m_ports.jobBusy()) return;
    if (!m_ports.window.LibraryReady()) {
        ReportChannelFailure({kStrCantInitPhoneInterface, kTitlePhoneInterfaceLower},
                             kStatusMessagePart, m_ports.window, m_ports.prompts);
        return;
    }
    const int volumes = m_ports.window.VolumeCount();
    if (m_ports.window.CurrentVolumeLetter() == 0 && volumes > 1) {
        m_ports.prompts.Message(LoadLangString(kStrVolumeNotSelected), kTitleVelmora,
                                PromptIcon::Information);
        return;
    }
    const std::uint8_t letter = volumes > 1 ? m_ports.window.CurrentVolumeLetter() : 'a';
    m_ports.window.SetCurrentVolumeLetter(letter);
    m_listedLetter = letter;

    ClearForReading();
    // The whole-volume pattern keeps its separator whatever the file-system flag says.
    const std::int32_t count = SearchStart(BuildVolumeSearchRequest(static_cast<char>(letter)));
    if (count < 0) return;
    PrepareReading(count);
    m_ports.list.SetDisplayMode(kDisplayFolder);
    StartReader();
}

void ListingCommands::Search() {
    if (m_ports.jobBusy && m_ports.jobBusy()) return;
    if (!m_ports.window.LibraryReady()) {
        ReportChannelFailure({kStrCantInitPhoneInterface, kTitlePhoneInterfaceLower},
                             kStatusMessagePart, m_ports.window, m_ports.prompts);
        return;
    }
    const std::string text(LeadingCharacters(m_ports.window.MaskText(), kMaxMaskChars));
    // Refused before anything is sent or cleared: the pattern buffer cannot hold it.
    auto request = BuildSearchStartRequest(text, m_ports.window.FileSystemFlag());
    if (!request) {
        m_ports.prompts.Message(request.ErrorText(), kTitleVelmora, PromptIcon::Information);
        return;
    }

    ClearForReading();
    const std::int32_t count = SearchStart(request.Value());
    if (count < 0) return;
    if (count == 0) {
        m_ports.files.SetCount(0);
        m_ports.window.SetStatusText(kStatusMessagePart, LoadLangString(kStrNoFilesFound));
        return;
    }
    PrepareReading(count);

    m_ports.history.Remember(text);
    m_ports.window.SetMaskChoices(m_ports.history.Masks());
    // Only into an existing key; a failed write goes unnoticed, as every settings write.
    m_ports.history.Store(m_ports.user);

    m_ports.list.SetDisplayMode(kDisplayFlat);
    StartReader();
}

void ListingCommands::StartReader() {
    auto job = std::make_shared<ReaderJob>();
    job->window = m_ports.jobWindow;
    job->library = &m_ports.library;
    job->files = &m_ports.files;
    job->icons = &m_ports.icons;
    job->tree = &m_ports.tree;
    job->commands = this;
    job->showReadEntries = [this] { ShowReadEntries(); };
    job->fileSystemFlag = m_ports.window.FileSystemFlag();
    job->count = m_ports.files.Count();
    if (!m_ports.startJob([job] { RunEntryReader(*job); })) {
        // No reader: nothing will arrive, so nothing is announced.
        m_ports.files.SetCount(0);
        m_ports.window.SetStatusText(kStatusMessagePart, LoadLangString(kStrOperationFailed));
    }
}

void ListingCommands::OnGetFileInfo(std::int32_t n) {
    m_ports.window.SetOverallPosition(n + 1);
    m_ports.window.SetStatusText(kStatusMessagePart,
                                 ReadingProgressText(n + 1, m_ports.files.Count()));
    if (n < m_ports.list.RowCount()) {
        if (auto entry = m_ports.files.Entry(n)) m_ports.list.UpdateRow(n, *entry);
    }
}

void ListingCommands::ShowReadEntries() {
    const std::int32_t count = m_ports.files.Count();
    m_ports.tree.SetEntryCount(count);
    if (m_ports.list.DisplayMode() == kDisplayFlat) {
        // A single find shows too: as a flat row, then in its folder once the tree finds it.
        if (count > 0) {
            m_ports.list.FillFlat(m_ports.files);
            m_ports.window.RowsFilled();
        }
        m_ports.tree.ExpandLastBranch();
    } else {
        // The volume the user listed stays selected, and with it its free space.
        m_ports.tree.ShowVolume(m_listedLetter);
    }
}

}  // namespace velmora
