#include "jobs/upload_job.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <limits>
#include <random>
#include <set>
#include <utility>

#include "base/lang_string.h"
#include "base/status_sink.h"
#include "fsac/file_list.h"
#include "fsac/file_search.h"
#include "fsac/volume_queries.h"
#include "phone/open_channel.h"
#include "transfer/job.h"
#include "transfer/local_files.h"
#include "transfer/phone_file_reader.h"
#include "transfer/phone_write.h"
#include "transfer/replace_question.h"
#include "transfer/transfer_progress.h"
#include "transfer/upload_journal.h"

namespace velmora {

namespace {

constexpr int kStrUploadInterrupted = 115;
constexpr int kStrUploadCanceled = 126;
constexpr int kStrUploadCaption = 179;
constexpr int kStrNothingToLeave = 132;
constexpr int kStrFillInterrupted = 134;
constexpr int kStrNoFillName = 489;
constexpr int kStrPartialDeleted = 523;
constexpr int kStrPartialLeft = 524;
constexpr int kStrEarlierCopyGone = 525;

constexpr std::size_t kLeaveBytesChars = 19;  // a 20-character buffer with its terminator
constexpr int kFillNumbers = 32768;           // rand() gives 0 to 32767

// Phone paths are checked to fit before the request is built.
FsacRequest OpenRequest(const std::string& path, std::uint32_t attributes) {
    return BuildOpenRequest(path, attributes).Value();
}

void Status(JobRun& run, int stringId) {
    run.window().SetStatusText(kStatusMessagePart, LoadLangString(stringId));
}

void RefreshFreeSpace(WriteJob& job) {
    job.window->Call([&] { job.side->RefreshFreeSpace(); });
}

// The entry a listing would give the file: on a phone without folders the list holds names
// under the single volume.
std::string ListedPath(const std::string& phonePath, bool fileSystemFlag) {
    return fileSystemFlag ? std::string(kFlashVolume) + "/" + phonePath : phonePath;
}

void ListFile(WriteJob& job, const std::string& phonePath, std::int64_t size, bool replaced,
              bool fileSystemFlag, bool showRow) {
    UploadedFile file;
    file.phonePath = ListedPath(phonePath, fileSystemFlag);
    file.name = phonePath.substr(phonePath.rfind('/') + 1);
    file.size = static_cast<std::int32_t>(size);
    file.contentsReplaced = replaced;
    job.window->Call([&] { job.side->ListUploaded(file, showRow); });
}

void ForgetFile(WriteJob& job, const std::string& phonePath, bool fileSystemFlag, bool showRow) {
    const std::string listed = ListedPath(phonePath, fileSystemFlag);
    job.window->Call([&] { job.side->ForgetUploaded(listed, showRow); });
}

// Deletes what an upload left short on the phone, so the list never shows a truncated file
// as an ordinary one; true when the phone took the delete.
bool DeletePartial(CommandChannel& channel, const std::string& phonePath) {
    auto request = BuildDeleteRequest(phonePath);
    std::array<std::uint8_t, 2> scratch{};
    return request && channel.SendQuietly(kFsacCommand, request.Value(), scratch);
}

std::string PartialMessage(const std::string& name, std::int64_t written, std::int64_t size,
                           bool deleted, bool replaced) {
    std::string text = FormatLangString(deleted ? kStrPartialDeleted : kStrPartialLeft,
                                        {name, std::to_string(written), std::to_string(size)});
    if (replaced) {
        // Appended piece by piece: g++ 12 at -O3 warns (-Wrestrict) on " " + text.
        text += ' ';
        text += LoadLangString(kStrEarlierCopyGone);
    }
    return text;
}

// Where a file goes on the phone, or nothing (skipped, refused, or the job cancelled). A file
// the phone's list holds, or one an earlier file of this job wrote, is replaced only when the
// user says so; Keep both gives a free name.
struct PhoneTarget {
    std::string phonePath;
    std::string name;
    bool replaces = false;
};

class UploadTargets {
  public:
    UploadTargets(WriteJob& job, bool fileSystemFlag)
        : m_job(job), m_question(job.window->WindowPrompts()), m_fileSystemFlag(fileSystemFlag) {}

