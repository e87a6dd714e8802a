// What the emulated phone library emulates: its phones, where their images live, the trace
// file. Read from the phones file (an INI text) or built directly by tests.
//
// The phones file has one section per attached phone, in attach order:
//   [phone 1]                         ; the device id, 1 to 65535
//   model = E398                      ; 1 to 5 characters; quote to keep spaces: "E398 "
//   fsac = 2.1                        ; major below 2: single-volume FLASH, 2 MiB
//   volumes = a:8388608 b:33554432    ; letter:capacity in bytes (ignored for FLASH)
//   image = /some/folder              ; relative to the phones file's folder
//   rate = 0                          ; bytes per second, 0 = as fast as possible
// Missing keys take the default phone's values (model "E398 ", 2.1, the two volumes, rate 0)
// and the image $XDG_DATA_HOME/Velmora/phone<id>; no two phones may share an image. An image folder
// that does not exist yet is created with the sample file system. ";" and "#" start comments.
#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velmora {

struct SimVolumeConfig {
    char letter = 'a';
    std::int64_t capacity = 0;
};

struct SimPhoneConfig {
    std::uint16_t deviceId = 1;
    std::string model = "E398 ";  // up to five characters, as RDELEM reports them
    int fsacMajor = 2;
    int fsacMinor = 1;
    // Ignored for FLASH phones (major below 2), which have one volume of flashCapacity bytes.
    std::vector<SimVolumeConfig> volumes = {{'a', 8388608}, {'b', 33554432}};
    std::int64_t flashCapacity = 2097152;
    std::filesystem::path image;
    std::int64_t rate = 0;    // bytes per second; 0 = as fast as possible
    bool seedSample = false;  // fill a missing image with the sample file system

    bool IsFlash() const { return fsacMajor < 2; }
};

struct SimConfig {
    std::vector<SimPhoneConfig> phones;  // attach order
    std::filesystem::path tracePath;     // empty: no trace
    std::chrono::milliseconds restartDelay{1500};
    // Why the phones file was refused, in English (empty when it was not); then there are no
    // phones. The same message for the program to translate: each "%s" of errorFormat is the
    // next of errorArgs.
    std::string error;
    std::string errorFormat;
    std::vector<std::string> errorArgs;
};

inline constexpr const char* kPhonesEnvVar = "VELMORA_PHONES";
inline constexpr const char* kTraceEnvVar = "VELMORA_PST_TRACE";
inline constexpr std::int64_t kDefaultFlashCapacity = 2097152;

// Why a phones file could not be read at all; "%s" is its path. The program's string table
// has each text, so the program shows it in its own language.
inline constexpr const char* kPhonesFileIsFolder = "%s: is a folder, not a phones file";
inline constexpr const char* kPhonesFileIsPipe = "%s: is a named pipe (FIFO), not a phones file";
inline constexpr const char* kPhonesFileIsDevice = "%s: is a device or a socket, not a phones file";
// Then the variable's name.
inline constexpr const char* kPhonesFileMissing =
    "%s: no such file. %s names a phones file that does not exist; no phone is attached.";
inline constexpr const char* kPhonesFileUnreadable = "%s: cannot be read: %s";  // then the reason

using EnvLookup = std::function<std::optional<std::string>(const char* name)>;

// The process environment, empty values counting as unset.
std::optional<std::string> ProcessEnv(const char* name);

// $XDG_DATA_HOME/Velmora (default ~/.local/share/Velmora), where default images live; nothing
// without an absolute XDG_DATA_HOME or an existing home folder.
std::optional<std::filesystem::path> EmulatorDataFolder(const EnvLookup& env);

// Parses the phones file's text (a leading byte-order mark is skipped). fileName names the file
// in messages ("phones.ini line 4: ..."); relative image paths are taken from baseFolder and
// phones without an image key get one in dataFolder, which may be empty when there is none.
// Phones whose images are one folder, or one inside the other, are refused. On an error the
// result has no phones and carries the message.
SimConfig ParsePhonesFile(std::string_view text, const std::string& fileName,
                          const std::filesystem::path& baseFolder,
                          const std::filesystem::path& dataFolder);

// The configuration the program runs with: $VELMORA_PHONES (refused when it does not exist),
// else $XDG_CONFIG_HOME/Velmora/phones.ini, else the default phone with its sample content;
// the trace from $VELMORA_PST_TRACE. Only a regular file is read, so a FIFO or a device named
// there is refused rather than waited on.
SimConfig LoadEmulatorConfig(const EnvLookup& env);

}  // namespace velmora
