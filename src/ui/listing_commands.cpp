#include "ui/listing_commands.h"

#include <algorithm>
#include <array>
#include <mutex>
#include <utility>

#include "base/lang_string.h"
#include "base/phone_text.h"
#include "fsac/file_search.h"
#include "fsac/fsac_records.h"
#include "fsac/volume_queries.h"
#include "phone/open_channel.h"
#include "transfer/job.h"
#include "transfer/phone_file_reader.h"

namespace velmora {

namespace {

constexpr int kStrIncompleteFile = 510;
constexpr int kStrIncompleteFiles = 511;
constexpr int kStrIncompleteFileLine = 512;
constexpr int kStrDeleteThem = 513;
constexpr int kStrCantDeleteIncomplete = 514;

// What the listing takes along to its thread. The commands object is reached only on the
// window's thread while the window is there (the proxy's Call and posted count).
struct ReaderJob {
    std::shared_ptr<JobWindowProxy> window;
    PstLibrary* library = nullptr;
    FileList* files = nullptr;
    ListingCommands* commands = nullptr;
    PhoneQuery rootQuery;               // the model and the version on the tree's root
    std::vector<std::uint8_t> request;  // search start
    std::optional<std::string> mask;    // a search's mask text; none for Get File List
    bool fileSystemFlag = false;
    std::int32_t count = 0;  // what search start announced
    // Set when a whole volume is read: the journal's entries under volumePrefix are checked.
    UploadJournal* journal = nullptr;
    std::string volumePrefix;
};

// Passes each reply's count of filled entries on to the window, posted and coalesced: the
// reader runs at link speed, not at the window's pace.
class ReaderHost final : public EntryReaderHost {
  public:
    ReaderHost(ReaderJob& job, JobRun& run) : m_job(job), m_run(run) {}

    void EntryRead(std::int32_t) override {}
    void EntriesFilled(std::int32_t count) override {
        m_job.window->PostLatest([commands = m_job.commands, count, total = m_job.count] {
            commands->OnEntriesRead(count, total);
        });
    }
    bool StopRequested() override { return m_run.StopRequested(); }

