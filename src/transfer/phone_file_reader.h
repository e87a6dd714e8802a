// Reading one phone file inside a job: open, reads of at most one block until the file's
// listed size has arrived, close; the data streams into a local file and every chunk moves
// the job's progress. Download and open on double-click share it.
#pragma once

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <string>

#include "phone/open_channel.h"
#include "transfer/job.h"
#include "transfer/local_file.h"
#include "transfer/transfer_progress.h"

namespace velmora {

// How often a read that delivers nothing is asked again before the file counts as shorter than
// its listing said.
inline constexpr int kEmptyReadRetries = 3;

inline constexpr int kStrCantReadFile = 123;
inline constexpr int kStrDownloadInterrupted = 125;

enum class PhoneReadEnd {
    Complete,  // every byte is in the local file, the phone file is closed
    Stopped,   // the user interrupted; closed, the local file is incomplete
    Skipped,   // reported (local file not writable, path too long); the job goes on
    Failed,    // a phone command failed: reported by the failure pattern, the job ends
};

// Reads the phone file at phonePath, size bytes, into out, whose Write failures it reports
// (discarding out). whenComplete runs once every byte is in out, before the phone file is
// closed: a refused close then still finds the local file finished. The meter's StartFile has
// been called for the file.
PhoneReadEnd ReadPhoneFile(CommandChannel& channel, JobRun& run, TransferMeter& meter,
                           const std::string& phonePath, std::int32_t size, LocalFile& out,
                           const std::function<void()>& whenComplete);

// Texts of this program's own for what the phone's protocol leaves unsaid.
inline constexpr int kStrCantWriteLocalFile = 450;
inline constexpr int kStrBadPhoneName = 451;
inline constexpr int kStrFileTooLarge = 453;
inline constexpr int kStrJobTooLarge = 454;
inline constexpr int kStrCantMakeOpenFolder = 455;
// A phone file that ends before the size its listing gave; "%s" is its path.
inline constexpr int kStrFileShorterThanListed = 560;

// "Can't write the local file ...: reason" for a file that could not be created or written;
// the job goes on.
void ReportLocalFileFailure(JobRun& run, const LocalFile& file);

}  // namespace velmora
