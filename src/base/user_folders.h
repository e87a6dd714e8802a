// Where the desktop keeps a user's settings, caches, state and session files (the XDG base
// folders). The desktop layer reads them once at start-up; the rest of the program takes them
// from here, so no layer reads the environment for a folder.
#pragma once

#include <functional>
#include <optional>
#include <string>

namespace velmora {

struct UserFolders {
    // Absolute paths without a trailing "/"; an empty one is a folder the session lacks.
    std::string config{};
    std::string cache{};
    std::string state{};
    std::string runtime{};  // only a real session folder, never the cache standing in for it
};

// The program's folder in config keeps the name settings have always been stored under; every
// other folder of ours uses the lower-case name the XDG layout expects.
inline constexpr char kSettingsFolderName[] = "Velmora";
inline constexpr char kProgramFolderName[] = "velmora";

// Set once at start-up, before any worker runs; until then every folder is empty.
void SetUserFolders(UserFolders folders);
const UserFolders& TheUserFolders();

// An environment variable's value; an empty value counts as unset.
using EnvironmentLookup = std::function<std::optional<std::string>(const char* name)>;
// This process's environment.
std::optional<std::string> ProcessEnvironment(const char* name);

}  // namespace velmora
