#include "sim/sim_phone.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <limits>
#include <sstream>

#include "base/byte_order.h"
#include "fsac/fsac_records.h"
#include "phone/control_records.h"
#include "sim/sample_content.h"

namespace velmora {

namespace fs = std::filesystem;

namespace {

// The record layouts are the client's; the limits below are the phone's own.
constexpr std::size_t kFlashRecordsPerReply = 20;
constexpr std::size_t kMaxSearchCount = 65535;

SimReply Fail() {
    return SimReply{1, {}};
}
SimReply Ok(std::vector<std::uint8_t> bytes = {}) {
    return SimReply{0, std::move(bytes)};
}

// Lower case in the phone's code page: ASCII, the Russian alphabet and the other Cyrillic
// letters it holds.
unsigned char FoldCase(unsigned char c) {
    if ((c >= 'A' && c <= 'Z') || (c >= 0xC0 && c <= 0xDF))
        return static_cast<unsigned char>(c + 32);
    switch (c) {
        case 0x80:
            return 0x90;
        case 0x81:
            return 0x83;
        case 0x8A:
            return 0x9A;
        case 0x8C:
            return 0x9C;
        case 0x8D:
            return 0x9D;
        case 0x8E:
            return 0x9E;
        case 0x8F:
            return 0x9F;
        case 0xA1:
            return 0xA2;
        case 0xA3:
            return 0xBC;
        case 0xA5:
            return 0xB4;
        case 0xA8:
            return 0xB8;
        case 0xAA:
            return 0xBA;
        case 0xAF:
            return 0xBF;
        case 0xB2:
            return 0xB3;
        case 0xBD:
            return 0xBE;
        default:
            return c;
    }
}

bool SameLetter(char a, char b) {
    return FoldCase(static_cast<unsigned char>(a)) == FoldCase(static_cast<unsigned char>(b));
}

// Root reads a mode-000 folder where the phone's owner could not; the mode decides for both, so
// an image behaves the same whoever runs the emulator.
bool Readable(const fs::path& host, const struct stat& status) {
    const bool folder = S_ISDIR(status.st_mode);
    if ((status.st_mode & (S_IRUSR | S_IRGRP | S_IROTH)) == 0) return false;
    if (folder && (status.st_mode & (S_IXUSR | S_IXGRP | S_IXOTH)) == 0) return false;
    return ::access(host.c_str(), folder ? R_OK | X_OK : R_OK) == 0;
}

// A descriptor that closes itself.
class HostFile {
  public:
    // Never through a link, never blocking on a pipe; only a regular file counts as opened.
    HostFile(const fs::path& host, int flags)
        : m_fd(::open(host.c_str(), flags | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK, 0644)) {
        struct stat status {};
        if (m_fd >= 0 && (::fstat(m_fd, &status) != 0 || !S_ISREG(status.st_mode))) {
            ::close(m_fd);
            m_fd = -1;
        }
        m_size = m_fd >= 0 ? static_cast<std::uint64_t>(status.st_size) : 0;
    }
    ~HostFile() {
        if (m_fd >= 0) ::close(m_fd);
    }
    HostFile(const HostFile&) = delete;
    HostFile& operator=(const HostFile&) = delete;

    bool Ok() const { return m_fd >= 0; }
    std::uint64_t Size() const { return m_size; }

    bool ReadAt(std::uint64_t offset, std::span<std::uint8_t> into) const {
        std::size_t done = 0;
        while (done < into.size()) {
            const ssize_t n = ::pread(m_fd, into.data() + done, into.size() - done,
                                      static_cast<off_t>(offset + done));
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) return false;
            done += static_cast<std::size_t>(n);
        }
        return true;
    }
    bool Write(std::span<const std::uint8_t> data) const {
        std::size_t done = 0;
        while (done < data.size()) {
            const ssize_t n = ::write(m_fd, data.data() + done, data.size() - done);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) return false;
            done += static_cast<std::size_t>(n);
        }
        return true;
    }
    // A full host disk may show only here.
    bool Close() {
        const int fd = std::exchange(m_fd, -1);
        return fd >= 0 && ::close(fd) == 0;
    }

  private:
    int m_fd = -1;
    std::uint64_t m_size = 0;
};

