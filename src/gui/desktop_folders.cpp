#include "gui/desktop_folders.h"

#include <glib.h>

#include <string>

namespace velmora {
namespace {

// A relative XDG value is invalid: such a folder would move with the working folder.
std::string Absolute(const char* path) {
    return path != nullptr && path[0] == '/' ? std::string(path) : std::string();
}

std::string OrUnderHome(const char* path, const char* fallback) {
    std::string folder = Absolute(path);
    if (!folder.empty()) return folder;
    std::string home = Absolute(g_get_home_dir());
    if (home.empty()) return {};
    return home + "/" + fallback;
}

}  // namespace

UserFolders DesktopUserFolders() {
    UserFolders folders;
    folders.config = OrUnderHome(g_get_user_config_dir(), ".config");
    folders.cache = OrUnderHome(g_get_user_cache_dir(), ".cache");
    folders.state = OrUnderHome(g_get_user_state_dir(), ".local/state");
    // GLib answers the cache folder when the session has no runtime folder; that one is not
    // cleared at log-out, so it must not pass for one.
    const std::string runtime = Absolute(g_get_user_runtime_dir());
    if (runtime != folders.cache) folders.runtime = runtime;
    return folders;
}

}  // namespace velmora
