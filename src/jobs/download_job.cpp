#include "jobs/download_job.h"

#include <sys/stat.h>

#include <set>
#include <utility>

#include "base/lang_string.h"
#include "fsac/volume_queries.h"
#include "phone/open_channel.h"
#include "transfer/job.h"
#include "transfer/local_file.h"
#include "transfer/phone_file_reader.h"
#include "transfer/replace_question.h"
#include "transfer/temp_open_file.h"
#include "transfer/transfer_progress.h"

namespace velmora {

namespace {

constexpr int kStrDownloadCanceled = 122;
constexpr int kStrSaveAs = 456;

void RejectName(Prompts& prompts, const std::string& name) {
    prompts.Message(FormatLangString(kStrBadPhoneName, {name}), kTitleVelmora,
                    PromptIcon::Information);
}

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

}  // namespace

FileToRead FileToReadOf(const FileEntry& entry, bool fileSystemFlag) {
    FileToRead file{entry.path, entry.path.substr(entry.path.rfind('/') + 1), entry.size};
    const std::string volume = std::string(kFlashVolume) + "/";
    if (fileSystemFlag && file.phonePath.starts_with(volume))
        file.phonePath.erase(0, volume.size());
    return file;
}

void RunDownload(DownloadJob& job) {
    JobRun run(*job.window);
    JobWindow& window = *job.window;
    Prompts& prompts = window.WindowPrompts();
    if (job.files.empty()) return;

    std::int64_t sum = 0;
    for (const FileToRead& file : job.files) sum += file.size;
    const auto total = static_cast<std::int32_t>(sum);
    run.StartProgress(total, LoadLangString(kStrReadingFromPhone));
    run.ShowFileBarFor(static_cast<std::int32_t>(job.files.size()));
    TransferMeter meter(run, *job.clock, TransferDirection::Reading, total);

    const FileToRead& first = job.files.front();
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

    for (std::size_t k = 0; k < job.files.size(); ++k) {
        const FileToRead& paths = job.files[k];
        if (!IsSafeLocalName(paths.localName)) {
            RejectName(prompts, paths.localName);
            continue;
        }
        const bool typed = k == 0 && IsSafeLocalName(typedName);
        const auto target =
            targets.Decide(typed ? typedName : paths.localName, typed, k + 1 < job.files.size());
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
        meter.StartFile(paths.size);
        const PhoneReadEnd end =
            ReadPhoneFile(*channel, run, meter, paths.phonePath, paths.size, file, [&] {
                if (!file.Commit(target->replaces ? CommitMode::Replace : CommitMode::NoReplace))
                    localFailure(file);
            });
        if (end == PhoneReadEnd::Failed || end == PhoneReadEnd::Stopped) return;
    }
}

void RunOpen(OpenJob& job) {
    JobRun run(*job.window);
    const std::string& phonePath = job.file.phonePath;
    const std::int32_t size = job.file.size;
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
        // The desktop's programs start from the window's thread; the chooser only when the
        // default program did not start.
        job.window->Call([&] {
            if (!job.shell->OpenFile(file.Path(), job.openFolder).ok) {
                job.shell->OpenFileWith(file.Path(), job.openFolder);
            }
        });
    });
}

}  // namespace velmora