bool WriteHostFile(const fs::path& host, std::span<const std::uint8_t> data, bool append) {
    HostFile file(host, O_WRONLY | O_CREAT | (append ? O_APPEND : O_TRUNC));
    return file.Ok() && file.Write(data) && file.Close();
}

// Every existing place from base down to host is a real folder this phone may read (host
// itself may be missing or a file), so nothing leads out of the image through a link.
bool NoLinkBelow(const fs::path& base, const fs::path& host) {
    fs::path at = base;
    struct stat status {};
    if (::lstat(at.c_str(), &status) == 0 && (S_ISLNK(status.st_mode) || !Readable(at, status))) {
        return false;
    }
    for (const fs::path& part : host.lexically_relative(base)) {
        at /= part;
        if (::lstat(at.c_str(), &status) != 0) return errno == ENOENT;
        if (S_ISLNK(status.st_mode) || !Readable(at, status)) return false;
    }
    return true;
}

bool PrintableName(std::string_view name) {
    return std::none_of(name.begin(), name.end(),
                        [](char c) { return static_cast<unsigned char>(c) < 0x20; });
}

// A path at `at`, ended by NUL and one more NUL, both inside the request.
std::optional<std::string> PathAt(std::span<const std::uint8_t> request, std::size_t at) {
    for (std::size_t i = at; i < request.size(); ++i) {
        if (request[i] == 0) {
            if (i + 1 >= request.size() || request[i + 1] != 0) return std::nullopt;
            return std::string(request.begin() + static_cast<std::ptrdiff_t>(at),
                               request.begin() + static_cast<std::ptrdiff_t>(i));
        }
    }
    return std::nullopt;
}

// The index and its temporary copy live among a FLASH phone's files but are none of them.
bool IsIndexFile(std::string_view name) {
    return name.starts_with(kSimIndexFileName);
}

std::uint32_t ClampSize(std::uintmax_t size) {
    return static_cast<std::uint32_t>(
        std::min<std::uintmax_t>(size, std::numeric_limits<std::uint32_t>::max()));
}

}  // namespace

bool MatchMask(std::string_view mask, std::string_view name) {
    std::size_t m = 0, n = 0;
    std::size_t starMask = std::string_view::npos, starName = 0;
    while (n < name.size()) {
        if (m < mask.size() && (mask[m] == '?' || SameLetter(mask[m], name[n]))) {
            ++m;
            ++n;
        } else if (m < mask.size() && mask[m] == '*') {
            starMask = m++;
            starName = n;
        } else if (starMask != std::string_view::npos) {
            m = starMask + 1;
            n = ++starName;
        } else {
            return false;
        }
    }
    while (m < mask.size() && mask[m] == '*') ++m;
    return m == mask.size();
}

SimPhone::SimPhone(SimPhoneConfig config) : m_config(std::move(config)) {
    std::error_code ec;
    const bool fresh = !fs::exists(m_config.image, ec);
    if (m_config.IsFlash()) {
        m_volumes.push_back({'\0', m_config.flashCapacity, m_config.image});
    } else {
        for (const SimVolumeConfig& v : m_config.volumes) {
            m_volumes.push_back({v.letter, v.capacity, m_config.image / std::string(1, v.letter)});
        }
    }
    fs::create_directories(m_config.image, ec);
    for (const Volume& volume : m_volumes) {
        if (!ec) fs::create_directories(volume.folder, ec);
    }
    if (ec) {
        std::cerr << "Velmora emulated phone " << m_config.deviceId << ": cannot make its image "
                  << m_config.image.string() << ": " << ec.message() << '\n';
    }
    LoadIndex();
    if (fresh && m_config.seedSample) {
        for (const SampleFile& file : SampleFiles(m_config.IsFlash())) {
            PutFile(file.path, file.contents, {file.attributes, 0});
        }
    }
}

void SimPhone::Reset() {
    m_openPath.reset();
    m_written = false;
    m_position = 0;
    m_results.clear();
    m_nextResult = 0;
}

const SimPhone::Volume* SimPhone::VolumeByLetter(char letter) const {
    if (m_config.IsFlash()) return &m_volumes.front();
    for (const Volume& volume : m_volumes) {
        if (volume.letter == letter) return &volume;
    }
    return nullptr;
}

