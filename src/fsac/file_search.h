// Listing and search on the phone: search start, which announces how many entries match, and
// the entry reader's loop, which fetches them with search next into the file list. The phone
// is never trusted with the list's bounds: a reply that cannot be right ends the reading.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "base/icon_image.h"
#include "fsac/file_list.h"
#include "phone/open_channel.h"

namespace velmora {

inline constexpr int kStrReadingFileList = 144;
inline constexpr int kStrFrom = 113;
inline constexpr int kStrRead = 146;
inline constexpr int kStrReadingInterrupted = 119;
inline constexpr int kStrNoFilesFound = 151;
inline constexpr int kStrVolumeNotSelected = 131;

// The mask box hands over at most this many characters.
inline constexpr std::size_t kMaxSearchMaskChars = 259;

// Sends search start on an open channel and returns the number of matching entries. On a
// failed send the channel's row has reported it; a reply too short for the count is reported
// the same way, since nothing can be read after it.
std::optional<std::uint16_t> SendSearchStart(CommandChannel& channel,
                                             std::span<const std::uint8_t> request);

// The window's side of the reader's loop. Called on the reader's thread, in this order per
// reply: EntryRead for every entry it filled, then EntriesFilled, then StopRequested.
class EntryReaderHost {
  public:
    virtual ~EntryReaderHost() = default;
    // "WM_GET_FILE_INFO": entry index has been filled.
    virtual void EntryRead(std::int32_t index) = 0;
    // The first count entries are filled and have their icons.
    virtual void EntriesFilled(std::int32_t count) = 0;
    // The stop flag, read once per reply.
    virtual bool StopRequested() = 0;
};

enum class EntryReadEnd {
    Complete,     // every announced entry arrived
    Interrupted,  // the user asked to stop
    SendFailed,   // search next failed; reported
    BadReply,     // a reply that cannot be right; reported like a failed send
};

struct EntryReadResult {
    EntryReadEnd end = EntryReadEnd::Complete;
    std::int32_t entriesRead = 0;
};

// Reads the entries that search start announced into files, whose storage holds them
// already: one entry per reply, or with the file-system flag several "FLASH/" records. The
// entries come without icons (GiveIcons). When the reading ends early the list's count
// becomes the number of entries read, so no zero-filled entry is announced.
EntryReadResult ReadEntries(CommandChannel& channel, FileList& files, bool fileSystemFlag,
                            std::int32_t count, EntryReaderHost& host);

// Gives the entries first to end - 1 the large and the small icon of their type; indexes
// beyond the storage are left out.
void GiveIcons(FileList& files, IconSource& icons, std::int32_t first, std::int32_t end);

// Status part 4 while reading: "Reading file list from phone... 3 from 40 read".
std::string ReadingProgressText(std::int32_t done, std::int32_t count);

}  // namespace velmora
