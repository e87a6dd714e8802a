// The in-memory list of phone files that listing and search fill and the transfers change in
// place. The tree and the file list view are built from it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/icon_image.h"
#include "fsac/fsac_records.h"

namespace velmora {

// A phone path fits a 260-byte field with its terminating NUL.
inline constexpr std::size_t kMaxPhonePathChars = kMaxPhonePath - 1;

// Attribute bits that together mark an entry as a folder of its own (the tree reads them).
inline constexpr std::uint16_t kFolderEntryBits = 0x0A;

struct FileEntry {
    std::string path;  // full phone path in UTF-8, at most kMaxPhonePathChars characters
    std::string type;  // what follows the last "." of the name; empty when there is none
    std::uint16_t attributes = 0;
    std::uint16_t secondValue = 0;  // kept with the entry, read by nothing
    std::int32_t size = 0;
    IconHandle smallIcon;  // 16 x 16
    IconHandle largeIcon;  // 32 x 32
};

// The characters after the last "." anywhere in name: "/a/my.dir/readme" gives "dir/readme".
std::string TypeText(std::string_view name);
// The text as the entry's fixed field holds it: up to a NUL, at most kMaxPhonePathChars
// characters.
std::string FitPhonePath(std::string_view path);
// An entry without icons: the path cut to fit, the type taken from typeSource (the reported
// name; the path itself when the phone reports full paths).
FileEntry MakeFileEntry(std::string_view path, std::string_view typeSource,
                        std::uint16_t attributes, std::uint16_t secondValue, std::int32_t size);

// An entry as a search-next record reports it, its phone text decoded. With the file-system
// flag the record holds the bare name, which gets the single volume "FLASH/" in front. Sizes of 2
// GB and more turn negative, as the signed size field has them.
FileEntry EntryFromRecord(const FsacEntryRecord& record, bool fileSystemFlag);

// Shared by the window's thread and the workers, so every operation locks and entries are
// copied out rather than handed out by reference. The count is what the last search announced
// and may differ from the storage (a failed read keeps the count while later entries stay
// zero-filled); indexes beyond the storage read as nothing whatever the count says.
class FileList {
  public:
    std::int32_t Count() const;
    void SetCount(std::int32_t count);
    bool HasStorage() const;
    // How many entries the storage holds (0 without storage).
    std::int32_t StorageSize() const;

    // Drops every entry with its icons and releases the storage; the count stays.
    void Clear();
    // Releases the storage at exit; the same as Clear, kept apart for its callers' intent.
    void Release();
    // New zero-filled storage of count entries, which also becomes the count. A negative count
    // gives empty storage.
    void Allocate(std::int32_t count);
    // New zero-filled storage for count + n entries with the existing ones at their indexes;
    // the caller raises the count as it appends.
    void Grow(std::int32_t n);

    // The first entry whose path equals path byte for byte, or -1.
    std::int32_t Find(std::string_view path) const;
    // Drops every entry whose path equals path, the others keep their order. Returns how many
    // went (0 when path is absent, and then nothing changes); the caller lowers the count.
    std::int32_t Remove(std::string_view path);

    // A copy of entry index, or nothing beyond the storage.
    std::optional<FileEntry> Entry(std::int32_t index) const;
    // Replaces entry index, its texts cut to fit; false beyond the storage.
    bool SetEntry(std::int32_t index, FileEntry entry);
    // Changes entry index in place under the lock; false beyond the storage. The change must
    // not call back into the list.
    bool Update(std::int32_t index, const std::function<void(FileEntry&)>& change);
    // Copies of the first min(limit, storage) entries.
    std::vector<FileEntry> Snapshot(std::int32_t limit) const;

  private:
    mutable std::mutex m_mutex;
    std::int32_t m_count = 0;
    bool m_hasStorage = false;
    std::vector<FileEntry> m_entries;
};

// The process-wide list.
FileList& TheFileList();

}  // namespace velmora
