// The listing's job: the root's texts, search start, the entry reader into FileList, and at
// the end of a whole volume the files an upload left short, offered for deletion.
#include "jobs/listing_job.h"

#include <algorithm>
#include <array>
#include <utility>

#include "base/lang_string.h"
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

// Passes each reply's count of filled entries on to the window, posted and coalesced: the
// reader runs at link speed, not at the window's pace.
class ReaderHost final : public EntryReaderHost {
  public:
    ReaderHost(ListingJob& job, JobRun& run) : m_job(job), m_run(run) {}

    void EntryRead(std::int32_t) override {}
    void EntriesFilled(std::int32_t count) override {
        m_job.window->PostLatest(
            [side = m_job.side, count, total = m_job.count] { side->OnEntriesRead(count, total); });
    }
    bool StopRequested() override { return m_run.StopRequested(); }

  private:
    ListingJob& m_job;
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
std::int32_t OfferShortFiles(ListingJob& job, CommandChannel& channel) {
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
bool StartSearch(ListingJob& job) {
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
    job.window->Call([&] { read = job.side->SearchStarted(job.count, job.mask); });
    return read;
}

}  // namespace

void RunListing(ListingJob& job) {
    JobRun run(*job.window, JobKind::Reads);
    if (!StartSearch(job)) return;
    auto channel = OpenChannel(ChannelCommand::EntryReader, *job.library, job.window->WindowPhone(),
                               job.window->WindowPrompts());
    if (!channel) {
        // Reported; nothing was read, so nothing stays announced.
        job.files->SetCount(0);
        job.window->Call([&] { job.side->ReadingEnded(0, false); });
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
            job.window->Call([&] { job.side->ReadingEnded(result.entriesRead, false); });
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
    job.window->Call([&] { job.side->ReadingEnded(entriesRead, true); });
}

}  // namespace velmora
