#include "transfer/local_file.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <random>
#include <string_view>

namespace velmora {

namespace {

constexpr int kCreateFlags = O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC;
constexpr int kStagedNameAttempts = 16;
constexpr std::string_view kStagedPrefix = ".velmora-";
constexpr std::string_view kStagedSuffix = ".part";
constexpr std::size_t kStagedRandomChars = 10;

// Taken before main, so every file this run stages is newer. File times come from the coarse
// clock: read the same one, or a file written at once could seem older than the run.
const timespec kProcessStart = [] {
    timespec now{};
    clock_gettime(CLOCK_REALTIME_COARSE, &now);
    return now;
}();

std::string StagedName() {
    thread_local std::mt19937_64 generator{std::random_device{}()};
    static constexpr char kDigits[] = "0123456789abcdefghijklmnopqrstuvwxyz";
    std::string name(kStagedPrefix);
    for (std::size_t i = 0; i < kStagedRandomChars; ++i) {
        name += kDigits[generator() % (sizeof kDigits - 1)];
    }
    return name.append(kStagedSuffix);
}

bool IsStagedName(std::string_view name) {
    if (name.size() != kStagedPrefix.size() + kStagedRandomChars + kStagedSuffix.size() ||
        !name.starts_with(kStagedPrefix) || !name.ends_with(kStagedSuffix)) {
        return false;
    }
    for (char c : name.substr(kStagedPrefix.size(), kStagedRandomChars)) {
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'z'))) return false;
    }
    return true;
}

bool Before(const timespec& a, const timespec& b) {
    return a.tv_sec < b.tv_sec || (a.tv_sec == b.tv_sec && a.tv_nsec < b.tv_nsec);
}

std::string InFolder(const std::string& folder, const std::string& name) {
    if (folder.empty() || folder.back() == '/') return folder + name;
    return folder + "/" + name;
}

int RenameNoReplace(const char* from, const char* to) {
    if (renameat2(AT_FDCWD, from, AT_FDCWD, to, RENAME_NOREPLACE) == 0) return 0;
    if (errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP) return errno;
    // A file system without that rename (NFS): a hard link fails on an existing name as well.
    if (link(from, to) == 0) {
        unlink(from);
        return 0;
    }
    if (errno != EPERM && errno != ENOSYS && errno != EOPNOTSUPP) return errno;
    // Neither (some FUSE file systems): look, then rename.
    struct stat existing {};
    if (lstat(to, &existing) == 0) return EEXIST;
    return rename(from, to) == 0 ? 0 : errno;
}

// Makes the new name durable. The file has its name whatever this says, so a failure is not
// the user's concern.
void SyncFolderOf(const std::string& path) {
    const auto slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? "."
                               : slash == 0               ? "/"
                                                          : path.substr(0, slash);
    const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    fsync(fd);
    close(fd);
}

}  // namespace

bool IsSafeLocalName(std::string_view name) {
    if (name.empty() || name == "." || name == "..") return false;
    for (unsigned char c : name) {
        if (c == '/' || c < 0x20 || c == 0x7F) return false;
    }
    return true;
}

std::string SystemReason(int error) {
    char buffer[256];
    // The GNU variant returns the text, which need not be in the buffer.
    return strerror_r(error, buffer, sizeof buffer);
}

LocalFile::~LocalFile() {
    Discard();
}

bool LocalFile::Fail(int error) {
    m_error = error;
    return false;
}

bool LocalFile::CreateStaged(const std::string& folder, const std::string& name) {
    m_path = InFolder(folder, name);
    // A folder of the final name would only fail at the rename, after the whole transfer.
    struct stat existing {};
    if (lstat(m_path.c_str(), &existing) == 0 && S_ISDIR(existing.st_mode)) return Fail(EISDIR);
    for (int attempt = 0; attempt < kStagedNameAttempts; ++attempt) {
        const std::string staged = InFolder(folder, StagedName());
        m_fd = open(staged.c_str(), kCreateFlags, 0666);
        if (m_fd >= 0) {
            m_written = staged;
            return true;
        }
        if (errno != EEXIST) return Fail(errno);
    }
    return Fail(EEXIST);
}

bool LocalFile::CreateExclusive(const std::string& path) {
    m_path = path;
    m_fd = open(path.c_str(), kCreateFlags, 0666);
    if (m_fd < 0) return Fail(errno);
    m_written = path;
    return true;
}

bool LocalFile::CreateInNewFolder(const std::string& folder, const std::string& name) {
    const std::string made =
        folder.size() > 1 && folder.ends_with('/') ? folder.substr(0, folder.size() - 1) : folder;
    m_path = InFolder(made, name);
    if (mkdir(made.c_str(), 0700) != 0) return Fail(errno);
    if (!CreateExclusive(m_path)) {
        rmdir(made.c_str());
        return false;
    }
    m_folder = made;
    return true;
}

bool LocalFile::Write(std::span<const std::uint8_t> data) {
    if (m_fd < 0) return Fail(EBADF);
    while (!data.empty()) {
        const ssize_t n = write(m_fd, data.data(), data.size());
        if (n < 0) {
            if (errno == EINTR) continue;
            return Fail(errno);
        }
        data = data.subspan(static_cast<std::size_t>(n));
    }
    return true;
}

bool LocalFile::Commit(CommitMode mode) {
    if (m_fd < 0) return Fail(EBADF);
    const int fd = m_fd;
    m_fd = -1;
    const bool staged = m_written != m_path;
    int error = 0;
    // The bytes reach the disk before the name does. EINVAL: a file system that cannot sync.
    if (staged && fsync(fd) != 0 && errno != EINVAL) error = errno;
    if (close(fd) != 0 && error == 0) error = errno;
    if (error == 0 && staged) {
        if (mode == CommitMode::NoReplace) {
            error = RenameNoReplace(m_written.c_str(), m_path.c_str());
        } else if (rename(m_written.c_str(), m_path.c_str()) != 0) {
            error = errno;
        }
        if (error == 0) SyncFolderOf(m_path);
    }
    if (error != 0) {
        RemoveWritten();
        return Fail(error);
    }
    m_written.clear();
    m_folder.clear();
    return true;
}

void LocalFile::Discard() {
    if (m_fd >= 0) {
        close(m_fd);
        m_fd = -1;
    }
    RemoveWritten();
}

void LocalFile::RemoveWritten() {
    if (!m_written.empty()) unlink(m_written.c_str());
    m_written.clear();
    if (!m_folder.empty()) rmdir(m_folder.c_str());
    m_folder.clear();
}

void RemoveStalePartFiles(const std::string& folder) {
    const int fd = open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    DIR* dir = fdopendir(fd);
    if (dir == nullptr) {
        close(fd);
        return;
    }
    while (const dirent* entry = readdir(dir)) {
        struct stat info {};
        if (!IsStagedName(entry->d_name) ||
            fstatat(fd, entry->d_name, &info, AT_SYMLINK_NOFOLLOW) != 0) {
            continue;
        }
        if (S_ISREG(info.st_mode) && Before(info.st_mtim, kProcessStart)) {
            unlinkat(fd, entry->d_name, 0);
        }
    }
    closedir(dir);
}

}  // namespace velmora
