// The delete job: one delete request per selected file, each deleted file leaving FileList at
// once and its row at the end, and the free space read again after a normal end.
#include <array>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "base/lang_string.h"
#include "fsac/fsac_records.h"
#include "phone/open_channel.h"
#include "transfer/job.h"
#include "ui/file_commands.h"

namespace velmora {

namespace {

struct DeleteJob {
    std::shared_ptr<JobWindowProxy> window;
    PstLibrary* library = nullptr;
    // Reached only through the proxy's Call, which does not run once the window is gone.
    FileCommands* commands = nullptr;
};

enum class DeleteInput { Ready, NoRows, NoFolder, WindowGone };

void RunDeleteJob(DeleteJob& job) {
    JobRun run(*job.window);
    JobWindowProxy& window = *job.window;

    // The files are fixed here, by name, before anything is sent: whatever the list shows
    // later, the job deletes what the user confirmed and removes exactly those rows.
    std::vector<RowFile> files;
    DeleteInput input = DeleteInput::WindowGone;
    window.Call([&] {
        FileCommands& commands = *job.commands;
        if (commands.List().SelectedRows().empty()) {
            input = DeleteInput::NoRows;
            return;
        }
        const bool flat = commands.List().DisplayMode() == kDisplayFlat;
        const std::string location = commands.ListLocation();
        if (location.empty() && !flat) {
            input = DeleteInput::NoFolder;
            return;
        }
        files = commands.SelectedFiles(flat ? std::string() : location);
        input = DeleteInput::Ready;
    });
    switch (input) {
        case DeleteInput::NoRows:
            run.RejectInput(kStrFileNotSelected);
            return;
        case DeleteInput::NoFolder:
            run.RejectInput(kStrPathNotSelectedOnTree);
            return;
        case DeleteInput::WindowGone:
            return;
        case DeleteInput::Ready:
            break;
    }

    const auto total = static_cast<std::int32_t>(files.size());
    run.StartProgress(total, LoadLangString(kStrDeletingFiles));
    std::set<std::string> deleted;
    auto removeRows = [&] { window.Call([&] { job.commands->RemoveRowsOf(deleted); }); };

    for (std::int32_t k = 0; k < total; ++k) {
        const RowFile& file = files[static_cast<std::size_t>(k)];
        auto request = BuildDeleteRequest(file.phonePath);
        run.Lock();
        if (!request) {
            // A name the request cannot carry: nothing of it can be deleted, so stop here.
            run.Fail(request.ErrorText());
            removeRows();
            return;
        }
        auto channel = OpenFileChannel(run, *job.library);
        if (!channel && run.failed()) {
            // Reported with "Operation failed!!!"; the files deleted so far lose their rows.
            removeRows();
            return;
        }
        if (channel) {
            std::array<std::uint8_t, 2> scratch{};
            if (!channel->SendQuietly(kFsacCommand, request.Value(), scratch)) {
                channel->Report({kStrCantDeleteFile, kTitlePhoneInterfaceLower});
                run.FailReported();
                removeRows();
                return;
            }
            deleted.insert(file.fullName);
            window.Call([&] { job.commands->ForgetFile(file); });
        }
        window.SetOverallPosition(k + 1);
        if (run.StopRequested()) break;
    }

    removeRows();
    const bool interrupted = run.StopRequested();
    run.Unlock();
    window.SetStatusText(kStatusMessagePart,
                         LoadLangString(interrupted ? kStrDeletingInterrupted : kStrFilesDeleted));
    window.Call([&] { job.commands->Window().RefreshFreeSpace(); });
}

}  // namespace

void FileCommands::StartDeleteJob() {
    auto job = std::make_shared<DeleteJob>();
    job->window = m_ports.jobWindow;
    job->library = &m_ports.library;
    job->commands = this;
    m_ports.startJob([job] { RunDeleteJob(*job); });
}

}  // namespace velmora
