// Local files that phone data goes into. A download never leaves a partial file under the
// final name: the data streams into a fresh hidden file beside it and takes the final name
// only when complete. Files are always created anew (never opened through a link or over an
// existing file), and each failure carries the path and the system's reason for the user.
#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace velmora {

// The system's reason for a failed call, e.g. "Permission denied".
std::string SystemReason(int error);

class LocalFile {
  public:
    LocalFile() = default;
    // An uncommitted file is removed.
    ~LocalFile();
    LocalFile(const LocalFile&) = delete;
    LocalFile& operator=(const LocalFile&) = delete;

    // A hidden file in folder that Commit renames to folder + name (replacing a file of that
    // name, never a folder).
    bool CreateStaged(const std::string& folder, const std::string& name);
    // Exactly path, which must not exist yet (errno EEXIST then: see ErrorCode).
    bool CreateExclusive(const std::string& path);

    bool Write(std::span<const std::uint8_t> data);
    // Closes the file and, when staged, gives it its final name.
    bool Commit();
    // Closes and removes the file; the final name stays as it was.
    void Discard();

    // The path the user knows the file by: the final name.
    const std::string& Path() const { return m_path; }
    int ErrorCode() const { return m_error; }
    std::string ErrorReason() const { return SystemReason(m_error); }

  private:
    bool Fail(int error);

    int m_fd = -1;
    std::string m_path;     // final name
    std::string m_written;  // the file being written; differs from m_path when staged
    int m_error = 0;
};

}  // namespace velmora
