#include "transfer/temp_open_file.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

namespace velmora {

namespace {

// Names are six digits from a generator of 32768 values: a folder full of earlier copies
// can make many draws hit, but not this many in a row unless the folder is unusable.
constexpr int kNameDraws = 200;

std::string WithSlash(std::string folder) {
    if (!folder.ends_with('/')) folder += '/';
    return folder;
}

bool MakeFolder(const std::string& folder, mode_t mode, int* error) {
    if (mkdir(folder.c_str(), mode) == 0 || errno == EEXIST) return true;
    if (errno != ENOENT) {
        *error = errno;
        return false;
    }
    const auto slash = folder.find_last_of('/', folder.size() - 2);
    if (slash == std::string::npos || slash == 0) {
        *error = ENOENT;
        return false;
    }
    // Parents are the user's ordinary folders (~/.cache): the usual mode.
    if (!MakeFolder(folder.substr(0, slash + 1), 0755, error)) return false;
    if (mkdir(folder.c_str(), mode) == 0 || errno == EEXIST) return true;
    *error = errno;
    return false;
}

}  // namespace

std::string OpenFilesFolder(const EnvironmentLookup& env) {
    auto absolute = [&](const char* name) -> std::optional<std::string> {
        auto value = env(name);
        if (value && value->starts_with('/')) return value;
        return std::nullopt;
    };
    if (auto runtime = absolute("XDG_RUNTIME_DIR")) return WithSlash(*runtime) + "velmora/";
    if (auto cache = absolute("XDG_CACHE_HOME")) return WithSlash(*cache) + "velmora/open/";
    if (auto home = absolute("HOME")) return WithSlash(*home) + ".cache/velmora/open/";
    return "/tmp/velmora-" + std::to_string(geteuid()) + "/";
}

bool EnsurePrivateFolder(const std::string& folder, int* error) {
    const std::string path = WithSlash(folder);
    if (!MakeFolder(path, 0700, error)) return false;
    struct stat info {};
    // The name without its slash: lstat must see a link as a link.
    const std::string name = path.substr(0, path.size() - 1);
    if (lstat(name.c_str(), &info) != 0) {
        *error = errno;
        return false;
    }
    if (!S_ISDIR(info.st_mode)) {
        *error = ENOTDIR;
        return false;
    }
    if (info.st_uid != geteuid()) {
        *error = EACCES;
        return false;
    }
    if ((info.st_mode & 077) != 0 && chmod(name.c_str(), 0700) != 0) {
        *error = errno;
        return false;
    }
    return true;
}

std::string OpenSuffix(std::string_view phonePath) {
    const auto slash = phonePath.rfind('/');
    const std::string_view name =
        slash == std::string_view::npos ? phonePath : phonePath.substr(slash + 1);
    const auto dot = name.find('.');
    return dot == std::string_view::npos ? std::string() : std::string(name.substr(dot));
}

std::string TempBaseName(Clock& clock) {
    char name[24];
    std::snprintf(name, sizeof name, "VELMORA_TMP%.6d", clock.Rand());
    return name;
}

bool CreateOpenFile(const std::string& folder, const std::string& suffix, Clock& clock,
                    LocalFile& file) {
    clock.Seed(static_cast<unsigned>(clock.NowSeconds()));
    for (int draw = 0; draw < kNameDraws; ++draw) {
        if (file.CreateExclusive(WithSlash(folder) + TempBaseName(clock) + suffix)) return true;
        if (file.ErrorCode() != EEXIST) return false;
    }
    return false;
}

}  // namespace velmora
