// Start-up check of pst.conf, the phone library's installation entries: FileName must name a
// library file that exists, and the values that library says it needs must be there. When
// they are not, FileName is pointed at the emulated library shipped with the program.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "base/settings_store.h"

namespace velmora {

// The pst.conf value the program itself reads: the phone library to load.
inline constexpr const char* kPstFileNameValue = "FileName";
inline constexpr const char* kEmulatedPstLibrary = "libvelmora-pst-sim.so";
inline constexpr const char* kReplayPstLibrary = "libvelmora-pst-replay.so";
// The folder of the bundled libraries in an installed tree, from the executable's folder.
inline constexpr const char* kLibraryFolderFromProgram = VELMORA_PLUGIN_DIR_FROM_PROGRAM;

enum class InstallationResult {
    Complete,       // FileName and every value its library needs found: nothing written
    Rewritten,      // FileName was pointed at the bundled library
    RewriteFailed,  // it should have been, but the key could not be created or written
};

struct InstallationCheck {
    InstallationResult result;
    std::string libraryFile;  // what to load: FileName, or the bundled library if not usable
};

// A pst.conf value a library needs: its name, and whether it names a file that must exist.
struct PstNeededValue {
    std::string name;
    bool namesFile = false;
};
// The values the library in a file needs; none when it says none or cannot be asked.
using PstNeedsLookup = std::function<std::vector<PstNeededValue>(const std::string& file)>;

// The folder part of an executable's path, up to and including its last "/"; empty when the
// path has none.
std::string ProgramFolder(std::string_view executablePath);

// Where the bundled emulated library may be, first choice first: the installed library folder
// of the prefix the executable runs from, then the executable's own folder (a build tree).
std::vector<std::string> BundledLibraryPlaces(const std::string& programFolder,
                                              const char* library = kEmulatedPstLibrary);
// The first of those that exists; the first of them when none does.
std::string BundledLibrary(const std::string& programFolder,
                           const char* library = kEmulatedPstLibrary);

// Checks pst.conf and rewrites FileName to bundledLibrary when the key or FileName is missing,
// FileName names no existing file, or one of the values needsOf reports for that file is
// missing or names no existing file. Only FileName is written. Never reports: a library that
// still cannot start says so when it is loaded and initialised.
InstallationCheck CheckInstallation(SettingsStore& installation, const std::string& bundledLibrary,
                                    const PstNeedsLookup& needsOf);

}  // namespace velmora
