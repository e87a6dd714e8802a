// Local files that phone data goes into. A download never leaves a partial file under the
// final name: the data streams into a fresh hidden file beside it and takes the final name
// only when complete. Files are always created anew (never opened through a link or over an
// existing file), and each failure carries the path and the system's reason for the user.
// A committed file is on the disk before it takes its name, so a crash never leaves a replaced
// file with missing bytes.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace velmora {

// Whether a name from the phone may become a local file name directly inside a folder: not
// empty, not "." or "..", without "/" and without control characters.
bool IsSafeLocalName(std::string_view name);

// The system's reason for a failed call, e.g. "Permission denied".
std::string SystemReason(int error);

enum class CommitMode {
    Replace,    // the final name's file, if any, is replaced
    NoReplace,  // an existing final name fails the commit with EEXIST and stays as it was
};

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
    // Exactly folder + "/" + name in a new folder (mode 0700; EEXIST when it exists), which
    // goes with the file when the file is discarded.
    bool CreateInNewFolder(const std::string& folder, const std::string& name);

    bool Write(std::span<const std::uint8_t> data);
    // Closes the file and, when staged, gives it its final name once its bytes are on the
    // disk; a failed commit removes the file.
    bool Commit(CommitMode mode = CommitMode::Replace);
    // Closes and removes the file; the final name stays as it was.
    void Discard();

    // The path the user knows the file by: the final name.
    const std::string& Path() const { return m_path; }
    int ErrorCode() const { return m_error; }
    std::string ErrorReason() const { return SystemReason(m_error); }

  private:
    bool Fail(int error);
    void RemoveWritten();

    int m_fd = -1;
    std::string m_path;     // final name
    std::string m_written;  // the file being written; differs from m_path when staged
    std::string m_folder;   // made for this file alone, removed with it
    int m_error = 0;
};

// Removes the staged files (".velmora-" + 10 of [0-9a-z] + ".part") that a killed earlier run
// left in folder: regular files only, older than this process. Errors are ignored.
void RemoveStalePartFiles(const std::string& folder);

}  // namespace velmora
