// One emulated phone: its file system kept in a host folder (the image) and the phone side of
// the test commands. Not thread-safe on its own; SimulatedPst serialises every call.
#pragma once

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "sim/sim_config.h"

namespace velmora {

// The index file beside the files: attribute word and second value per file.
inline constexpr const char* kSimIndexFileName = ".velmora_index";

// DOS-style mask: "*" any run, "?" one character, letters compared without case.
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
enum class SearchNextFault { None, MissingNul, CountZero, CountTooMany };

struct SimPhoneFaults {
    std::optional<std::int32_t> readLimit;  // deliver at most this many bytes per read
    SearchNextFault searchNext = SearchNextFault::None;
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

    // Host file of a phone path; nothing when the path is not a file name this phone takes.
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
    // The written file's host stream, from its first write to its close, and the room its
    // volume had at the open beside the file's own old contents.
    std::ofstream m_out;
    std::int64_t m_freeAtOpen = 0;

    std::vector<SearchEntry> m_results;
    std::size_t m_nextResult = 0;
};

}  // namespace velmora