const SimPhone::Volume* SimPhone::VolumeOf(std::string_view phonePath) const {
    if (m_config.IsFlash()) return &m_volumes.front();
    if (phonePath.size() < 3 || phonePath[0] != '/' || phonePath[2] != '/') return nullptr;
    return VolumeByLetter(phonePath[1]);
}

std::optional<fs::path> SimPhone::HostPath(std::string_view phonePath) const {
    if (phonePath.empty() || phonePath.size() >= kEntryPathField || !PrintableName(phonePath)) {
        return std::nullopt;
    }
    if (m_config.IsFlash()) {
        // No folders: a bare name that fits the multi-record reply.
        if (phonePath.size() >= kRecordNameField || phonePath.find('/') != std::string_view::npos ||
            phonePath == "." || phonePath == ".." || IsIndexFile(phonePath)) {
            return std::nullopt;
        }
        fs::path host = m_config.image / DecodePhoneText(phonePath);
        if (!NoLinkBelow(m_config.image, host)) return std::nullopt;
        return host;
    }
    const Volume* volume = VolumeOf(phonePath);
    if (volume == nullptr) return std::nullopt;
    std::string_view rest = phonePath.substr(3);
    if (rest.empty()) return std::nullopt;
    fs::path host = volume->folder;
    while (!rest.empty()) {
        std::size_t slash = rest.find('/');
        std::string_view part = rest.substr(0, slash);
        if (part.empty() || part == "." || part == "..") return std::nullopt;
        host /= DecodePhoneText(part);
        rest = slash == std::string_view::npos ? std::string_view() : rest.substr(slash + 1);
        if (slash != std::string_view::npos && rest.empty()) return std::nullopt;
    }
    if (!NoLinkBelow(volume->folder, host)) return std::nullopt;
    return host;
}

std::string SimPhone::IndexKey(const fs::path& host) const {
    return host.lexically_relative(m_config.image).generic_string();
}

std::optional<SimFileInfo> SimPhone::Info(std::string_view phonePath) const {
    auto host = HostPath(phonePath);
    std::error_code ec;
    if (!host || !fs::is_regular_file(fs::symlink_status(*host, ec))) return std::nullopt;
    auto it = m_index.find(IndexKey(*host));
    return it == m_index.end() ? SimFileInfo{} : it->second;
}

bool SimPhone::PutFile(std::string_view phonePath, std::span<const std::uint8_t> contents,
                       SimFileInfo info) {
    auto host = HostPath(phonePath);
    if (!host) return false;
    std::error_code ec;
    fs::create_directories(host->parent_path(), ec);
    if (!WriteHostFile(*host, contents, false)) return false;
    m_index[IndexKey(*host)] = info;
    SaveIndex();
    return true;
}

std::int64_t SimPhone::UsedBytes(const Volume& volume) const {
    std::int64_t used = 0;
    ForEachFile(volume, [&](const fs::path&, const std::string&, std::uintmax_t size) {
        used += static_cast<std::int64_t>(size);
    });
    return used;
}

void SimPhone::Skip(const fs::path& host, const std::string& why) const {
    if (!m_skipped.insert(host.string()).second) return;
    std::cerr << "Velmora emulated phone " << m_config.deviceId << ": left out " << host.string()
              << ": " << why << '\n';
}

bool SimPhone::Presentable(const fs::directory_entry& entry, const PhoneTextEncoding& name,
                           const std::string& phonePath, struct stat& status) const {
    const fs::path& host = entry.path();
    if (::lstat(host.c_str(), &status) != 0) {
        Skip(host, std::strerror(errno));
        return false;
    }
    if (S_ISLNK(status.st_mode)) {
        Skip(host, "a link, not followed");
        return false;
    }
    if (!S_ISDIR(status.st_mode) && !S_ISREG(status.st_mode)) {
        Skip(host, "neither a file nor a folder");
        return false;
    }
    if (!name.Ok()) {
        Skip(host, "the name has no windows-1251 form (" + name.refused + ")");
        return false;
    }
    if (!PrintableName(name.bytes)) {
        Skip(host, "the name holds a control character");
        return false;
    }
    // A folder's path needs room for "/" and one more character.
    const std::size_t room = S_ISDIR(status.st_mode) ? kEntryPathField - 2 : kEntryPathField;
    if (phonePath.size() >= room) {
        Skip(host, "the phone path would be longer than 259 characters");
        return false;
    }
    if (!Readable(host, status)) {
        Skip(host, "cannot be read");
        return false;
    }
    return true;
}

