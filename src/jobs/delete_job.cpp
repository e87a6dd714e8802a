// The delete job: one delete request per file, each deleted file leaving FileList at once and
// its row at the end, and the free space read again after a normal end.
#include <array>
#include <set>
#include <string>

#include "base/lang_string.h"
#include "fsac/fsac_records.h"
#include "jobs/file_jobs.h"
#include "phone/open_channel.h"
#include "transfer/job.h"

namespace velmora {

void RunDeleteJob(DeleteJob& job) {
    JobRun run(*job.window);
    JobWindowProxy& window = *job.window;
    const std::vector<RowFile>& files = job.files;

    const auto total = static_cast<std::int32_t>(files.size());
    run.StartProgress(total, LoadLangString(kStrDeletingFiles));
    std::set<std::string> deleted;
    auto removeRows = [&] { window.Call([&] { job.side->RemoveRowsOf(deleted); }); };
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
            window.Call([&] { job.side->ForgetFile(file); });
        }
        window.SetOverallPosition(k + 1);
        if (run.StopRequested()) break;
    }

    removeRows();
    const bool interrupted = run.StopRequested();
    run.Unlock();
    window.SetStatusText(kStatusMessagePart,
                         LoadLangString(interrupted ? kStrDeletingInterrupted : kStrFilesDeleted));
    window.Call([&] { job.side->RefreshFreeSpace(); });
}

}  // namespace velmora