  private:
    ReaderJob& m_job;
    JobRun& m_run;
};

struct ShortFile {
    UploadJournalEntry entry;
    std::int32_t listedSize = 0;
};

// Path, size reached and size meant, in the text of string id.
std::string ShortFileText(int id, const ShortFile& file) {
    return FormatLangString(id, {file.entry.phonePath, std::to_string(file.listedSize),
                                 std::to_string(file.entry.expectedSize)});
}

std::string ShortFileQuestion(const std::vector<ShortFile>& files) {
    if (files.size() == 1) return ShortFileText(kStrIncompleteFile, files[0]);
    std::string text = LoadLangString(kStrIncompleteFiles) + "\n";
    for (const auto& file : files) text += ShortFileText(kStrIncompleteFileLine, file) + "\n";
    return text + LoadLangString(kStrDeleteThem);
}

// The journal's entries for this phone and volume whose file the listing holds short of its
// size: a crash cut their upload off. Asked once for all; Yes deletes them over the reader's
// channel, No keeps them for the next listing. An entry whose file is missing or whole is
// done with. Returns how many entries left FileList.
std::int32_t OfferShortFiles(ReaderJob& job, CommandChannel& channel) {
    std::vector<ShortFile> found;
    for (auto& entry : job.journal->Pending(channel.DeviceId())) {
        if (!entry.phonePath.starts_with(job.volumePrefix)) continue;
        const std::int32_t index = job.files->Find(entry.phonePath);
        const auto listed = index >= 0 ? job.files->Entry(index) : std::nullopt;
        // Sizes of 2 GB and more read negative; no upload is that large.
        if (listed && listed->size >= 0 && listed->size < entry.expectedSize) {
            found.push_back({std::move(entry), listed->size});
        } else {
            job.journal->Forget(entry.id);
        }
    }
    if (found.empty()) return 0;
    const PromptAnswer answer = job.window->WindowPrompts().MessageBox(
        {ShortFileQuestion(found), kTitleVelmora, PromptIcon::Question, PromptButtons::YesNo});
    if (answer != PromptAnswer::Yes) return 0;

    std::vector<std::string> deleted;
    const std::string flashPrefix = std::string(kFlashVolume) + "/";
    for (const auto& file : found) {
        // Phones without folders know the file by its bare name.
        std::string_view phonePath = file.entry.phonePath;
        if (job.fileSystemFlag && phonePath.starts_with(flashPrefix)) {
            phonePath.remove_prefix(flashPrefix.size());
        }
        auto request = BuildDeleteRequest(phonePath);
        std::array<std::uint8_t, 2> scratch{};
        if (!request || !channel.SendQuietly(kFsacCommand, request.Value(), scratch)) {
            job.window->SetStatusText(kStatusMessagePart, FormatLangString(kStrCantDeleteIncomplete,
                                                                           {file.entry.phonePath}));
            continue;
        }
        job.journal->Forget(file.entry.id);
        deleted.push_back(file.entry.phonePath);
    }
    std::int32_t removed = 0;
    job.window->Call([&] {
        for (const auto& path : deleted) removed += job.files->Remove(path);
        job.files->SetCount(std::max(0, job.files->Count() - removed));
    });
    return removed;
}

// The root's texts, search start, then what the window shows of it; false when nothing is to
// be read.
bool StartSearch(ReaderJob& job) {
    if (job.rootQuery) {
        if (QueryResult shown =
                job.rootQuery(job.window->WindowPhone(), job.window->WindowPrompts()))
            job.window->Call(shown);
    }
    auto channel = OpenChannel(ChannelCommand::FileSearch, *job.library, job.window->WindowPhone(),
                               job.window->WindowPrompts());
    if (!channel) return false;
    const auto count = SendSearchStart(*channel, job.request);
    if (!count) return false;
    job.count = *count;
    bool read = false;
    job.window->Call([&] { read = job.commands->SearchStarted(job.count, job.mask); });
    return read;
}

void RunListing(ReaderJob& job) {
    JobRun run(*job.window, JobKind::Reads);
    if (!StartSearch(job)) return;
    auto channel = OpenChannel(ChannelCommand::EntryReader, *job.library, job.window->WindowPhone(),
                               job.window->WindowPrompts());
    if (!channel) {
        // Reported; nothing was read, so nothing stays announced.
        job.files->SetCount(0);
        job.window->Call([&] { job.commands->ReadingEnded(0, false); });
        return;
    }
    run.Lock();

    ReaderHost host(job, run);
    const EntryReadResult result =
        ReadEntries(*channel, *job.files, job.fileSystemFlag, job.count, host);
    std::int32_t removed = 0;
    switch (result.end) {
        case EntryReadEnd::SendFailed:
        case EntryReadEnd::BadReply:
            // Reported by the channel; the entries read stay, and only they are announced.
            run.Unlock();
            job.window->Call([&] { job.commands->ReadingEnded(result.entriesRead, false); });
            return;
        case EntryReadEnd::Interrupted:
            job.window->SetStatusText(kStatusMessagePart, LoadLangString(kStrReadingInterrupted));
            break;
        case EntryReadEnd::Complete:
            // Only a whole listing tells a missing file from one not read yet.
            if (job.journal) removed = OfferShortFiles(job, *channel);
            break;
    }
    run.Unlock();
    // Deleted short files have left the list; the others moved up in their place.
    const std::int32_t entriesRead = std::max(0, result.entriesRead - removed);
    job.window->Call([&] { job.commands->ReadingEnded(entriesRead, true); });
}

}  // namespace

ListingCommands::ListingCommands(ListingPorts ports) : m_ports(std::move(ports)) {}

void ListingCommands::ClearForReading() {
    m_ports.window.ShowWaitCursor();
    m_ports.files.Clear();
    m_ports.list.DeleteAllRows();
    m_ports.tree.ResetTree(true);
}

bool ListingCommands::SearchStarted(std::int32_t count, const std::optional<std::string>& mask) {
    m_ports.window.SetStatusText(kStatusMessagePart, LoadLangString(kStrReadingFileList));
    if (mask && count == 0) {
        m_ports.files.SetCount(0);
        m_ports.window.SetStatusText(kStatusMessagePart, LoadLangString(kStrNoFilesFound));
        return false;
    }
    m_ports.window.SetOverallRange(count);
    m_ports.window.SetOverallPosition(0);
    m_ports.files.Allocate(count);
    if (mask) {
        m_ports.history.Remember(*mask);
        m_ports.window.SetMaskChoices(m_ports.history.Masks());
        // Only into an existing key; a failed write goes unnoticed, as every settings write.
        m_ports.history.Store(m_ports.user);
    }
    m_ports.list.SetDisplayMode(mask ? kDisplayFlat : kDisplayFolder);
    m_iconsGiven = 0;
    return true;
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
    StartListing(BuildVolumeSearchRequest(static_cast<char>(letter)), std::nullopt);
}

void ListingCommands::Search() {
    if (m_ports.jobBusy && m_ports.jobBusy()) return;
    if (!m_ports.window.LibraryReady()) {
        ReportChannelFailure({kStrCantInitPhoneInterface, kTitlePhoneInterfaceLower},
                             kStatusMessagePart, m_ports.window, m_ports.prompts);
        return;
    }
    std::string text(LeadingCharacters(m_ports.window.MaskText(), kMaxMaskChars));
    // Refused before anything is sent or cleared: the pattern buffer cannot hold it.
    auto request = BuildSearchStartRequest(text, m_ports.window.FileSystemFlag());
    if (!request) {
        m_ports.prompts.Message(request.ErrorText(), kTitleVelmora, PromptIcon::Information);
        return;
    }

    ClearForReading();
    StartListing(request.Value(), std::move(text));
}

void ListingCommands::StartListing(std::vector<std::uint8_t> request,
                                   std::optional<std::string> mask) {
    auto job = std::make_shared<ReaderJob>();
    job->window = m_ports.jobWindow;
    job->library = &m_ports.library;
    job->files = &m_ports.files;
    job->commands = this;
    job->rootQuery = m_ports.window.ModelAndVersionQuery();
    job->request = std::move(request);
    job->fileSystemFlag = m_ports.window.FileSystemFlag();
    if (!mask) {
        // A whole volume is read, so files the journal names can be looked up.
        job->journal = m_ports.journal;
        // The single-volume file system holds every file the phone has.
        if (!job->fileSystemFlag) job->volumePrefix = {'/', static_cast<char>(m_listedLetter), '/'};
    }
    job->mask = std::move(mask);
    if (!m_ports.startJob([job] { RunListing(*job); })) {
        // No reader: nothing will arrive, so nothing is announced.
        m_ports.files.SetCount(0);
        m_ports.window.SetStatusText(kStatusMessagePart, LoadLangString(kStrOperationFailed));
    }
}

void ListingCommands::ShowReadingProgress(std::int32_t done, std::int32_t count) {
    m_ports.window.SetOverallPosition(done);
    m_ports.window.SetStatusText(kStatusMessagePart, ReadingProgressText(done, count));
}

void ListingCommands::OnGetFileInfo(std::int32_t n) {
    ShowReadingProgress(n + 1, m_ports.files.Count());
    if (n < m_ports.list.RowCount()) {
        if (auto entry = m_ports.files.Entry(n)) m_ports.list.UpdateRow(n, *entry);
    }
}

void ListingCommands::CatchUp(std::int32_t filled) {
    const std::int32_t first = m_iconsGiven;
    if (filled > first) {
        // The icon source belongs to the window: asked on its thread, never the reader's.
        GiveIcons(m_ports.files, m_ports.icons, first, filled);
        m_iconsGiven = filled;
        for (std::int32_t n = first; n < std::min(filled, m_ports.list.RowCount()); ++n) {
            if (auto entry = m_ports.files.Entry(n)) m_ports.list.UpdateRow(n, *entry);
        }
    }
    m_ports.tree.SetEntryCount(filled);
}

void ListingCommands::OnEntriesRead(std::int32_t filled, std::int32_t count) {
    ShowReadingProgress(filled, count);
    CatchUp(filled);
}

void ListingCommands::ReadingEnded(std::int32_t entriesRead, bool show) {
    CatchUp(entriesRead);
    if (show) ShowReadEntries();
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