void SimPhone::WalkFolder(const fs::path& folder, const std::string& phoneFolder,
                          const FileVisitor& visit) const {
    std::error_code ec;
    fs::directory_iterator it(folder, ec);
    if (ec) {
        Skip(folder, ec.message());
        return;
    }
    for (; !ec && it != fs::directory_iterator(); it.increment(ec)) {
        const fs::directory_entry& entry = *it;
        const std::string name = entry.path().filename().string();
        if (m_config.IsFlash() && IsIndexFile(name)) continue;
        const PhoneTextEncoding phoneName = EncodePhoneText(name);
        const std::string phonePath = phoneFolder + phoneName.bytes;
        struct stat status {};
        if (!Presentable(entry, phoneName, phonePath, status)) continue;
        if (S_ISDIR(status.st_mode)) {
            if (m_config.IsFlash()) {
                Skip(entry.path(), "a folder, which a FLASH file system has not");
            } else {
                WalkFolder(entry.path(), phonePath + "/", visit);
            }
            continue;
        }
        if (m_config.IsFlash() && phonePath.size() >= kRecordNameField) {
            Skip(entry.path(), "the name is longer than 35 characters");
            continue;
        }
        // The size from the check's own lstat: a walk of a full card is a stat per file less.
        visit(entry.path(), phonePath, static_cast<std::uintmax_t>(status.st_size));
    }
    if (ec) Skip(folder, "cannot be read to the end: " + ec.message());
}

void SimPhone::ForEachFile(const Volume& volume, const FileVisitor& visit) const {
    if (m_config.IsFlash()) {
        WalkFolder(volume.folder, "", visit);
        return;
    }
    struct stat status {};
    if (::lstat(volume.folder.c_str(), &status) == 0 && S_ISLNK(status.st_mode)) {
        Skip(volume.folder, "the volume folder is a link, not followed");
        return;
    }
    WalkFolder(volume.folder, std::string("/") + volume.letter + "/", visit);
}

std::int64_t SimPhone::FreeSpace(char letter) const {
    const Volume* volume = VolumeByLetter(letter);
    if (volume == nullptr) return 0;
    return std::max<std::int64_t>(0, volume->capacity - UsedBytes(*volume));
}

void SimPhone::LoadIndex() {
    m_index.clear();
    std::ifstream in(m_config.image / kSimIndexFileName);
    std::string line;
    while (std::getline(in, line)) {
        // "AAAA SSSS relative/path": anything else is skipped, so a damaged index loses
        // only its damaged lines.
        unsigned attributes = 0, second = 0;
        int consumed = 0;
        if (std::sscanf(line.c_str(), "%4x %4x %n", &attributes, &second, &consumed) != 2 ||
            consumed <= 0 || static_cast<std::size_t>(consumed) >= line.size()) {
            continue;
        }
        fs::path relative(line.substr(static_cast<std::size_t>(consumed)));
        std::error_code ec;
        const std::string normal = relative.lexically_normal().generic_string();
        if (relative.is_absolute() || normal.starts_with("..") ||
            !fs::is_regular_file(m_config.image / relative, ec)) {
            continue;
        }
        m_index[relative.generic_string()] = {static_cast<std::uint16_t>(attributes),
                                              static_cast<std::uint16_t>(second)};
    }
}

void SimPhone::SaveIndex() const {
    // Written aside and renamed, so a crash leaves the old index or the new one.
    const fs::path target = m_config.image / kSimIndexFileName;
    const fs::path temporary = m_config.image / (std::string(kSimIndexFileName) + ".new");
    {
        std::error_code ec;
        fs::remove(temporary, ec);  // never written through a link left in its place
        std::ofstream out(temporary, std::ios::trunc);
        for (const auto& [key, info] : m_index) {
            char numbers[16];
            std::snprintf(numbers, sizeof numbers, "%04X %04X ", info.attributes, info.second);
            out << numbers << key << '\n';
        }
        // A short write must not replace the good index.
        out.close();
        if (!out) return;
    }
    std::error_code ec;
    fs::rename(temporary, target, ec);
}

