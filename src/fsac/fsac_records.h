// The FSAC test command's request and reply records, byte for byte. Builders refuse what
// would not fit a record before anything is sent; parsers never read past the reply they
// were given nor trust a count inside it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "fsac/fsac_result.h"

namespace velmora {

inline constexpr const char* kFsacCommand = "FSAC";

enum class FsacOp : std::uint32_t {
    Open = 0,
    Read = 1,
    Write = 2,
    Close = 4,
    Delete = 5,
    SearchStart = 7,
    SearchNext = 8,
    Version = 9,
    Volumes = 10,
    FreeSpace = 11,
};

using FsacRequest = std::vector<std::uint8_t>;

inline constexpr std::size_t kMaxPhonePath = 260;    // characters of a full phone path
inline constexpr std::size_t kMaxSearchText = 128;   // what the 260-byte pattern buffer holds
inline constexpr std::size_t kFsacBlockSize = 1024;  // one read or write

inline constexpr std::size_t kOpenRequestSize = 270;
inline constexpr std::size_t kDeleteRequestSize = 266;
// Where the path starts: open has the attribute word before it, delete only the operation.
inline constexpr std::size_t kPathOffsetOpen = 8;
inline constexpr std::size_t kPathOffsetDelete = 4;
// Between the folder and the mask of a search pattern.
inline constexpr std::uint16_t kSeparatorUnit = 0xFFFE;

// Reply buffers to hand to PSTSendCommand.
inline constexpr std::size_t kSearchStartReplySize = 2;
inline constexpr std::size_t kSearchNextReplySize = 884;
inline constexpr std::size_t kVersionReplySize = 2;
inline constexpr std::size_t kVolumesReplySize = 513;
inline constexpr std::size_t kFreeSpaceReplySize = 4;
inline constexpr std::size_t kReadReplySize = kFsacBlockSize;
inline constexpr std::size_t kScratchReplySize = 2;  // replies that are not read

// Attribute words for open.
inline constexpr std::uint32_t kOpenKeepAttributes = 0xFFFFFFFF;  // read, or write an upload
inline constexpr std::uint32_t kOpenFillFile = 0;

// --- Requests ---
// Paths and search texts are the program's UTF-8. The builders write them in the phone's 8-bit
// text and refuse, naming it, a character that text has no byte for; limits count characters.

// Open for reading or writing: 270 bytes.
FsacResult<FsacRequest> BuildOpenRequest(std::string_view path, std::uint32_t attributes);
// Open that sets the file's attribute word: path length + 10 bytes.
FsacResult<FsacRequest> BuildAttributeChangeRequest(std::string_view path,
                                                    std::uint32_t attributes);
// Asks for NextBlockSize(wanted) bytes: never more than one block.
FsacRequest BuildReadRequest(std::uint32_t wanted);
// At most one block of data.
FsacResult<FsacRequest> BuildWriteRequest(std::span<const std::uint8_t> data);
FsacRequest BuildCloseRequest();
// 266 bytes.
FsacResult<FsacRequest> BuildDeleteRequest(std::string_view path);
// A search for a typed text such as "/a/mobile/*.jpg": folder part, separator unless the
// file-system flag is set, mask, terminator.
FsacResult<FsacRequest> BuildSearchStartRequest(std::string_view text, bool fileSystemFlag);
// "/L/", separator, "*": every file of a volume, with the separator whatever the flag.
FsacRequest BuildVolumeSearchRequest(char volumeLetter);
FsacRequest BuildSearchNextRequest(bool fileSystemFlag);
FsacRequest BuildVersionRequest();
FsacRequest BuildVolumesRequest();
FsacRequest BuildFreeSpaceRequest(char volumeLetter);

// The size of the next read or write: what is still missing, at most one block; 0 when
// nothing is.
std::uint32_t NextBlockSize(std::int64_t missing);

// --- Replies ---
// Each parser takes the reply buffer and the length the library reported; bytes beyond
// either do not exist for it.

struct FsacEntryRecord {
    std::string name;  // the phone's bytes: full path, or with the file-system flag the name
                       // within the volume
    std::uint16_t attributes = 0;
    std::uint16_t secondValue = 0;  // kept, never interpreted
    std::uint32_t size = 0;

    bool operator==(const FsacEntryRecord&) const = default;
};

struct FsacVersion {
    std::uint8_t major = 0;
    std::uint8_t minor = 0;

    bool operator==(const FsacVersion&) const = default;
};

// Search next with one entry: the path's NUL-terminated field, then attributes, second value
// and size.
inline constexpr std::size_t kSearchNextEntryReplySize = 272;
inline constexpr std::size_t kEntryPathOffset = 4;
inline constexpr std::size_t kEntryPathField = 260;
inline constexpr std::size_t kEntryAttributesOffset = 264;
inline constexpr std::size_t kEntrySecondOffset = 266;
inline constexpr std::size_t kEntrySizeOffset = 268;
// Search next with records after a count: each a NUL-terminated name field, then attributes,
// second value and size.
inline constexpr std::size_t kSearchNextRecordSize = 44;
inline constexpr std::size_t kSearchNextRecordsOffset = 4;
inline constexpr std::size_t kRecordNameField = 36;
inline constexpr std::size_t kRecordAttributesOffset = 36;
inline constexpr std::size_t kRecordSecondOffset = 38;
inline constexpr std::size_t kRecordSizeOffset = 40;

// The number of entries a search start announces.
FsacResult<std::uint16_t> ParseSearchStartReply(std::span<const std::uint8_t> reply,
                                                std::int32_t replyLength);
// A search-next reply carrying one entry (file-system flag clear).
FsacResult<FsacEntryRecord> ParseSearchNextEntry(std::span<const std::uint8_t> reply,
                                                 std::int32_t replyLength);
// A search-next reply carrying 1 to stillExpected records (file-system flag set).
FsacResult<std::vector<FsacEntryRecord>> ParseSearchNextRecords(std::span<const std::uint8_t> reply,
                                                                std::int32_t replyLength,
                                                                std::int64_t stillExpected);
FsacResult<FsacVersion> ParseVersionReply(std::span<const std::uint8_t> reply,
                                          std::int32_t replyLength);
// Volume names such as "/a"; units left over after the last whole name are ignored, and a
// reply too short for any name gives none.
std::vector<std::string> ParseVolumesReply(std::span<const std::uint8_t> reply,
                                           std::int32_t replyLength);
// Free bytes, signed as the phone sends them.
FsacResult<std::int32_t> ParseFreeSpaceReply(std::span<const std::uint8_t> reply,
                                             std::int32_t replyLength);
// The data a read delivered: the reported length, cut to what was asked and to the buffer.
std::span<const std::uint8_t> ReadReplyData(std::span<const std::uint8_t> reply,
                                            std::int32_t replyLength, std::uint32_t asked);

}  // namespace velmora
