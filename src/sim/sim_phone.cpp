#include "sim/sim_phone.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <fstream>
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
constexpr std::size_t kRecordPathRoom = 260;  // path and its NUL
constexpr std::size_t kFlashNameRoom = 36;
constexpr std::size_t kFlashRecordsPerReply = 20;
constexpr std::size_t kMaxSearchCount = 65535;

SimReply Fail() {
    return SimReply{1, {}};
}
SimReply Ok(std::vector<std::uint8_t> bytes = {}) {
    return SimReply{0, std::move(bytes)};
}

char Lower(char c) {
    return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
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
        if (m < mask.size() && (mask[m] == '?' || Lower(mask[m]) == Lower(name[n]))) {
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
    for (const Volume& volume : m_volumes) fs::create_directories(volume.folder, ec);
    LoadIndex();
    if (fresh && m_config.seedSample) {
        for (const SampleFile& file : SampleFiles(m_config.IsFlash())) {
            PutFile(file.path, file.contents, {file.attributes, 0});
        }
    }
}

void SimPhone::Reset() {
    m_out.close();
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
    if (phonePath.empty() || phonePath.size() >= kRecordPathRoom || !PrintableName(phonePath)) {
        return std::nullopt;
    }
    if (m_config.IsFlash()) {
        // No folders: a bare name that fits the multi-record reply.
        if (phonePath.size() >= kFlashNameRoom || phonePath.find('/') != std::string_view::npos ||
            phonePath == "." || phonePath == ".." || IsIndexFile(phonePath)) {
            return std::nullopt;
        }
        return m_config.image / std::string(phonePath);
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
        host /= std::string(part);
        rest = slash == std::string_view::npos ? std::string_view() : rest.substr(slash + 1);
        if (slash != std::string_view::npos && rest.empty()) return std::nullopt;
    }
    return host;
}

std::string SimPhone::IndexKey(const fs::path& host) const {
    return host.lexically_relative(m_config.image).generic_string();
}

std::optional<SimFileInfo> SimPhone::Info(std::string_view phonePath) const {
    auto host = HostPath(phonePath);
    std::error_code ec;
    if (!host || !fs::is_regular_file(*host, ec)) return std::nullopt;
    auto it = m_index.find(IndexKey(*host));
    return it == m_index.end() ? SimFileInfo{} : it->second;
}

bool SimPhone::PutFile(std::string_view phonePath, std::span<const std::uint8_t> contents,
                       SimFileInfo info) {
    auto host = HostPath(phonePath);
    if (!host) return false;
    std::error_code ec;
    fs::create_directories(host->parent_path(), ec);
    std::ofstream out(*host, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(contents.data()),
              static_cast<std::streamsize>(contents.size()));
    out.close();  // the buffered bytes reach the host only here
    if (!out) return false;
    m_index[IndexKey(*host)] = info;
    SaveIndex();
    return true;
}

std::int64_t SimPhone::UsedBytes(const Volume& volume) const {
    std::int64_t used = 0;
    std::error_code ec;
    auto add = [&](const fs::directory_entry& entry) {
        std::error_code sizeError;
        if (entry.is_regular_file(sizeError) && !IsIndexFile(entry.path().filename().string())) {
            auto size = entry.file_size(sizeError);
            if (!sizeError) used += static_cast<std::int64_t>(size);
        }
    };
    if (m_config.IsFlash()) {
        for (const auto& entry : fs::directory_iterator(volume.folder, ec)) add(entry);
    } else {
        for (const auto& entry : fs::recursive_directory_iterator(volume.folder, ec)) add(entry);
    }
    return used;
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
    auto phonePath = PathAt(request, 8);
    if (!phonePath) return Fail();
    auto host = HostPath(*phonePath);
    if (!host) return Fail();
    std::error_code ec;
    const std::string key = IndexKey(*host);
    bool indexChanged = false;
    if (!fs::exists(*host, ec)) {
        fs::create_directories(host->parent_path(), ec);
        std::ofstream create(*host, std::ios::binary);
        if (!create) return Fail();
        indexChanged = m_index.erase(key) > 0;
    } else if (!fs::is_regular_file(*host, ec)) {
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
    std::error_code ec;
    const std::uintmax_t size = host ? fs::file_size(*host, ec) : 0;
    if (!host || ec) return Fail();
    if (wanted > 0 && m_position >= size) return Fail();
    std::uint64_t count =
        std::min<std::uint64_t>({static_cast<std::uint64_t>(wanted),
                                 size - std::min<std::uint64_t>(m_position, size), maxReply});
    if (faults.readLimit) {
        count = std::min<std::uint64_t>(count,
                                        static_cast<std::uint64_t>(std::max(0, *faults.readLimit)));
    }
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(count));
    if (count > 0) {
        std::ifstream in(*host, std::ios::binary);
        in.seekg(static_cast<std::streamoff>(m_position));
        in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(count));
        if (!in) return Fail();
    }
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
        std::error_code ec;
        const std::uintmax_t oldSize = fs::file_size(*host, ec);
        if (ec) return Fail();
        m_freeAtOpen += static_cast<std::int64_t>(oldSize);
    }
    // A full phone takes nothing of a write that does not fit.
    if (static_cast<std::int64_t>(count) > m_freeAtOpen) return Fail();
    if (!m_written) {
        m_out.open(*host, std::ios::binary | std::ios::trunc);
        if (!m_out) return Fail();
        m_written = true;
    }
    m_out.write(reinterpret_cast<const char*>(request.data() + 8),
                static_cast<std::streamsize>(count));
    // Flushed at once: the image holds every accepted byte, and a full host disk shows here.
    m_out.flush();
    if (!m_out) {
        m_out.close();
        m_out.clear();
        m_written = false;
        return Fail();
    }
    m_freeAtOpen -= static_cast<std::int64_t>(count);
    return Ok();
}