SimReply SimPhone::Handle(std::string_view command, std::span<const std::uint8_t> request,
                          std::size_t maxReply, const SimPhoneFaults& faults) {
    if (faults.raise) {
        throw fs::filesystem_error("emulated host failure", m_config.image,
                                   std::make_error_code(std::errc::io_error));
    }
    if (command == kFsacCommand) return Fsac(request, maxReply, faults);
    if (command == kModelCommand) {
        const std::vector<std::uint8_t> expected = BuildModelRequest();
        if (!std::equal(request.begin(), request.end(), expected.begin(), expected.end())) {
            return Fail();
        }
        std::vector<std::uint8_t> reply(kModelReplySize, 0);
        for (std::size_t i = 0; i < m_config.model.size() && i < kMaxModelChars; ++i) {
            reply[2 + 2 * i] = static_cast<std::uint8_t>(m_config.model[i]);
        }
        return Ok(std::move(reply));
    }
    if (command == kRestartCommand || command == kSuspendCommand) {
        Reset();
        return Ok();
    }
    return Fail();
}

SimReply SimPhone::Fsac(std::span<const std::uint8_t> request, std::size_t maxReply,
                        const SimPhoneFaults& faults) {
    if (request.size() < 4) return Fail();
    switch (static_cast<FsacOp>(GetBe32(request, 0))) {
        case FsacOp::Open:
            return Open(request);
        case FsacOp::Read:
            return Read(request, maxReply, faults);
        case FsacOp::Write:
            return Write(request);
        case FsacOp::Close:
            return Close();
        case FsacOp::Delete:
            return Delete(request);
        case FsacOp::SearchStart:
            return SearchStart(request);
        case FsacOp::SearchNext:
            return SearchNext(request, maxReply, faults);
        case FsacOp::Version:
            if (request.size() < 6) return Fail();
            return Ok({static_cast<std::uint8_t>(m_config.fsacMajor),
                       static_cast<std::uint8_t>(m_config.fsacMinor)});
        case FsacOp::Volumes:
            if (request.size() < 6) return Fail();
            return Volumes();
        case FsacOp::FreeSpace:
            return FreeSpaceReply(request);
    }
    return Fail();
}

SimReply SimPhone::Open(std::span<const std::uint8_t> request) {
    // One file at a time: a phone with a file open refuses to open another until it is
    // closed.
    if (request.size() < 8 || m_openPath) return Fail();
    auto phonePath = PathAt(request, kPathOffsetOpen);
    if (!phonePath) return Fail();
    auto host = HostPath(*phonePath);
    if (!host) return Fail();
    std::error_code ec;
    const std::string key = IndexKey(*host);
    bool indexChanged = false;
    if (!fs::exists(fs::symlink_status(*host, ec))) {
        fs::create_directories(host->parent_path(), ec);
        if (!HostFile(*host, O_WRONLY | O_CREAT).Ok()) return Fail();
        indexChanged = m_index.erase(key) > 0;
    } else if (!HostFile(*host, O_RDONLY).Ok()) {
        return Fail();
    }
    const std::uint32_t attributes = GetBe32(request, 4);
    if (attributes != kOpenKeepAttributes) {
        m_index[key].attributes = static_cast<std::uint16_t>(attributes);
        indexChanged = true;
    }
    if (indexChanged) SaveIndex();
    const Volume* volume = VolumeOf(*phonePath);
    m_freeAtOpen = volume ? volume->capacity - UsedBytes(*volume) : 0;
    m_openPath = *phonePath;
    m_written = false;
    m_position = 0;
    return Ok();
}

SimReply SimPhone::Read(std::span<const std::uint8_t> request, std::size_t maxReply,
                        const SimPhoneFaults& faults) {
    if (request.size() < 10 || !m_openPath) return Fail();
    const auto wanted = static_cast<std::int32_t>(GetBe32(request, 4));
    if (wanted < 0) return Fail();
    auto host = HostPath(*m_openPath);
    if (!host) return Fail();
    const HostFile file(*host, O_RDONLY);
    if (!file.Ok()) return Fail();
    const std::uint64_t size = file.Size();
    if (wanted > 0 && m_position >= size) return Fail();
    std::uint64_t count =
        std::min<std::uint64_t>({static_cast<std::uint64_t>(wanted),
                                 size - std::min<std::uint64_t>(m_position, size), maxReply});
    if (faults.readLimit) {
        count = std::min<std::uint64_t>(count,
                                        static_cast<std::uint64_t>(std::max(0, *faults.readLimit)));
    }
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(count));
    if (count > 0 && !file.ReadAt(m_position, bytes)) return Fail();
    m_position += count;
    return Ok(std::move(bytes));
}

