#include "transfer/phone_file_reader.h"

#include <array>
#include <vector>

#include "base/lang_string.h"
#include "base/status_sink.h"
#include "fsac/fsac_records.h"

namespace velmora {

void ReportLocalFileFailure(JobRun& run, const LocalFile& file) {
    run.window().WindowPrompts().Message(
        FormatLangString(kStrCantWriteLocalFile, {file.Path(), file.ErrorReason()}), kTitleVelmora,
        PromptIcon::Stop);
}

PhoneReadEnd ReadPhoneFile(CommandChannel& channel, JobRun& run, TransferMeter& meter,
                           const std::string& phonePath, std::int32_t size, LocalFile& out,
                           const std::function<void()>& whenComplete) {
    auto open = BuildOpenRequest(phonePath, kOpenKeepAttributes);
    if (!open) {
        run.window().WindowPrompts().Message(open.ErrorText(), kTitleVelmora,
                                             PromptIcon::Information);
        return PhoneReadEnd::Skipped;
    }
    std::array<std::uint8_t, kScratchReplySize> scratch{};
    if (!channel.SendQuietly(kFsacCommand, open.Value(), scratch)) {
        run.Fail(kStrCantOpenFile);
        return PhoneReadEnd::Failed;
    }

    const FsacRequest close = BuildCloseRequest();
    std::vector<std::uint8_t> reply(kReadReplySize);
    std::int32_t done = 0;
    int emptyReads = 0;
    PhoneReadEnd end = PhoneReadEnd::Complete;
    while (done < size) {
        const std::uint32_t wanted = NextBlockSize(size - done);
        std::int32_t length = 0;
        const bool sent =
            channel.SendQuietly(kFsacCommand, BuildReadRequest(wanted), reply, &length);
        // Bytes beyond what the file still needs are not stored.
        const auto data =
            sent ? ReadReplyData(reply, length, wanted) : std::span<const std::uint8_t>{};
        // A phone that keeps delivering nothing would hold the job for ever.
        if (sent && data.empty() && ++emptyReads <= kEmptyReadRetries) continue;
        if (!sent || data.empty()) {
            // Reads that succeed with nothing left mean the file ends before its listed size:
            // it changed after the listing, and a restart would not help.
            if (sent) {
                run.Fail(FormatLangString(kStrFileShorterThanListed, {phonePath}));
            } else {
                run.Fail(kStrCantReadFile);
            }
            channel.SendQuietly(kFsacCommand, close, scratch);
            return PhoneReadEnd::Failed;
        }
        emptyReads = 0;
        if (!out.Write(data)) {
            ReportLocalFileFailure(run, out);
            out.Discard();
            end = PhoneReadEnd::Skipped;
            break;
        }
        done += static_cast<std::int32_t>(data.size());
        if (meter.AddChunk(static_cast<std::int32_t>(data.size()))) {
            run.window().SetStatusText(kStatusMessagePart, LoadLangString(kStrDownloadInterrupted));
            end = PhoneReadEnd::Stopped;
            break;
        }
    }

    if (end == PhoneReadEnd::Complete) whenComplete();
    if (!channel.SendQuietly(kFsacCommand, close, scratch)) {
        run.Fail(kStrCantCloseFile);
        return PhoneReadEnd::Failed;
    }
    return end;
}

}  // namespace velmora