    std::optional<PhoneTarget> Decide(JobRun& run, const std::string& folder,
                                      const std::string& localPath, const std::string& name,
                                      bool moreToCome) {
        auto path = Path(run, folder, localPath, name);
        if (!path) return std::nullopt;
        PhoneTarget target{*path, name, false};
        std::optional<ConflictKind> kind;
        std::optional<std::int64_t> size;
        if (m_given.contains(Listed(*path))) {
            kind = ConflictKind::SameJob;
        } else if ((size = ListedSize(*path))) {
            kind = ConflictKind::PhoneFile;
        }
        if (kind) {
            const ExistingFile existing{name, m_fileSystemFlag ? std::string() : folder, size, {}};
            switch (m_question.Ask(*kind, existing, moreToCome)) {
                case ConflictChoice::Replace:
                    target.replaces = true;
                    break;
                case ConflictChoice::KeepBoth: {
                    target.name = KeepBothName(name, [&](const std::string& candidate) {
                        auto p = BuildPhonePath(folder, candidate, m_fileSystemFlag, nullptr);
                        return p && (m_given.contains(Listed(*p)) || ListedSize(*p));
                    });
                    path = Path(run, folder, localPath, target.name);
                    if (!path) return std::nullopt;
                    target.phonePath = *path;
                    break;
                }
                case ConflictChoice::Skip:
                    return std::nullopt;
                case ConflictChoice::Cancel:
                    m_cancelled = true;
                    return std::nullopt;
            }
        }
        m_given.insert(Listed(target.phonePath));
        return target;
    }
    bool cancelled() const { return m_cancelled; }

  private:
    std::optional<std::string> Path(JobRun& run, const std::string& folder,
                                    const std::string& localPath, const std::string& name) {
        RefusedFile refused{localPath, FileRefusal::None, {}};
        auto path = BuildPhonePath(folder, name, m_fileSystemFlag, &refused);
        if (!path) run.RejectInput(RefusalMessage({refused}));
        return path;
    }
    std::string Listed(const std::string& phonePath) const {
        return ListedPath(phonePath, m_fileSystemFlag);
    }
    // As the list stood when the job began: nothing but this job changed it since, and
    // what this job wrote counts as given.
    std::optional<std::int64_t> ListedSize(const std::string& phonePath) const {
        const auto& listed = m_job.start.listedSizes;
        const auto found = listed.find(Listed(phonePath));
        if (found == listed.end()) return std::nullopt;
        return found->second;
    }