SimReply SimPhone::Write(std::span<const std::uint8_t> request) {
    if (request.size() < 8 || !m_openPath) return Fail();
    const std::uint64_t count = GetBe32(request, 4);
    if (request.size() - 8 < count) return Fail();
    auto host = HostPath(*m_openPath);
    if (!host) return Fail();
    if (!m_written) {
        // The first write replaces the old contents, so their room is free for it.
        const HostFile file(*host, O_RDONLY);
        if (!file.Ok()) return Fail();
        m_freeAtOpen += static_cast<std::int64_t>(file.Size());
    }
    // A full phone takes nothing of a write that does not fit.
    if (static_cast<std::int64_t>(count) > m_freeAtOpen) return Fail();
    if (!WriteHostFile(*host, request.subspan(8, static_cast<std::size_t>(count)), m_written)) {
        return Fail();
    }
    m_written = true;
    m_freeAtOpen -= static_cast<std::int64_t>(count);
    return Ok();
}

SimReply SimPhone::Close() {
    if (!m_openPath) return Fail();
    m_openPath.reset();
    m_written = false;
    m_position = 0;
    return Ok();
}

SimReply SimPhone::Delete(std::span<const std::uint8_t> request) {
    auto phonePath = PathAt(request, kPathOffsetDelete);
    if (!phonePath) return Fail();
    auto host = HostPath(*phonePath);
    std::error_code ec;
    if (!host || !fs::is_regular_file(fs::symlink_status(*host, ec)) || !fs::remove(*host, ec)) {
        return Fail();
    }
    if (m_index.erase(IndexKey(*host)) > 0) SaveIndex();
    if (m_openPath == *phonePath) Close();
    return Ok();
}

SimReply SimPhone::SearchStart(std::span<const std::uint8_t> request) {
    std::string folder, mask;
    bool separator = false, terminated = false;
    for (std::size_t at = 4; at + 1 < request.size(); at += 2) {
        const std::uint16_t unit = GetBe16(request, at);
        if (unit == 0) {
            terminated = true;
            break;
        }
        if (unit == kSeparatorUnit) {
            if (separator) return Fail();
            separator = true;
        } else if (unit <= 0xFF) {
            (separator ? mask : folder).push_back(static_cast<char>(unit));
        } else {
            return Fail();
        }
    }
    if (!terminated) return Fail();
    if (!separator) {
        // Patterns without separator (FLASH phones) split at the last "/".
        std::size_t slash = folder.rfind('/');
        mask = slash == std::string::npos ? folder : folder.substr(slash + 1);
        folder = slash == std::string::npos ? std::string() : folder.substr(0, slash + 1);
    }
    if (!folder.empty() && folder.back() != '/') folder.push_back('/');

    m_results.clear();
    m_nextResult = 0;
    const auto byPath = [](const SearchEntry& a, const SearchEntry& b) { return a.path < b.path; };
    for (const Volume& volume : m_volumes) {
        const std::size_t first = m_results.size();
        ForEachFile(
            volume, [&](const fs::path& host, const std::string& phonePath, std::uintmax_t size) {
                // FLASH has one flat folder: the folder part has nothing to select.
                if (!m_config.IsFlash() && !phonePath.starts_with(folder)) return;
                const std::size_t slash = phonePath.rfind('/');
                const std::string_view name =
                    std::string_view(phonePath).substr(slash == std::string::npos ? 0 : slash + 1);
                if (!MatchMask(mask, name)) return;
                auto it = m_index.find(IndexKey(host));
                m_results.push_back(
                    {phonePath, it == m_index.end() ? SimFileInfo{} : it->second, ClampSize(size)});
            });
        std::sort(m_results.begin() + static_cast<std::ptrdiff_t>(first), m_results.end(), byPath);
    }
    if (m_results.size() > kMaxSearchCount) m_results.resize(kMaxSearchCount);
    std::vector<std::uint8_t> reply(2);
    PutBe16(reply, 0, static_cast<std::uint16_t>(m_results.size()));
    return Ok(std::move(reply));
}

