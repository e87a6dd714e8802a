// The computer's side of an upload: which chosen files can go (the size pass), reading one
// whole, the phone path a file gets, and the messages that name what stays behind. Every
// refusal is found before anything is sent for the file.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velmora {

// Sizes travel as signed 32-bit numbers: a file must stay below 2 GiB.
inline constexpr std::int64_t kMaxUploadSize = 0x7FFFFFFF;
inline constexpr int kStrByteCount = 627;  // "%d bytes", by the count; 156 is the short "b"

enum class FileRefusal {
    None,
    Missing,           // gone since it was chosen
    Unreadable,        // no permission, or a read error
    Folder,            // dropped folders are not uploaded
    NotRegular,        // device, pipe, socket
    TooLarge,          // 2 GiB or more
    BadCharacter,      // no byte for it in the phone's code page; detail names it
    ControlCharacter,  // a byte below 0x20 or 0x7F
    PathTooLong,       // the phone path would exceed 260 characters
};

struct RefusedFile {
    std::string path;  // local path as chosen, UTF-8
    FileRefusal why = FileRefusal::None;
    std::string detail;  // the character for BadCharacter
};

struct UploadSource {
    std::string path;
    std::string name;  // the last component, as the local file system spells it
    std::int64_t size = 0;
};

struct SizePass {
    std::vector<UploadSource> files;  // in the order chosen
    std::vector<RefusedFile> refused;
    std::int64_t total = 0;  // the sum of the files' sizes, never wrapped
};

// Opens each file for reading and takes its size; what cannot go is refused, not counted.
SizePass MeasureLocalFiles(const std::vector<std::string>& paths);

// The whole file, or the reason it cannot be read now.
struct LocalRead {
    std::vector<std::uint8_t> bytes;
    FileRefusal why = FileRefusal::None;
};
LocalRead ReadLocalFile(const std::string& path);

// Whether the phone can store the local name: every character has a byte in its code page
// and none is a control character (else *refused says which).
bool PhoneCanHold(std::string_view localName, RefusedFile* refused);

// The phone path of a file, in the program's text: the folder followed by the name, or the
// bare name on a phone without folders; refused when a character does not fit or the path
// exceeds 260 characters.
std::optional<std::string> BuildPhonePath(std::string_view folder, std::string_view localName,
                                          bool fileSystemFlag, RefusedFile* refused);

// "These files are not uploaded:" and one line per file with its reason.
std::string RefusalMessage(const std::vector<RefusedFile>& refused);

// The box when the files do not fit: five lines, the last the missing bytes.
std::string InsufficientSpaceMessage(std::int64_t total, std::int32_t freeSpace);

}  // namespace velmora
