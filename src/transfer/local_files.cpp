#include "transfer/local_files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>

#include "base/lang_string.h"
#include "base/phone_text.h"
#include "fsac/fsac_records.h"

namespace velmora {

namespace {

constexpr int kStrInsufficientSpace = 103;
constexpr int kStrFilesSize = 104;
constexpr int kStrFreeSpace = 106;
constexpr int kStrLack = 107;

constexpr int kStrNotUploaded = 480;
constexpr int kStrMissing = 481;
constexpr int kStrUnreadable = 482;
constexpr int kStrFolder = 483;
constexpr int kStrNotRegular = 484;
constexpr int kStrTooLarge = 485;
constexpr int kStrBadCharacter = 486;
constexpr int kStrControlCharacter = 487;
constexpr int kStrUploadPathTooLong = 488;

int ReasonString(FileRefusal why) {
    switch (why) {
        case FileRefusal::Missing:
            return kStrMissing;
        case FileRefusal::Unreadable:
            return kStrUnreadable;
        case FileRefusal::Folder:
            return kStrFolder;
        case FileRefusal::NotRegular:
            return kStrNotRegular;
        case FileRefusal::TooLarge:
            return kStrTooLarge;
        case FileRefusal::BadCharacter:
            return kStrBadCharacter;
        case FileRefusal::ControlCharacter:
            return kStrControlCharacter;
        case FileRefusal::PathTooLong:
            return kStrUploadPathTooLong;
        case FileRefusal::None:
            break;
    }
    return 0;
}

std::string LastComponent(const std::string& path) {
    return std::filesystem::path(path).filename().string();
}

FileRefusal RefusalOfErrno(int error) {
    return error == ENOENT || error == ENOTDIR ? FileRefusal::Missing : FileRefusal::Unreadable;
}

// Opened without blocking, so that a pipe or a device never hangs the size pass; the kind is
// taken from the open descriptor, so it is the file that will be read.
struct OpenedFile {
    int fd = -1;
    std::int64_t size = 0;
    FileRefusal why = FileRefusal::None;
    ~OpenedFile() {
        if (fd >= 0) ::close(fd);
    }
};

void Open(const std::string& path, OpenedFile& file) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        file.why = RefusalOfErrno(errno);
        return;
    }
    if (S_ISDIR(info.st_mode)) {
        file.why = FileRefusal::Folder;
        return;
    }
    if (!S_ISREG(info.st_mode)) {
        file.why = FileRefusal::NotRegular;
        return;
    }
    file.fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (file.fd < 0) {
        file.why = RefusalOfErrno(errno);
        return;
    }
    if (::fstat(file.fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        file.why = FileRefusal::NotRegular;
        return;
    }
    file.size = static_cast<std::int64_t>(info.st_size);
    if (file.size > kMaxUploadSize) file.why = FileRefusal::TooLarge;
}

}  // namespace

SizePass MeasureLocalFiles(const std::vector<std::string>& paths) {
    SizePass pass;
    for (const std::string& path : paths) {
        OpenedFile file;
        Open(path, file);
        if (file.why != FileRefusal::None) {
            pass.refused.push_back({path, file.why, {}});
            continue;
        }
        RefusedFile nameCheck{path, FileRefusal::None, {}};
        if (!PhoneCanHold(LastComponent(path), &nameCheck)) {
            pass.refused.push_back(std::move(nameCheck));
            continue;
        }
        pass.files.push_back({path, LastComponent(path), file.size});
        pass.total += file.size;
    }
    return pass;
}

LocalRead ReadLocalFile(const std::string& path) {
    LocalRead read;
    OpenedFile file;
    Open(path, file);
    if (file.why != FileRefusal::None) {
        read.why = file.why;
        return read;
    }
    read.bytes.resize(static_cast<std::size_t>(file.size));
    std::size_t done = 0;
    while (done < read.bytes.size()) {
        const ssize_t n = ::read(file.fd, read.bytes.data() + done, read.bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            // Shorter than it was a moment ago, or a read error: not what the size promised.
            read.bytes.clear();
            read.why = FileRefusal::Unreadable;
            return read;
        }
        done += static_cast<std::size_t>(n);
    }
    return read;
}

bool PhoneCanHold(std::string_view localName, RefusedFile* refused) {
    for (char c : localName) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F) {
            if (refused) refused->why = FileRefusal::ControlCharacter;
            return false;
        }
    }
    const PhoneTextEncoding encoded = EncodePhoneText(localName);
    if (!encoded.Ok() && refused) {
        refused->why = FileRefusal::BadCharacter;
        refused->detail = encoded.refused;
    }
    return encoded.Ok();
}

std::optional<std::string> BuildPhonePath(std::string_view folder, std::string_view localName,
                                          bool fileSystemFlag, RefusedFile* refused) {
    if (!PhoneCanHold(localName, refused)) return std::nullopt;
    std::string path =
        fileSystemFlag ? std::string(localName) : std::string(folder) + std::string(localName);
    const PhoneTextEncoding encoded = EncodePhoneText(path);
    if (!encoded.Ok()) {
        if (refused) {
            refused->why = FileRefusal::BadCharacter;
            refused->detail = encoded.refused;
        }
        return std::nullopt;
    }
    if (encoded.bytes.size() > kMaxPhonePath) {
        if (refused) refused->why = FileRefusal::PathTooLong;
        return std::nullopt;
    }
    return path;
}

std::string RefusalMessage(const std::vector<RefusedFile>& refused) {
    std::string text = LoadLangString(kStrNotUploaded);
    for (const RefusedFile& file : refused) {
        text += "\n" + file.path + ": " + LoadLangString(ReasonString(file.why));
        if (!file.detail.empty()) text += " " + file.detail;
    }
    return text;
}

std::string InsufficientSpaceMessage(std::int64_t total, std::int32_t freeSpace) {
    return LoadLangString(kStrInsufficientSpace) + "\n" + LoadLangString(kStrFilesSize) + " " +
           LoadLangCount(kStrByteCount, total) + "\n" + LoadLangString(kStrFreeSpace) + " " +
           LoadLangCount(kStrByteCount, freeSpace) + "\n" + LoadLangString(kStrLack) + " " +
           LoadLangCount(kStrByteCount, total - freeSpace);
}

}  // namespace velmora
