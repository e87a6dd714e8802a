// The uploads in flight. A phone file cannot be written atomically, so a crash in mid-upload
// leaves a short file that a listing shows as an ordinary one; each upload is noted here
// durably before its first write and dropped once it ends cleanly, and whatever a crash left
// behind is named the next time that phone is read.
#pragma once

#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "transfer/temp_open_file.h"

namespace velmora {

struct UploadJournalEntry {
    std::uint16_t device = 0;
    // The path as FileList lists it ("/a/x.bin", "FLASH/x.bin"), its bytes kept exactly.
    std::string phonePath;
    std::int64_t expectedSize = 0;
    std::uint64_t id = 0;
    friend bool operator==(const UploadJournalEntry&, const UploadJournalEntry&) = default;
};

// The program's state folder: velmora in the user's state folder, else
// /tmp/velmora-state-<uid>/. Ends with "/".
std::string StateFolder(const UserFolders& folders);

// One text file in folder, rewritten whole (temporary file, fsync, rename) on every change, so
// a crash leaves the old or the new journal and never half of one. Every call reads the file
// afresh: instances on the same folder see each other's entries. Thread-safe.
class UploadJournal {
  public:
    // The folder is created (mode 0700) by the first write, not here.
    explicit UploadJournal(std::string folder);
    UploadJournal(const UploadJournal&) = delete;
    UploadJournal& operator=(const UploadJournal&) = delete;

    const std::string& FilePath() const { return m_path; }

    // Records an upload about to start; its id once the record is on disk, nothing when it
    // could not be written (the upload then goes unguarded).
    std::optional<std::uint64_t> Begin(std::uint16_t device, std::string_view phonePath,
                                       std::int64_t expectedSize);
    // The upload ended cleanly: written whole, or its partial file deleted.
    void End(std::uint64_t id);
    // The entries left for device, oldest first.
    std::vector<UploadJournalEntry> Pending(std::uint16_t device) const;
    // The user has dealt with the entry's file.
    void Forget(std::uint64_t id);

  private:
    std::vector<UploadJournalEntry> ReadAll() const;
    bool WriteAll(const std::vector<UploadJournalEntry>& entries);
    void Drop(std::uint64_t id);

    std::string m_folder;
    std::string m_path;
    mutable std::mutex m_mutex;
    std::uint64_t m_lastId = 0;
};

// The process-wide journal in StateFolder of the desktop's folders: the one the uploads
// write and the listings read.
UploadJournal& TheUploadJournal();

}  // namespace velmora
