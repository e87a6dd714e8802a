#include "fsac/file_search.h"

#include <array>
#include <utility>
#include <vector>

#include "base/lang_string.h"
#include "fsac/fsac_records.h"

namespace velmora {

namespace {

// Fills one entry, icons to follow. False when the list's storage does not hold the index.
bool FillEntry(FileList& files, std::int32_t index, const FsacEntryRecord& record,
               bool fileSystemFlag) {
    return files.SetEntry(index, EntryFromRecord(record, fileSystemFlag));
}

}  // namespace

std::optional<std::uint16_t> SendSearchStart(CommandChannel& channel,
                                             std::span<const std::uint8_t> request) {
    std::array<std::uint8_t, kSearchStartReplySize> reply{};
    std::int32_t length = 0;
    if (!channel.Send(kFsacCommand, request, reply, &length)) return std::nullopt;
    const auto count = ParseSearchStartReply(reply, length);
    if (!count) {
        channel.Report(ChannelVariationFor(ChannelCommand::FileSearch).sendFailure);
        return std::nullopt;
    }
    return count.Value();
}

EntryReadResult ReadEntries(CommandChannel& channel, FileList& files, bool fileSystemFlag,
                            std::int32_t count, EntryReaderHost& host) {
    const FsacRequest request = BuildSearchNextRequest(fileSystemFlag);
    std::vector<std::uint8_t> reply(kSearchNextReplySize);
    std::int32_t filled = 0;

    auto endEarly = [&](EntryReadEnd end) {
        files.SetCount(filled);
        return EntryReadResult{end, filled};
    };
    auto badReply = [&] {
        channel.Report(ChannelVariationFor(ChannelCommand::EntryReader).sendFailure);
        return endEarly(EntryReadEnd::BadReply);
    };

    while (filled < count) {
        std::int32_t length = 0;
        if (!channel.Send(kFsacCommand, request, reply, &length)) {
            return endEarly(EntryReadEnd::SendFailed);
        }
        if (!fileSystemFlag) {
            auto entry = ParseSearchNextEntry(reply, length);
            if (!entry) return badReply();
            if (!FillEntry(files, filled, entry.Value(), false)) return badReply();
            host.EntryRead(filled);
            ++filled;
        } else {
            // The parser refuses an empty reply and one with more records than are missing:
            // either would loop forever or run past the list.
            auto records = ParseSearchNextRecords(reply, length, count - filled);
            if (!records) return badReply();
            for (const auto& record : records.Value()) {
                if (!FillEntry(files, filled, record, true)) return badReply();
                host.EntryRead(filled);
                ++filled;
            }
        }
        host.EntriesFilled(filled);
        if (host.StopRequested()) return endEarly(EntryReadEnd::Interrupted);
    }
    return EntryReadResult{EntryReadEnd::Complete, filled};
}

void GiveIcons(FileList& files, IconSource& icons, std::int32_t first, std::int32_t end) {
    for (std::int32_t index = first; index < end; ++index) {
        const auto entry = files.Entry(index);
        if (!entry) continue;
        // Looked up outside the list's lock: the icon source may wait for another thread.
        IconHandle large = icons.FileTypeIcon(entry->type, true);
        IconHandle small = icons.FileTypeIcon(entry->type, false);
        files.Update(index, [&](FileEntry& e) {
            e.largeIcon = std::move(large);
            e.smallIcon = std::move(small);
        });
    }
}

std::string ReadingProgressText(std::int32_t done, std::int32_t count) {
    return LoadLangString(kStrReadingFileList) + " " + std::to_string(done) + " " +
           LoadLangString(kStrFrom) + " " + std::to_string(count) + " " + LoadLangString(kStrRead);
}

}  // namespace velmora