SimReply SimPhone::Close() {
    if (!m_openPath) return Fail();
    m_out.close();
    m_out.clear();
    m_openPath.reset();
    m_written = false;
    m_position = 0;
    return Ok();
}

SimReply SimPhone::Delete(std::span<const std::uint8_t> request) {
    auto phonePath = PathAt(request, 4);
    if (!phonePath) return Fail();
    auto host = HostPath(*phonePath);
    std::error_code ec;
    if (!host || !fs::is_regular_file(*host, ec) || !fs::remove(*host, ec)) return Fail();
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
        if (unit == 0xFFFE) {
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
    std::error_code ec;
    auto consider = [&](const fs::directory_entry& entry, std::string phonePath) {
        std::error_code typeError;
        if (!entry.is_regular_file(typeError) || !HostPath(phonePath)) return;
        std::string name = entry.path().filename().string();
        if (!MatchMask(mask, name)) return;
        auto it = m_index.find(IndexKey(entry.path()));
        std::error_code sizeError;
        std::uint32_t size = ClampSize(entry.file_size(sizeError));
        m_results.push_back({std::move(phonePath), it == m_index.end() ? SimFileInfo{} : it->second,
                             sizeError ? 0 : size});
    };
    if (m_config.IsFlash()) {
        // One flat folder: the folder part has nothing to select.
        for (const auto& entry : fs::directory_iterator(m_config.image, ec)) {
            consider(entry, entry.path().filename().string());
        }
        std::sort(m_results.begin(), m_results.end(),
                  [](const SearchEntry& a, const SearchEntry& b) { return a.path < b.path; });
    } else {
        for (const Volume& volume : m_volumes) {
            const std::string root = std::string("/") + volume.letter + "/";
            std::size_t first = m_results.size();
            for (const auto& entry : fs::recursive_directory_iterator(volume.folder, ec)) {
                std::string phonePath =
                    root + entry.path().lexically_relative(volume.folder).generic_string();
                if (phonePath.starts_with(folder)) consider(entry, std::move(phonePath));
            }
            std::sort(m_results.begin() + static_cast<std::ptrdiff_t>(first), m_results.end(),
                      [](const SearchEntry& a, const SearchEntry& b) { return a.path < b.path; });
        }
    }
    if (m_results.size() > kMaxSearchCount) m_results.resize(kMaxSearchCount);
    std::vector<std::uint8_t> reply(2);
    PutBe16(reply, 0, static_cast<std::uint16_t>(m_results.size()));
    return Ok(std::move(reply));
}

SimReply SimPhone::SearchNext(std::span<const std::uint8_t> request, std::size_t maxReply,
                              const SimPhoneFaults& faults) {
    if (request.size() < 7 || m_nextResult >= m_results.size()) return Fail();
    const std::size_t remaining = m_results.size() - m_nextResult;
    if (request[4] == 1) {
        if (maxReply < kSearchNextEntryReplySize) return Fail();
        const SearchEntry& entry = m_results[m_nextResult++];
        std::vector<std::uint8_t> reply(kSearchNextEntryReplySize, 0);
        std::copy(entry.path.begin(), entry.path.end(), reply.begin() + 4);
        if (faults.searchNext == SearchNextFault::MissingNul) {
            std::fill(reply.begin() + 4, reply.begin() + 4 + kRecordPathRoom, 'X');
        }
        PutBe16(reply, 264, entry.info.attributes);
        PutBe16(reply, 266, entry.info.second);
        PutBe32(reply, 268, entry.size);
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
            std::fill_n(reply.begin() + static_cast<long>(at), kFlashNameRoom, 'X');
        }
        PutBe16(reply, at + 36, entry.info.attributes);
        PutBe16(reply, at + 38, entry.info.second);
        PutBe32(reply, at + 40, entry.size);
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