    WriteJob& m_job;
    ReplaceQuestion m_question;
    bool m_fileSystemFlag;
    std::set<std::string> m_given;  // listed paths this job wrote or is writing
    bool m_cancelled = false;
};

void UploadFiles(WriteJob& job) {
    JobRun run(*job.window);
    const UploadStart& start = job.start;
    std::vector<std::string> paths;
    if (job.fromDrop) {
        if (start.rootOrNone) return run.RejectInput(kStrPathNotSelectedOnTree);
        paths = std::move(job.dropped);
    } else {
        if (start.field.empty()) return run.RejectInput(kStrPathNotSelectedOnTree);
        paths = job.window->WindowPrompts().OpenFiles({LoadLangString(kStrUploadCaption), ""});
        if (paths.empty()) return Status(run, kStrUploadCanceled);
    }

    const SizePass pass = MeasureLocalFiles(paths);
    if (!pass.refused.empty()) run.RejectInput(RefusalMessage(pass.refused));
    if (pass.files.empty()) return;
    if (pass.total > start.freeSpace) {
        return run.RejectInput(InsufficientSpaceMessage(pass.total, start.freeSpace));
    }
    // Within the free space, so within 32 bits.
    const auto total = static_cast<std::int32_t>(pass.total);
    const auto count = static_cast<std::int32_t>(pass.files.size());
    run.StartProgress(total, LoadLangString(kStrWritingFile));
    run.ShowFileBarFor(count);
    job.window->Call([&] { job.side->GrowList(count); });
    TransferMeter meter(run, *job.clock, TransferDirection::Writing, total);
    meter.Start();
    UploadTargets targets(job, start.fileSystemFlag);

    bool sent = false;
    for (std::size_t i = 0; i < pass.files.size(); ++i) {
        const UploadSource& local = pass.files[i];
        LocalRead read = ReadLocalFile(local.path);
        if (read.why != FileRefusal::None) {
            run.RejectInput(RefusalMessage({{local.path, read.why, {}}}));
            continue;
        }
        // The dialog's destination is read again for every file; a drop keeps its folder.
        std::string folder = start.startPath;
        if (!job.fromDrop) {
            job.window->Call([&] { folder = job.side->UploadPathText(); });
        }
        const auto target =
            targets.Decide(run, folder, local.path, local.name, i + 1 < pass.files.size());
        if (targets.cancelled()) {
            Status(run, kStrUploadInterrupted);
            break;
        }
        if (!target) continue;
        const FsacRequest open = OpenRequest(target->phonePath, kOpenKeepAttributes);

        run.Lock();
        ChannelFailure why{};
        auto channel = OpenChannel(ChannelCommand::Transfer, *job.library,
                                   job.window->WindowPhone(), job.window->WindowPrompts(), &why);
        if (!channel) {
            if (why == ChannelFailure::NoDevice) continue;
            return;  // reported; the job ends as every failure does
        }
        sent = true;
        const std::int64_t size = static_cast<std::int64_t>(read.bytes.size());
        const std::string listed = ListedPath(target->phonePath, start.fileSystemFlag);
        // 0: not journalled; the journal's ids start at 1.
        std::uint64_t journal = 0;
        if (job.journal)
            journal = job.journal->Begin(channel->DeviceId(), listed, size).value_or(0);
        meter.StartFile(static_cast<std::int32_t>(size));
        const auto& bytes = read.bytes;
        const PhoneWriteResult result = WritePhoneFile(
            *channel, open, size,
            [&](std::int64_t offset, std::size_t n) {
                return std::span(bytes).subspan(static_cast<std::size_t>(offset), n);
            },
            meter);
        read.bytes = {};
        // A stop seen after the last chunk finds the file whole.
        const bool whole =
            result.end == PhoneWriteEnd::Written ||
            (result.end == PhoneWriteEnd::Interrupted && result.bytesWritten == size);

        const bool showRow = job.fromDrop || [&] {
            bool same = false;
            job.window->Call([&] { same = job.side->ShowsStartFolder(); });
            return same;
        }();
        // The first accepted write replaces the contents: before it, a file that was there
        // is untouched, while a new one exists empty and goes.
        const bool partial = !whole &&
                             (result.end == PhoneWriteEnd::Interrupted ||
                              result.end == PhoneWriteEnd::WriteRefused) &&
                             (result.bytesWritten > 0 || !target->replaces);
        if (partial) {
            // The phone's earlier copy was rewritten by the first accepted write.
            const bool replaced = result.bytesWritten > 0 && target->replaces;
            const bool deleted = DeletePartial(*channel, target->phonePath);
            if (deleted) {
                if (journal != 0) job.journal->End(journal);
                ForgetFile(job, target->phonePath, start.fileSystemFlag, showRow);
            } else {
                ListFile(job, target->phonePath, result.bytesWritten, result.bytesWritten > 0,
                         start.fileSystemFlag, showRow);
            }
            const std::string text =
                PartialMessage(local.name, result.bytesWritten, size, deleted, replaced);
            if (result.end == PhoneWriteEnd::WriteRefused) {
                return run.Fail(LoadLangString(kStrCantWriteFile) + "\n" + text);
            }
            job.window->WindowPrompts().Message(text, kTitleVelmora, PromptIcon::Warning);
            Status(run, kStrUploadInterrupted);
            break;
        }
        if (result.end == PhoneWriteEnd::OpenRefused ||
            (result.end == PhoneWriteEnd::WriteRefused && !partial)) {
            // Nothing of this file reached the phone, whose copy stays as it was.
            if (journal != 0) job.journal->End(journal);
            return run.Fail(PhoneWriteFailureString(result.end));
        }
        if (whole && journal != 0) job.journal->End(journal);
        ListFile(job, target->phonePath, result.bytesWritten,
                 result.bytesWritten > 0 || result.end == PhoneWriteEnd::Written,
                 start.fileSystemFlag, showRow);
        if (result.end == PhoneWriteEnd::CloseRefused) return run.Fail(kStrCantCloseFile);
        if (result.end == PhoneWriteEnd::Interrupted) {
            Status(run, kStrUploadInterrupted);
            break;
        }
    }
    run.HideFileBar();
    run.Unlock();
    if (sent) RefreshFreeSpace(job);
}

// Decimal digits from the start of the field, at most what its buffer holds; saturated
// rather than wrapped.
std::int64_t LeaveBytes(std::string_view text) {
    text = text.substr(0, kLeaveBytesChars);
    std::int64_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') break;
        if (value > (std::numeric_limits<std::int64_t>::max() - (c - '0')) / 10) {
            return std::numeric_limits<std::int64_t>::max();
        }
        value = value * 10 + (c - '0');
    }
    return value;
}

std::string FillPath(const UploadStart& start, int number) {
    const std::string name = "fillspace_" + std::to_string(number) + ".rnd";
    if (start.fileSystemFlag) return name;
    const char letter = start.volumeCount > 1 ? start.commandLetter : 'a';
    return std::string("/") + letter + "/" + name;
}

// A name no listed file has: drawn from the generator, drawn again while taken.
std::optional<std::string> DrawFillPath(WriteJob& job, const UploadStart& start) {
    auto taken = [&](const std::string& path) {
        const std::string listed = ListedPath(path, start.fileSystemFlag);
        return start.fillNames.contains(listed) || start.listedSizes.contains(listed);
    };
    job.clock->Seed(static_cast<unsigned>(job.clock->NowSeconds()));
    for (int draw = 0; draw < 4 * kFillNumbers; ++draw) {
        std::string path = FillPath(start, job.clock->Rand() % kFillNumbers);
        if (!taken(path)) return path;
    }
    for (int number = 0; number < kFillNumbers; ++number) {
        std::string path = FillPath(start, number);
        if (!taken(path)) return path;
    }
    return std::nullopt;
}

void FillVolume(WriteJob& job) {
    JobRun run(*job.window);
    const UploadStart& start = job.start;
    if (start.volumeCount > 1 && start.rootOrNone) return run.RejectInput(kStrVolumeNotSelected);
    const std::int64_t amount = std::int64_t{start.freeSpace} - LeaveBytes(start.leaveBytes);
    if (amount <= 0) return run.RejectInput(kStrNothingToLeave);
    const auto total = static_cast<std::int32_t>(amount);  // at most the free space
    run.StartProgress(total, LoadLangString(kStrWritingData));

    std::array<std::uint8_t, kFsacBlockSize> filler{};
    std::mt19937 generator{std::random_device{}()};
    for (auto& byte : filler) byte = static_cast<std::uint8_t>(generator());
    const auto path = DrawFillPath(job, start);
    if (!path) return run.RejectInput(kStrNoFillName);
    const FsacRequest open = OpenRequest(*path, kOpenFillFile);

    run.Lock();
    ChannelFailure why{};
    auto channel = OpenChannel(ChannelCommand::Transfer, *job.library, job.window->WindowPhone(),
                               job.window->WindowPrompts(), &why);
    if (!channel) {
        if (why == ChannelFailure::NoDevice) run.Unlock();
        return;
    }
    job.window->Call([&] { job.side->RememberFillName(ListedPath(*path, start.fileSystemFlag)); });
    TransferMeter meter(run, *job.clock, TransferDirection::Filling, total);
    meter.Start();
    const PhoneWriteResult result = WritePhoneFile(
        *channel, open, amount,
        [&](std::int64_t, std::size_t n) { return std::span<const std::uint8_t>(filler).first(n); },
        meter);
    if (const int failure = PhoneWriteFailureString(result.end)) return run.Fail(failure);
    if (result.end == PhoneWriteEnd::Interrupted) Status(run, kStrFillInterrupted);
    run.Unlock();
    RefreshFreeSpace(job);
}

}  // namespace

void RunUpload(WriteJob& job) {
    UploadFiles(job);
}

void RunFill(WriteJob& job) {
    FillVolume(job);
}

}  // namespace velmora
