// One emulated phone: its file system kept in a host folder (the image) and the phone side of
// the test commands. Not thread-safe on its own; SimulatedPst serialises every call.
//
// The image keeps UTF-8 names; the phone speaks windows-1251 bytes. A host file or folder the
// phone cannot present (unreadable, a link, a name without windows-1251 form, a path too long
// for the records, not a regular file) is left out, with one line on standard error. No link is
// followed, so nothing outside the image is ever read or written.
#pragma once

#include <sys/stat.h>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "base/phone_text.h"
#include "sim/sim_config.h"

namespace velmora {

// The index file beside the files: attribute word and second value per file.
inline constexpr const char* kSimIndexFileName = ".velmora_index";

// DOS-style mask over the phone's bytes: "*" any run, "?" one character, letters (Latin and
// the code page's Cyrillic) compared without case.
bool MatchMask(std::string_view mask, std::string_view name);

struct SimFileInfo {
    std::uint16_t attributes = 0;
    std::uint16_t second = 0;
};

// What a handler returns: the result code and the reply bytes, never more than allowed.
struct SimReply {
    std::int32_t rc = 0;
    std::vector<std::uint8_t> bytes;
};

// Faults the phone itself must take part in; set by SimulatedPst from its FaultPlan.
// Empty: the reply carries no bytes at all, and the search does not move on.
enum class SearchNextFault { None, MissingNul, CountZero, CountTooMany, Empty };

struct SimPhoneFaults {
    std::optional<std::int32_t> readLimit;  // deliver at most this many bytes per read
    SearchNextFault searchNext = SearchNextFault::None;
    bool raise = false;  // the host fails under the phone with an exception
};

class SimPhone {
  public:
    // Creates the image folder (and seeds it when asked and it did not exist).
    explicit SimPhone(SimPhoneConfig config);

    const SimPhoneConfig& Config() const { return m_config; }
    std::uint16_t DeviceId() const { return m_config.deviceId; }

    // Answers one test command. maxReply is the room the caller gave for the reply.
    SimReply Handle(std::string_view command, std::span<const std::uint8_t> request,
                    std::size_t maxReply, const SimPhoneFaults& faults);

    // A restart or a detach forgets the open file and the running search.
    void Reset();

    // Host file of a phone path (the phone's bytes); nothing when the path is not a file name
    // this phone takes, or leads through a link or a folder it cannot read.
    std::optional<std::filesystem::path> HostPath(std::string_view phonePath) const;
    std::optional<SimFileInfo> Info(std::string_view phonePath) const;
    // Sets a file's contents and attributes directly (seeding, tests).
    bool PutFile(std::string_view phonePath, std::span<const std::uint8_t> contents,
                 SimFileInfo info = {});
    std::int64_t FreeSpace(char letter) const;

  private:
    struct SearchEntry {
        std::string path;  // as reported: full path, or the bare name on FLASH
        SimFileInfo info;
        std::uint32_t size = 0;
    };
    struct Volume {
        char letter;
        std::int64_t capacity;
        std::filesystem::path folder;
    };

    SimReply Fsac(std::span<const std::uint8_t> request, std::size_t maxReply,
                  const SimPhoneFaults& faults);
    SimReply Open(std::span<const std::uint8_t> request);
    SimReply Read(std::span<const std::uint8_t> request, std::size_t maxReply,
                  const SimPhoneFaults& faults);
    SimReply Write(std::span<const std::uint8_t> request);
    SimReply Close();
    SimReply Delete(std::span<const std::uint8_t> request);
    SimReply SearchStart(std::span<const std::uint8_t> request);
    SimReply SearchNext(std::span<const std::uint8_t> request, std::size_t maxReply,
                        const SimPhoneFaults& faults);
    SimReply Volumes() const;
    SimReply FreeSpaceReply(std::span<const std::uint8_t> request) const;

    // Calls visit(host, phone path, size) for every file of the volume the phone presents.
    using FileVisitor =
        std::function<void(const std::filesystem::path&, const std::string&, std::uintmax_t)>;
    void ForEachFile(const Volume& volume, const FileVisitor& visit) const;
    void WalkFolder(const std::filesystem::path& folder, const std::string& phoneFolder,
                    const FileVisitor& visit) const;
    // Whether entry can be presented as phone path; says why not, once per host path. status
    // receives what the check found out about the entry, its size among it.
    bool Presentable(const std::filesystem::directory_entry& entry, const PhoneTextEncoding& name,
                     const std::string& phonePath, struct stat& status) const;
    void Skip(const std::filesystem::path& host, const std::string& why) const;

    const Volume* VolumeOf(std::string_view phonePath) const;
    const Volume* VolumeByLetter(char letter) const;
    std::int64_t UsedBytes(const Volume& volume) const;
    std::string IndexKey(const std::filesystem::path& host) const;
    void LoadIndex();
    void SaveIndex() const;

    SimPhoneConfig m_config;
    std::vector<Volume> m_volumes;
    std::map<std::string, SimFileInfo> m_index;  // image-relative path -> info

    std::optional<std::string> m_openPath;  // phone path of the open file
    bool m_written = false;                 // a write since the open: later ones append
    std::uint64_t m_position = 0;
    // The room the open file's volume had at the open, beside the file's own old contents,
    // less what was written since: a write need not walk the image.
    std::int64_t m_freeAtOpen = 0;

    std::vector<SearchEntry> m_results;
    std::size_t m_nextResult = 0;

    mutable std::set<std::string> m_skipped;  // host paths already reported
};

}  // namespace velmora
