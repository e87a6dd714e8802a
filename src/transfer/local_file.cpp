#include "transfer/local_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <random>

namespace velmora {

namespace {

constexpr int kCreateFlags = O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC;
constexpr int kStagedNameAttempts = 16;

std::string StagedName() {
    thread_local std::mt19937_64 generator{std::random_device{}()};
    static constexpr char kDigits[] = "0123456789abcdefghijklmnopqrstuvwxyz";
    std::string name = ".velmora-";
    for (int i = 0; i < 10; ++i) name += kDigits[generator() % (sizeof kDigits - 1)];
    return name + ".part";
}

std::string InFolder(const std::string& folder, const std::string& name) {
    if (folder.empty() || folder.back() == '/') return folder + name;
    return folder + "/" + name;
}

}  // namespace

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

bool LocalFile::Commit() {
    if (m_fd < 0) return Fail(EBADF);
    const int fd = m_fd;
    m_fd = -1;
    if (close(fd) != 0) {
        const int error = errno;
        unlink(m_written.c_str());
        m_written.clear();
        return Fail(error);
    }
    if (m_written != m_path && rename(m_written.c_str(), m_path.c_str()) != 0) {
        const int error = errno;
        unlink(m_written.c_str());
        m_written.clear();
        return Fail(error);
    }
    m_written.clear();
    return true;
}

void LocalFile::Discard() {
    if (m_fd >= 0) {
        close(m_fd);
        m_fd = -1;
    }
    if (!m_written.empty()) {
        unlink(m_written.c_str());
        m_written.clear();
    }
}

}  // namespace velmora
