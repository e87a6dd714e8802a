#include "phone/single_instance.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "base/lang_string.h"

namespace velmora {

SingleInstanceLock::SingleInstanceLock(const std::filesystem::path& file) {
    if (file.empty()) {
        m_problem = "no runtime folder and no home folder";
        return;
    }
    m_fd = ::open(file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (m_fd < 0) {
        m_problem = file.string() + ": " + std::strerror(errno);
        return;
    }
    int rc = 0;
    do {
        rc = ::flock(m_fd, LOCK_EX | LOCK_NB);
    } while (rc != 0 && errno == EINTR);
    if (rc == 0) {
        m_state = InstanceLockState::Acquired;
        // For a person looking at the file; nothing reads it back.
        const std::string pid = std::to_string(::getpid()) + "\n";
        if (::ftruncate(m_fd, 0) == 0) {
            [[maybe_unused]] const auto written = ::write(m_fd, pid.data(), pid.size());
        }
        return;
    }
    if (errno == EWOULDBLOCK) {
        m_state = InstanceLockState::AnotherRunning;
    } else {
        m_problem = file.string() + ": " + std::strerror(errno);
    }
    ::close(m_fd);
    m_fd = -1;
}

SingleInstanceLock::~SingleInstanceLock() {
    if (m_fd >= 0) ::close(m_fd);
}

std::string InstanceLockMessage(const SingleInstanceLock& lock) {
    std::string text = LoadLangString(kStrNoInstanceLock);
    if (const auto mark = text.find("%s"); mark != std::string::npos) {
        text.replace(mark, 2, lock.Problem());
    }
    return text;
}

std::optional<std::filesystem::path> InstanceLockPath(const UserFolders& folders) {
    const std::string lockName = std::string(kProgramFolderName) + ".lock";
    if (!folders.runtime.empty()) return std::filesystem::path(folders.runtime) / lockName;
    if (folders.cache.empty()) return std::nullopt;
    return std::filesystem::path(folders.cache) / kProgramFolderName / lockName;
}

void PrepareInstanceLockFolder(const std::filesystem::path& lock, const UserFolders& folders) {
    if (lock.empty() || !folders.runtime.empty()) return;
    const std::filesystem::path folder = lock.parent_path();
    // One level each: a home that does not exist is not made here.
    mkdir(folder.parent_path().c_str(), 0700);
    mkdir(folder.c_str(), 0700);
}

}  // namespace velmora
