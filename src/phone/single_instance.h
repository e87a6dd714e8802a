// One running copy per user. The lock is an flock on a file in the user's runtime folder: the
// system releases it with the process however that ends, so a crash or kill -9 leaves nothing
// stale behind, and only a copy that really runs holds it.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "base/user_folders.h"

namespace velmora {

enum class InstanceLockState {
    Acquired,        // this is the only copy
    AnotherRunning,  // a running copy holds the lock
    Unavailable,     // no lock could be made; the copy runs without one
};

class SingleInstanceLock {
  public:
    // Takes the lock at once; an empty path gives Unavailable.
    explicit SingleInstanceLock(const std::filesystem::path& file);
    ~SingleInstanceLock();
    SingleInstanceLock(const SingleInstanceLock&) = delete;
    SingleInstanceLock& operator=(const SingleInstanceLock&) = delete;

    InstanceLockState State() const { return m_state; }
    // Why the lock is unavailable: the file and the system's reason.
    const std::string& Problem() const { return m_problem; }

  private:
    int m_fd = -1;
    InstanceLockState m_state = InstanceLockState::Unavailable;
    std::string m_problem;
};

inline constexpr int kStrNoInstanceLock = 407;

// The line for standard error when the lock is unavailable, in the current language.
std::string InstanceLockMessage(const SingleInstanceLock& lock);

// velmora.lock in the session's runtime folder, else velmora/velmora.lock in the cache folder,
// never a dotfile in the home; nothing when the session has neither.
std::optional<std::filesystem::path> InstanceLockPath(const UserFolders& folders);
// Makes the lock's folder when it is the private one in the cache (mode 0700), creating the
// cache folder itself only inside an existing home; errors are left to the lock to report.
void PrepareInstanceLockFolder(const std::filesystem::path& lock, const UserFolders& folders);

}  // namespace velmora
