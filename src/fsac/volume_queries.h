// What the phone tells about its file system, and the four short commands that ask: the
// file-system flag check, the volume query, the version display and the free-space query.
// Each asks in one step and shows the answer in another, so that the asking can run on a
// worker and the showing on the window's thread.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "base/prompts.h"
#include "fsac/fsac_records.h"
#include "phone/open_channel.h"
#include "phone/pst_library.h"
#include "phone/session_window.h"

namespace velmora {

inline constexpr int kStrBytes = 156;
inline constexpr int kStrKilobytes = 157;
inline constexpr int kStrMegabytes = 158;
inline constexpr int kStrGigabytes = 159;
inline constexpr int kStrFree = 160;

// The single volume of a phone whose file system predates volumes.
inline constexpr const char* kFlashVolume = "FLASH";
// The names as consecutive NUL-terminated texts plus the closing empty one must fit this.
inline constexpr std::size_t kVolumeTableBytes = 260;

// "512 b free", "1.5 kb free": divided by 1024 while at least 1000, one decimal, truncated.
std::string FormatFreeSpace(std::int32_t freeBytes);
// " (FSAC v.2.1)"
std::string VersionSuffix(FsacVersion version);

class VolumeState {
  public:
    // 1 when the phone's file-system major version is below 2: the single "FLASH" volume, no
    // folders, several entries per search reply, no separator in search patterns.
    int FileSystemFlag() const { return m_fileSystemFlag.load(); }
    void SetFileSystemFlag(int flag) { m_fileSystemFlag.store(flag); }

    std::vector<std::string> VolumeTable() const;
    // Cut to what the table holds; the table ends at an empty name, as a text table would.
    void SetVolumeTable(const std::vector<std::string>& names);

    // Names in the last volume reply; not touched in FLASH mode.
    int VolumeCount() const { return m_volumeCount.load(); }
    void SetVolumeCount(int count) { m_volumeCount.store(count); }

    // The letter of the volume holding the tree's selection; 0 for none or the root.
    std::uint8_t CurrentVolumeLetter() const { return m_currentLetter.load(); }
    void SetCurrentVolumeLetter(std::uint8_t letter) { m_currentLetter.store(letter); }
    // What volume commands address: the current letter with more than one volume, else 'a'.
    char CommandVolumeLetter() const;

    // Free bytes of the volume last queried.
    std::int32_t CachedFreeSpace() const { return m_freeSpace.load(); }
    void SetCachedFreeSpace(std::int32_t bytes) { m_freeSpace.store(bytes); }
    // Whose free space that is; 0 before the first answer.
    std::uint8_t FreeSpaceLetter() const { return m_freeSpaceLetter.load(); }
    void SetFreeSpaceLetter(std::uint8_t letter) { m_freeSpaceLetter.store(letter); }

  private:
    std::atomic<int> m_fileSystemFlag{0};
    std::atomic<int> m_volumeCount{0};
    std::atomic<std::uint8_t> m_currentLetter{0};
    std::atomic<std::int32_t> m_freeSpace{0};
    std::atomic<std::uint8_t> m_freeSpaceLetter{0};
    mutable std::mutex m_tableMutex;
    std::vector<std::string> m_volumeTable;
};

// The asking halves: the answer, or nothing after reporting the failure (box, then "Operation
// failed!!!"). They touch nothing but what PhoneWindow offers, so workers run them.
std::optional<FsacVersion> ReadFsacVersion(ChannelCommand command, PstLibrary& library,
                                           PhoneWindow& window, Prompts& prompts);
std::optional<std::vector<std::string>> ReadVolumeNames(PstLibrary& library, PhoneWindow& window,
                                                        Prompts& prompts);
std::optional<std::int32_t> ReadFreeSpace(char volumeLetter, PstLibrary& library,
                                          PhoneWindow& window, Prompts& prompts);

// The showing half of the free-space query: cached, and in status part 3.
void ShowFreeSpace(VolumeState& state, StatusSink& window, char volumeLetter,
                   std::int32_t freeBytes);

// What the poll and a phone's pick read of a phone: the flag check, the volumes, the model,
// the version and the free space of 'a', each there when its query answered.
struct PhoneFacts {
    std::optional<FsacVersion> flagVersion;
    bool flash = false;  // the file-system flag the volume query went by
    std::optional<std::vector<std::string>> volumeNames;  // asked only without the flag
    std::optional<std::string> model;
    std::optional<FsacVersion> version;
    std::optional<std::int32_t> freeBytes;
};
// Asks in the order the window shows them; flashBefore is the flag as the window has it,
// which stands when the check fails.
PhoneFacts ReadPhoneFacts(PstLibrary& library, PhoneWindow& window, Prompts& prompts,
                          bool flashBefore);
// On the window's thread: state, search controls, tree, root text and free space, as the
// four commands one after another would have left them.
void ShowPhoneFacts(const PhoneFacts& facts, SessionWindow& window, VolumeState& state);

// Each command reports its own failures (box, then "Operation failed!!!") and leaves the
// state as it was when it fails. Asks and shows at once, on the window's thread.
struct VolumeCommands {
    PstLibrary& library;
    SessionWindow& window;
    Prompts& prompts;
    VolumeState& state;

    // Sets or clears the file-system flag from the version, and with it the search controls.
    void FileSystemFlagCheck();
    // Reads the volume names (or takes "FLASH") and rebuilds the tree from them.
    void VolumeQuery();
    // Appends " (FSAC v.x.y)" to the root's text.
    void VersionDisplay();
    // Caches the free bytes of the volume and shows them in status part 3.
    void FreeSpaceQuery(char volumeLetter);
};

}  // namespace velmora
