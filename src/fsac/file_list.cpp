#include "fsac/file_list.h"

#include <algorithm>
#include <utility>

#include "base/phone_text.h"

namespace velmora {
namespace {

bool InStorage(std::int32_t index, const std::vector<FileEntry>& entries) {
    return index >= 0 && static_cast<std::size_t>(index) < entries.size();
}

void FitTexts(FileEntry& entry) {
    entry.path = FitPhonePath(entry.path);
    entry.type = FitPhonePath(entry.type);
}

}  // namespace

std::string TypeText(std::string_view name) {
    name = name.substr(0, name.find('\0'));
    const auto dot = name.rfind('.');
    if (dot == std::string_view::npos) return {};
    return FitPhonePath(name.substr(dot + 1));
}

std::string FitPhonePath(std::string_view path) {
    path = path.substr(0, path.find('\0'));
    return std::string(LeadingCharacters(path, kMaxPhonePathChars));
}

FileEntry MakeFileEntry(std::string_view path, std::string_view typeSource,
                        std::uint16_t attributes, std::uint16_t secondValue, std::int32_t size) {
    FileEntry entry;
    entry.path = FitPhonePath(path);
    entry.type = TypeText(typeSource);
    entry.attributes = attributes;
    entry.secondValue = secondValue;
    entry.size = size;
    return entry;
}

FileEntry EntryFromRecord(const FsacEntryRecord& record, bool fileSystemFlag) {
    const std::string name = DecodePhoneText(record.name);
    const std::string path = fileSystemFlag ? "FLASH/" + name : name;
    return MakeFileEntry(path, name, record.attributes, record.secondValue,
                         static_cast<std::int32_t>(record.size));
}

std::int32_t FileList::Count() const {
    std::lock_guard lock(m_mutex);
    return m_count;
}

void FileList::SetCount(std::int32_t count) {
    std::lock_guard lock(m_mutex);
    m_count = count;
}

bool FileList::HasStorage() const {
    std::lock_guard lock(m_mutex);
    return m_hasStorage;
}

std::int32_t FileList::StorageSize() const {
    std::lock_guard lock(m_mutex);
    return static_cast<std::int32_t>(m_entries.size());
}

void FileList::Clear() {
    std::vector<FileEntry> dropped;  // its icons go after the lock is released
    std::lock_guard lock(m_mutex);
    dropped.swap(m_entries);
    m_hasStorage = false;
}

void FileList::Release() {
    Clear();
}

void FileList::Allocate(std::int32_t count) {
    std::vector<FileEntry> fresh(static_cast<std::size_t>(std::max<std::int32_t>(count, 0)));
    std::lock_guard lock(m_mutex);
    m_entries.swap(fresh);
    m_hasStorage = true;
    m_count = count;
}

void FileList::Grow(std::int32_t n) {
    std::lock_guard lock(m_mutex);
    const auto wanted = std::max<std::int64_t>(std::int64_t{m_count} + n, 0);
    // Entries the storage holds beyond the count are never dropped by growing.
    const auto size = std::max<std::int64_t>(wanted, static_cast<std::int64_t>(m_entries.size()));
    m_entries.resize(static_cast<std::size_t>(size));
    m_hasStorage = true;
}

std::int32_t FileList::Find(std::string_view path) const {
    std::lock_guard lock(m_mutex);
    for (std::size_t i = 0; i < m_entries.size(); ++i) {
        if (m_entries[i].path == path) return static_cast<std::int32_t>(i);
    }
    return -1;
}

std::int32_t FileList::Remove(std::string_view path) {
    std::vector<FileEntry> removed;  // destroyed after the lock, with their icons
    std::lock_guard lock(m_mutex);
    auto kept = std::stable_partition(m_entries.begin(), m_entries.end(),
                                      [&](const FileEntry& e) { return e.path != path; });
    removed.assign(std::make_move_iterator(kept), std::make_move_iterator(m_entries.end()));
    m_entries.erase(kept, m_entries.end());
    return static_cast<std::int32_t>(removed.size());
}

std::optional<FileEntry> FileList::Entry(std::int32_t index) const {
    std::lock_guard lock(m_mutex);
    if (!InStorage(index, m_entries)) return std::nullopt;
    return m_entries[static_cast<std::size_t>(index)];
}

bool FileList::SetEntry(std::int32_t index, FileEntry entry) {
    FitTexts(entry);
    std::lock_guard lock(m_mutex);
    if (!InStorage(index, m_entries)) return false;
    // The old entry, icons included, leaves with `entry` after the lock.
    std::swap(m_entries[static_cast<std::size_t>(index)], entry);
    return true;
}

bool FileList::Update(std::int32_t index, const std::function<void(FileEntry&)>& change) {
    std::lock_guard lock(m_mutex);
    if (!InStorage(index, m_entries)) return false;
    auto& entry = m_entries[static_cast<std::size_t>(index)];
    change(entry);
    FitTexts(entry);
    return true;
}

std::vector<FileEntry> FileList::Snapshot(std::int32_t limit) const {
    std::lock_guard lock(m_mutex);
    const auto n =
        std::min(static_cast<std::size_t>(std::max<std::int32_t>(limit, 0)), m_entries.size());
    return {m_entries.begin(), m_entries.begin() + static_cast<std::ptrdiff_t>(n)};
}

FileList& TheFileList() {
    static FileList list;
    return list;
}

}  // namespace velmora
