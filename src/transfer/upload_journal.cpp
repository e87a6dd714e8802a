#include "transfer/upload_journal.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <utility>

namespace velmora {

namespace {

constexpr const char* kJournalName = "uploads";
constexpr const char* kTempSuffix = ".new";
constexpr const char* kHexDigits = "0123456789ABCDEF";

std::string WithSlash(std::string folder) {
    if (!folder.ends_with('/')) folder += '/';
    return folder;
}

// Tabs and line feeds would break the line apart; the other control bytes are escaped too so
// that the file stays readable. Everything else, windows-1251 or UTF-8, is kept as it is.
std::string EscapePath(std::string_view path) {
    std::string out;
    for (const char c : path) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '\\') {
            out += "\\\\";
        } else if (c == '\t') {
            out += "\\t";
        } else if (c == '\n') {
            out += "\\n";
        } else if (byte < 0x20 || byte == 0x7F) {
            out += "\\x";
            out += kHexDigits[byte >> 4];
            out += kHexDigits[byte & 0xF];
        } else {
            out += c;
        }
    }
    return out;
}

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

std::optional<std::string> UnescapePath(std::string_view text) {
    std::string out;
    for (std::size_t at = 0; at < text.size(); ++at) {
        if (text[at] != '\\') {
            out += text[at];
            continue;
        }
        if (++at == text.size()) return std::nullopt;
        switch (text[at]) {
            case '\\':
                out += '\\';
                break;
            case 't':
                out += '\t';
                break;
            case 'n':
                out += '\n';
                break;
            case 'x': {
                if (at + 2 >= text.size()) return std::nullopt;
                const int high = HexValue(text[at + 1]);
                const int low = HexValue(text[at + 2]);
                if (high < 0 || low < 0) return std::nullopt;
                out += static_cast<char>(high * 16 + low);
                at += 2;
                break;
            }
            default:
                return std::nullopt;
        }
    }
    return out;
}

template <typename Number>
std::optional<Number> ParseNumber(std::string_view text) {
    Number value{};
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || text.empty()) {
        return std::nullopt;
    }
    return value;
}

// id, device, expected size and path, tab-separated.
std::string JournalLine(const UploadJournalEntry& entry) {
    return std::to_string(entry.id) + '\t' + std::to_string(entry.device) + '\t' +
           std::to_string(entry.expectedSize) + '\t' + EscapePath(entry.phonePath) + '\n';
}

std::optional<UploadJournalEntry> ParseJournalLine(std::string_view line) {
    std::string_view fields[4];
    for (int k = 0; k < 3; ++k) {
        const auto tab = line.find('\t');
        if (tab == std::string_view::npos) return std::nullopt;
        fields[k] = line.substr(0, tab);
        line.remove_prefix(tab + 1);
    }
    fields[3] = line;
    const auto id = ParseNumber<std::uint64_t>(fields[0]);
    const auto device = ParseNumber<std::uint16_t>(fields[1]);
    const auto size = ParseNumber<std::int64_t>(fields[2]);
    auto path = UnescapePath(fields[3]);
    if (!id || *id == 0 || !device || !size || *size < 0 || !path || path->empty()) {
        return std::nullopt;
    }
    return UploadJournalEntry{*device, std::move(*path), *size, *id};
}

bool WriteWhole(int fd, std::string_view data) {
    while (!data.empty()) {
        const ssize_t n = write(fd, data.data(), data.size());
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        data.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

// A rename or unlink is durable only once the folder itself is flushed.
void SyncFolder(const std::string& folder) {
    const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    fsync(fd);
    close(fd);
}

}  // namespace

std::string StateFolder(const UserFolders& folders) {
    const std::string program = kProgramFolderName;
    if (!folders.state.empty()) return WithSlash(folders.state) + program + "/";
    std::string temporary = "/tmp/";
    temporary += program;
    temporary += "-state-";
    temporary += std::to_string(geteuid());
    temporary += '/';
    return temporary;
}

UploadJournal::UploadJournal(std::string folder)
    : m_folder(WithSlash(std::move(folder))), m_path(m_folder + kJournalName) {}

std::vector<UploadJournalEntry> UploadJournal::ReadAll() const {
    std::vector<UploadJournalEntry> entries;
    const int fd = open(m_path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) return entries;
    std::string text;
    char buffer[4096];
    for (;;) {
        const ssize_t n = read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        text.append(buffer, static_cast<std::size_t>(n));
    }
    close(fd);
    std::string_view rest = text;
    while (!rest.empty()) {
        const auto end = rest.find('\n');
        const std::string_view line = rest.substr(0, end);
        rest.remove_prefix(end == std::string_view::npos ? rest.size() : end + 1);
        // A damaged line is left out; the next rewrite drops it.
        if (auto entry = ParseJournalLine(line)) entries.push_back(std::move(*entry));
    }
    return entries;
}

bool UploadJournal::WriteAll(const std::vector<UploadJournalEntry>& entries) {
    if (entries.empty()) {
        if (unlink(m_path.c_str()) != 0) return errno == ENOENT;
        SyncFolder(m_folder);
        return true;
    }
    int error = 0;
    if (!EnsurePrivateFolder(m_folder, &error)) return false;
    std::string text;
    for (const auto& entry : entries) text += JournalLine(entry);
    const std::string temp = m_path + kTempSuffix;
    const int fd = open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0) return false;
    const bool written = WriteWhole(fd, text) && fsync(fd) == 0;
    if (close(fd) != 0 || !written || rename(temp.c_str(), m_path.c_str()) != 0) {
        unlink(temp.c_str());
        return false;
    }
    SyncFolder(m_folder);
    return true;
}

std::optional<std::uint64_t> UploadJournal::Begin(std::uint16_t device, std::string_view phonePath,
                                                  std::int64_t expectedSize) {
    std::lock_guard lock(m_mutex);
    auto entries = ReadAll();
    std::uint64_t id = m_lastId;
    for (const auto& entry : entries) id = std::max(id, entry.id);
    ++id;
    entries.push_back({device, std::string(phonePath), expectedSize, id});
    if (!WriteAll(entries)) return std::nullopt;
    m_lastId = id;
    return id;
}

void UploadJournal::Drop(std::uint64_t id) {
    std::lock_guard lock(m_mutex);
    auto entries = ReadAll();
    const auto gone = std::erase_if(entries, [id](const auto& entry) { return entry.id == id; });
    // A failed rewrite leaves the entry, which at worst asks about a whole file once.
    if (gone > 0) WriteAll(entries);
}

void UploadJournal::End(std::uint64_t id) {
    Drop(id);
}

void UploadJournal::Forget(std::uint64_t id) {
    Drop(id);
}

std::vector<UploadJournalEntry> UploadJournal::Pending(std::uint16_t device) const {
    std::lock_guard lock(m_mutex);
    auto entries = ReadAll();
    std::erase_if(entries, [device](const auto& entry) { return entry.device != device; });
    return entries;
}

UploadJournal& TheUploadJournal() {
    static UploadJournal journal(StateFolder(TheUserFolders()));
    return journal;
}

}  // namespace velmora