SimReply SimPhone::SearchNext(std::span<const std::uint8_t> request, std::size_t maxReply,
                              const SimPhoneFaults& faults) {
    if (request.size() < 7 || m_nextResult >= m_results.size()) return Fail();
    if (faults.searchNext == SearchNextFault::Empty) return Ok({});
    const std::size_t remaining = m_results.size() - m_nextResult;
    if (request[4] == 1) {
        if (maxReply < kSearchNextEntryReplySize) return Fail();
        const SearchEntry& entry = m_results[m_nextResult++];
        std::vector<std::uint8_t> reply(kSearchNextEntryReplySize, 0);
        std::copy(entry.path.begin(), entry.path.end(), reply.begin() + kEntryPathOffset);
        if (faults.searchNext == SearchNextFault::MissingNul) {
            std::fill_n(reply.begin() + kEntryPathOffset, kEntryPathField, 'X');
        }
        PutBe16(reply, kEntryAttributesOffset, entry.info.attributes);
        PutBe16(reply, kEntrySecondOffset, entry.info.second);
        PutBe32(reply, kEntrySizeOffset, entry.size);
        return Ok(std::move(reply));
    }
    if (request[4] != 0 || !m_config.IsFlash() ||
        maxReply < kSearchNextRecordsOffset + kSearchNextRecordSize) {
        return Fail();
    }
    const std::size_t count =
        std::min({kFlashRecordsPerReply, remaining,
                  (maxReply - kSearchNextRecordsOffset) / kSearchNextRecordSize});
    std::vector<std::uint8_t> reply(kSearchNextRecordsOffset + count * kSearchNextRecordSize, 0);
    std::uint16_t reported = static_cast<std::uint16_t>(count);
    if (faults.searchNext == SearchNextFault::CountZero) {
        reported = 0;
    } else if (faults.searchNext == SearchNextFault::CountTooMany) {
        reported = static_cast<std::uint16_t>(std::max(remaining + 1, kFlashRecordsPerReply + 1));
    }
    PutBe16(reply, 0, reported);
    for (std::size_t k = 0; k < count; ++k) {
        const SearchEntry& entry = m_results[m_nextResult + k];
        const std::size_t at = kSearchNextRecordsOffset + k * kSearchNextRecordSize;
        std::copy(entry.path.begin(), entry.path.end(), reply.begin() + static_cast<long>(at));
        if (faults.searchNext == SearchNextFault::MissingNul) {
            std::fill_n(reply.begin() + static_cast<long>(at), kRecordNameField, 'X');
        }
        PutBe16(reply, at + kRecordAttributesOffset, entry.info.attributes);
        PutBe16(reply, at + kRecordSecondOffset, entry.info.second);
        PutBe32(reply, at + kRecordSizeOffset, entry.size);
    }
    // A reply that claims no entries hands none over.
    if (faults.searchNext != SearchNextFault::CountZero) m_nextResult += count;
    return Ok(std::move(reply));
}

SimReply SimPhone::Volumes() const {
    // FLASH phones predate the volume query.
    if (m_config.IsFlash()) return Fail();
    std::vector<std::uint8_t> reply;
    for (const Volume& volume : m_volumes) {
        reply.insert(reply.end(),
                     {0x00, '/', 0x00, static_cast<std::uint8_t>(volume.letter), 0x00, 0x00});
    }
    return Ok(std::move(reply));
}

SimReply SimPhone::FreeSpaceReply(std::span<const std::uint8_t> request) const {
    if (request.size() < 10) return Fail();
    const Volume* volume = VolumeByLetter(static_cast<char>(request[6]));
    if (volume == nullptr) return Fail();
    // The wire carries a signed 32-bit count: clamp rather than wrap to a negative value.
    const std::int64_t free =
        std::min<std::int64_t>(FreeSpace(volume->letter), std::numeric_limits<std::int32_t>::max());
    std::vector<std::uint8_t> reply(4);
    PutBe32(reply, 0, static_cast<std::uint32_t>(free));
    return Ok(std::move(reply));
}

}  // namespace velmora
